// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Writing output so that a failure leaves nothing half-written behind. No toolkit here.

namespace hcci {

// Writes all bytes to an open descriptor. Returns 0, or the error number of the failed write.
int write_all(int fd, std::string_view bytes);

// Writes the bytes to a temporary file beside path, then renames it over path, so that path holds
// either its old content or all of the new one. A replaced file keeps its permissions and, as far
// as the process may give them, its owner and group. A symbolic link is followed to where it ends,
// and the file there is written or created; the link stays. A path naming a device or a pipe is
// written in place, since it cannot be replaced. Returns why it failed, or nothing; no temporary
// file is left behind either way, nor when SIGINT, SIGTERM, SIGHUP or SIGQUIT ends the process
// meanwhile.
std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes);

// Why writing to path would surely fail, told before the work that makes the bytes: a link
// that cannot be followed, a directory, a directory to write in that is missing or closed to
// this process. Nothing when the write may succeed; the write itself has the last word.
std::optional<std::string> unwritable_target(const std::string& path);

// Where the new content waits until it replaces the target. An unnamed file (O_TMPFILE) vanishes
// by itself if the process dies; a named one is for file systems that have no unnamed files.
enum class Staging { unnamed_file, named_file };

// As above, with the staging chosen; unnamed_file falls back to named_file where it must.
std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes,
                                                 Staging staging);

}  // namespace hcci
