// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>

#include "core/model/sweep.h"
#include "qt/picture/image_surface.h"
#include "qt/picture/picture.h"
#include "qt/picture/picture_timeline.h"
#include "qt_application.h"

// The picture of a step drawn at once (the crown's history in one go) against the sweep drawn
// step by step, over random engines, steps and scales.

namespace hcci {
namespace {

class PictureMoment : public QtApplicationSuite {};

// The sweep drawn as the window draws it, every step's erase and crown.
QImage drawn_step_by_step(const EngineParameters& engine, double scale, int step) {
    ImageSurface surface(scale);
    RunControl run;
    CycleDriver driver(surface, run, engine);
    driver.run_to(step);
    return surface.image().copy();
}

// An engine anywhere in the parameters' ranges, its schedule in order; one that the rules still
// refuse is drawn again.
EngineParameters random_engine(std::mt19937& random) {
    for (;;) {
        EngineParameters p;
        std::bernoulli_distribution predictive(0.3);
        p.model = predictive(random) ? "predictive" : "scheduled";
        for (const ParameterInfo& info : parameter_table()) {
            std::uniform_real_distribution<double> value(info.range.lowest, info.range.highest);
            p.*info.member = info.whole ? std::round(value(random)) : value(random);
        }
        std::array<double*, 4> phases = {&p.first_split_atdc, &p.first_merge_atdc,
                                         &p.second_split_atdc, &p.second_merge_atdc};
        std::array<double, 4> sorted{};
        for (std::size_t i = 0; i < 4; ++i) sorted[i] = *phases[i];
        std::sort(sorted.begin(), sorted.end());
        for (std::size_t i = 0; i < 4; ++i) *phases[i] = sorted[i];
        for (auto [start, end] :
             {std::pair{&p.aux_ignition_start_atdc, &p.aux_ignition_end_atdc},
              std::pair{&p.main_ignition_start_atdc, &p.main_ignition_end_atdc}}) {
            if (*start > *end) std::swap(*start, *end);
        }
        if (!check_parameters(p)) return p;
    }
}

TEST_F(PictureMoment, IsTheSweepDrawnStepByStep) {
    constexpr unsigned seed = 20261209;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> any_step(0, last_step);
    const double scales[] = {1, 2, 1.37};
    // The original engine at the steps where the crown turns and the chambers change.
    const SharedRecord original = share_cycle({});
    for (const int step : {0, 1, 2, 8449, 9000, 10650, last_step}) {
        SCOPED_TRACE(step);
        EXPECT_EQ(moment_at(original, 1, step).surface->image(),
                  render_picture(step, false, 1, original));
    }
    for (int round = 0; round < 24; ++round) {
        const EngineParameters engine = random_engine(random);
        const int step = round % 4 == 0 ? last_step : any_step(random);
        const double scale = scales[static_cast<std::size_t>(round) % std::size(scales)];
        SCOPED_TRACE("round " + std::to_string(round) + ", step " + std::to_string(step) +
                     ", scale " + std::to_string(scale));
        const PictureTimeline::Moment moment = moment_at(share_cycle(engine), scale, step);
        EXPECT_EQ(moment.surface->image(), drawn_step_by_step(engine, scale, step));
        EXPECT_EQ(moment.driver.step, step);
    }
}

}  // namespace
}  // namespace hcci
