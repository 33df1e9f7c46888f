// SPDX-License-Identifier: MIT
// The CSV, the summary and its JSON and a study's table of three engines, byte for byte as a
// release build wrote them before the sources were rearranged.

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
    std::string csv = study_csv_header(study.parameter->name);
    for (std::size_t i = 0; i < study.values.size(); ++i) {
        csv += study_csv_row(study.values[i], study.analyses[i]);
    }
    return csv;
}

TEST(ReportOutputs, AreTheBytesTheyWere) {
    const struct {
        std::uint64_t csv, summary, json, study;
    } pinned[] = {
        {0x8ba68fa36732015e, 0xcd5a6f25a3d9cc84, 0x6501a16ae4c05f87, 0x91a0633e8939a2dd},
        {0x029eee7d7aec0457, 0xfe1970dea7f20e19, 0x39248e1545d1a33d, 0x876e640fee6e65fa},
        {0xdb8b886ee574c10e, 0xd3a8fc955641f150, 0x744dff47848843b1, 0xbb5763821fd938f8},
    };
    for (std::size_t i = 0; i < std::size(pinned); ++i) {
        SCOPED_TRACE(pinned_engines[i].name);
        const EngineParameters engine = pinned_engines[i].parameters();
        EXPECT_EQ(fnv1a(sweep_csv(engine)), pinned[i].csv);
        const CycleAnalysis analysis = analyse_cycle(engine);
        EXPECT_EQ(fnv1a(summary_text(analysis)), pinned[i].summary);
        EXPECT_EQ(fnv1a(summary_json(analysis)), pinned[i].json);
        EXPECT_EQ(fnv1a(study_table(engine)), pinned[i].study);
    }
}

}  // namespace
}  // namespace hcci
