// SPDX-License-Identifier: MIT
// The CSV, the summary and its JSON and a study's table of three engines, byte for byte: the
// CSV's numbers as a release build wrote them before the sources were rearranged (its angles
// were crank angles then), and every output as it is now, so that none changes by accident. (The
// JSON's engine block lists every parameter: it grew with the predictive model's physics.)

#include <gtest/gtest.h>

#include <string>

#include "core/model/study.h"
#include "core/report/analysis_report.h"
#include "core/report/csv_export.h"
#include "core/report/study_text.h"
#include "output_hash.h"

namespace hcci {
namespace {

std::string study_table(const EngineParameters& base) {
    const StudyRange range = std::get<StudyRange>(parse_study_range("gamma=1.3:1.4:0.01"));
    const Study study = std::get<Study>(run_study(base, range));
    std::string csv = study_csv_header(study.parameter->name, base);
    for (std::size_t i = 0; i < study.values.size(); ++i) {
        csv += study_csv_row(study.values[i], study.analyses[i]);
    }
    return csv;
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

TEST(ReportOutputs, AreTheBytesTheyWere) {
    const struct {
        std::uint64_t numbers, csv, summary, json, study;
    } pinned[] = {
        {0xc11c05bd907abfb9, 0x3f83be35281655a9, 0x2ef08c0c46159e7f, 0xf9c1f57b4e7c2db,
         0xb6fed5ee92fd40c9},
        {0x9b89391c64d4f0f0, 0x4b46b94bb6aa308c, 0x7e54573f27193eac, 0x9bb443c06e7bc8bf,
         0x62fbdc0c67c93253},
        {0xad2e5901af6600dd, 0x1f7af1443233904b, 0x5f5fea18ba8c099f, 0xc27e5efa471420f2,
         0x419dbdb934af0b95},
    };
    for (std::size_t i = 0; i < std::size(pinned); ++i) {
        SCOPED_TRACE(pinned_engines[i].name);
        const EngineParameters engine = pinned_engines[i].parameters();
        const CycleRecord cycle = run_cycle(engine);
        const std::string csv = sweep_csv(cycle);
        EXPECT_EQ(fnv1a(without_angles(csv)), pinned[i].numbers);
        EXPECT_EQ(fnv1a(csv), pinned[i].csv);
        const CycleAnalysis analysis = analyse_cycle(cycle);
        EXPECT_EQ(fnv1a(summary_text(analysis, engine)), pinned[i].summary);
        EXPECT_EQ(fnv1a(summary_json(analysis, engine)), pinned[i].json);
        EXPECT_EQ(fnv1a(study_table(engine)), pinned[i].study);
    }
}

}  // namespace
}  // namespace hcci
