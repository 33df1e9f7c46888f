// SPDX-License-Identifier: MIT
#include "platform/ending_signals.h"

#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

namespace hcci {
namespace {

constexpr std::array<int, 4> ending_signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The names to remove, where a signal handler can read them: set before `used`, read after it.
struct Slot {
    std::atomic<bool> used = false;
    char path[PATH_MAX] = {};
};
std::array<Slot, 8> slots;

std::mutex registry_lock;
int registered = 0;
std::array<struct sigaction, ending_signals.size()> previous{};
std::array<bool, ending_signals.size()> answered{};

void remove_and_end(int signal) {
    for (Slot& slot : slots) {
        if (slot.used.load(std::memory_order_acquire)) ::unlink(slot.path);
    }
    // The signal's own ending, now that nothing is left behind.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    (void)::raise(signal);  // blocked while this runs; it ends the process on return
}

void answer_ending_signals() {
    for (std::size_t i = 0; i < ending_signals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(ending_signals[i], nullptr, &current);
        answered[i] = (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
        if (!answered[i]) continue;
        previous[i] = current;
        struct sigaction answer {};
        answer.sa_handler = remove_and_end;
        sigemptyset(&answer.sa_mask);
        for (const int signal : ending_signals) sigaddset(&answer.sa_mask, signal);
        ::sigaction(ending_signals[i], &answer, nullptr);
    }
}

void restore_ending_signals() {
    for (std::size_t i = 0; i < ending_signals.size(); ++i) {
        if (!answered[i]) continue;
        struct sigaction current {};
        ::sigaction(ending_signals[i], nullptr, &current);
        // Only where the answer is still ours.
        if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == remove_and_end) {
            ::sigaction(ending_signals[i], &previous[i], nullptr);
        }
    }
}

}  // namespace

EndingSignalsHeld::EndingSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : ending_signals) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &callers_mask_);
}

EndingSignalsHeld::~EndingSignalsHeld() {
    pthread_sigmask(SIG_SETMASK, &callers_mask_, nullptr);
}

RemovedOnEndingSignal::RemovedOnEndingSignal(const std::string& path) : slot_(-1) {
    if (path.size() >= PATH_MAX) return;
    const std::lock_guard lock(registry_lock);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].used.load(std::memory_order_relaxed)) continue;
        std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
        slots[i].used.store(true, std::memory_order_release);
        slot_ = static_cast<int>(i);
        if (registered++ == 0) answer_ending_signals();
        return;
    }
}

RemovedOnEndingSignal::~RemovedOnEndingSignal() {
    if (slot_ < 0) return;
    const std::lock_guard lock(registry_lock);
    slots[static_cast<std::size_t>(slot_)].used.store(false, std::memory_order_release);
    if (--registered == 0) restore_ending_signals();
}

}  // namespace hcci
