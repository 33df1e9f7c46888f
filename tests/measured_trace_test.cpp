// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/cycle_analysis.h"
#include "core/model/engine_geometry.h"
#include "core/model/measured_trace.h"
#include "core/report/csv_export.h"
#include "core/report/measured_file.h"
#include "core/report/measured_report.h"
#include "core/report/number_text.h"
#include "core/report/parameter_text.h"

namespace hcci {
namespace {

MeasuredTrace read_good(std::string_view text) {
    auto read = read_measured_trace(text);
    if (const auto* problem = std::get_if<MeasuredProblem>(&read)) {
        ADD_FAILURE() << measured_problem_text(*problem);
        return {};
    }
    return std::get<MeasuredTrace>(read);
}

TEST(MeasuredFile, ReadsRowsWithOrWithoutAHeaderAndComments) {
    struct Case {
        const char* text;
        std::vector<double> angles, pressures;
    };
    const Case cases[] = {
        {"-10,20\n0,40\n10,30\n", {-10, 0, 10}, {20, 40, 30}},
        {"crank angle (deg ATDC),pressure (bar)\n-10, 20\n0 ,40\r\n", {-10, 0}, {20, 40}},
        {"# a motored cycle\nangle pressure\n-10\t20   # the first\n\n0 40\n", {-10, 0}, {20, 40}},
        {"-180,1\n+180,1.5e0", {-180, 180}, {1, 1.5}},
        // An angle given twice is a jump of the pressure there.
        {"-1,50\n0,60\n0,55\n1,54\n", {-1, 0, 0, 1}, {50, 60, 55, 54}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const MeasuredTrace trace = read_good(c.text);
        EXPECT_EQ(trace.angle_deg, c.angles);
        EXPECT_EQ(trace.pressure_bar, c.pressures);
    }
}

TEST(MeasuredFile, ABadRowIsNamedWithItsProblemInOneLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "no rows of crank angle and pressure"},
        {"# nothing\nangle,pressure\n", "no rows of crank angle and pressure"},
        {"angle,pressure\n0,1\n", "line 2: the only row: a trace needs two rows or more"},
        {"0,1\n0,2\n", "line 2: the trace covers no angle: its rows are all at 0"},
        {"0,1\nten,2\n", "line 2: the crank angle 'ten' is not a number"},
        {"abc,2\n0,1\n", "line 1: the crank angle 'abc' is not a number"},
        {"0,1\n1,\n", "line 2: the pressure '' is missing"},
        {"0,1\n1\n",
         "line 2: one column, where a row has two: the crank angle (degrees after top "
         "dead centre) and the pressure (bar)"},
        {"0,1,2\n",
         "line 1: 3 columns, where a row has two: the crank angle (degrees after top "
         "dead centre) and the pressure (bar)"},
        {"0,1\n1,nan\n", "line 2: the pressure 'nan' is not a finite number"},
        {"0,1\ninf,1\n", "line 2: the crank angle 'inf' is not a finite number"},
        {"0,1\n1,1e999\n",
         "line 2: the pressure '1e999' is beyond the range of numbers (from 4.9e-324 to 1.8e308 in "
         "size, or 0)"},
        {"0,1\n1,0\n", "line 2: the pressure '0' is not above 0 bar"},
        {"0,1\n1,-2\n", "line 2: the pressure '-2' is not above 0 bar"},
        {"0,1\n400,2\n", "line 2: the crank angle '400' is outside -360 to 360 degrees"},
        {"0,1\n-360.5,2\n", "line 2: the crank angle '-360.5' is outside -360 to 360 degrees"},
        {"0,1\n2,1\n1.5,1\n",
         "line 3: the crank angle '1.5' comes after 2: the angles must increase"},
        {"0,1\n1,1\n1,2\n1,3\n",
         "line 4: the crank angle '1' is given a third time: an angle is given twice at most (a "
         "jump)"},
        {"0,1\n1,1\n# fine\n\n2,\"x\"\n", "line 5: the pressure '\"x\"' is not a number"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        const auto read = read_measured_trace(text);
        ASSERT_TRUE(std::holds_alternative<MeasuredProblem>(read));
        EXPECT_EQ(measured_problem_text(std::get<MeasuredProblem>(read)), message);
    }
}

// The pressure a single transducer on the engine shows: the united charge's, and while the
// chambers are divided the pressure on the piston, each chamber's over its share of the piston's
// area; at a merge both, the chambers' and then the merged charge's, at the merge's angle.
std::string measured_text_of_csv(const std::string& csv, double main_share) {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t start = csv.find('\n') + 1; start < csv.size();) {
        const std::size_t end = csv.find('\n', start);
        std::vector<std::string> cells;
        const std::string line = csv.substr(start, end - start);
        for (std::size_t from = 0;;) {
            const std::size_t comma = line.find(',', from);
            cells.push_back(line.substr(from, comma - from));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
        rows.push_back(cells);
        start = end + 1;
    }
    // step, angle_atdc, phase, readout, piston_pos, crown_x, united_pressure, united_temperature,
    // main_pressure, main_temperature, aux_pressure, ...
    constexpr std::size_t angle = 1, united = 6, main = 8, aux = 10;
    std::string text = "crank angle (degrees ATDC),pressure (bar)\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string>& row = rows[i];
        const bool divided = !row[main].empty();
        const double pressure =
            divided ? main_share * std::stod(row[main]) + (1 - main_share) * std::stod(row[aux])
                    : std::stod(row[united]);
        text += row[angle] + "," + shortest_text(pressure) + "\n";
        const bool merges = divided && i + 1 < rows.size() && rows[i + 1][main].empty();
        if (merges) text += row[angle] + "," + row[united] + "\n";
    }
    return text;
}

// The angle at which the model's own apparent heat release reaches half its sum: each charge's
// m (u(T2) - u(T1)) + (p1 + p2) / 2 dV over its segments, with the gas the model computes with
// and the temperatures it records (a chamber's dV its share of the piston's travel).
double model_ca50(const CycleRecord& record) {
    const GasProperties gas = engine_gas(record.parameters);
    const double share = record.geometry.main_share;
    std::vector<double> heats(1, 0.0);
    double total = 0;
    for (int step = 1; step < CycleRecord::steps(); ++step) {
        const auto i = static_cast<std::size_t>(step);
        const double travel = record.piston_pos[i] - record.piston_pos[i - 1];
        double heat = 0;
        const auto add = [&](ChargeName name, double volume_change) {
            const ChargeRecord& c = record.charge(name);
            const double mass_r = c.pressure[i] * c.volume[i] / c.temperature[i];
            heat +=
                mass_r / gas_constant * energy_change(gas, c.temperature[i - 1], c.temperature[i]) +
                0.5 * (c.pressure[i - 1] + c.pressure[i]) * volume_change;
        };
        if (record.divided(step)) {
            add(ChargeName::main, share * travel);
            add(ChargeName::aux, (1 - share) * travel);
        } else {
            add(ChargeName::united, travel);
        }
        heats.push_back(heat);
        total += heat;
    }
    double released = 0;
    for (std::size_t i = 1; i < heats.size(); ++i) {
        if (released + heats[i] >= 0.5 * total) {
            const double before = angle_atdc(CycleRecord::crank_angle(static_cast<int>(i) - 1));
            const double after = angle_atdc(CycleRecord::crank_angle(static_cast<int>(i)));
            return before + (0.5 * total - released) / heats[i] * (after - before);
        }
        released += heats[i];
    }
    return not_defined;
}

// The highest pressure on the piston: the united charge's, each chamber's over its share while
// divided.
double piston_peak(const CycleRecord& record) {
    const double share = record.geometry.main_share;
    double peak = 0;
    for (int step = 0; step < CycleRecord::steps(); ++step) {
        const auto i = static_cast<std::size_t>(step);
        const double united = record.charge(ChargeName::united).pressure[i];
        const double divided = share * record.charge(ChargeName::main).pressure[i] +
                               (1 - share) * record.charge(ChargeName::aux).pressure[i];
        peak = std::max(peak, record.divided(step) ? divided : united);
    }
    return peak;
}

struct RoundTrip {
    MeasuredAnalysis measured;
    CycleAnalysis own;
    double own_ca50;
    double own_peak;
    MeasuredAnalysis own_read;  // the model's own trace as the comparison reads it
};

RoundTrip round_trip(const std::vector<std::string>& settings) {
    const auto values = parameter_values_from_text(std::nullopt, settings);
    EXPECT_TRUE(std::holds_alternative<EngineParameters>(values));
    const EngineParameters& engine = std::get<EngineParameters>(values);
    const CycleRecord record = run_cycle(engine);
    const std::string text =
        measured_text_of_csv(sweep_csv(record), make_engine_geometry(engine).main_share);
    return {analyse_measured(read_good(text), engine), analyse_cycle(record), model_ca50(record),
            piston_peak(record), analyse_measured(piston_trace(record), engine)};
}

// The model's own trace, written as the csv command writes it and read back as a measurement,
// gives the model's own work and peak pressure. Its heat release is the model's where the
// chambers compress alike (their compression ratios equal, each chamber's volume its share of
// the whole); the default's 12 and 50 make the one pressure on the piston read the auxiliary
// chamber's steeper compression as heat (CA50 1.9 degrees early for the scheduled engine, 0.9
// for the predictive), which no single pressure can tell apart: so the comparison holds the
// measurement against the model's own trace read the same way (piston_trace).
TEST(MeasuredTrace, TheModelsOwnTraceGivesItsOwnFigures) {
    const std::vector<std::string> alike = {"main_compression_ratio=15",
                                            "aux_compression_ratio=15"};
    for (const char* model : {"model=scheduled", "model=predictive"}) {
        for (const bool chambers_alike : {false, true}) {
            SCOPED_TRACE(std::string(model) + (chambers_alike ? ", chambers alike" : ""));
            std::vector<std::string> settings = {model};
            if (chambers_alike) settings.insert(settings.end(), alike.begin(), alike.end());
            const RoundTrip r = round_trip(settings);
            EXPECT_TRUE(r.measured.whole_cycle);
            EXPECT_NEAR(r.measured.imep_bar, r.own.imep_bar, 1e-9 * std::abs(r.own.imep_bar));
            EXPECT_NEAR(r.measured.figures.peak_pressure.value, r.own_peak, 1e-9 * r.own_peak);
            // Against the model's column of --compare measured, every engine: the same figures.
            EXPECT_NEAR(r.measured.ca50_deg, r.own_read.ca50_deg, 0.02);
            EXPECT_NEAR(r.measured.heat_release, r.own_read.heat_release,
                        1e-9 * std::abs(r.own_read.heat_release));
            EXPECT_EQ(r.measured.rows, r.own_read.rows);
            if (chambers_alike) {
                EXPECT_NEAR(r.measured.ca50_deg, r.own_ca50, 0.02);
            } else {
                // The default engines peak united: the summary's peak pressure.
                EXPECT_NEAR(r.measured.figures.peak_pressure.value,
                            r.own.united.peak_pressure.value,
                            1e-9 * r.own.united.peak_pressure.value);
                EXPECT_LT(r.measured.ca50_deg, r.own_ca50 - 0.5);
            }
        }
    }
}

// With a constant gamma the model's own apparent heat release is the analysis's, and a
// scheduled engine's phasing is read off it.
TEST(MeasuredTrace, TheModelsHeatReleaseIsTheAnalysisOfItsRecord) {
    const RoundTrip r = round_trip({"main_compression_ratio=15", "aux_compression_ratio=15"});
    EXPECT_NEAR(r.own_ca50, r.own.ca50_deg, 1e-9);
    EXPECT_NEAR(r.measured.heat_release, r.own.heat_release, 1e-9 * r.own.heat_release);
}

// A part of the cycle is analysed over what it covers. A pressure symmetric about top dead
// centre does no net work and releases no net heat on the symmetric stroke: no phasing.
TEST(MeasuredTrace, APartOfTheCycleIsAnalysedOverWhatItCovers) {
    MeasuredTrace part;
    for (int angle = -40; angle <= 40; ++angle) {
        part.angle_deg.push_back(angle);
        part.pressure_bar.push_back(10 + 40 * std::exp(-angle * angle / 200.0));
    }
    const MeasuredAnalysis a = analyse_measured(part, {});
    EXPECT_FALSE(a.whole_cycle);
    EXPECT_EQ(a.from_deg, -40);
    EXPECT_EQ(a.to_deg, 40);
    EXPECT_EQ(a.rows, 81u);
    EXPECT_EQ(a.figures.peak_pressure.value, 50);
    EXPECT_EQ(a.figures.peak_pressure.step, 40);
    EXPECT_EQ(a.figures.peak_pressure.angle_deg, 0);
    // The steepest rise ends where the bell's flank is steepest, 10 degrees before the top.
    EXPECT_EQ(a.figures.max_pressure_rise.angle_deg, -10);
    EXPECT_GT(a.figures.ringing_mw_per_m2, 0);
    EXPECT_NEAR(a.work, 0, 1e-9);
    EXPECT_NEAR(a.heat_release, 0, 1e-9);
    EXPECT_TRUE(std::isnan(a.ca50_deg));
}

}  // namespace
}  // namespace hcci
