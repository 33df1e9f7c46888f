// SPDX-License-Identifier: MIT
// Random sequences of keys and steps against a small independent statement of the run-control
// rules. Every failure prints the seed and the sequence that led to it.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include "core/animate/cycle_driver.h"
#include "core/draw/drawing_surface.h"
#include "core/model/sweep.h"

namespace hcci {
namespace {

class NullSurface final : public DrawingSurface {
public:
    void ForeColor(Color) override {}
    void DrawWidth(int) override {}
    void Cls() override { ++cls_count; }
    int cls_count = 0;

protected:
    void draw(LineMode, float, float, float, float, std::optional<Color>) override {}
};

// What the rules say must happen, kept apart from the driver's own code.
struct Expected {
    double stepe = 0;
    int stopp = 0;
    int loopy = 0;
    bool started = false;
    bool waiting = false;
    long cycle = 0;
    int step = -1;

    void press(char16_t key) {
        switch (key) {
            case 13:
                loopy = 1 - loopy;
                break;
            case ' ':
                stopp = 1 - stopp;
                stepe = 0;
                break;
            case '/':
                stepe = 10000;
                break;
            case ',':
                if (std::isfinite(stepe * 0.9)) stepe = stepe * 0.9;
                break;
            case '.':
                if (std::isfinite(stepe * 1.1)) stepe = stepe * 1.1;
                break;
            default:
                break;
        }
    }
    void start_cycle() {
        ++cycle;
        step = 0;
        stepe = 50000;
        waiting = false;
    }
    Advance advance() {
        if (!started) {
            started = true;
            start_cycle();
            return Advance::stepped;
        }
        if (waiting) {
            if (loopy == 0) return Advance::waiting;
            loopy = 0;
            start_cycle();
            return Advance::stepped;
        }
        if (stopp == 1) return Advance::frozen;
        if (loopy == 1) {
            loopy = 0;
            start_cycle();
            return Advance::stepped;
        }
        if (step == steps_per_sweep - 1) {
            waiting = true;
            return Advance::waiting;
        }
        ++step;
        return Advance::stepped;
    }
};

const char16_t keys[] = {13, ' ', '/', ',', '.', 'a', 'q', '0', 9, 8, 0xF702 /* arrow */};

TEST(DriverProperty, RandomKeysAndStepsFollowTheRules) {
    constexpr int sequences = 2000;
    for (int seed = 1; seed <= sequences; ++seed) {
        std::mt19937 random(static_cast<unsigned>(seed));
        NullSurface surface;
        RunControl run;
        CycleDriver driver(surface, run);
        Expected expected;
        std::ostringstream trail;
        const auto fail_text = [&] { return "seed " + std::to_string(seed) + ": " + trail.str(); };
        int last_phase = 0;
        long last_cycle = 0;

        const int events = std::uniform_int_distribution<int>(1, 40)(random);
        for (int e = 0; e < events; ++e) {
            if (random() % 3 == 0) {
                const char16_t key = keys[random() % std::size(keys)];
                trail << "key(" << int(key) << ") ";
                apply_key(run, key);
                expected.press(key);
            } else {
                // Mostly short bursts, now and then long enough to finish a sweep.
                const int burst = random() % 12 == 0 ? 20000 : int(random() % 200) + 1;
                trail << "steps(" << burst << ") ";
                for (int i = 0; i < burst; ++i) {
                    const Advance got = driver.advance();
                    const Advance want = expected.advance();
                    ASSERT_EQ(got, want) << fail_text();
                    if (got != Advance::stepped) break;
                    ASSERT_EQ(driver.cycles(), expected.cycle) << fail_text();
                    ASSERT_EQ(driver.step_index(), expected.step) << fail_text();
                    if (driver.cycles() != last_cycle) last_phase = 0;
                    last_cycle = driver.cycles();
                    ASSERT_GE(driver.phase(), last_phase) << fail_text();
                    ASSERT_LE(driver.phase(), last_phase + 1) << fail_text();
                    last_phase = driver.phase();
                    ASSERT_EQ(driver.pacing(),
                              driver.step_index() == 0
                                  ? 0
                                  : (expected.stepe >= 1 ? std::floor(expected.stepe) : 0))
                        << fail_text();
                }
            }
            ASSERT_TRUE(run.stopp == 0 || run.stopp == 1) << fail_text();
            ASSERT_TRUE(run.loopy == 0 || run.loopy == 1) << fail_text();
            ASSERT_EQ(run.stopp, expected.stopp) << fail_text();
            ASSERT_EQ(run.loopy, expected.loopy) << fail_text();
            ASSERT_EQ(run.stepe, expected.stepe) << fail_text();
        }
        // Every cycle after the first began with exactly one clearing of the drawing.
        ASSERT_EQ(surface.cls_count, expected.cycle > 0 ? expected.cycle - 1 : 0) << fail_text();
    }
}

}  // namespace
}  // namespace hcci
