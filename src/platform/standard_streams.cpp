// SPDX-License-Identifier: MIT
#include "platform/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

namespace hcci {

ClosedStreams guard_standard_streams() {
    ClosedStreams closed;
    bool* const which[] = {&closed.input, &closed.output, &closed.error};
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0) continue;
        *which[fd] = true;
        // The lowest free descriptor is this one.
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) ::close(null);
    }
    return closed;
}

}  // namespace hcci
