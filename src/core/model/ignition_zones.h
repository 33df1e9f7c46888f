// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

// A thermally stratified charge: its unignited fuel held in K zones of equal fuel, zone k at the
// unburned gas's temperature times 1 + s z_k, where z_k = Phi^-1((k - 1/2) / K) is the standard
// normal quantile of the zone's middle (after the stratification Sjoeberg and Dec measured in
// HCCI engines: a near-normal spread of a few per cent about the mean).

namespace hcci {

// Phi^-1(p) for 0 < p < 1: the standard normal quantile, to a few units in the last place.
double normal_quantile(double p);

// z_1 .. z_K, ascending: exactly antisymmetric (z_k = -z_(K+1-k)), the middle one 0 for an odd
// K, and {0} for K = 1.
std::vector<double> zone_quantiles(int zones);

}  // namespace hcci
