// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// Writing output so that a failure leaves nothing half-written behind. No toolkit here.
//
// A new content is staged in a file beside the target and then renamed over it, so that the
// target holds either its old content or all of the new one. A replaced file keeps its
// permissions and, as far as the process may give them, its owner and group. A symbolic link is
// followed to where it ends, and the file there is written or created; the link stays. A path
// naming a device or a pipe is written in place, since it cannot be replaced, and so is one of
// the process's own descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N), as it is open:
// appending where it appends. A file that its mode or owner does not let the process write is
// refused unless forced. A hard-linked file is replaced under the name given only: its other
// names keep the old content. No staged file is left behind, neither on failure nor when
// SIGINT, SIGTERM, SIGHUP or SIGQUIT ends the process meanwhile (SIGKILL, which no process can
// answer, can leave a named one, .hcci-XXXXXX, where the file system has no unnamed files).

namespace hcci {

class RemovedOnEndingSignal;

// Writes all bytes to an open descriptor. Returns 0, or the error number of the failed write.
int write_all(int fd, std::string_view bytes);

// Where the new content waits until it replaces the target. An unnamed file (O_TMPFILE) vanishes
// by itself if the process dies; a named one is for file systems that have no unnamed files.
enum class Staging { unnamed_file, named_file };

struct WriteOptions {
    // Replace a file that its mode or owner does not let this process write, as long as the
    // directory lets it be replaced; without it such a file is refused, as the shell's > does.
    bool force = false;
    Staging staging = Staging::unnamed_file;
};

// A new content for a path, written through fd() (which reads and seeks too, except in place)
// and put in the target's place by commit(); destroyed uncommitted, it leaves the target as it
// was.
class ReplacementFile {
public:
    // unnamed_file falls back to named_file where it must.
    static std::variant<ReplacementFile, std::string> stage(const std::string& path,
                                                            const WriteOptions& options = {});

    ReplacementFile(ReplacementFile&& other) noexcept;
    ReplacementFile& operator=(ReplacementFile&&) = delete;
    ~ReplacementFile();

    int fd() const { return fd_; }
    // Why it failed, or nothing; the staging is over either way.
    std::optional<std::string> commit();

private:
    enum class Kind { in_place, unnamed_file, named_file };
    ReplacementFile() = default;
    void discard();

    std::string path_;  // as given, for messages
    std::filesystem::path target_;
    Kind kind_ = Kind::in_place;
    int fd_ = -1;
    // What the new file is to look like: like the file it replaces, or like any new file.
    mode_t mode_ = 0;
    bool keeps_owners_ = false;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    std::string temporary_;                           // a named file's name
    std::unique_ptr<RemovedOnEndingSignal> removal_;  // ... removed by an ending signal
};

// The bytes in place of path, through a ReplacementFile. Returns why it failed, or nothing.
std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes,
                                                 const WriteOptions& options = {});

// Whether two paths name one file, links followed: the same file where it exists, the same
// place where it does not yet.
bool names_one_file(const std::string& a, const std::string& b);

// Why writing to path would surely fail, told before the work that makes the bytes: a link
// that cannot be followed, a directory, a directory to write in that is missing or closed to
// this process. Nothing when the write may succeed; the write itself has the last word.
std::optional<std::string> unwritable_target(const std::string& path,
                                             const WriteOptions& options = {});

}  // namespace hcci
