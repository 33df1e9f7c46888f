// SPDX-License-Identifier: MIT
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>
#include <vector>

#include "platform/ending_signals.h"
#include "platform/standard_streams.h"

namespace hcci {
namespace {

namespace fs = std::filesystem;

std::string failure(const std::string& path, int error) {
    return "cannot write " + path + ": " + std::strerror(error);
}

std::string refusal(const std::string& path, const std::string& why) {
    return "cannot write " + path + ": it " + why;
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

// What a file of that type cannot do that the format's writing needs, said after its name; for
// a descriptor, how it is open (its flags) counts too. Nothing when it can.
std::optional<std::string> writing_problem(mode_t type, int flags, FormatWriting writing) {
    if (writing == FormatWriting::streamed) return std::nullopt;
    if (!S_ISREG(type) && !S_ISBLK(type)) {
        return "leads to a pipe, a socket or a device, which cannot seek";
    }
    if (flags < 0) return std::nullopt;  // a path, opened as it needs
    if ((flags & O_APPEND) != 0) return "is open for appending, where every write lands at the end";
    if (writing == FormatWriting::seeks_and_reads && (flags & O_ACCMODE) != O_RDWR) {
        return "is open for writing only, but the format reads back what it wrote (1<> opens "
               "it for both)";
    }
    return std::nullopt;
}

// Why one of the process's descriptors cannot be written as the format needs, or nothing.
std::optional<std::string> descriptor_problem(int fd, FormatWriting writing) {
    if (!inherited_descriptor(fd)) return "is closed";
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return std::string("cannot be examined: ") + std::strerror(errno);
    return writing_problem(status.st_mode, ::fcntl(fd, F_GETFL), writing);
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

// Whether the directory lets this process replace an existing file in it. In a sticky directory
// (/tmp, mode 1777) only the file's owner, the directory's and root may; the rename would fail
// at the end of the work, so it is told before.
bool may_replace(const fs::path& directory, const struct stat& file) {
    struct stat status {};
    if (::stat(directory.c_str(), &status) != 0 || (status.st_mode & S_ISVTX) == 0) return true;
    const uid_t me = ::geteuid();
    return me == 0 || me == file.st_uid || me == status.st_uid;
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

// Links the unnamed file open at fd into the directory under a temporary name, since a link
// cannot replace a file; the name, or the error.
std::variant<std::string, int> link_in(int fd, const fs::path& directory) {
    const std::string open_file = descriptor_path(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = (directory / temporary_name()).string();
        if (::linkat(AT_FDCWD, open_file.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            return temporary;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Whether renameat2 refused a flag that the file system does not know.
bool unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// What a path writes into or reads from: a file by device and inode, the descriptor it goes
// through, or the place a new file would take.
struct Destination {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    mode_t type = 0;
    int descriptor = -1;
    fs::path place;
};

// Nothing where it cannot be told: a link that cannot be followed, a closed descriptor.
std::optional<Destination> destination_of(const std::string& path) {
    const LinkEnd end = follow_links(path);
    if (end.error != 0) return std::nullopt;
    Destination found;
    struct stat status {};
    if (end.descriptor >= 0) {
        if (!inherited_descriptor(end.descriptor) || ::fstat(end.descriptor, &status) != 0) {
            return std::nullopt;
        }
        found.descriptor = end.descriptor;
    } else if (::stat(end.path.c_str(), &status) != 0) {
        std::error_code error;
        found.place = fs::weakly_canonical(end.path, error);
        if (error) return std::nullopt;
        return found;
    }
    found.exists = true;
    found.device = status.st_dev;
    found.inode = status.st_ino;
    found.type = status.st_mode & S_IFMT;
    return found;
}

bool one_file(const Destination& a, const Destination& b) {
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
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
        if (auto problem = descriptor_problem(end.descriptor, options.writing)) {
            return refusal(path, *problem);
        }
        file.fd_ = ::fcntl(end.descriptor, F_DUPFD_CLOEXEC, 3);
        if (file.fd_ < 0) return failure(path, errno);
        return Result(std::move(file));
    }
    struct stat status {};
    if (::stat(file.target_.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) return failure(path, EISDIR);
        if (!S_ISREG(status.st_mode)) {
            // Told before opening it: a named pipe's open waits for a reader.
            if (auto problem = writing_problem(status.st_mode, -1, options.writing)) {
                return refusal(path, *problem);
            }
            const int access =
                options.writing == FormatWriting::seeks_and_reads ? O_RDWR : O_WRONLY;
            file.fd_ = ::open(path.c_str(), access | O_TRUNC | O_CLOEXEC);
            if (file.fd_ < 0) return failure(path, errno);
            return Result(std::move(file));
        }
        // The directory may let a file be replaced that the file itself does not let be
        // written; the shell's > refuses such a file, and so does this, unless forced.
        if (!options.force && ::faccessat(AT_FDCWD, file.target_.c_str(), W_OK, AT_EACCESS) != 0 &&
            (errno == EACCES || errno == EPERM)) {
            return refusal(path, "is write-protected");
        }
        if (!may_replace(directory_of(file.target_), status)) {
            return refusal(path,
                           "is another user's, in a sticky directory where only its owner "
                           "may replace it");
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
    if (file.fd_ < 0) {
        file.temporary_.clear();
        return failure(path, errno);
    }
    file.kind_ = Kind::named_file;
    file.removal_ = std::make_unique<RemovedOnEndingSignal>(file.temporary_);
    return Result(std::move(file));
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      kind_(other.kind_),
      placed_(other.placed_),
      fd_(std::exchange(other.fd_, -1)),
      mode_(other.mode_),
      keeps_owners_(other.keeps_owners_),
      owner_(other.owner_),
      group_(other.group_),
      temporary_(std::exchange(other.temporary_, {})),
      removal_(std::move(other.removal_)) {}

ReplacementFile::~ReplacementFile() {
    discard();
}

void ReplacementFile::discard() {
    if (fd_ < 0 && temporary_.empty()) return;
    const EndingSignalsHeld held;
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!temporary_.empty()) ::unlink(std::exchange(temporary_, {}).c_str());
    removal_.reset();
}

// The staged content made whole and given a name beside its target, ready to be renamed over
// it; the descriptor is closed. Called while the ending signals are held.
int ReplacementFile::prepare() {
    if (kind_ == Kind::in_place) {
        return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
    }
    if (const int error = take_attributes(fd_, mode_, keeps_owners_, owner_, group_)) return error;
    if (::fsync(fd_) != 0) return errno;
    if (kind_ == Kind::unnamed_file) {
        auto linked = link_in(fd_, directory_of(target_));
        if (const int* error = std::get_if<int>(&linked)) return *error;
        temporary_ = std::get<std::string>(std::move(linked));
        removal_ = std::make_unique<RemovedOnEndingSignal>(temporary_);
        kind_ = Kind::named_file;
    }
    return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
}

// The prepared content renamed over its target. Where it is to be undoable, the two names swap
// (the old content then waits under the temporary name) or a new name is made; a file system
// that can do neither gets a plain rename.
int ReplacementFile::put_in_place(bool undoable) {
    if (kind_ == Kind::in_place) return 0;
    const char* from = temporary_.c_str();
    const char* to = target_.c_str();
    if (undoable) {
        if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
            placed_ = Placed::swapped;
            return 0;
        }
        // No target yet: a new name, which taking back removes.
        if (errno == ENOENT && ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
            placed_ = Placed::created;
            temporary_.clear();
            return 0;
        }
        if (!unsupported(errno)) return errno;
    }
    if (::rename(from, to) != 0) return errno;
    placed_ = Placed::replaced;
    temporary_.clear();
    return 0;
}

// The target as it was before put_in_place, where that can be.
void ReplacementFile::take_back() {
    if (placed_ == Placed::swapped) {
        ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE);
    } else if (placed_ == Placed::created) {
        ::unlink(target_.c_str());
    } else {
        return;
    }
    placed_ = Placed::not_yet;
}

std::optional<std::string> commit_together(std::span<ReplacementFile* const> files) {
    const EndingSignalsHeld held;
    const auto give_up = [&](const ReplacementFile& failed, int error) {
        std::string message = failure(failed.path_, error);
        for (ReplacementFile* file : files) {
            if (file->placed_ == ReplacementFile::Placed::replaced) {
                message += "; " + file->path_ + " has its new content";
            }
            file->discard();
        }
        return message;
    };
    for (ReplacementFile* file : files) {
        if (file->fd_ < 0) return give_up(*file, EBADF);
    }
    for (ReplacementFile* file : files) {
        if (const int error = file->prepare()) return give_up(*file, error);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        // The last one need not be undone: nothing can fail after it.
        if (const int error = files[i]->put_in_place(i + 1 < files.size())) {
            for (std::size_t j = i; j-- > 0;) files[j]->take_back();
            return give_up(*files[i], error);
        }
    }
    for (ReplacementFile* file : files) file->discard();  // the old contents' names
    return std::nullopt;
}

std::optional<std::string> ReplacementFile::commit() {
    ReplacementFile* const self = this;
    return commit_together(std::span(&self, 1));
}

std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes,
                                                 const WriteOptions& options) {
    auto staged = ReplacementFile::stage(path, options);
    if (auto* problem = std::get_if<std::string>(&staged)) return *problem;
    ReplacementFile& file = std::get<ReplacementFile>(staged);
    if (const int error = write_all(file.fd(), bytes); error != 0) return failure(path, error);
    return file.commit();
}

bool writes_into(const std::string& output, const std::string& input) {
    const std::optional<Destination> out = destination_of(output);
    const std::optional<Destination> in = destination_of(input);
    return out && in && one_file(*out, *in) && (S_ISREG(in->type) || S_ISBLK(in->type));
}

bool one_destination(const std::string& a, const std::string& b) {
    const std::optional<Destination> one = destination_of(a);
    const std::optional<Destination> other = destination_of(b);
    if (!one || !other) return false;
    if (one->descriptor >= 0 && one->descriptor == other->descriptor) return true;
    if (one->exists != other->exists) return false;
    if (!one->exists) return one->place == other->place;
    return one_file(*one, *other) && !S_ISCHR(one->type);
}

std::optional<std::string> in_place_problem(const std::string& path, FormatWriting writing) {
    const LinkEnd end = follow_links(path);
    // A link that cannot be followed or a closed descriptor is for unwritable_target to tell.
    if (end.error != 0) return std::nullopt;
    if (end.descriptor >= 0) {
        if (!inherited_descriptor(end.descriptor)) return std::nullopt;
        return descriptor_problem(end.descriptor, writing);
    }
    struct stat status {};
    if (::stat(end.path.c_str(), &status) != 0 || S_ISREG(status.st_mode) ||
        S_ISDIR(status.st_mode)) {
        return std::nullopt;
    }
    return writing_problem(status.st_mode, -1, writing);
}

std::optional<std::string> unwritable_target(const std::string& path, const WriteOptions& options) {
    const LinkEnd end = follow_links(path);
    if (end.error != 0) return failure(path, end.error);
    if (end.descriptor >= 0) {
        if (auto problem = descriptor_problem(end.descriptor, options.writing)) {
            return refusal(path, *problem);
        }
        return std::nullopt;
    }
    struct stat status {};
    if (::stat(end.path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) &&
        !S_ISDIR(status.st_mode)) {
        // A device or a named pipe, written in place: opening it here could wait or act.
        if (auto problem = writing_problem(status.st_mode, -1, options.writing)) {
            return refusal(path, *problem);
        }
        if (::faccessat(AT_FDCWD, end.path.c_str(), W_OK, AT_EACCESS) != 0) {
            return failure(path, errno);
        }
        return std::nullopt;
    }
    // Staged now as the write will stage it, and let go.
    auto staged = ReplacementFile::stage(path, options);
    if (const auto* problem = std::get_if<std::string>(&staged)) return *problem;
    return std::nullopt;
}

}  // namespace hcci
