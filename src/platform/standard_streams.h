// SPDX-License-Identifier: MIT
#pragma once

// A program started with standard input, output or error closed would see the next file it
// opens take that descriptor, and then write its output into that file. Called first thing,
// this puts /dev/null on each closed one and tells which they were.

namespace hcci {

struct ClosedStreams {
    bool input = false, output = false, error = false;
};

// Also notes the descriptors the program was started with, for inherited_descriptor.
ClosedStreams guard_standard_streams();

// Whether fd is one the program was started with and still has: a standard stream found closed
// is not (its /dev/null is the guard's), nor is a descriptor the program opened itself (a
// library's). Before guard_standard_streams, any open descriptor counts.
bool inherited_descriptor(int fd);

}  // namespace hcci
