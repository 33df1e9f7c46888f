// SPDX-License-Identifier: MIT
#include "platform/parameter_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace hcci {
namespace {

// A parameter file is a few lines; anything much larger is not one.
constexpr std::size_t largest_file = 1 << 20;

using ParametersRead = std::variant<EngineParameters, std::string>;

// The file of the sources read, then what the core makes of it and the settings.
template <typename FromText>
ParametersRead read_sources(const ParameterSources& sources, std::vector<std::string>* notices,
                            FromText from_text) {
    if (!sources.file) return from_text(std::nullopt, sources.settings, notices);
    auto file = read_parameter_file(*sources.file);
    if (auto* problem = std::get_if<std::string>(&file)) return std::move(*problem);
    return from_text(std::get<ParameterFileText>(std::move(file)), sources.settings, notices);
}

}  // namespace

std::variant<ParameterFileText, std::string> read_parameter_file(const std::string& path) {
    using Result = std::variant<ParameterFileText, std::string>;
    const auto failure = [&path](int error) {
        return Result("cannot read " + path + ": " + std::strerror(error));
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure(errno);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
        ::close(fd);
        return failure(error);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return failure(error);
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > largest_file) {
            ::close(fd);
            return Result("cannot read " + path + ": larger than a parameter file can be (1 MiB)");
        }
    }
    ::close(fd);
    return ParameterFileText{path, std::move(text)};
}

ParametersRead read_parameters(const ParameterSources& sources, std::vector<std::string>* notices) {
    return read_sources(sources, notices, parameters_from_text);
}

ParametersRead read_parameter_values(const ParameterSources& sources,
                                     std::vector<std::string>* notices) {
    return read_sources(sources, notices, parameter_values_from_text);
}

}  // namespace hcci
