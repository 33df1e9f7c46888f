// SPDX-License-Identifier: MIT
#include "core/model/ignition_zones.h"

#include <array>
#include <cmath>
#include <numbers>

namespace hcci {
namespace {

// Phi(x) = erfc(-x / sqrt 2) / 2.
double normal_cdf(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

// The lower tail's quantile, p <= 1/2: P. J. Acklam's rational approximation (relative error
// below 1.2e-9), then one Halley step on Phi, which leaves the rounding error alone.
double lower_quantile(double p) {
    constexpr std::array<double, 6> a{-3.969683028665376e+01, 2.209460984245205e+02,
                                      -2.759285104469687e+02, 1.383577518672690e+02,
                                      -3.066479806614716e+01, 2.506628277459239e+00};
    constexpr std::array<double, 5> b{-5.447609879822406e+01, 1.615858368580409e+02,
                                      -1.556989798598866e+02, 6.680131188771972e+01,
                                      -1.328068155288572e+01};
    constexpr std::array<double, 6> c{-7.784894002430293e-03, -3.223964580411365e-01,
                                      -2.400758277161838e+00, -2.549732539343734e+00,
                                      4.374664141464968e+00,  2.938163982698783e+00};
    constexpr std::array<double, 4> d{7.784695709041462e-03, 3.224671290700398e-01,
                                      2.445134137142996e+00, 3.754408661907416e+00};
    constexpr double tail = 0.02425;
    double x = 0;
    if (p < tail) {
        const double q = std::sqrt(-2 * std::log(p));
        x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    } else {
        const double q = p - 0.5;
        const double r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
    }
    const double error = normal_cdf(x) - p;
    const double u = error * std::sqrt(2 * std::numbers::pi) * std::exp(x * x / 2);
    return x - u / (1 + x * u / 2);
}

}  // namespace

double normal_quantile(double p) {
    if (p == 0.5) return 0;
    return p < 0.5 ? lower_quantile(p) : -lower_quantile(1 - p);
}

std::vector<double> zone_quantiles(int zones) {
    const auto k = static_cast<std::size_t>(zones);
    std::vector<double> z(k, 0.0);
    // The lower half computed, the upper half its mirror: exactly antisymmetric.
    for (std::size_t i = 0; i < k / 2; ++i) {
        z[i] = lower_quantile((static_cast<double>(i) + 0.5) / zones);
        z[k - 1 - i] = -z[i];
    }
    return z;
}

}  // namespace hcci
