// SPDX-License-Identifier: MIT
#include "core/report/map_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "core/report/analysis_report.h"
#include "core/report/number_text.h"
#include "core/report/parameter_messages.h"
#include "core/report/study_text.h"

namespace hcci {
namespace {

constexpr std::string_view heading_start = "# a map of ";
constexpr std::string_view x_mark = " (x, fastest) and ";
constexpr std::string_view y_mark = " (y); model ";
constexpr std::string_view engine_mark = "; the engine otherwise: ";
constexpr std::string_view shard_mark = "; shard ";

std::string range_text(const StudyRange& range) {
    return std::string(range.parameter->name) + "=" + shortest_text(range.from) + ":" +
           shortest_text(range.to) + ":" + shortest_text(range.step);
}

// The heading's line split: the map's own part (the same for all its shards) and the shard.
struct Heading {
    std::string_view map;
    MapShard shard;
};

std::optional<std::size_t> whole_number(std::string_view text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<Heading> split_heading(std::string_view line) {
    if (!line.starts_with(heading_start)) return std::nullopt;
    Heading heading{.map = line, .shard = {}};
    const std::size_t at = line.rfind(shard_mark);
    const std::size_t engine = line.find(engine_mark);
    if (at == std::string_view::npos || engine == std::string_view::npos || at < engine) {
        return heading;
    }
    const std::string_view shard = line.substr(at + shard_mark.size());
    const std::size_t of = shard.find(" of ");
    if (of == std::string_view::npos) return heading;
    const auto index = whole_number(shard.substr(0, of));
    const auto count = whole_number(shard.substr(of + 4));
    if (!index || !count || *index < 1 || *index > *count) return heading;
    heading.map = line.substr(0, at);
    heading.shard = {.index = *index, .count = *count};
    return heading;
}

struct ParsedMap {
    MapGrid grid;
    std::string model, engine;
};

std::variant<ParsedMap, std::string> parse_map_heading(std::string_view map) {
    const std::string bad = "its first line does not name a map";
    if (!map.starts_with(heading_start)) return bad;
    map.remove_prefix(heading_start.size());
    const std::size_t x_end = map.find(x_mark);
    const std::size_t y_end = map.find(y_mark);
    const std::size_t model_end = map.find(engine_mark);
    if (x_end == std::string_view::npos || y_end == std::string_view::npos ||
        model_end == std::string_view::npos || !(x_end < y_end && y_end < model_end)) {
        return bad;
    }
    const auto x = parse_study_range(map.substr(0, x_end));
    const std::size_t y_start = x_end + x_mark.size();
    const auto y = parse_study_range(map.substr(y_start, y_end - y_start));
    if (!std::holds_alternative<StudyRange>(x) || !std::holds_alternative<StudyRange>(y)) {
        return bad;
    }
    auto grid = map_grid(std::get<StudyRange>(x), std::get<StudyRange>(y));
    if (!grid) return bad;
    const std::size_t model_start = y_end + y_mark.size();
    return ParsedMap{.grid = std::move(*grid),
                     .model = std::string(map.substr(model_start, model_end - model_start)),
                     .engine = std::string(map.substr(model_end + engine_mark.size()))};
}

// A text's lines, each without its newline; a last line without one is cut short, and kept
// apart.
struct Lines {
    std::vector<std::string_view> lines;
    bool ends_cleanly = true;
};

Lines lines_of(std::string_view text) {
    Lines result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            result.lines.push_back(text);
            result.ends_cleanly = false;
            break;
        }
        result.lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return result;
}

std::string point_prefix(const MapGrid& grid, std::size_t point) {
    return shortest_text(grid.x_at(point)) + "," + shortest_text(grid.y_at(point)) + ",";
}

std::vector<std::string_view> split_cells(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t comma = line.find(',');
        cells.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return cells;
        line.remove_prefix(comma + 1);
    }
}

std::string slice_text(const MapShard& shard) {
    return "slice " + std::to_string(shard.index) + " of " + std::to_string(shard.count);
}

}  // namespace

std::string map_csv_header(const MapGrid& grid, const EngineParameters& base,
                           const MapShard& shard) {
    std::string header = std::string(heading_start) + range_text(grid.x) + std::string(x_mark) +
                         range_text(grid.y) + std::string(y_mark) + std::string(base.model) +
                         std::string(engine_mark) + changed_parameters(base);
    if (!shard.whole()) {
        header += std::string(shard_mark) + std::to_string(shard.index) + " of " +
                  std::to_string(shard.count);
    }
    return header + "\n" + std::string(grid.x.parameter->name) + "," +
           std::string(grid.y.parameter->name) + study_csv_columns(base);
}

std::string map_csv_row(const MapGrid& grid, std::size_t point, const CycleAnalysis& analysis) {
    return shortest_text(grid.x_at(point)) + "," + study_csv_row(grid.y_at(point), analysis);
}

std::variant<JoinedMap, std::string> merge_map_shards(std::span<const NamedText> shards) {
    if (shards.empty()) return std::string("no shards to join");
    struct Shard {
        const NamedText* file;
        Heading heading;
        std::string_view columns;
        std::vector<std::string_view> rows;
    };
    std::vector<Shard> read;
    for (const NamedText& file : shards) {
        Lines lines = lines_of(file.text);
        const std::optional<Heading> heading =
            lines.lines.empty() ? std::nullopt : split_heading(lines.lines[0]);
        if (!heading || lines.lines.size() < 2) {
            return file.name + ": its first line does not name a map";
        }
        if (!lines.ends_cleanly) {
            return file.name + ": its last row is cut short (no end of line)";
        }
        read.push_back({.file = &file,
                        .heading = *heading,
                        .columns = lines.lines[1],
                        .rows = {lines.lines.begin() + 2, lines.lines.end()}});
    }
    const Shard& first = read.front();
    const std::size_t count = first.heading.shard.count;
    std::vector<const Shard*> slices(count, nullptr);
    for (const Shard& shard : read) {
        if (shard.heading.map != first.heading.map || shard.columns != first.columns) {
            return first.file->name + " and " + shard.file->name + " are of different maps";
        }
        if (shard.heading.shard.count != count) {
            return first.file->name + " and " + shard.file->name +
                   " split the map in different numbers of slices";
        }
        const Shard*& slot = slices[shard.heading.shard.index - 1];
        if (slot != nullptr) {
            return slot->file->name + " and " + shard.file->name + " are both " +
                   slice_text(shard.heading.shard);
        }
        slot = &shard;
    }
    for (std::size_t k = 0; k < count; ++k) {
        if (slices[k] == nullptr) {
            return slice_text({.index = k + 1, .count = count}) + " of the map is missing";
        }
    }
    const auto parsed = parse_map_heading(first.heading.map);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        return first.file->name + ": " + *problem;
    }
    const MapGrid& grid = std::get<ParsedMap>(parsed).grid;
    const std::size_t points = grid.size();
    for (const Shard* shard : slices) {
        const std::size_t wanted = shard_size(points, shard->heading.shard);
        if (shard->rows.size() != wanted) {
            return shard->file->name + ": " + std::to_string(shard->rows.size()) +
                   " rows, and its " + slice_text(shard->heading.shard) + " has " +
                   std::to_string(wanted);
        }
    }
    std::string merged;
    std::size_t bytes = first.heading.map.size() + first.columns.size() + 2;
    for (const Shard& shard : read) {
        for (std::string_view row : shard.rows) bytes += row.size() + 1;
    }
    merged.reserve(bytes);
    merged.append(first.heading.map).append("\n").append(first.columns).append("\n");
    for (std::size_t point = 0; point < points; ++point) {
        const Shard& shard = *slices[point % count];
        const std::string_view row = shard.rows[point / count];
        if (!row.starts_with(point_prefix(grid, point))) {
            return shard.file->name + ": row " + std::to_string(point / count + 3) +
                   " is not of the point " + shortest_text(grid.x_at(point)) + ", " +
                   shortest_text(grid.y_at(point)) + " that its slice holds there";
        }
        merged.append(row).append("\n");
    }
    return JoinedMap{std::move(merged)};
}

MapColumns map_columns(std::string_view line) {
    std::vector<std::string_view> keys = split_cells(line);
    const auto column = [&](std::string_view key) -> std::optional<std::size_t> {
        const auto at = std::find(keys.begin(), keys.end(), key);
        if (at == keys.end()) return std::nullopt;
        return static_cast<std::size_t>(at - keys.begin());
    };
    return {.count = keys.size(),
            .ca50 = column("ca50_deg_atdc"),
            .imep = column("imep_bar"),
            .fuel_conversion = column("fuel_conversion_efficiency"),
            .combustion = column("combustion_efficiency"),
            .misfire = column("misfire"),
            .partial_burn = column("partial_burn"),
            .ringing = {column("united_ringing_mw_per_m2"), column("main_ringing_mw_per_m2"),
                        column("aux_ringing_mw_per_m2")},
            .peak_pressure = {column("peak_united_pressure_bar"), column("peak_main_pressure_bar"),
                              column("peak_aux_pressure_bar")}};
}

std::optional<MapCell> map_cell(const MapColumns& columns, std::string_view row) {
    const std::vector<std::string_view> cells = split_cells(row);
    if (cells.size() != columns.count) return std::nullopt;
    const auto number = [&](std::optional<std::size_t> at) {
        if (!at || cells[*at].empty()) return not_defined;
        return parse_decimal(cells[*at]).value_or(not_defined);
    };
    // The largest of the charges' that are defined.
    const auto largest = [&](const std::array<std::optional<std::size_t>, 3>& of) {
        double value = not_defined;
        for (const auto& at : of) {
            const double v = number(at);
            if (!std::isnan(v) && !(v <= value)) value = v;
        }
        return value;
    };
    return MapCell{.ca50 = number(columns.ca50),
                   .imep = number(columns.imep),
                   .fuel_conversion = number(columns.fuel_conversion),
                   .combustion = number(columns.combustion),
                   .ringing = largest(columns.ringing),
                   .peak_pressure = largest(columns.peak_pressure),
                   .misfire = number(columns.misfire) == 1,
                   .partial_burn = number(columns.partial_burn) == 1};
}

std::variant<MapTable, std::string> read_map_table(std::string_view text) {
    const Lines lines = lines_of(text);
    if (lines.lines.size() < 2) return std::string("it holds no map");
    const std::optional<Heading> heading = split_heading(lines.lines[0]);
    if (!heading) return std::string("its first line does not name a map");
    if (!heading->shard.whole()) {
        return "it is " + slice_text(heading->shard) + " of a map: join the slices first";
    }
    auto parsed = parse_map_heading(heading->map);
    if (auto* problem = std::get_if<std::string>(&parsed)) return std::move(*problem);
    MapTable table{.grid = std::move(std::get<ParsedMap>(parsed).grid),
                   .model = std::move(std::get<ParsedMap>(parsed).model),
                   .engine = std::move(std::get<ParsedMap>(parsed).engine),
                   .cells = {}};
    const MapColumns columns = map_columns(lines.lines[1]);
    const std::size_t points = table.grid.size();
    if (lines.lines.size() - 2 != points || !lines.ends_cleanly) {
        return std::to_string(lines.lines.size() - 2) + " rows, and the map has " +
               std::to_string(points) + " points";
    }
    table.cells.reserve(points);
    for (std::size_t point = 0; point < points; ++point) {
        const std::optional<MapCell> cell = map_cell(columns, lines.lines[point + 2]);
        if (!cell) {
            return "row " + std::to_string(point + 3) + " has not the " +
                   std::to_string(columns.count) + " cells of the columns";
        }
        table.cells.push_back(*cell);
    }
    return table;
}

}  // namespace hcci
