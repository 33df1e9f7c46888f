// SPDX-License-Identifier: MIT
#pragma once

#include <signal.h>

#include <string>

// The signals that end a process from a terminal or a service manager (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT), held back or answered, so that a file being replaced is never left half done.

namespace hcci {

// Holds back the ending signals in this thread while it lives; they arrive when it restores the
// caller's mask.
class EndingSignalsHeld {
public:
    EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
    ~EndingSignalsHeld();

private:
    sigset_t callers_mask_;
};

// A file name that an ending signal removes before it ends the process, for as long as this
// lives. Signals the process ignores or handles itself are left as they are. Make it, and
// destroy it after the file is renamed or removed, while an EndingSignalsHeld lives.
class RemovedOnEndingSignal {
public:
    explicit RemovedOnEndingSignal(const std::string& path);
    RemovedOnEndingSignal(const RemovedOnEndingSignal&) = delete;
    RemovedOnEndingSignal& operator=(const RemovedOnEndingSignal&) = delete;
    ~RemovedOnEndingSignal();

private:
    int slot_;  // -1 when every slot was taken: the name is then not removed
};

}  // namespace hcci
