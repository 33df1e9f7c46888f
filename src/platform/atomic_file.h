// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/report/output_format.h"

// Writing output so that a failure leaves nothing half-written behind. No toolkit here.
//
// A new content is staged in a file beside the target and then renamed over it, so that the
// target holds either its old content or all of the new one. A replaced file keeps its
// permissions and, as far as the process may give them, its owner and group. A symbolic link is
// followed to where it ends, and the file there is written or created; the link stays. A path
// naming a device or a pipe is written in place, since it cannot be replaced, and so is one of
// the descriptors the process was started with (/dev/stdout, /dev/fd/N, /proc/self/fd/N), as it
// is open: appending where it appends. A descriptor that was closed is refused, and so is one
// the process opened itself. A file that its mode or owner does not let the process write is
// refused unless forced, and so is another user's file in a sticky directory, which only its
// owner may replace. A hard-linked file is replaced under the name given only: its other names
// keep the old content. No staged file is left behind, neither on failure nor when SIGINT,
// SIGTERM, SIGHUP or SIGQUIT ends the process meanwhile (SIGKILL, which no process can answer,
// can leave a named one, .hcci-XXXXXX, where the file system has no unnamed files).

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
    // What the content's format does to its file: a target written in place must allow it (a
    // staged file allows everything).
    FormatWriting writing = FormatWriting::streamed;
};

class ReplacementFile;

// Puts staged files in their targets' places together: an ending signal leaves every target
// old or every one new. A failure leaves them all as they were where the file system can swap
// two names (the usual ones can); elsewhere the message tells which target has its new
// content. Targets written in place have their bytes already. Why it failed, or nothing.
std::optional<std::string> commit_together(std::span<ReplacementFile* const> files);

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
    friend std::optional<std::string> commit_together(std::span<ReplacementFile* const> files);
    enum class Kind { in_place, unnamed_file, named_file };
    // How a staged file took its target's place, and so how it is taken back.
    enum class Placed { not_yet, swapped, created, replaced };
    ReplacementFile() = default;
    void discard();
    int prepare();
    int put_in_place(bool undoable);
    void take_back();

    std::string path_;  // as given, for messages
    std::filesystem::path target_;
    Kind kind_ = Kind::in_place;
    Placed placed_ = Placed::not_yet;
    int fd_ = -1;
    // What the new file is to look like: like the file it replaces, or like any new file.
    mode_t mode_ = 0;
    bool keeps_owners_ = false;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    // A name beside the target that discard() removes: the staged content's, or once it is
    // swapped into place, the old content's.
    std::string temporary_;
    std::unique_ptr<RemovedOnEndingSignal> removal_;  // ... removed by an ending signal
};

// The bytes in place of path, through a ReplacementFile. Returns why it failed, or nothing.
std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes,
                                                 const WriteOptions& options = {});

// Whether writing output would change the file that input names: one regular file (or block
// device), whatever the names, links or descriptors that lead to it. A pipe, a terminal or
// another device is read before anything is written, and keeps nothing to lose.
bool writes_into(const std::string& output, const std::string& input);

// Whether two outputs would land in one place: one descriptor, one file (a character device
// such as /dev/null aside: it keeps nothing to mix up) or the place of one file not made yet.
bool one_destination(const std::string& a, const std::string& b);

// Why a target written in place (a descriptor of the process, a device, a named pipe) cannot
// take what the format does to its file, said after its name ("is open for appending, ..."),
// or nothing: a target that is staged takes everything.
std::optional<std::string> in_place_problem(const std::string& path, FormatWriting writing);

// Why writing to path would surely fail, told before the work that makes the bytes: a link
// that cannot be followed, a directory, a closed descriptor, a target that cannot take the
// format's seeks, a directory to write in that is missing or closed to this process, a file
// there that may not be replaced. A staged target is staged and let go, as the write will
// stage it. Nothing when the write may succeed; the write itself has the last word.
std::optional<std::string> unwritable_target(const std::string& path,
                                             const WriteOptions& options = {});

}  // namespace hcci
