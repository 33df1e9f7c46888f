// SPDX-License-Identifier: MIT
#include "core/model/parallel_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace hcci {
namespace {

const auto no_progress = [](int, int) {};

TEST(ParallelLoop, EveryIndexOnceAndProgressFromTheCallingThreadOnly) {
    for (const std::size_t count : {0u, 1u, 2u, 7u, 1000u}) {
        const auto visits = std::make_unique<std::atomic<int>[]>(count);
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<int> told;
        bool told_elsewhere = false;
        const auto failure = run_in_parallel(
            count, [&](std::size_t i) { ++visits[i]; },
            [&](int done, int all) {
                told_elsewhere |= std::this_thread::get_id() != caller;
                EXPECT_EQ(all, static_cast<int>(count));
                told.push_back(done);
            });
        EXPECT_FALSE(failure.has_value());
        for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(visits[i], 1) << i << " of " << count;
        EXPECT_FALSE(told_elsewhere);
        // The helpers may take every item of a few; of none, there is nothing to tell.
        EXPECT_TRUE(count > 0 || told.empty());
        for (std::size_t k = 1; k < told.size(); ++k) EXPECT_LT(told[k - 1], told[k]);
        if (!told.empty()) {
            EXPECT_LE(told.back(), static_cast<int>(count));
        }
    }
}

// The first failure is the one told; the items after it are not started.
TEST(ParallelLoop, TheFirstFailureIsKeptAndStopsTheRest) {
    std::atomic<int> started = 0;
    const auto failure = run_in_parallel(
        1000,
        [&](std::size_t i) {
            ++started;
            throw std::runtime_error("item " + std::to_string(i) + " failed");
        },
        no_progress);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->substr(0, 5), "item ");
    EXPECT_LT(started, 100);  // at most a few, one a thread

    const auto only_one = run_in_parallel(
        50,
        [](std::size_t i) {
            if (i == 17) throw std::invalid_argument("seventeen");
        },
        no_progress);
    EXPECT_EQ(only_one, "seventeen");
}

// A progress that throws calls the work off: nothing more starts, and its exception arrives
// only once no item is running any more.
TEST(ParallelLoop, AProgressThatThrowsCallsItOffAfterEveryThreadStopped) {
    struct CalledOff {};
    std::atomic<int> running = 0;
    std::atomic<int> started = 0;
    const auto body = [&](std::size_t) {
        ++started;
        ++running;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --running;
    };
    EXPECT_THROW(run_in_parallel(1000, body, [](int, int) { throw CalledOff{}; }), CalledOff);
    EXPECT_EQ(running, 0);
    EXPECT_LT(started, 100);
}

}  // namespace
}  // namespace hcci
