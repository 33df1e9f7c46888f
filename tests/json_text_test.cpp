// SPDX-License-Identifier: MIT
#include "web/wasm/json_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/model/cycle_series.h"
#include "web/wasm/page_data.h"

namespace hcci {
namespace {

TEST(JsonText, StringsAreEscapedAndNumbersExact) {
    const std::pair<std::string, std::string> strings[] = {
        {"plain", "\"plain\""},
        {"say \"x\"", "\"say \\\"x\\\"\""},
        {"a\\b", "\"a\\\\b\""},
        {"two\nlines\t", "\"two\\nlines\\u0009\""},
        {"\u03b3 \u00b0", "\"\u03b3 \u00b0\""},
    };
    for (const auto& [text, written] : strings) EXPECT_EQ(json::string(text), written);
    EXPECT_EQ(json::number(0.1), "0.1");
    EXPECT_EQ(json::number(1.3e-4), "0.00013");
    EXPECT_EQ(json::number(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(json::number(-std::numeric_limits<double>::infinity()), "null");
}

// The page's JSON has the registry's every model, parameter and view, and a view's points.
TEST(PageData, TheRegistryAndAViewAreAllThere) {
    const std::string registry = registry_json();
    for (const ParameterInfo& info : parameter_table()) {
        EXPECT_NE(registry.find("\"name\":\"" + std::string(info.name) + "\""), std::string::npos);
    }
    EXPECT_NE(registry.find("\"predictive\""), std::string::npos);
    EXPECT_NE(registry.find("\"log-pv\""), std::string::npos);
    const CycleSeries series = cycle_series(*share_cycle({}));
    std::vector<double> points;
    const std::string view = view_json("pressure-angle", series, &series, points);
    EXPECT_NE(view.find("\"baseline\":true"), std::string::npos);
    // Two charts of a baseline and the current engine, three charges each: every step's point.
    EXPECT_GT(points.size(), 4u * steps_per_sweep);
    EXPECT_EQ(view_json("no-such-view", series, nullptr, points), "null");
    EXPECT_TRUE(points.empty());
}

}  // namespace
}  // namespace hcci
