// SPDX-License-Identifier: MIT
#include "core/model/gas_properties.h"

#include <gtest/gtest.h>

#include <cmath>

namespace hcci {
namespace {

// u(T) = energy solved by bisection on u alone, as a check of the closed forms.
double numeric_inverse(const GasProperties& gas, double energy) {
    double low = 1, high = 20000;
    for (int i = 0; i < 200; ++i) {
        const double middle = 0.5 * (low + high);
        (internal_energy(gas, middle) < energy ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

TEST(GasProperties, TheClosedFormsAgreeWithANumericInverse) {
    for (const GasProperties& gas : {variable_gas(), constant_gas(1.35)}) {
        for (const double temperature : {300.0, 900.0, 2000.0, 2999.0, 3000.0, 3400.0, 5000.0}) {
            for (const double q : {-1.5e6, -4e5, -1e3, 0.0, 1e3, 4e5, 1.5e6}) {
                SCOPED_TRACE(std::to_string(temperature) + " K, " + std::to_string(q) + " J/kg" +
                             (gas.variable ? ", variable" : ", constant"));
                const double target = internal_energy(gas, temperature) + q;
                if (target <= internal_energy(gas, 1)) continue;  // colder than any gas
                const double after = temperature_after(gas, temperature, q);
                EXPECT_NEAR(after, numeric_inverse(gas, target), 1e-9 * after);
                EXPECT_NEAR(after, temperature_of_energy(gas, target), 1e-9 * after);
                EXPECT_NEAR(energy_change(gas, temperature, after), q, 1e-9 * 1e6);
            }
        }
    }
}

// gamma - 1 = 0.392 - 8.13e-5 T up to 3000 K and held there; c_v is the slope of u on both
// sides of the knee.
// Below the knee, nothing added or heat taken away is the fit's closed form to the last bit:
// the shortcuts that skip its exp (q = 0) and its log (q < 0) round as it does, so the
// predictive model's outputs stay the bytes they were.
TEST(GasProperties, BelowTheKneeTheShortcutsRoundAsTheFitDoes) {
    using gatowski::a;
    using gatowski::b;
    const GasProperties gas = variable_gas();
    for (const double temperature : {250.0, 300.1, 417.3, 901.7, 1999.9, 2999.999, 3000.0}) {
        for (const double q : {0.0, -0.0, -1e-9, -12.5, -3e3, -4e5}) {
            SCOPED_TRACE(std::to_string(temperature) + " K, " + std::to_string(q) + " J/kg");
            const double fit = (a - (a - b * temperature) * std::exp(-b * q / gas_constant)) / b;
            EXPECT_EQ(temperature_after(gas, temperature, q), fit);
        }
    }
}

TEST(GasProperties, GammaFallsLinearlyToTheKneeAndTheEnergyFollowsIt) {
    const GasProperties gas = variable_gas();
    EXPECT_DOUBLE_EQ(gamma_less_one(gas, 300), 0.392 - 8.13e-5 * 300);
    EXPECT_DOUBLE_EQ(gamma_less_one(gas, 3000), 0.392 - 8.13e-5 * 3000);
    EXPECT_EQ(gamma_less_one(gas, 6000), gamma_less_one(gas, 3000));
    EXPECT_GT(gamma_less_one(gas, 6000), 0.1);
    for (const double t : {400.0, 1500.0, 2999.0, 3001.0, 4500.0}) {
        const double slope =
            (internal_energy(gas, t + 1e-3) - internal_energy(gas, t - 1e-3)) / 2e-3;
        EXPECT_NEAR(slope, specific_heat(gas, t), 1e-5 * slope) << t;
    }
    // Constant: c_v T with c_v = R / (gamma - 1).
    const GasProperties air = constant_gas(1.4);
    EXPECT_DOUBLE_EQ(internal_energy(air, 1000), 287 / 0.4 * 1000);
    EXPECT_EQ(gamma_less_one(air, 2500), 1.4 - 1);
}

// A compression over a step takes gamma at the temperature before it; constant properties are
// the original model's arithmetic to the bit.
TEST(GasProperties, ACompressionTakesGammaAtTheTemperatureBeforeIt) {
    EXPECT_EQ(compressed(constant_gas(1.4), 700, 1.001), 700 * std::pow(1.001, 1.4 - 1));
    const GasProperties gas = variable_gas();
    EXPECT_DOUBLE_EQ(compressed(gas, 700, 1.001), 700 * std::pow(1.001, 0.392 - 8.13e-5 * 700));
    // Hotter gas has the smaller gamma: the same squeeze heats it relatively less.
    EXPECT_LT(compressed(gas, 1500, 2.0) / 1500, compressed(gas, 500, 2.0) / 500);
}

}  // namespace
}  // namespace hcci
