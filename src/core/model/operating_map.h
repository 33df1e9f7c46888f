// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/engine_parameters.h"
#include "core/model/study.h"

// An operating map: the analysis of the cycle at every point of a grid over two parameters, x
// varying fastest. A large map is split into interleaved slices (shards) that separate
// processes or machines compute, and joined afterwards.

namespace hcci {

// More points than a person can read on a slide, and few enough to list.
inline constexpr std::size_t largest_map = 1000000;

struct MapGrid {
    StudyRange x, y;
    std::vector<double> xs, ys;
    std::size_t size() const { return xs.size() * ys.size(); }
    double x_at(std::size_t point) const { return xs[point % xs.size()]; }
    double y_at(std::size_t point) const { return ys[point / xs.size()]; }
};

// The grid of two ranges (each as a study takes it), or nothing when it has more than
// largest_map points or an axis more than largest_study values.
std::optional<MapGrid> map_grid(const StudyRange& x, const StudyRange& y);

// The K-th of N interleaved slices: the points K-1, K-1+N, K-1+2N, ... (1 <= index <= count).
struct MapShard {
    std::size_t index = 1, count = 1;
    bool whole() const { return count == 1; }
};

// How many of a grid's points fall in the shard.
std::size_t shard_size(std::size_t points, const MapShard& shard);

// The engine at a point: the base with x and y set.
EngineParameters map_engine(const EngineParameters& base, const MapGrid& grid, std::size_t point);

// Why a map stops.
struct MapProblem {
    enum class Kind { too_many_points, same_parameter, refused_value, beyond_numbers, failed };
    Kind kind;
    double x = 0, y = 0;
    std::optional<ParameterProblem> problem = {};
    int step = -1;
    std::string failure = {};
};

// Told each point's analysis, in the order of the points, as soon as it and every point before
// it are done; called from any thread, one at a time. A sink that throws stops the map.
using MapSink = std::function<void(std::size_t point, const CycleAnalysis& analysis)>;

// Every point of the shard (all of them, whole), each engine checked first; the cycles then run
// on every core, at most a few points ahead of the one the sink waits for, so that the memory
// stays the same however large the map. A point whose cycle leaves the range of numbers stops
// the map there. progress(done, all) is told now and then, from the calling thread.
std::optional<MapProblem> run_map(
    const EngineParameters& base, const MapGrid& grid, const MapShard& shard, const MapSink& sink,
    const std::function<void(int, int)>& progress = [](int, int) {});

}  // namespace hcci
