// SPDX-License-Identifier: MIT
#include "web/wasm/page_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/model/sweep.h"

namespace hcci {
namespace {

constexpr double ms = 1e6;

// A fresh sweep's pixels after the step at that scale, as the canvas's bytes R, G, B, A.
std::vector<std::uint8_t> fresh_rgba(const SharedRecord& record, int step, int scale) {
    PixelSurface surface(scale);
    RunControl run;
    CycleDriver driver(surface, run, record);
    driver.run_to(step);
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const Pixel p = surface.pixel(x, y);
            rgba.insert(rgba.end(),
                        {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                         static_cast<std::uint8_t>(p), 0xFF});
        }
    }
    return rgba;
}

// The page's canvas after it copied what changed.
std::vector<std::uint8_t> canvas(PagePicture& picture) {
    picture.take_dirty();
    const std::size_t size = static_cast<std::size_t>(picture.width() * picture.height() * 4);
    return {picture.rgba(), picture.rgba() + size};
}

struct Rig {
    double clock_ns = 0;
    SharedRecord record = share_cycle({});
    PagePicture picture{record, 1, [this] { return clock_ns; }};

    // Ticks as the page does, on the pacer's schedule, until held or out of ticks.
    void run_ticks(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            const auto next = picture.tick();
            if (!next) return;
            clock_ns = std::max(clock_ns, *next);
        }
    }
};

TEST(PagePicture, HeldAtAStepShowsTheExportedPicture) {
    Rig rig;
    for (const int step : {0, 150, 4321, 9000, 9100, last_step}) {  // run on, and drawn afresh
        rig.picture.hold_at(step);
        EXPECT_EQ(canvas(rig.picture), fresh_rgba(rig.record, step, 1)) << step;
        EXPECT_EQ(rig.picture.driver().step_index(), step);
        EXPECT_TRUE(rig.picture.held());
    }
}

TEST(PagePicture, ACanvasCopiesOnlyWhatChanged) {
    Rig rig;
    rig.picture.hold_at(100);
    rig.picture.take_dirty();
    EXPECT_TRUE(rig.picture.take_dirty().empty());
    rig.picture.hold_at(150);
    const PixelRect dirty = rig.picture.take_dirty();
    EXPECT_FALSE(dirty.empty());
    EXPECT_LT(dirty.width() * dirty.height(), rig.picture.width() * rig.picture.height() / 4);
}

// The page's canvas as the browser keeps it: only the rectangles take_dirty() names are put.
struct PutCanvas {
    std::vector<std::uint8_t> bytes;

    // Puts what changed; the rectangle must be tight (a changed pixel on each of its edges).
    void put(PagePicture& picture) {
        const PixelRect r = picture.take_dirty();
        const auto size = static_cast<std::size_t>(picture.width() * picture.height() * 4);
        if (bytes.size() != size) {  // a new canvas: everything put
            bytes.assign(picture.rgba(), picture.rgba() + size);
            return;
        }
        const std::vector<std::uint8_t> before = bytes;
        const auto at = [&](int x, int y) {
            return static_cast<std::size_t>((y * picture.width() + x) * 4);
        };
        for (int y = r.top; y <= r.bottom; ++y) {
            std::memcpy(&bytes[at(r.left, y)], picture.rgba() + at(r.left, y),
                        static_cast<std::size_t>(r.width()) * 4);
        }
        if (r.empty()) return;
        const auto changed = [&](int x, int y) {
            return std::memcmp(&before[at(x, y)], &bytes[at(x, y)], 4) != 0;
        };
        bool left = false, right = false, top = false, bottom = false;
        for (int y = r.top; y <= r.bottom; ++y) {
            left = left || changed(r.left, y);
            right = right || changed(r.right, y);
        }
        for (int x = r.left; x <= r.right; ++x) {
            top = top || changed(x, r.top);
            bottom = bottom || changed(x, r.bottom);
        }
        EXPECT_TRUE(left && right && top && bottom) << "a loose rectangle";
    }
};

// Whatever happens to the picture (the sweep running, a step far back, another engine, a new
// cycle), the canvas that is given only the changed rectangles shows the picture.
TEST(PagePicture, TheChangedRectanglesAloneKeepTheCanvasRight) {
    Rig rig;
    PutCanvas canvas_kept;
    EngineParameters other;
    other.main_compression_ratio = 14;
    const SharedRecord moved = share_cycle(other);
    const auto check = [&](const SharedRecord& record, const char* what) {
        canvas_kept.put(rig.picture);
        EXPECT_EQ(canvas_kept.bytes, fresh_rgba(record, rig.picture.driver().step_index(), 1))
            << what;
    };
    canvas_kept.put(rig.picture);  // the page's first frame puts everything
    rig.picture.hold_at(3000);
    check(rig.record, "held");
    rig.picture.play();
    for (int frame = 0; frame < 20; ++frame) {
        rig.run_ticks(1);
        canvas_kept.put(rig.picture);
    }
    check(rig.record, "after twenty frames");
    rig.picture.hold_at(120);
    check(rig.record, "a step far back");
    rig.picture.set_record(moved);
    check(moved, "another engine, whose piston moves otherwise");
    rig.picture.set_record(rig.record);
    check(rig.record, "the engine again");
    // Nothing drawn: nothing to put.
    EXPECT_TRUE(rig.picture.take_dirty().empty());
}

TEST(PagePicture, AnotherEngineIsShownAtTheSameStepAndState) {
    Rig rig;
    rig.picture.hold_at(9000);
    EngineParameters other;
    other.gamma = 1.3;
    const SharedRecord record = share_cycle(other);
    rig.picture.set_record(record);
    EXPECT_EQ(canvas(rig.picture), fresh_rgba(record, 9000, 1));
    EXPECT_TRUE(rig.picture.held());
    // Running, it goes on from there with the new engine.
    rig.picture.play();
    rig.run_ticks(3);
    EXPECT_GT(rig.picture.driver().step_index(), 9000);
    rig.picture.set_record(share_cycle({}));
    EXPECT_FALSE(rig.picture.held());
}

TEST(PagePicture, AnotherScaleDrawsTheSameMomentAfresh) {
    Rig rig;
    rig.picture.hold_at(7000);
    rig.picture.set_scale(2);
    EXPECT_EQ(rig.picture.width(), PixelSurface::width_at(2));
    EXPECT_EQ(canvas(rig.picture), fresh_rgba(rig.record, 7000, 2));
    EXPECT_EQ(rig.picture.driver().step_index(), 7000);
    EXPECT_TRUE(rig.picture.held());
}

TEST(PagePicture, RunsAtTheWindowsPaceAndWaitsAfterTheSweep) {
    Rig rig;
    rig.run_ticks(1000000);
    EXPECT_EQ(rig.picture.driver().state(), DriverState::waiting);
    EXPECT_NEAR(rig.clock_ns, 18000 * ms, 17 * ms);
    EXPECT_FALSE(rig.picture.tick().has_value());
    // Play after the sweep starts the next cycle.
    rig.picture.play();
    rig.run_ticks(1);
    EXPECT_EQ(rig.picture.driver().cycles(), 2);
    EXPECT_LT(rig.picture.driver().step_index(), 100);
}

// The page draws fewer frames than a display: whatever the time between its ticks, the steps due
// meanwhile are all run, a step a millisecond at the default pace.
TEST(PagePicture, TicksFarApartKeepThePace) {
    for (const double interval_ms : {16.0, 33.0, 111.0, 250.0}) {
        SCOPED_TRACE(std::to_string(interval_ms) + " ms between ticks");
        Rig rig;
        for (int i = 0; i * interval_ms < 3000; ++i) {
            rig.clock_ns = i * interval_ms * ms;
            ASSERT_TRUE(rig.picture.tick().has_value());
        }
        const double elapsed_ms = rig.clock_ns / ms;
        EXPECT_NEAR(rig.picture.driver().step_index(), elapsed_ms, interval_ms + 2);
    }
}

TEST(PagePicture, KeysActAsTheWindowsDo) {
    Rig rig;
    rig.run_ticks(10);
    // Space freezes at the next freeze point, after the steps that fell due before it.
    EXPECT_FALSE(rig.picture.key(' ', rig.clock_ns));
    const int step = rig.picture.driver().step_index();
    rig.run_ticks(10);
    EXPECT_EQ(rig.picture.driver().state(), DriverState::frozen);
    EXPECT_EQ(rig.picture.driver().step_index(), step);
    // Space again releases it: the page is to tick at once, unpaced.
    EXPECT_TRUE(rig.picture.key(' ', rig.clock_ns));
    EXPECT_DOUBLE_EQ(rig.picture.driver().pacing(), 0);
    // Enter restarts; "/" sets the fixed pace.
    rig.picture.key(key_enter, rig.clock_ns);
    rig.run_ticks(2);
    EXPECT_EQ(rig.picture.driver().cycles(), 2);
    rig.picture.key('/', rig.clock_ns);
    rig.run_ticks(1);
    EXPECT_DOUBLE_EQ(rig.picture.driver().pacing(), fixed_stepe);
}

TEST(PagePicture, EscapeStopsWhereItIsAndEnterStartsANewCycle) {
    Rig rig;
    rig.run_ticks(5);
    const int step = rig.picture.driver().step_index();
    EXPECT_FALSE(rig.picture.key(key_escape, rig.clock_ns));
    EXPECT_TRUE(rig.picture.stopped());
    EXPECT_FALSE(rig.picture.tick().has_value());
    EXPECT_FALSE(rig.picture.key(' ', rig.clock_ns));  // nothing but Enter
    EXPECT_EQ(rig.picture.driver().step_index(), step);
    EXPECT_TRUE(rig.picture.key(key_enter, rig.clock_ns));
    EXPECT_FALSE(rig.picture.stopped());
    rig.run_ticks(1);
    EXPECT_EQ(rig.picture.driver().cycles(), 1);
    EXPECT_EQ(canvas(rig.picture), fresh_rgba(rig.record, rig.picture.driver().step_index(), 1));
}

TEST(PagePicture, ThePngRowsAreThePictureAt1x) {
    Rig rig;
    const std::vector<std::uint8_t> rgb = picture_rgb(rig.record, 9000);
    const std::vector<std::uint8_t> rgba = fresh_rgba(rig.record, 9000, 1);
    ASSERT_EQ(rgb.size() / 3, rgba.size() / 4);
    for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
        ASSERT_EQ(std::memcmp(&rgb[i * 3], &rgba[i * 4], 3), 0) << i;
    }
    EXPECT_THROW(picture_rgb(rig.record, last_step + 1), std::out_of_range);
}

}  // namespace
}  // namespace hcci
