// SPDX-License-Identifier: MIT
#include "core/report/csv_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/readout.h"
#include "model_sweep.h"
#include "printed_value.h"

namespace hcci {
namespace {

constexpr std::size_t column_count = 14;

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string_view::npos;
         start = end + 1) {
        parts.emplace_back(text.substr(start, end - start));
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

double read_double(const std::string& cell) {
    char* end = nullptr;
    const double value = std::strtod(cell.c_str(), &end);
    EXPECT_EQ(*end, '\0') << "'" << cell << "' is not a number";
    return value;
}

struct Csv {
    std::vector<std::string> lines;
    std::vector<std::vector<std::string>> rows;  // without the header
};

const Csv& exported() {
    static const Csv csv = [] {
        Csv result;
        const std::string text = sweep_csv(run_cycle({}));
        EXPECT_EQ(text.back(), '\n');
        result.lines = split(std::string_view(text).substr(0, text.size() - 1), '\n');
        for (std::size_t i = 1; i < result.lines.size(); ++i) {
            result.rows.push_back(split(result.lines[i], ','));
        }
        return result;
    }();
    return csv;
}

TEST(CsvExport, HeaderThenOneRowPerStep) {
    const Csv& csv = exported();
    ASSERT_EQ(csv.lines.size(), 18002u);
    EXPECT_EQ(csv.lines.front(),
              "step,angle_atdc,phase,readout,piston_pos,crown_x,united_pressure,united_temperature,"
              "main_pressure,main_temperature,aux_pressure,aux_temperature,main_volume,aux_volume");
    for (std::size_t i = 0; i < csv.rows.size(); ++i) {
        ASSERT_EQ(csv.rows[i].size(), column_count) << "row " << i;
        ASSERT_EQ(csv.rows[i][0], std::to_string(i)) << "row " << i;
    }
}

// Every number reads back to exactly the double the model computed.
TEST(CsvExport, NumbersRoundTripAndChamberCellsAreEmptyWhileUnited) {
    const EngineGeometry g = make_engine_geometry();
    const auto& steps = model_sweep();
    const Csv& csv = exported();
    ASSERT_EQ(csv.rows.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& row = csv.rows[i];
        const SweepStep& step = steps[i];
        const CombustionModel& m = step.model;
        ASSERT_EQ(read_double(row[1]), step.crank_angle - 90) << "step " << i;
        ASSERT_EQ(row[2], std::to_string(step.phase)) << "step " << i;
        ASSERT_EQ(row[3], std::to_string(readout_value(step.crank_angle))) << "step " << i;
        const double united[] = {m.piston_pos, m.piston_pos - g.total_clearance, m.united_pressure,
                                 m.united_temperature};
        for (std::size_t c = 0; c < 4; ++c) {
            ASSERT_EQ(read_double(row[4 + c]), united[c]) << "step " << i << ", column " << 4 + c;
        }
        const double chambers[] = {m.main_pressure,   m.main_temperature, m.aux_pressure,
                                   m.aux_temperature, m.main_volume,      m.aux_volume};
        for (std::size_t c = 0; c < 6; ++c) {
            if (is_divided_phase(step.phase)) {
                ASSERT_EQ(read_double(row[8 + c]), chambers[c])
                    << "step " << i << ", column " << 8 + c;
            } else {
                ASSERT_EQ(row[8 + c], "") << "step " << i << ", column " << 8 + c;
            }
        }
    }
}

TEST(CsvExport, NumbersAreInTheirShortestForm) {
    const auto& row = exported().rows;
    // Angles after top dead centre: the accumulated crank angle less 90, in full.
    EXPECT_EQ(row[0][1], "-180");
    EXPECT_EQ(row[0][7], "323");
    EXPECT_EQ(row[1][1], "-179.98000000000002");
    EXPECT_EQ(row[18000][1], "180.00000000004366");
    EXPECT_EQ(row[7350][1], "-32.99999999999745");
}

struct TableCells {
    int step;
    std::vector<double> printed;  // columns 4 onwards; NaN where the cell is empty
};

TEST(CsvExport, RowsAgreeWithTheSweepTable) {
    constexpr double empty = std::numeric_limits<double>::quiet_NaN();
    const TableCells rows[] = {
        {0, {107.328, 100.000, 1, 323, empty, empty, empty, empty}},
        {8400, {8.69136, 1.36297, 43.5338, 1138.68, 29.8607, 852.432, 135.289, 1997.43}},
        {9000, {7.32839, 0, 88.9792, 1962.39, empty, empty, empty, empty}},
        {10650, {17.2575, 9.92909, 26.1198, 1356.55, 30.4991, 1445.20, 11.3857, 1090.59}},
        {18000, {107.328, 100.000, 2.02179, 653.040, empty, empty, empty, empty}},
    };
    const Csv& csv = exported();
    for (const TableCells& expected : rows) {
        const auto& row = csv.rows.at(static_cast<std::size_t>(expected.step));
        for (std::size_t c = 0; c < expected.printed.size(); ++c) {
            const double printed = expected.printed[c];
            if (std::isnan(printed)) {
                EXPECT_EQ(row[4 + c], "") << "step " << expected.step << ", column " << 4 + c;
            } else if (printed == 0) {
                EXPECT_NEAR(read_double(row[4 + c]), 0, 1e-13)
                    << "step " << expected.step << ", column " << 4 + c;
            } else {
                EXPECT_TRUE(matches_printed(read_double(row[4 + c]), printed))
                    << "step " << expected.step << ", column " << 4 + c;
            }
        }
    }
}

// 64-bit FNV-1a, to pin a long text to the last bit.
std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3u;
    }
    return hash;
}

// The predictive model's table has the fuel's columns at the end: the burned share of the charges
// present and the heat released so far, which ends at the analysis's.
TEST(CsvExport, ThePredictiveModelAddsTheFuelsColumns) {
    const EngineParameters p = *model_defaults("predictive");
    const std::string csv = sweep_csv(run_cycle(p));
    const std::string header = csv.substr(0, csv.find('\n'));
    EXPECT_TRUE(
        header.ends_with(",aux_volume,united_burned,main_burned,aux_burned,"
                         "united_unburned_temperature,main_unburned_temperature,"
                         "aux_unburned_temperature,heat_released,heat_lost"))
        << header;
    const auto row_of = [&csv](int step) {
        std::size_t at = 0;
        for (int line = 0; line <= step + 1; ++line) at = csv.find('\n', at) + 1;
        const std::size_t start = csv.rfind('\n', at - 2) + 1;
        return csv.substr(start, at - 1 - start);
    };
    // United, then divided: the chambers' cells filled and the united one empty.
    const auto cells_of = [](const std::string& row) {
        std::vector<std::string> cells;
        for (std::size_t at = 0;;) {
            const std::size_t end = row.find(',', at);
            cells.push_back(row.substr(at, end - at));
            if (end == std::string::npos) return cells;
            at = end + 1;
        }
    };
    // United: its burned share 0 and its unburned gas the charge itself (no zone has ignited),
    // the chambers' cells empty; nothing released yet, and heat taken in from the hotter walls.
    const std::vector<std::string> early = cells_of(row_of(100));
    ASSERT_EQ(early.size(), 22u);
    EXPECT_EQ(early[14], "0");
    EXPECT_EQ(early[15] + early[16] + early[18] + early[19], "");
    EXPECT_EQ(early[17], early[7]);  // united_unburned_temperature, united_temperature
    EXPECT_EQ(early[20], "0");
    EXPECT_LT(std::strtod(early[21].c_str(), nullptr), 0);
    // Divided: the chambers' cells filled and the united ones empty.
    const std::vector<std::string> divided = cells_of(row_of(8000));
    EXPECT_EQ(divided[14] + divided[17], "");
    EXPECT_NE(divided[15], "");
    EXPECT_NE(divided[19], "");
    const std::vector<std::string> last = cells_of(row_of(last_step));
    EXPECT_EQ(std::strtod(last[20].c_str(), nullptr), analyse_cycle(p).fuel.heat_released);
    const std::string original = sweep_csv(run_cycle({}));
    EXPECT_EQ(original.substr(0, original.find('\n')), csv_header);
}

// Every line without its second cell, the angle.
std::string without_angles(const std::string& csv) {
    std::string rest;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = csv.find('\n', at);
        const std::string_view line(csv.data() + at, end - at);
        const std::size_t first = line.find(',');
        const std::size_t second = line.find(',', first + 1);
        rest.append(line.substr(0, first)).append(line.substr(second)).append("\n");
        at = end + 1;
    }
    return rest;
}

// The sweep of the engine with every parameter at its default is, to the last bit of every
// number, the sweep the program wrote before the engine had parameters (then with crank angles
// in the second column, 2194666 bytes in all).
TEST(CsvExport, TheDefaultEngineIsBitForBitTheOriginalOne) {
    const std::string csv = sweep_csv(run_cycle({}));
    EXPECT_EQ(fnv1a(without_angles(csv)), 0xc11c05bd907abfb9u);
}

}  // namespace
}  // namespace hcci
