#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>
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

// Where a chain of symbolic links starting at a path ends; that file need not exist.
struct LinkEnd {
    std::string path;
    int error = 0;
};

// As many links as the kernel follows in one path.
constexpr int max_links = 40;

LinkEnd follow_links(std::string path) {
    namespace fs = std::filesystem;
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return {std::move(path)};
        if (links == max_links) return {path, ELOOP};
        std::error_code error;
        const fs::path next = fs::read_symlink(path, error);
        if (error) return {path, error.value()};
        // Not normalised: ".." after a linked directory is for the kernel to resolve.
        path = (fs::path(path).parent_path() / next).string();
    }
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
    const LinkEnd end = follow_links(path);
    if (end.error != 0) return failure(path, end.error);
    const fs::path target = end.path;
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
        if (!S_ISREG(status.st_mode)) return write_in_place(path, bytes);
    } else if (const int error = errno; error != ENOENT || target.filename().empty()) {
        return failure(path, error);
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
