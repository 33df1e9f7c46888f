// SPDX-License-Identifier: MIT
#include "platform/standard_streams.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace hcci {
namespace {

// The descriptors open at the start, in order; nothing until the guard has looked, or where
// /proc cannot tell.
std::optional<std::vector<int>> started_with;

std::optional<std::vector<int>> open_descriptors() {
    DIR* listing = ::opendir("/proc/self/fd");
    if (listing == nullptr) return std::nullopt;
    std::vector<int> found;
    const int own = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own) continue;
        found.push_back(static_cast<int>(fd));
    }
    ::closedir(listing);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

ClosedStreams guard_standard_streams() {
    ClosedStreams closed;
    bool* const which[] = {&closed.input, &closed.output, &closed.error};
    started_with = open_descriptors();
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0) continue;
        *which[fd] = true;
        // The lowest free descriptor is this one.
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) ::close(null);
    }
    return closed;
}

bool inherited_descriptor(int fd) {
    if (::fcntl(fd, F_GETFD) < 0) return false;
    return !started_with || std::binary_search(started_with->begin(), started_with->end(), fd);
}

}  // namespace hcci
