// SPDX-License-Identifier: MIT
#include "core/model/engine_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model_sweep.h"

namespace hcci {
namespace {

constexpr double four_decimals = 0.5e-4;
constexpr double rounding = 1e-13;

TEST(EngineGeometry, ConstantsHaveTheirExactDoubleValues) {
    const EngineGeometry g = make_engine_geometry();
    EXPECT_DOUBLE_EQ(g.pi, 3.141592653589793);
    EXPECT_EQ(g.crank_radius, 50);
    EXPECT_EQ(g.rod_length, 200);
    EXPECT_EQ(g.gamma, 1.4);
    EXPECT_EQ(g.half_bore, 125);
    EXPECT_EQ(g.main_share, 0.75);
    EXPECT_EQ(g.main_clearance, 6.818181818181818);
    EXPECT_EQ(g.aux_clearance, 0.5102040816326531);
    EXPECT_EQ(g.total_clearance, 7.328385899814472);
    EXPECT_EQ(g.bdc_height, 107.32838589981448);
    EXPECT_EQ(g.start_temperature, 323);
    EXPECT_EQ(g.pressure_base_y, -145);
    EXPECT_EQ(g.temperature_base_y, 145);
    EXPECT_EQ(g.kelvin_per_unit, 11);
}

TEST(EngineGeometry, EachChamberHasItsOwnCompressionRatio) {
    const EngineGeometry g = make_engine_geometry();
    const double stroke = 2 * g.crank_radius;
    EXPECT_DOUBLE_EQ((g.main_share * stroke + g.main_clearance) / g.main_clearance, 12);
    EXPECT_DOUBLE_EQ(((1 - g.main_share) * stroke + g.aux_clearance) / g.aux_clearance, 50);
}

struct KinematicsRow {
    double crank_angle;
    double crank_x, crank_y, piston_pos, crown_x;
};

TEST(Kinematics, CharacteristicAnglesToFourDecimals) {
    const KinematicsRow rows[] = {
        {-90, 0, -50, 107.3284, 100},    {-30, 43.3013, -25, 87.0721, 79.7438},
        {0, 50, 0, 63.6792, 56.3508},    {30, 43.3013, 25, 37.0721, 29.7438},
        {90, 0, 50, 7.3284, 0},          {150, -43.3013, 25, 37.0721, 29.7438},
        {180, -50, 0, 63.6792, 56.3508}, {270, 0, -50, 107.3284, 100},
    };
    const EngineGeometry g = make_engine_geometry();
    for (const KinematicsRow& row : rows) {
        SCOPED_TRACE("crank_angle " + std::to_string(row.crank_angle));
        const CrankPosition crank = crank_position(g, row.crank_angle);
        const double piston_pos = piston_position(g, crank);
        EXPECT_NEAR(crank.crank_x, row.crank_x, four_decimals);
        EXPECT_NEAR(crank.crank_y, row.crank_y, four_decimals);
        EXPECT_NEAR(piston_pos, row.piston_pos, four_decimals);
        EXPECT_NEAR(crown_x(g, piston_pos), row.crown_x, four_decimals);
    }
}

TEST(Kinematics, DeadCentresAreTheClearanceAndTheFullStroke) {
    const EngineGeometry g = make_engine_geometry();
    EXPECT_NEAR(piston_position(g, crank_position(g, -90)), g.bdc_height, rounding);
    EXPECT_NEAR(piston_position(g, crank_position(g, 90)), g.total_clearance, rounding);
    EXPECT_NEAR(piston_position(g, crank_position(g, 270)), g.bdc_height, rounding);
}

TEST(Kinematics, MotionIsSymmetricAboutTopDeadCentre) {
    const EngineGeometry g = make_engine_geometry();
    for (const double offset : {1.0, 12.5, 30.0, 60.0, 89.0, 150.0, 180.0}) {
        SCOPED_TRACE("offset " + std::to_string(offset));
        const CrankPosition before = crank_position(g, 90 - offset);
        const CrankPosition after = crank_position(g, 90 + offset);
        EXPECT_NEAR(piston_position(g, before), piston_position(g, after), rounding);
        EXPECT_NEAR(before.crank_x, -after.crank_x, rounding);
        EXPECT_NEAR(before.crank_y, after.crank_y, rounding);
    }
}

TEST(Kinematics, TravelStaysWithinTheStrokeOverASweep) {
    const EngineGeometry g = make_engine_geometry();
    for (const SweepStep& step : model_sweep()) {
        const double travel = crown_x(g, step.model.piston_pos);
        ASSERT_GE(travel, -rounding) << "step " << step.index;
        ASSERT_LE(travel, 100 + rounding) << "step " << step.index;
    }
}

TEST(Kinematics, SweepReachesBothDeadCentres) {
    const EngineGeometry g = make_engine_geometry();
    const auto& steps = model_sweep();
    const SweepStep& top = steps.at(9000);
    EXPECT_EQ(top.crank_angle, 89.99999999999847);
    EXPECT_NEAR(top.model.piston_pos, 7.328385899814464, 1e-15);
    EXPECT_NEAR(top.model.piston_pos, g.total_clearance, 1e-14);
    EXPECT_NEAR(steps.front().model.piston_pos, g.bdc_height, rounding);
    EXPECT_NEAR(steps.back().model.piston_pos, g.bdc_height, rounding);
}

}  // namespace
}  // namespace hcci
