// SPDX-License-Identifier: MIT
#include "core/report/output_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace hcci {
namespace {

TEST(OutputFormat, ANamesEndingSaysItsFormat) {
    const struct {
        std::string_view path;
        std::optional<OutputFormat> format;
    } rows[] = {
        {"sweep.csv", OutputFormat::csv},
        {"dir.svg/cycle.png", OutputFormat::png},
        {"cycle.svg", OutputFormat::svg},
        {"sweep.mp4", OutputFormat::mp4},
        {"sweep.webm", OutputFormat::webm},
        {".gif", OutputFormat::gif},
        {"engine.toml", OutputFormat::toml},
        {"summary.txt", OutputFormat::txt},
        {"summary.json", OutputFormat::json},
        // The ending's case counts, as it always has: ".PNG" asks for nothing.
        {"cycle.PNG", std::nullopt},
        {"sweep.Gif", std::nullopt},
        {"cycle.png.bak", std::nullopt},
        {"png", std::nullopt},
        {"cycle.jpg", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(format_of(row.path), row.format) << row.path;
}

// format_of takes the first ending that fits: no ending may end another, or a format would
// shadow another. Each format is listed once, with an ending and a kind.
TEST(OutputFormat, EachFormatHasOneEndingOfItsOwn) {
    std::set<OutputFormat> seen;
    for (const OutputFormatInfo& info : output_formats()) {
        SCOPED_TRACE(info.extension);
        EXPECT_TRUE(seen.insert(info.format).second);
        ASSERT_GE(info.extension.size(), 2u);
        EXPECT_EQ(info.extension.front(), '.');
        EXPECT_FALSE(info.description.empty());
        EXPECT_NE(info.kinds, 0u);
        EXPECT_EQ(format_of("name" + std::string(info.extension)), info.format);
        EXPECT_EQ(&info_of(info.format), &info);
        for (const OutputFormatInfo& other : output_formats()) {
            if (&other == &info) continue;
            EXPECT_FALSE(info.extension.ends_with(other.extension)) << other.extension;
        }
    }
}

TEST(OutputFormat, TheFormatsOfAKindInTheirOrderAndInAMessage) {
    const struct {
        OutputKind kind;
        std::vector<OutputFormat> formats;
        std::string_view text;
    } rows[] = {
        {OutputKind::plot, {OutputFormat::png, OutputFormat::svg}, ".png or .svg"},
        {OutputKind::picture, {OutputFormat::png, OutputFormat::svg}, ".png or .svg"},
        {OutputKind::video,
         {OutputFormat::mp4, OutputFormat::webm, OutputFormat::gif},
         ".mp4, .webm or .gif"},
        {OutputKind::table, {OutputFormat::csv}, ".csv"},
        {OutputKind::parameters, {OutputFormat::toml}, ".toml"},
        {OutputKind::analysis, {OutputFormat::txt, OutputFormat::json}, ".txt or .json"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(formats_for(row.kind), row.formats);
        EXPECT_EQ(extensions_text(row.kind), row.text);
        for (const OutputFormat format : row.formats) EXPECT_TRUE(serves(format, row.kind));
    }
    EXPECT_FALSE(serves(OutputFormat::gif, OutputKind::plot));
    EXPECT_FALSE(serves(OutputFormat::csv, OutputKind::video));
}

}  // namespace
}  // namespace hcci
