// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <string>

namespace hcci {

// A drawing or caption failure ends the program: the message goes to standard error and, where
// a display exists, into a message box; the status is 1.
[[noreturn]] void report_fatal_error(const std::string& message);

template <class F>
void guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        report_fatal_error(e.what());
    } catch (...) {
        report_fatal_error("unknown error");
    }
}

}  // namespace hcci
