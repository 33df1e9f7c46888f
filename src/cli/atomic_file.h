#pragma once

#include <optional>
#include <string>
#include <string_view>

// Writing output so that a failure leaves nothing half-written behind. No toolkit here.

namespace hcci {

// Writes all bytes to an open descriptor. Returns 0, or the error number of the failed write.
int write_all(int fd, std::string_view bytes);

// Writes the bytes to a temporary file beside path, then renames it over path, so that path holds
// either its old content or all of the new one. A path naming a device or a pipe is written in
// place, since it cannot be replaced. Returns why it failed, or nothing; no temporary file is
// left behind either way.
std::optional<std::string> write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace hcci
