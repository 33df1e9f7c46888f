// SPDX-License-Identifier: MIT
#include "core/report/analysis_report.h"
#include "core/report/study_text.h"
#include "core/report/view_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/study.h"

namespace hcci {
namespace {

// The keys of the summary and of a study's columns: a published interface.
const std::vector<std::string> keys = {"work_j_per_l",
                                       "imep_bar",
                                       "energy_added_j_per_l",
                                       "indicated_efficiency",
                                       "internal_energy_start_j_per_l",
                                       "internal_energy_end_j_per_l",
                                       "heat_release_j_per_l",
                                       "first_merge_energy_j_per_l",
                                       "first_merge_step",
                                       "first_merge_deg_atdc",
                                       "first_merge_main_pressure_bar",
                                       "first_merge_aux_pressure_bar",
                                       "first_merge_merged_pressure_bar",
                                       "second_merge_energy_j_per_l",
                                       "second_merge_step",
                                       "second_merge_deg_atdc",
                                       "second_merge_main_pressure_bar",
                                       "second_merge_aux_pressure_bar",
                                       "second_merge_merged_pressure_bar",
                                       "compression_ratio",
                                       "main_compression_ratio",
                                       "aux_compression_ratio",
                                       "otto_efficiency",
                                       "main_otto_efficiency",
                                       "aux_otto_efficiency",
                                       "ca10_deg_atdc",
                                       "ca50_deg_atdc",
                                       "ca90_deg_atdc",
                                       "burn_duration_deg",
                                       "engine_speed_rpm",
                                       "ringing_limit_mw_per_m2",
                                       "peak_united_pressure_bar",
                                       "peak_united_pressure_step",
                                       "peak_united_pressure_deg_atdc",
                                       "peak_united_temperature_k",
                                       "peak_united_temperature_step",
                                       "peak_united_temperature_deg_atdc",
                                       "max_united_pressure_rise_bar_per_deg",
                                       "max_united_pressure_rise_step",
                                       "max_united_pressure_rise_deg_atdc",
                                       "max_united_pressure_rise_bar_per_ms",
                                       "united_ringing_mw_per_m2",
                                       "united_over_ringing_limit",
                                       "peak_main_pressure_bar",
                                       "peak_main_pressure_step",
                                       "peak_main_pressure_deg_atdc",
                                       "peak_main_temperature_k",
                                       "peak_main_temperature_step",
                                       "peak_main_temperature_deg_atdc",
                                       "max_main_pressure_rise_bar_per_deg",
                                       "max_main_pressure_rise_step",
                                       "max_main_pressure_rise_deg_atdc",
                                       "max_main_pressure_rise_bar_per_ms",
                                       "main_ringing_mw_per_m2",
                                       "main_over_ringing_limit",
                                       "peak_aux_pressure_bar",
                                       "peak_aux_pressure_step",
                                       "peak_aux_pressure_deg_atdc",
                                       "peak_aux_temperature_k",
                                       "peak_aux_temperature_step",
                                       "peak_aux_temperature_deg_atdc",
                                       "max_aux_pressure_rise_bar_per_deg",
                                       "max_aux_pressure_rise_step",
                                       "max_aux_pressure_rise_deg_atdc",
                                       "max_aux_pressure_rise_bar_per_ms",
                                       "aux_ringing_mw_per_m2",
                                       "aux_over_ringing_limit",
                                       "fuel_heat_released_j_per_l",
                                       "fuel_burned",
                                       "misfire",
                                       "united_ignition_step",
                                       "united_ignition_deg_atdc",
                                       "united_ignition_fuel_share",
                                       "main_ignition_step",
                                       "main_ignition_deg_atdc",
                                       "main_ignition_fuel_share",
                                       "aux_ignition_step",
                                       "aux_ignition_deg_atdc",
                                       "aux_ignition_fuel_share"};

// The value of a key in the JSON text, as written.
std::string json_value(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\": ");
    if (at == std::string::npos) return "(missing)";
    const std::size_t from = at + key.size() + 4;
    return json.substr(from, json.find_first_of(",\n", from) - from);
}

TEST(AnalysisReport, JsonHasEveryKeyOnceWithNumbersThatReadBack) {
    const CycleAnalysis a = analyse_cycle(EngineParameters{});
    const std::string json = summary_json(a, {});
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.substr(json.size() - 2), "}\n");
    const std::vector<Metric> metrics = metrics_of(a);
    ASSERT_EQ(metrics.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(keys[i]);
        EXPECT_EQ(metrics[i].key, keys[i]);
        const std::string text = json_value(json, keys[i]);
        if (std::isnan(metrics[i].value)) {  // the predictive model's, for one
            EXPECT_EQ(text, "null");
            continue;
        }
        switch (metrics[i].kind) {
            case Metric::Kind::flag:
                EXPECT_EQ(text, metrics[i].value != 0 ? "true" : "false");
                break;
            case Metric::Kind::whole:
                EXPECT_EQ(text.find('.'), std::string::npos) << text;
                [[fallthrough]];
            case Metric::Kind::number:
                EXPECT_EQ(std::strtod(text.c_str(), nullptr), metrics[i].value);
                break;
        }
    }
    EXPECT_EQ(json_value(json, "peak_aux_pressure_step"), "8449");
    EXPECT_EQ(json_value(json, "aux_over_ringing_limit"), "true");
    // Then the engine, every parameter of it.
    EXPECT_EQ(std::count(json.begin(), json.end(), '\n'),
              static_cast<long>(keys.size() + parameter_table().size()) + 5);
    EXPECT_EQ(json_value(json, "first_split_atdc"), "-33");
}

// An engineer quotes a summary by the engine it came from.
TEST(AnalysisReport, SummaryAndStudyTableNameTheirEngine) {
    EngineParameters engine;
    engine.gamma = 1.3;
    engine.engine_speed = 1500;
    const CycleAnalysis a = analyse_cycle(engine);
    EXPECT_NE(summary_text(a, engine).find("Engine: gamma = 1.3, engine_speed = 1500\n"),
              std::string::npos);
    EXPECT_NE(summary_text(a, {}).find("Engine: the defaults\n"), std::string::npos);
    EXPECT_NE(summary_json(a, engine).find("\"gamma\": 1.3,"), std::string::npos);
    const std::string header = study_csv_header("rod_length", engine);
    EXPECT_EQ(header.substr(0, header.find('\n')),
              "# a study of rod_length; the engine otherwise: gamma = 1.3, engine_speed = 1500");
}

TEST(AnalysisReport, WhatIsNotDefinedIsNullOrEmpty) {
    CycleAnalysis a;  // nothing gathered: no heat, no peaks
    const std::string json = summary_json(a, {});
    EXPECT_EQ(json_value(json, "ca50_deg_atdc"), "null");
    EXPECT_EQ(json_value(json, "first_merge_step"), "null");
    EXPECT_EQ(json_value(json, "united_over_ringing_limit"), "null");
    EXPECT_EQ(json_value(json, "peak_main_pressure_bar"), "null");
    EXPECT_EQ(json_value(json, "peak_main_pressure_step"), "null");
    EXPECT_EQ(study_csv_row(1.5, a).substr(0, 12), "1.5,0,0,0,,0");
    const std::string text = summary_text(a, {});
    const std::size_t ca50 = text.find("  CA50 ");
    ASSERT_NE(ca50, std::string::npos);
    EXPECT_NE(text.substr(ca50, text.find('\n', ca50) - ca50).find("n/a"), std::string::npos);
}

TEST(AnalysisReport, TextShowsUnitsAndWhereThePeaksAre) {
    const std::string text = summary_text(analyse_cycle(EngineParameters{}), {});
    for (const char* line :
         {"  IMEP                                            4.829 bar\n",
          "  energy added to the charge (work + dU)         757.06 J/L\n",
          "  indicated efficiency (work / energy added)       0.6379\n",
          "  energy of the first merge                      +75.68 J/L  at -11.02 deg: main "
          "30.73, aux 148.07 -> 45.34 bar\n",
          "  Otto efficiency, main chamber's gas            0.6417 (r = 13.011)\n",
          "  peak auxiliary pressure                        148.07 bar  at step 8449, -11.02 "
          "deg\n",
          "  peak united pressure                            88.98 bar  at step 9000, 0.00 deg\n",
          "  ringing intensity, auxiliary                    30.08 MW/m2  over the limit\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
    }
}

struct RangeCase {
    const char* text;
    std::vector<double> values;  // or, when empty, the start of the message
    const char* problem;
};

TEST(Study, RangesIncludeBothEnds) {
    const RangeCase cases[] = {
        {"gamma=1.2:1.3:0.05", {1.2, 1.25, 1.3}, ""},
        {"gamma=1.2:1.3:0.04", {1.2, 1.24, 1.28, 1.3}, ""},
        {"gamma=1.3:1.3:1", {1.3}, ""},
        {"main_share=0.1:0.9:0.1", {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9}, ""},
        {"gamma=1.2:1.2012:0.0004", {1.2, 1.2004, 1.2008, 1.2012}, ""},  // not 1.2007999999999999
        // FROM as given, never a rounder number near it; both ends however large the step.
        {"gamma=1.000000000000001:1.2:0.1", {1.000000000000001, 1.000000000000001 + 0.1, 1.2}, ""},
        {"gamma=1.1:1.6:1e9", {1.1, 1.6}, ""},
        {"gamma=1.1:1.6:0.5", {1.1, 1.6}, ""},
        {"gamma=1.2:1.3", {}, "--vary needs NAME=FROM:TO:STEP"},
        {"gamma=a:1.3:0.1", {}, "--vary needs NAME=FROM:TO:STEP"},
        {"gamma=1.2:1.3:0.1:2", {}, "--vary needs NAME=FROM:TO:STEP"},
        {"gamma=1.3:1.2:0.1", {}, "--vary gamma=1.3:1.2:0.1: the step must be above 0"},
        {"gamma=1.2:1.3:0", {}, "--vary gamma=1.2:1.3:0: the step must be above 0"},
        {"gamma=1.2:1.3:inf", {}, "--vary needs"},
        {"gama=1:2:1", {}, "unknown parameter 'gama'"},
        {"gamma=0:10001:1", {}, "--vary gamma: more than 10000 values"},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto range = parse_study_range(c.text);
        std::string problem;
        std::vector<double> values;
        if (const auto* r = std::get_if<StudyRange>(&range)) {
            if (const auto got = study_values(*r)) {
                values = *got;
            } else {
                problem = study_problem_text(
                    *r, StudyProblem{.kind = StudyProblem::Kind::too_many_values});
            }
        } else {
            problem = std::get<std::string>(range);
        }
        if (c.values.empty()) {
            EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << problem;
        } else {
            ASSERT_EQ(values.size(), c.values.size()) << problem;
            // Decimals as written, each value the double nearest to it.
            for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(values[i], c.values[i]);
        }
    }
}

TEST(Study, EachValueIsTheAnalysisOfItsOwnEngine) {
    EngineParameters base;
    base.gamma = 1.35;
    const auto study =
        run_study(base, std::get<StudyRange>(parse_study_range("rod_length=150:250:25")));
    ASSERT_TRUE(std::holds_alternative<Study>(study));
    const Study& s = std::get<Study>(study);
    ASSERT_EQ(s.values.size(), 5u);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        EngineParameters engine = base;
        engine.rod_length = s.values[i];
        EXPECT_EQ(s.analyses[i].work, analyse_cycle(engine).work) << s.values[i];
    }
}

// Why a study of that range of the default engine stops, in words; "" when it does not.
std::string stopped(std::string_view text) {
    const StudyRange range = std::get<StudyRange>(parse_study_range(text));
    const auto study = run_study({}, range);
    const auto* problem = std::get_if<StudyProblem>(&study);
    return problem ? study_problem_text(range, *problem) : "";
}

TEST(Study, AValueTheRulesRefuseStopsItByName) {
    EXPECT_EQ(stopped("aux_ignition_start_atdc=-20:-12:0.25"),
              "the study stops at aux_ignition_start_atdc = -12: with aux_ignition_end_atdc = -12 "
              "it breaks the rule aux_ignition_start_atdc < aux_ignition_end_atdc");
    // Its own range: the value once, and what is allowed.
    EXPECT_EQ(stopped("gamma=1.5:2:0.1"), "the study stops at gamma = 1.7: allowed is (1, 1.67]");
    // By the crank angles of its former name, the same study.
    EXPECT_EQ(stopped("aux_ignition_start=70:78:0.25"),
              stopped("aux_ignition_start_atdc=-20:-12:0.25"));
    // At the step the summary's check names too: both read the same record.
    EXPECT_EQ(stopped("start_temperature=1e-320:1:1"),
              "the study stops at start_temperature = 1e-320: these parameters carry "
              "the model beyond the range of numbers at step 7350");
    EngineParameters tiny;
    tiny.start_temperature = 1e-320;
    EXPECT_EQ(check_parameters(tiny)->step, 7350);
    // A step the numbers cannot take would give a value twice: refused before any cycle.
    EXPECT_EQ(stopped("gamma=1.4:1.4000000000000004:1e-17"),
              "--vary gamma: a step of 1e-17 is too small for the numbers near 1.4: the next "
              "number after it is 1.4000000000000001, and values would come twice");
    EXPECT_EQ(stopped("gamma=1.4:1.4000000000001:1e-14"), "");  // close, but apart
}

// A study called off from its progress stops, its helpers too, and says so by the exception.
TEST(Study, AProgressThatThrowsCallsItOff) {
    const StudyRange range{find_parameter("gamma"), 1.2, 1.6, 0.001};
    int told = 0;
    struct CalledOff {};
    EXPECT_THROW(run_study({}, range,
                           [&](int, int) {
                               if (++told == 3) throw CalledOff{};
                           }),
                 CalledOff);
    EXPECT_EQ(told, 3);
}

// A trace above the picture's top is told, with its largest value, and only then.
TEST(ViewText, TracesOffThePictureAreNamedWithTheirLargestValues) {
    EXPECT_EQ(off_picture_text(traces_off_picture(analyse_cycle(EngineParameters{}))), "");
    EngineParameters hot;
    hot.aux_ignition_factor = 3;
    const std::string text = off_picture_text(traces_off_picture(analyse_cycle(hot)));
    EXPECT_EQ(text.find('\n'), std::string::npos);
    for (const char* part : {"up to 155 bar and 2255 K", "auxiliary pressure 246.78 bar",
                             "auxiliary temperature 3416.0 K", "see the views"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
    }
    // A pressure alone over the top: no word of the temperatures' top.
    EXPECT_EQ(off_picture_text({{Trace::aux_pressure, 164.5151, 155}}),
              "off the picture, which shows up to 155 bar: auxiliary pressure 164.52 bar; see "
              "the views");
}

// Each row of the comparison: key, current, baseline, difference (blank for a flag).
std::vector<std::vector<std::string>> comparison_rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    bool past_header = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> row;
        for (std::string word; words >> word;) row.push_back(word);
        if (past_header) rows.push_back(row);
        past_header = past_header || (!row.empty() && row.back() == "difference");
    }
    return rows;
}

TEST(ViewText, ComparisonShowsBothColumnsAndTheirDifference) {
    const EngineParameters base;
    const CycleAnalysis a = analyse_cycle(base);
    const auto itself = comparison_rows(comparison_text(a, base, a, base));
    ASSERT_EQ(itself.size(), metrics_of(a).size());
    for (const auto& row : itself) {
        SCOPED_TRACE(row[0]);
        if (row.size() == 3) continue;  // a flag: no difference
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(row[1], row[2]);
        EXPECT_TRUE(row[3] == "0" || row[3] == "-") << row[3];
    }
    EngineParameters other;
    other.gamma = 1.3;
    const CycleAnalysis b = analyse_cycle(other);
    const std::string text = comparison_text(b, other, a, base);
    EXPECT_NE(text.find("Current engine:  gamma = 1.3\nBaseline engine: the defaults"),
              std::string::npos);
    for (const auto& row : comparison_rows(text)) {
        if (row[0] != "imep_bar") continue;
        EXPECT_NEAR(std::stod(row[1]), b.imep_bar, 1e-5 * b.imep_bar);
        EXPECT_NEAR(std::stod(row[2]), a.imep_bar, 1e-5 * a.imep_bar);
        EXPECT_NEAR(std::stod(row[3]), b.imep_bar - a.imep_bar, 1e-4);
    }
}

}  // namespace
}  // namespace hcci
