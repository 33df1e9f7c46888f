// SPDX-License-Identifier: MIT
// The predictive model's physics: heat loss, the stratified ignition, the burn in time, mixing,
// and its books of energy over whole sweeps.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/model/cycle_analysis.h"
#include "core/model/cycle_record.h"
#include "core/model/engine_model.h"
#include "core/model/ignition_zones.h"
#include "core/model/study.h"
#include "core/model/wall_heat.h"

namespace hcci {
namespace {

EngineParameters predictive() {
    return *model_defaults("predictive");
}

TEST(WallHeat, TheCorrelationAtAKnownState) {
    // 3.4 * 0.01^-0.2 * 5000^0.8 * 1500^-0.73 * 10^0.8, worked out apart.
    EXPECT_NEAR(woschni_chang_coefficient(0.01, 5000, 1500, 10), 235.5636643281728, 1e-9);
    const EngineSize size = make_engine_size(102, 120, 1200);
    EXPECT_NEAR(size.displacement_l, 0.9805538990384462, 1e-12);
    EXPECT_NEAR(size.gas_speed, 2.28 * 2 * 0.12 * 1200 / 60, 1e-12);
    // The chambers stand on the whole piston; the main chamber's walls are the liner and the
    // partition, the auxiliary chamber's the partition.
    const ChargeFooting main = main_footing(size, 0.75), aux = aux_footing(size, 0.75);
    EXPECT_DOUBLE_EQ(main.share + aux.share, 1);
    EXPECT_DOUBLE_EQ(main.perimeter_m, united_footing(size).perimeter_m + aux.perimeter_m);
    EXPECT_DOUBLE_EQ(aux.perimeter_m, std::acos(-1.0) * 0.102 * 0.5);
}

// The form folded for every step is the correlation as written, for every footing and state.
TEST(WallHeat, TheStepsFormIsTheCorrelation) {
    const EngineSize size = make_engine_size(86, 95, 2000);
    const double dt = 0.02 / (6 * 2000);
    for (const ChargeFooting& footing :
         {united_footing(size), main_footing(size, 0.6), aux_footing(size, 0.6)}) {
        for (const double volume : {1.0, 10.0, 100.0}) {
            for (const double temperature : {350.0, 1200.0, 2500.0}) {
                const double mass = 30 * volume / temperature;  // at 30 bar
                const WallLoss loss = make_wall_loss(size, footing, 450, dt);
                const double folded = loss.per_kg(std::pow(mass, -0.2), volume, temperature);
                const double written =
                    wall_loss_per_kg(size, footing, 450, dt, mass, volume, temperature);
                EXPECT_NEAR(folded, written, 1e-12 * std::abs(written));
            }
        }
    }
    // A wall hotter than the gas gives heat to it.
    const WallLoss hot = make_wall_loss(size, united_footing(size), 1500, dt);
    EXPECT_LT(hot.per_kg(1, 10, 1000), 0);
}

TEST(IgnitionZones, TheQuantilesAreTheNormalsAndExactlyAntisymmetric) {
    EXPECT_EQ(zone_quantiles(1), std::vector<double>{0});
    for (int zones = 1; zones <= 50; ++zones) {
        const std::vector<double> z = zone_quantiles(zones);
        ASSERT_EQ(z.size(), static_cast<std::size_t>(zones));
        for (std::size_t k = 0; k < z.size(); ++k) {
            EXPECT_EQ(z[k], -z[z.size() - 1 - k]) << zones;
            const double share = 0.5 * std::erfc(-z[k] / std::sqrt(2.0));
            EXPECT_NEAR(share, (static_cast<double>(k) + 0.5) / zones, 1e-14) << zones;
            if (k > 0) {
                EXPECT_LT(z[k - 1], z[k]);
            }
        }
    }
    EXPECT_NEAR(normal_quantile(0.975), 1.959963984540054, 1e-14);
    EXPECT_NEAR(normal_quantile(1e-10), -6.361340902404056, 1e-12);
}

// One zone, or zones without a spread, ignite each charge's unignited fuel at once.
TEST(PredictiveModel, OneZoneOrNoSpreadIgnitesEachChargesFuelAtOnce) {
    const struct {
        const char* name;
        double zones, stratification;
    } rows[] = {{"one zone", 1, 0.015}, {"no spread", 10, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EngineParameters p = predictive();
        p.ignition_zones = row.zones;
        p.thermal_stratification = row.stratification;
        const CycleRecord r = run_cycle(p);
        ASSERT_FALSE(r.ignitions.empty());
        for (const Ignition& ignition : r.ignitions) {
            EXPECT_EQ(ignition.zones, row.zones);
            int of_charge = 0;
            for (const Ignition& other : r.ignitions) of_charge += other.charge == ignition.charge;
            EXPECT_EQ(of_charge, 1);
        }
    }
    // Spread, the hottest zone goes first and the rest follow.
    const CycleRecord spread = run_cycle(predictive());
    EXPECT_GT(spread.ignitions.size(), 2u);
    EXPECT_EQ(spread.ignitions.front().zones, 1);
}

// Every switch of the physics and a few engines: the first law closes on the model's own books
// (released - lost = work + dU) to 1e-9 of the heat released, and the trace's trapezoids agree
// with the booked work to their error, a step's burn (half its pressure rise times the step's
// volume change): 1e-5 of the fuel's energy at the defaults, 1.2e-4 where the charge burns
// earliest and fastest (constant properties).
TEST(PredictiveModel, TheBooksCloseForEverySwitch) {
    const struct {
        const char* name;
        void (*change)(EngineParameters&);
    } rows[] = {
        {"defaults", [](EngineParameters&) {}},
        {"constant properties", [](EngineParameters& p) { p.properties = "constant"; }},
        {"adiabatic", [](EngineParameters& p) { p.heat_transfer = "none"; }},
        {"one zone", [](EngineParameters& p) { p.ignition_zones = 1; }},
        {"burn by crank angle", [](EngineParameters& p) { p.burn = "crank"; }},
        {"mixed at once", [](EngineParameters& p) { p.merge_mixing_ms = 0; }},
        {"unmixed", [](EngineParameters& p) { p.merge_mixing_ms = 1000; }},
        {"above the knee", [](EngineParameters& p) { p.equivalence_ratio = 1; }},
        {"hot walls, small, fast",
         [](EngineParameters& p) {
             p.wall_temperature = 1500;
             p.bore_mm = 20;
             p.stroke_mm = 20;
             p.engine_speed = 6000;
         }},
        {"misfire", [](EngineParameters& p) { p.start_temperature = 360; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EngineParameters p = predictive();
        row.change(p);
        const CycleRecord r = run_cycle(p);
        ASSERT_EQ(r.first_non_finite_step, -1);
        const CycleAnalysis a = analyse_cycle(r);
        const FuelFigures& f = a.fuel;
        EXPECT_LE(std::abs(f.first_law_residual), 1e-9 * std::max(f.heat_released, 1.0));
        EXPECT_LE(std::abs(f.work_difference),
                  (row.change == rows[0].change ? 1e-5 : 1.5e-4) * f.fuel_energy);
        // The chambers' books add up to the whole's; each chamber was given its share.
        double released = 0, lost = 0;
        for (const ChargeEnergy& e : f.charges) {
            released += e.released;
            lost += e.lost;
        }
        EXPECT_NEAR(released, f.heat_released, 1e-9 * f.fuel_energy);
        EXPECT_NEAR(lost, f.heat_lost, 1e-9 * f.fuel_energy);
        EXPECT_NEAR(f.charges[1].supplied + f.charges[2].supplied, f.fuel_energy,
                    1e-12 * f.fuel_energy);
        EXPECT_NEAR(f.combustion_efficiency, f.fuel_burned, 1e-9);
    }
}

// Until a zone of the engine ignites the unburned gas is the charge; after, the mixing draws it
// toward the mean, which the burned gas heats.
TEST(PredictiveModel, TheUnburnedGasIsTheChargeUntilAZoneIgnites) {
    const CycleRecord r = run_cycle(predictive());
    ASSERT_FALSE(r.ignitions.empty());
    const int first = r.ignitions.front().step;
    for (const ChargeName charge : all_charges) {
        const RecordChannel* unburned = r.channel("unburned_temperature", charge);
        ASSERT_NE(unburned, nullptr);
        for (int step = 0; step < first; ++step) {
            if (!r.present(charge, step)) continue;
            ASSERT_EQ(unburned->values[static_cast<std::size_t>(step)],
                      r.charge(charge).temperature[static_cast<std::size_t>(step)])
                << step;
        }
    }
    const RecordChannel* united = r.channel("unburned_temperature", ChargeName::united);
    const std::size_t merge = static_cast<std::size_t>(r.divisions.front().last_step) + 1;
    EXPECT_LT(united->values[merge], r.charge(ChargeName::united).temperature[merge]);
}

// The merge's hot gas sets off the united charge only as fast as it mixes: the longer the
// mixing, the later the united ignition.
TEST(PredictiveModel, SlowerMixingIgnitesTheUnitedChargeLater) {
    double before = -INFINITY;
    for (const double mixing : {0.0, 0.3, 1.0, 3.0, 1000.0}) {
        EngineParameters p = predictive();
        p.merge_mixing_ms = mixing;
        const CycleAnalysis a = analyse_cycle(p);
        const Ignition* united = a.fuel.first(ChargeName::united);
        ASSERT_NE(united, nullptr) << mixing;
        EXPECT_GT(united->angle_atdc, before) << mixing;
        before = united->angle_atdc;
    }
}

// A burn in time takes the same milliseconds at any speed, so more degrees when faster; in
// crank angle it takes the same degrees.
TEST(PredictiveModel, ABurnInTimeLastsItsTimeAtAnySpeed) {
    const auto burn_deg = [](double speed, const char* burn) {
        EngineParameters p = predictive();
        p.engine_speed = speed;
        p.burn = burn;
        p.ignition_zones = 1;
        p.start_temperature = 440;  // fires at every speed here
        const CycleRecord r = run_cycle(p);
        const RecordChannel* burned = r.channel("burned", ChargeName::aux);
        // From the auxiliary ignition to 90 % of its fuel burned.
        const CycleAnalysis a = analyse_cycle(r);
        const Ignition* aux = a.fuel.first(ChargeName::aux);
        EXPECT_NE(aux, nullptr);
        if (aux == nullptr) return std::nan("");
        for (int step = aux->step;; ++step) {
            if (!r.divided(step)) return std::nan("");
            if (burned->values[static_cast<std::size_t>(step)] >= 0.9) {
                return angle_atdc(CycleRecord::crank_angle(step)) - aux->angle_atdc;
            }
        }
    };
    const double slow = burn_deg(800, "time"), fast = burn_deg(1600, "time");
    EXPECT_NEAR(fast / slow, 2, 0.1);
    EXPECT_NEAR(burn_deg(800, "crank"), burn_deg(1600, "crank"), 0.021);
}

// The classic HCCI curve: cooler intake, later combustion, until the charge misfires; a misfire
// has no efficiencies, no phasing and no knock.
TEST(PredictiveModel, ACoolerIntakeRetardsCombustionUntilItMisfires) {
    const StudyRange range{find_parameter("start_temperature"), 372, 420, 4};
    const Study study = std::get<Study>(run_study(predictive(), range));
    double earlier = -INFINITY;
    bool misfired = false;
    for (std::size_t i = study.values.size(); i-- > 0;) {
        const CycleAnalysis& a = study.analyses[i];
        SCOPED_TRACE(study.values[i]);
        if (a.fuel.misfire) {
            misfired = true;
            EXPECT_LT(a.fuel.combustion_efficiency, misfire_combustion_efficiency);
            EXPECT_TRUE(std::isnan(a.ca50_deg));
            EXPECT_TRUE(std::isnan(a.burn_duration_deg));
            EXPECT_TRUE(std::isnan(a.fuel.fuel_conversion_efficiency));
            EXPECT_TRUE(std::isnan(a.indicated_efficiency));
            EXPECT_FALSE(a.united.over_ringing_limit || a.main.over_ringing_limit ||
                         a.aux.over_ringing_limit);
            continue;
        }
        EXPECT_FALSE(misfired) << "fires below a misfire";
        EXPECT_GT(a.fuel.combustion_efficiency, full_burn_combustion_efficiency);
        EXPECT_GT(a.ca50_deg, earlier);
        earlier = a.ca50_deg;
    }
    EXPECT_TRUE(misfired);
    // The default fires, with its phasing before top dead centre.
    const CycleAnalysis a = analyse_cycle(predictive());
    EXPECT_FALSE(a.fuel.misfire);
    EXPECT_LT(a.ca50_deg, 0);
}

// The walls take heat from the hot charge, and give it to a cold one; the united ignition is
// later for the loss.
TEST(PredictiveModel, TheWallsCoolTheChargeAndDelayItsIgnition) {
    EngineParameters p = predictive();
    const CycleAnalysis cooled = analyse_cycle(p);
    p.heat_transfer = "none";
    const CycleAnalysis adiabatic = analyse_cycle(p);
    EXPECT_GT(cooled.fuel.heat_lost, 0);
    EXPECT_EQ(adiabatic.fuel.heat_lost, 0);
    EXPECT_GT(cooled.fuel.first(ChargeName::aux)->angle_atdc,
              adiabatic.fuel.first(ChargeName::aux)->angle_atdc);
    EXPECT_LT(cooled.fuel.fuel_conversion_efficiency, adiabatic.fuel.fuel_conversion_efficiency);
    p = predictive();
    p.wall_temperature = 1500;
    p.start_temperature = 300;
    EXPECT_LT(analyse_cycle(p).fuel.charges[1].lost, 0);  // the main chamber, not burning
}

// The chambers' peaks are the first division's: the second starts from the united charge in
// expansion.
TEST(PredictiveModel, TheChambersPeaksAreTheFirstDivisions) {
    const CycleRecord r = run_cycle(predictive());
    const CycleAnalysis a = analyse_cycle(r);
    EXPECT_TRUE(a.chamber_peaks_in_first_division);
    for (const ChargeFigures* f : {&a.main, &a.aux}) {
        EXPECT_GE(f->peak_pressure.step, r.divisions[0].first_step);
        EXPECT_LE(f->peak_pressure.step, r.divisions[0].last_step);
        EXPECT_LE(f->peak_temperature.step, r.divisions[0].last_step);
    }
    EXPECT_FALSE(analyse_cycle(run_cycle({})).chamber_peaks_in_first_division);
}

}  // namespace
}  // namespace hcci
