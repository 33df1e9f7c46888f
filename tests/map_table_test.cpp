// SPDX-License-Identifier: MIT
#include "core/report/map_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/report/study_text.h"

namespace hcci {
namespace {

// Equal, or both not defined.
bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

MapGrid grid_of(std::string_view x, std::string_view y) {
    return *map_grid(std::get<StudyRange>(parse_study_range(x)),
                     std::get<StudyRange>(parse_study_range(y)));
}

// The CSV a map command writes for that shard.
std::string map_csv(const MapGrid& grid, const EngineParameters& base, const MapShard& shard,
                    std::vector<CycleAnalysis>* analyses = nullptr) {
    std::string csv = map_csv_header(grid, base, shard);
    const auto problem = run_map(base, grid, shard, [&](std::size_t point, const CycleAnalysis& a) {
        csv += map_csv_row(grid, point, a);
        if (analyses != nullptr) analyses->push_back(a);
    });
    EXPECT_FALSE(problem.has_value());
    return csv;
}

class MapTableTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        base_.engine_speed = 1500;
        grid_ = grid_of("rod_length=150:200:25", "gamma=1.3:1.4:0.05");
        whole_ = map_csv(grid_, base_, {}, &analyses_);
        for (std::size_t k = 1; k <= 3; ++k) {
            shards_.push_back(map_csv(grid_, base_, {.index = k, .count = 3}));
        }
    }
    static inline EngineParameters base_;
    static inline MapGrid grid_;
    static inline std::string whole_;
    static inline std::vector<CycleAnalysis> analyses_;
    static inline std::vector<std::string> shards_;
};

TEST_F(MapTableTest, TheFirstLineNamesTheMapTheModelTheEngineAndTheShard) {
    const std::string first = whole_.substr(0, whole_.find('\n'));
    EXPECT_EQ(first,
              "# a map of rod_length=150:200:25 (x, fastest) and gamma=1.3:1.4:0.05 (y); model "
              "scheduled; the engine otherwise: engine_speed = 1500");
    EXPECT_EQ(shards_[1].substr(0, shards_[1].find('\n')), first + "; shard 2 of 3");
    const std::string columns = whole_.substr(first.size() + 1, 30);
    EXPECT_EQ(columns.substr(0, 30), "rod_length,gamma,work_j_per_l,");
    // x fastest: the second row is the second rod at the first gamma.
    const std::size_t second = whole_.find('\n', whole_.find('\n', first.size() + 1) + 1) + 1;
    EXPECT_EQ(whole_.substr(second, 8), "175,1.3,");
}

TEST_F(MapTableTest, ShardsInAnyOrderJoinIntoTheWholeMapsBytes) {
    for (const std::vector<int>& order :
         std::vector<std::vector<int>>{{0, 1, 2}, {2, 0, 1}, {1, 2, 0}}) {
        std::vector<NamedText> files;
        for (const int k : order) files.push_back({"shard" + std::to_string(k), shards_[k]});
        const auto merged = merge_map_shards(files);
        ASSERT_TRUE(std::holds_alternative<JoinedMap>(merged)) << std::get<std::string>(merged);
        EXPECT_EQ(std::get<JoinedMap>(merged).csv, whole_);
    }
    // The whole map is a map of one slice.
    const std::vector<NamedText> one{{"whole", whole_}};
    EXPECT_EQ(std::get<JoinedMap>(merge_map_shards(one)).csv, whole_);
}

TEST_F(MapTableTest, ShardsThatDoNotMakeOneMapAreRefusedWithTheReason) {
    const std::string other = map_csv(grid_of("rod_length=150:200:25", "gamma=1.3:1.4:0.1"), base_,
                                      {.index = 3, .count = 3});
    const std::string of_four = map_csv(grid_, base_, {.index = 3, .count = 4});
    std::string cut = shards_[2];
    cut.pop_back();  // its last line's end
    std::string short_by_a_row =
        shards_[2].substr(0, shards_[2].rfind('\n', shards_[2].size() - 2) + 1);
    std::string swapped = shards_[0];
    swapped.replace(swapped.find("\n150,") + 1, 3, "175");
    struct Case {
        std::vector<std::string> texts;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{shards_[0], shards_[1]}, "slice 3 of 3 of the map is missing"},
        {{shards_[0], shards_[1], shards_[1]}, "f1 and f2 are both slice 2 of 3"},
        {{shards_[0], shards_[1], other}, "f0 and f2 are of different maps"},
        {{shards_[0], shards_[1], of_four},
         "f0 and f2 split the map in different numbers of slices"},
        {{shards_[0], shards_[1], cut}, "f2: its last row is cut short (no end of line)"},
        {{shards_[0], shards_[1], short_by_a_row}, "f2: 2 rows, and its slice 3 of 3 has 3"},
        {{swapped, shards_[1], shards_[2]},
         "f0: row 3 is not of the point 150, 1.3 that its slice holds there"},
        {{shards_[0], "rod_length,gamma\n"}, "f1: its first line does not name a map"},
        {{}, "no shards to join"},
    };
    for (const Case& c : cases) {
        std::vector<NamedText> files;
        for (std::size_t i = 0; i < c.texts.size(); ++i) {
            files.push_back({"f" + std::to_string(i), c.texts[i]});
        }
        const auto merged = merge_map_shards(files);
        ASSERT_TRUE(std::holds_alternative<std::string>(merged)) << c.reason;
        EXPECT_EQ(std::get<std::string>(merged), c.reason);
    }
}

TEST_F(MapTableTest, ATableReadBackHoldsEachPointsFigures) {
    const auto read = read_map_table(whole_);
    ASSERT_TRUE(std::holds_alternative<MapTable>(read)) << std::get<std::string>(read);
    const MapTable& table = std::get<MapTable>(read);
    EXPECT_EQ(table.model, "scheduled");
    EXPECT_EQ(table.engine, "engine_speed = 1500");
    EXPECT_EQ(table.grid.xs, grid_.xs);
    EXPECT_EQ(table.grid.ys, grid_.ys);
    ASSERT_EQ(table.cells.size(), analyses_.size());
    for (std::size_t i = 0; i < analyses_.size(); ++i) {
        const CycleAnalysis& a = analyses_[i];
        const MapCell& cell = table.cells[i];
        EXPECT_EQ(cell.imep, a.imep_bar);
        EXPECT_TRUE(same(cell.ca50, a.ca50_deg));
        EXPECT_EQ(cell.peak_pressure,
                  std::max({a.united.peak_pressure.value, a.main.peak_pressure.value,
                            a.aux.peak_pressure.value}));
        EXPECT_TRUE(std::isnan(cell.combustion));  // the scheduled model books no fuel
        EXPECT_FALSE(cell.misfire);
    }
    const auto shard = read_map_table(shards_[0]);
    ASSERT_TRUE(std::holds_alternative<std::string>(shard));
    EXPECT_EQ(std::get<std::string>(shard), "it is slice 1 of 3 of a map: join the slices first");
    const auto short_table =
        read_map_table(whole_.substr(0, whole_.rfind('\n', whole_.size() - 2) + 1));
    ASSERT_TRUE(std::holds_alternative<std::string>(short_table));
    EXPECT_EQ(std::get<std::string>(short_table), "8 rows, and the map has 9 points");
}

// The predictive model's fuel figures and flags reach the cells.
TEST(MapTable, MisfireAndPartialBurnReachTheCells) {
    EngineParameters base;
    base.model = "predictive";
    const MapGrid grid = grid_of("start_temperature=250:330:80", "engine_speed=1500:1500:1");
    std::vector<CycleAnalysis> analyses;
    const auto read = read_map_table(map_csv(grid, base, {}, &analyses));
    ASSERT_TRUE(std::holds_alternative<MapTable>(read)) << std::get<std::string>(read);
    const MapTable& table = std::get<MapTable>(read);
    ASSERT_EQ(table.cells.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(table.cells[i].misfire, analyses[i].fuel.misfire) << i;
        EXPECT_EQ(table.cells[i].partial_burn, analyses[i].fuel.partial_burn) << i;
        EXPECT_TRUE(same(table.cells[i].combustion, analyses[i].fuel.combustion_efficiency)) << i;
        EXPECT_TRUE(
            same(table.cells[i].fuel_conversion, analyses[i].fuel.fuel_conversion_efficiency));
        EXPECT_TRUE(same(table.cells[i].ca50, analyses[i].ca50_deg)) << i;
    }
    EXPECT_TRUE(table.cells[0].misfire);  // a cold charge does not ignite
}

}  // namespace
}  // namespace hcci
