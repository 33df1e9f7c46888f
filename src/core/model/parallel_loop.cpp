// SPDX-License-Identifier: MIT
#include "core/model/parallel_loop.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

// WebAssembly built without threads has none to start.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define HCCI_THREADS 0
#else
#define HCCI_THREADS 1
#endif

namespace hcci {
namespace {

// How many threads may help the calling one.
std::size_t helpers_wanted(std::size_t count) {
    if (!HCCI_THREADS || count < 2) return 0;
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    return std::min(cores, count) - 1;
}

// Joins every helper however the calling thread leaves, an exception included.
struct Helpers {
    std::vector<std::thread> threads;
    Helpers() = default;
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;
    ~Helpers() {
        for (std::thread& thread : threads) thread.join();
    }
};

}  // namespace

std::optional<std::string> run_in_parallel(std::size_t count,
                                           const std::function<void(std::size_t)>& body,
                                           const std::function<void(int, int)>& progress) {
    std::atomic<std::size_t> next = 0;
    std::atomic<int> done = 0;
    std::atomic<bool> failed = false;
    std::mutex failure_lock;
    std::optional<std::string> first_failure;
    std::exception_ptr called_off;
    const auto work = [&](bool tells_progress) {
        for (std::size_t i = next++; i < count && !failed; i = next++) {
            try {
                body(i);
            } catch (const std::exception& e) {
                const std::lock_guard lock(failure_lock);
                if (!failed.exchange(true)) first_failure = e.what();
            }
            ++done;
            if (!tells_progress) continue;
            try {
                progress(done, static_cast<int>(count));
            } catch (...) {
                called_off = std::current_exception();
                failed = true;
                return;
            }
        }
    };
    {
        Helpers helpers;
        const std::size_t wanted = helpers_wanted(count);
        for (std::size_t t = 0; t < wanted; ++t) {
            try {
                helpers.threads.emplace_back(work, false);
            } catch (const std::system_error&) {
                break;  // no more threads to be had: fewer do the work
            }
        }
        work(true);
    }  // every helper has stopped
    if (called_off) std::rethrow_exception(called_off);
    return first_failure;
}

}  // namespace hcci
