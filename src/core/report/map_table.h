// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/operating_map.h"

// An operating map as a table: its CSV (a line naming the map, the engine and the shard, the
// columns, then a row per point with x and y before the analysis's keys, as a study writes
// them), the joining of shards, and the figures a map's plot reads back from it.

namespace hcci {

// "# a map of NAME=FROM:TO:STEP (x, fastest) and NAME=FROM:TO:STEP (y); model M; the engine
// otherwise: ...", then "; shard K of N" for a slice, and the line of columns.
std::string map_csv_header(const MapGrid& grid, const EngineParameters& base,
                           const MapShard& shard);
std::string map_csv_row(const MapGrid& grid, std::size_t point, const CycleAnalysis& analysis);

// A CSV file's name and its content.
struct NamedText {
    std::string name;
    std::string_view text;
};

// The shards of one map joined into the table an unsharded run writes, byte for byte; or, in
// one line, why they cannot be: shards of different maps, a slice missing or given twice, a
// shard cut short or holding rows of other points.
struct JoinedMap {
    std::string csv;
};
std::variant<JoinedMap, std::string> merge_map_shards(std::span<const NamedText> shards);

// What a map's plot shows of each point. The peak pressure and the ringing are the largest of
// the charges'.
struct MapCell {
    double ca50 = 0, imep = 0, fuel_conversion = 0, combustion = 0, ringing = 0, peak_pressure = 0;
    bool misfire = false, partial_burn = false;
};

// Where a map's CSV holds what a cell reads; a key that the model does not book is missing.
struct MapColumns {
    std::size_t count = 0;
    std::optional<std::size_t> ca50, imep, fuel_conversion, combustion, misfire, partial_burn;
    std::array<std::optional<std::size_t>, 3> ringing, peak_pressure;  // united, main, aux
};
MapColumns map_columns(std::string_view line);
// The cell of a row, or nothing when its cells are not the columns'.
std::optional<MapCell> map_cell(const MapColumns& columns, std::string_view row);

struct MapTable {
    MapGrid grid;
    std::string model;           // the engine model's name
    std::string engine;          // the engine otherwise, as the heading says it
    std::vector<MapCell> cells;  // a cell per point, x fastest
};

// A whole map's CSV read back, or why it is not one (a shard is joined first).
std::variant<MapTable, std::string> read_map_table(std::string_view text);

}  // namespace hcci
