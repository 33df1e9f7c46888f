// SPDX-License-Identifier: MIT
#include "core/report/atomic_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

namespace hcci {
namespace {

namespace fs = std::filesystem;

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
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return {std::move(path)};
        }
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

// What the written file is to look like: like the file it replaces, or like any new file.
struct Attributes {
    mode_t mode = 0;
    bool keeps_owners = false;
    uid_t owner = 0;
    gid_t group = 0;
};

Attributes attributes_of(const struct stat& replaced) {
    return {static_cast<mode_t>(replaced.st_mode & 07777), true, replaced.st_uid, replaced.st_gid};
}

Attributes new_file_attributes() {
    return {new_file_mode()};
}

// Gives the file open at fd the owners it is to have, as far as the process may, then the mode;
// in that order, since a change of owner clears the set-ID bits.
int take_attributes(int fd, const Attributes& wanted) {
    mode_t mode = wanted.mode;
    if (wanted.keeps_owners) {
        struct stat current {};
        if (::fstat(fd, &current) != 0) return errno;
        bool owner_kept = current.st_uid == wanted.owner;
        bool group_kept = current.st_gid == wanted.group;
        // Only root may give a file away; others may still hand it to a group of theirs.
        if (!owner_kept && ::fchown(fd, wanted.owner, wanted.group) == 0) {
            owner_kept = group_kept = true;
        }
        if (!group_kept && ::fchown(fd, static_cast<uid_t>(-1), wanted.group) == 0) {
            group_kept = true;
        }
        // A set-ID bit means "run as that owner"; it must not pass to another one.
        if (!owner_kept) mode &= ~S_ISUID;
        if (!group_kept) mode &= ~S_ISGID;
    }
    if (::fchmod(fd, mode) != 0) return errno;
    return 0;
}

fs::path directory_of(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { ::close(fd_); }

private:
    int fd_;
};

// The signals that end a process from a terminal or a service manager.
constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Holds back the ending signals while it lives; they arrive when it restores the caller's mask.
class EndingSignalsHeld {
public:
    EndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : ending_signals) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &callers_mask_);
    }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
    ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &callers_mask_, nullptr); }

    // Whether one of them waits that will end the process once it is let through: neither
    // ignored, nor handled, nor blocked by the caller.
    bool end_pending() const {
        sigset_t pending;
        sigpending(&pending);
        for (const int signal : ending_signals) {
            if (!sigismember(&pending, signal) || sigismember(&callers_mask_, signal)) continue;
            struct sigaction action {};
            sigaction(signal, nullptr, &action);
            if ((action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_DFL) return true;
        }
        return false;
    }

private:
    sigset_t callers_mask_;
};

// Short, so that it fits beside a target whose own name is as long as a name can be.
std::string temporary_name() {
    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> letter(0, sizeof letters - 2);
    std::string name = ".hcci-";
    for (int i = 0; i < 6; ++i) name += letters[letter(random)];
    return name;
}

// Stands for "this file system has no unnamed files"; no error number is negative.
constexpr int unnamed_files_unsupported = -1;

// Links the unnamed file open at fd in under a temporary name, since a link cannot replace a
// file, and renames that over file. The ending signals are held so that nothing is left between.
int link_over(int fd, const fs::path& file) {
    const std::string open_file = "/proc/self/fd/" + std::to_string(fd);
    const EndingSignalsHeld held;
    std::string temporary;
    int error = EEXIST;
    for (int attempt = 0; error == EEXIST && attempt < 100; ++attempt) {
        temporary = (directory_of(file) / temporary_name()).string();
        const int linked =
            ::linkat(AT_FDCWD, open_file.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW);
        error = linked == 0 ? 0 : errno;
    }
    // Without /proc there is no way to name the file.
    if (error == ENOENT) return unnamed_files_unsupported;
    if (error != 0) return error;
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
    }
    return error;
}

int replace_through_unnamed_file(const fs::path& file, std::string_view bytes,
                                 const Attributes& wanted) {
    const int fd = ::open(directory_of(file).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Old kernels and some file systems reject O_TMPFILE in one of these ways.
        const int error = errno;
        const bool unsupported =
            error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT;
        return unsupported ? unnamed_files_unsupported : error;
    }
    const Descriptor closer(fd);
    if (const int error = write_all(fd, bytes); error != 0) return error;
    if (const int error = take_attributes(fd, wanted); error != 0) return error;
    if (::fsync(fd) != 0) return errno;
    return link_over(fd, file);
}

// Writes in pieces, stopping early once an ending signal waits, so that the process is not kept
// from ending for long.
int write_unless_ending(int fd, std::string_view bytes, const EndingSignalsHeld& held) {
    constexpr std::size_t piece = 1 << 20;
    for (;;) {
        if (held.end_pending()) return EINTR;
        if (bytes.empty()) return 0;
        const std::string_view part = bytes.substr(0, piece);
        if (const int error = write_all(fd, part); error != 0) return error;
        bytes.remove_prefix(part.size());
    }
}

// The ending signals are held for as long as the temporary name exists, so that it is removed
// before they end the process.
int replace_through_named_file(const fs::path& file, std::string_view bytes,
                               const Attributes& wanted) {
    const EndingSignalsHeld held;
    std::string temporary = (directory_of(file) / ".hcci-XXXXXX").string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    int error = write_unless_ending(fd, bytes, held);
    if (error == 0) error = take_attributes(fd, wanted);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), file.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
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

std::optional<std::string> unwritable_target(const std::string& path) {
    const LinkEnd end = follow_links(path);
    if (end.error != 0) return failure(path, end.error);
    struct stat status {};
    fs::path writable = directory_of(end.path);
    if (::stat(end.path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
        if (!S_ISREG(status.st_mode)) writable = end.path;  // a device, written in place
    } else if (const int error = errno; error != ENOENT) {
        return failure(path, error);
    }
    if (::faccessat(AT_FDCWD, writable.c_str(), W_OK, AT_EACCESS) != 0) {
        return failure(path, errno);
    }
    return std::nullopt;
}

std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes) {
    return write_file_atomically(path, bytes, Staging::unnamed_file);
}

std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes,
                                                 Staging staging) {
    const LinkEnd end = follow_links(path);
    if (end.error != 0) return failure(path, end.error);
    const fs::path target = end.path;
    Attributes wanted;
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
        if (!S_ISREG(status.st_mode)) return write_in_place(path, bytes);
        wanted = attributes_of(status);
    } else if (const int error = errno; error != ENOENT || target.filename().empty()) {
        return failure(path, error);
    } else {
        wanted = new_file_attributes();
    }

    int error = staging == Staging::unnamed_file
                    ? replace_through_unnamed_file(target, bytes, wanted)
                    : unnamed_files_unsupported;
    if (error == unnamed_files_unsupported)
        error = replace_through_named_file(target, bytes, wanted);
    if (error != 0) return failure(path, error);
    return std::nullopt;
}

}  // namespace hcci
