// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// A plain parallel loop over an index range, for work whose items are independent of one
// another (the values of a study, the points of a map).

namespace hcci {

// Runs body(i) for every i below count on every core (eight at most), the calling thread among
// them; where no thread can be started, or the platform has none, the calling thread does it
// all. The calling thread alone tells progress(done, count), after each item of its own.
//
// The first failure (a std::exception thrown by body) is kept and returned, and stops the
// items not yet started. A progress that throws (the work called off) stops them too; its
// exception goes on once every thread has stopped.
std::optional<std::string> run_in_parallel(std::size_t count,
                                           const std::function<void(std::size_t)>& body,
                                           const std::function<void(int, int)>& progress);

}  // namespace hcci
