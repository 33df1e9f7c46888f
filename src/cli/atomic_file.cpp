#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace hcci {
namespace {

std::string failure(const std::string& path, int error) {
    return "cannot write " + path + ": " + std::strerror(error);
}

std::optional<std::string> write_in_place(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return failure(path, errno);
    if (const int error = write_all(fd, bytes); error != 0) {
        ::close(fd);
        return failure(path, error);
    }
    if (::close(fd) != 0) return failure(path, errno);
    return std::nullopt;
}

// Permissions of a newly created file: what the umask allows of 0666.
mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

int write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes) {
    namespace fs = std::filesystem;
    fs::path target = path;
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
        if (!S_ISREG(status.st_mode)) return write_in_place(path, bytes);
        // Replace the file a link points to, not the link.
        std::error_code error;
        if (fs::is_symlink(target, error)) {
            const fs::path resolved = fs::canonical(target, error);
            if (!error) target = resolved;
        }
    }

    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Short, so that it fits beside a target whose own name is as long as a name can be.
    std::string temporary = (directory / ".hcci-XXXXXX").string();
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return failure(path, errno);
    temporary = name.data();

    int error = write_all(fd, bytes);
    if (error == 0 && ::fchmod(fd, new_file_mode()) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failure(path, error);
    }
    return std::nullopt;
}

}  // namespace hcci
