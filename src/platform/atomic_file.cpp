// SPDX-License-Identifier: MIT
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

#include "platform/ending_signals.h"

namespace hcci {
namespace {

namespace fs = std::filesystem;

std::string failure(const std::string& path, int error) {
    return "cannot write " + path + ": " + std::strerror(error);
}

// Where a chain of symbolic links starting at a path ends; that file need not exist. A chain
// that reaches one of this process's descriptors (/dev/stdout, /proc/self/fd/1, ...) ends there:
// the file behind it is not to be replaced but written through it.
struct LinkEnd {
    std::string path;
    int error = 0;
    int descriptor = -1;
};

// The descriptor of this process that a path names, or -1.
int own_descriptor(const std::string& path) {
    static const std::string own_proc = "/proc/" + std::to_string(::getpid()) + "/fd/";
    if (path == "/dev/stdin") return 0;
    if (path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      own_proc, std::string("/proc/thread-self/fd/")}) {
        if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string digits = path.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
            return -1;
        }
        return std::stoi(digits);
    }
    return -1;
}

// As many links as the kernel follows in one path.
constexpr int max_links = 40;

LinkEnd follow_links(std::string path) {
    for (int links = 0;; ++links) {
        if (const int fd = own_descriptor(path); fd >= 0) return {std::move(path), 0, fd};
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

// Gives the file open at fd the owners it is to have, as far as the process may, then the mode;
// in that order, since a change of owner clears the set-ID bits.
int take_attributes(int fd, mode_t mode, bool keeps_owners, uid_t owner, gid_t group) {
    if (keeps_owners) {
        struct stat current {};
        if (::fstat(fd, &current) != 0) return errno;
        bool owner_kept = current.st_uid == owner;
        bool group_kept = current.st_gid == group;
        // Only root may give a file away; others may still hand it to a group of theirs.
        if (!owner_kept && ::fchown(fd, owner, group) == 0) owner_kept = group_kept = true;
        if (!group_kept && ::fchown(fd, static_cast<uid_t>(-1), group) == 0) group_kept = true;
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

std::string descriptor_path(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// An unnamed file in the directory, which can be linked in later: -1 where the file system or
// the kernel has none, or no /proc to name it by when it is linked.
int open_unnamed_file(const fs::path& directory, int& error) {
    const int fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = errno;
        // Old kernels and some file systems reject O_TMPFILE in one of these ways.
        if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT) error = 0;
        return -1;
    }
    struct stat status {};
    if (::stat(descriptor_path(fd).c_str(), &status) != 0) {
        ::close(fd);
        error = 0;
        return -1;
    }
    return fd;
}

// Links the unnamed file open at fd in under a temporary name, since a link cannot replace a
// file, and renames that over file. The ending signals are held so that nothing is left between.
int link_over(int fd, const fs::path& file) {
    const std::string open_file = descriptor_path(fd);
    const EndingSignalsHeld held;
    std::string temporary;
    int error = EEXIST;
    for (int attempt = 0; error == EEXIST && attempt < 100; ++attempt) {
        temporary = (directory_of(file) / temporary_name()).string();
        const int linked =
            ::linkat(AT_FDCWD, open_file.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW);
        error = linked == 0 ? 0 : errno;
    }
    if (error != 0) return error;
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
    }
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

std::variant<ReplacementFile, std::string> ReplacementFile::stage(const std::string& path,
                                                                  const WriteOptions& options) {
    using Result = std::variant<ReplacementFile, std::string>;
    const LinkEnd end = follow_links(path);
    if (end.error != 0) return failure(path, end.error);
    ReplacementFile file;
    file.path_ = path;
    file.target_ = end.path;
    if (end.descriptor >= 0) {
        // Written as it is open: appending where it appends, into a pipe as into a file.
        file.fd_ = ::fcntl(end.descriptor, F_DUPFD_CLOEXEC, 3);
        if (file.fd_ < 0) return failure(path, errno);
        return Result(std::move(file));
    }
    struct stat status {};
    if (::stat(file.target_.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
        if (!S_ISREG(status.st_mode)) {
            file.fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (file.fd_ < 0) return failure(path, errno);
            return Result(std::move(file));
        }
        // The directory may let a file be replaced that the file itself does not let be
        // written; the shell's > refuses such a file, and so does this, unless forced.
        if (!options.force && ::faccessat(AT_FDCWD, file.target_.c_str(), W_OK, AT_EACCESS) != 0 &&
            (errno == EACCES || errno == EPERM)) {
            return "cannot write " + path + ": it is write-protected";
        }
        file.mode_ = static_cast<mode_t>(status.st_mode & 07777);
        file.keeps_owners_ = true;
        file.owner_ = status.st_uid;
        file.group_ = status.st_gid;
    } else if (const int error = errno; error != ENOENT || file.target_.filename().empty()) {
        return failure(path, error);
    } else {
        file.mode_ = new_file_mode();
    }
    const fs::path directory = directory_of(file.target_);
    if (options.staging == Staging::unnamed_file) {
        int error = 0;
        file.fd_ = open_unnamed_file(directory, error);
        if (error != 0) return failure(path, error);
        if (file.fd_ >= 0) {
            file.kind_ = Kind::unnamed_file;
            return Result(std::move(file));
        }
    }
    // The name exists from mkostemp on: an ending signal removes it from then on.
    const EndingSignalsHeld held;
    file.temporary_ = (directory / ".hcci-XXXXXX").string();
    file.fd_ = ::mkostemp(file.temporary_.data(), O_CLOEXEC);
    if (file.fd_ < 0) return failure(path, errno);
    file.kind_ = Kind::named_file;
    file.removal_ = std::make_unique<RemovedOnEndingSignal>(file.temporary_);
    return Result(std::move(file));
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      kind_(other.kind_),
      fd_(std::exchange(other.fd_, -1)),
      mode_(other.mode_),
      keeps_owners_(other.keeps_owners_),
      owner_(other.owner_),
      group_(other.group_),
      temporary_(std::move(other.temporary_)),
      removal_(std::move(other.removal_)) {}

ReplacementFile::~ReplacementFile() {
    discard();
}

void ReplacementFile::discard() {
    if (fd_ < 0) return;
    const EndingSignalsHeld held;
    ::close(std::exchange(fd_, -1));
    if (kind_ == Kind::named_file) ::unlink(temporary_.c_str());
    removal_.reset();
}

std::optional<std::string> ReplacementFile::commit() {
    if (fd_ < 0) return failure(path_, EBADF);
    int error = 0;
    if (kind_ != Kind::in_place) {
        error = take_attributes(fd_, mode_, keeps_owners_, owner_, group_);
        if (error == 0 && ::fsync(fd_) != 0) error = errno;
    }
    if (error == 0 && kind_ == Kind::unnamed_file) error = link_over(fd_, target_);
    if (error == 0 && kind_ == Kind::named_file) {
        const EndingSignalsHeld held;
        if (::close(std::exchange(fd_, -1)) != 0) error = errno;
        if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
        if (error != 0) ::unlink(temporary_.c_str());
        removal_.reset();
    }
    if (error == 0 && fd_ >= 0 && ::close(std::exchange(fd_, -1)) != 0) error = errno;
    discard();
    if (error != 0) return failure(path_, error);
    return std::nullopt;
}

std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes,
                                                 const WriteOptions& options) {
    auto staged = ReplacementFile::stage(path, options);
    if (auto* problem = std::get_if<std::string>(&staged)) return *problem;
    ReplacementFile& file = std::get<ReplacementFile>(staged);
    if (const int error = write_all(file.fd(), bytes); error != 0) return failure(path, error);
    return file.commit();
}

bool names_one_file(const std::string& a, const std::string& b) {
    const LinkEnd end_a = follow_links(a);
    const LinkEnd end_b = follow_links(b);
    struct stat status_a {
    }, status_b{};
    const bool a_exists = ::stat(end_a.path.c_str(), &status_a) == 0;
    const bool b_exists = ::stat(end_b.path.c_str(), &status_b) == 0;
    if (a_exists && b_exists) {
        return status_a.st_dev == status_b.st_dev && status_a.st_ino == status_b.st_ino;
    }
    if (a_exists != b_exists) return false;
    std::error_code error;
    const fs::path place_a = fs::weakly_canonical(end_a.path, error);
    if (error) return false;
    const fs::path place_b = fs::weakly_canonical(end_b.path, error);
    return !error && place_a == place_b;
}

std::optional<std::string> unwritable_target(const std::string& path, const WriteOptions& options) {
    const LinkEnd end = follow_links(path);
    if (end.error != 0) return failure(path, end.error);
    if (end.descriptor >= 0) {
        if (::fcntl(end.descriptor, F_GETFL) < 0) return failure(path, errno);
        return std::nullopt;
    }
    struct stat status {};
    fs::path writable = directory_of(end.path);
    if (::stat(end.path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
        if (!S_ISREG(status.st_mode)) writable = end.path;  // a device, written in place
        if (S_ISREG(status.st_mode) && !options.force &&
            ::faccessat(AT_FDCWD, end.path.c_str(), W_OK, AT_EACCESS) != 0 &&
            (errno == EACCES || errno == EPERM)) {
            return "cannot write " + path + ": it is write-protected";
        }
    } else if (const int error = errno; error != ENOENT) {
        return failure(path, error);
    }
    if (::faccessat(AT_FDCWD, writable.c_str(), W_OK, AT_EACCESS) != 0) {
        return failure(path, errno);
    }
    return std::nullopt;
}

}  // namespace hcci
