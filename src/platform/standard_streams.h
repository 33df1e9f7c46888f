// SPDX-License-Identifier: MIT
#pragma once

// A program started with standard input, output or error closed would see the next file it
// opens take that descriptor, and then write its output into that file. Called first thing,
// this puts /dev/null on each closed one and tells which they were.

namespace hcci {

struct ClosedStreams {
    bool input = false, output = false, error = false;
};

ClosedStreams guard_standard_streams();

}  // namespace hcci
