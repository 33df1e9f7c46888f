// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <variant>

#include "apps/window/explore_window.h"
#include "apps/window/map_dialog.h"
#include "qt_application.h"

// An operating map run from the explorer: shown as a view beside the picture, its cells loading
// their engines while it stays.

namespace hcci {
namespace {

class ExploreMapTest : public QtApplicationSuite {
protected:
    ExploreWindow window{EngineParameters{}};

    static MapResult map_over(double gamma_to) {
        const std::optional<MapGrid> grid =
            map_grid({find_parameter("gamma"), 1.3, gamma_to, 0.05},
                     {find_parameter("main_compression_ratio"), 11, 13, 1});
        std::variant<MapResult, MapProblem> map =
            run_map_result(EngineParameters{}, *grid, [](int, int) {});
        return std::get<MapResult>(std::move(map));
    }
    void settle() {
        for (int turn = 0; turn < 5; ++turn) QApplication::processEvents();
    }
};

TEST_F(ExploreMapTest, AMapIsTheLastViewAndItsCellsLoadTheirEngines) {
    window.resize(1366, 720);
    window.show();
    window.show_step(9000);
    const int views = window.tabs().count();
    window.show_map(map_over(1.4));
    settle();
    ASSERT_EQ(window.tabs().count(), views + 1);
    EXPECT_EQ(window.tabs().currentWidget(), window.map_view());
    EXPECT_EQ(window.tabs().tabText(views), "Map");

    // Off the panels nothing loads; on a cell its engine does, and the map stays in sight.
    MapView& map = *window.map_view();
    EXPECT_FALSE(map.click(QPointF(1, 1)));
    EXPECT_EQ(window.parameters(), EngineParameters{});
    bool loaded = false;
    for (int y = map.height() / 2; y > 0 && !loaded; y -= 4) {
        for (int x = 0; x < map.width() && !loaded; x += 4) loaded = map.click(QPointF(x, y));
    }
    ASSERT_TRUE(loaded);
    const EngineParameters engine = window.parameters();
    EXPECT_NE(engine, EngineParameters{});
    EXPECT_TRUE(map.said().contains(QString::number(engine.main_compression_ratio)));
    EXPECT_EQ(window.tabs().currentWidget(), window.map_view());

    // The timeline moves with the map in sight (no view's cursor to place), and a view shown
    // afterwards draws the engine just loaded.
    window.show_step(12000);
    window.tabs().setCurrentIndex(0);
    settle();
    EXPECT_EQ(window.parameters(), engine);

    // Another map takes the first one's place.
    window.show_map(map_over(1.35));
    settle();
    EXPECT_EQ(window.tabs().count(), views + 1);
    EXPECT_EQ(window.map_view()->result().table.cells.size(), 6u);
}

TEST_F(ExploreMapTest, AMapThatLeavesTheRangesStopsThere) {
    const std::optional<MapGrid> grid =
        map_grid({find_parameter("gamma"), 1.6, 1.7, 0.05},
                 {find_parameter("main_compression_ratio"), 11, 12, 1});
    const std::variant<MapResult, MapProblem> map =
        run_map_result(EngineParameters{}, *grid, [](int, int) {});
    ASSERT_TRUE(std::holds_alternative<MapProblem>(map));
    const MapProblem& problem = std::get<MapProblem>(map);
    EXPECT_EQ(problem.kind, MapProblem::Kind::refused_value);
    EXPECT_DOUBLE_EQ(problem.x, 1.7);
}

}  // namespace
}  // namespace hcci
