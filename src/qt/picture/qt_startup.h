// SPDX-License-Identifier: MIT
#pragma once

// Qt prints harmless chatter while it starts (for one, "XDG_RUNTIME_DIR not set"). Between these
// two calls its messages are held back; when it cannot start at all, the program ends with one
// clear line and status 1 instead of an abort and a core dump.

namespace hcci {

// program names the messages; what says what could not be done ("cannot start the window").
void hold_qt_startup_messages(const char* program, const char* what);
// Qt is up: its messages pass again.
void qt_started();

}  // namespace hcci
