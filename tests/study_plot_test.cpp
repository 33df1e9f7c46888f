// SPDX-License-Identifier: MIT
#include "qt/plot/study_plot.h"

#include <gtest/gtest.h>

#include <string>

#include "qt_application.h"

namespace hcci {
namespace {

class StudyPlot : public QtApplicationSuite {};

// One vertical line reads across every panel: their plot areas share left and right edges, and
// stack without overlapping inside the picture.
TEST_F(StudyPlot, PanelsLineUpAndStackWithinTheSlide) {
    const std::vector<QRectF> areas = study_plot_areas(study_plot_size);
    ASSERT_EQ(areas.size(), 6u);
    for (std::size_t i = 0; i < areas.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(areas[i].left(), areas[0].left());
        EXPECT_EQ(areas[i].right(), areas[0].right());
        EXPECT_GT(areas[i].height(), 80);
        if (i > 0) {
            EXPECT_GT(areas[i].top(), areas[i - 1].bottom());
        }
    }
    EXPECT_LT(areas.back().bottom(), study_plot_size.height());
    EXPECT_EQ(study_plot_size.width() * 9, study_plot_size.height() * 16);
}

// The SVG names the study and its engine, marks the limit and the default, and draws a line
// for every charge.
TEST_F(StudyPlot, TheSvgSaysWhatItShows) {
    EngineParameters base;
    base.gamma = 1.35;
    const StudyRange range{find_parameter("engine_speed"), 1000, 1400, 100};
    const Study study = std::get<Study>(run_study(base, range));
    const std::string svg = plot_study(study, base, PlotFormat::svg);
    for (const char* text :
         {"Study of engine_speed (rpm)", "engine: gamma = 1.35", "limit 5 MW/m\u00b2",
          "default value", "auxiliary", "CA50", "indicated (first law)", "width=\"1920\""}) {
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace hcci
