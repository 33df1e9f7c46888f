// SPDX-License-Identifier: MIT
#include "web/wasm/page_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report/parameter_text.h"

namespace hcci {
namespace {

using Names = std::vector<std::string>;

// What --set says of one setting alone.
std::string set_message(const std::string& setting) {
    EngineParameters parameters;
    return apply_setting(parameters, setting).value_or("");
}

TEST(PageEngine, NoSettingsAreTheOriginalEngine) {
    const PageEngine engine = engine_from_settings({});
    EXPECT_EQ(engine.parameters, EngineParameters{});
    EXPECT_TRUE(engine.refused.empty());
    ASSERT_TRUE(engine.record);
    EXPECT_EQ(engine.record->parameters, EngineParameters{});
}

TEST(PageEngine, EachRefusedSettingIsSaidAsSetSaysItAndTheRestCount) {
    struct Case {
        Names settings;
        Names counted;
        std::vector<Names> refused_names;
    };
    const Case cases[] = {
        {{"gamma=1.3", "first_merge_atdc=-5"}, {"gamma=1.3", "first_merge_atdc=-5"}, {}},
        {{"gamma=5", "rod_length=150"}, {"rod_length=150"}, {{"gamma"}}},
        {{"gamma=x", "Gamma=1.3", "model=diesel"}, {}, {{"gamma"}, {"Gamma"}, {"model"}}},
        {{"gamma=", "gamma=1.35"}, {"gamma=1.35"}, {{"gamma"}}},
    };
    for (const Case& c : cases) {
        const PageEngine engine = engine_from_settings(c.settings);
        EXPECT_EQ(engine.settings, c.counted);
        ASSERT_EQ(engine.refused.size(), c.refused_names.size());
        for (std::size_t i = 0; i < c.refused_names.size(); ++i) {
            EXPECT_EQ(engine.refused[i].names, c.refused_names[i]);
        }
    }
    const PageEngine engine = engine_from_settings({"gamma=5", "rod_length=150"});
    EXPECT_EQ(engine.refused[0].message, set_message("gamma=5"));
    EXPECT_EQ(engine.parameters.gamma, 1.4);
    EXPECT_EQ(engine.parameters.rod_length, 150);
}

TEST(PageEngine, ABrokenOrderRefusesTheLaterSettingAndNamesBoth) {
    const PageEngine engine =
        engine_from_settings({"first_merge_atdc=-20", "first_split_atdc=-10"});
    EXPECT_EQ(engine.settings, Names{"first_merge_atdc=-20"});
    ASSERT_EQ(engine.refused.size(), 1u);
    EXPECT_EQ(engine.refused[0].names, (Names{"first_split_atdc", "first_merge_atdc"}));
    // The same words as the command line's.
    const auto read =
        parameters_from_text(std::nullopt, {"first_merge_atdc=-20", "first_split_atdc=-10"});
    EXPECT_EQ(engine.refused[0].message, std::get<std::string>(read));
}

TEST(PageEngine, ASweepBeyondTheRangeOfNumbersLosesTheLastSetting) {
    const PageEngine engine = engine_from_settings({"gamma=1.3", "start_temperature=1e-320"});
    EXPECT_EQ(engine.settings, Names{"gamma=1.3"});
    ASSERT_EQ(engine.refused.size(), 1u);
    EXPECT_EQ(engine.refused[0].names.front(), "start_temperature");
    EXPECT_NE(engine.refused[0].message.find("start_temperature"), std::string::npos);
    EXPECT_EQ(engine.record->first_non_finite_step, -1);
}

TEST(PageEngine, AModelTakesItsOwnDefaultsAndAnEarlierNameIsConverted) {
    const PageEngine predictive = engine_from_settings({"model=predictive"});
    EXPECT_EQ(predictive.parameters, *model_defaults("predictive"));
    const PageEngine former = engine_from_settings({"first_merge_angle=85"});
    EXPECT_EQ(former.parameters.first_merge_atdc, -5);
    EXPECT_EQ(former.notices.size(), 1u);
}

TEST(PageEngine, ALinksSettingsMakeTheSameEngine) {
    const std::vector<Names> engines = {
        {},
        {"gamma=1.3", "main_compression_ratio=14", "aux_ignition_start_atdc=-16"},
        {"model=predictive", "first_merge_atdc=-5", "start_temperature=330"},
        {"model=predictive", "aux_ignition_factor=3"},  // a value the model does not read
        {"main_share=0.1", "bdc_pressure=1.0000000000000002"},
    };
    for (const Names& settings : engines) {
        const PageEngine engine = engine_from_settings(settings);
        const Names link = settings_of(engine.parameters);
        EXPECT_EQ(engine_from_settings(link).parameters.model, engine.parameters.model);
        // Every parameter the model reads is the same; one it does not read is left out.
        const PageEngine again = engine_from_settings(link);
        for (const ParameterInfo& info : parameter_table()) {
            if (!shapes(info, engine.parameters.model)) continue;
            EXPECT_EQ(again.parameters.*info.member, engine.parameters.*info.member) << info.name;
        }
        EXPECT_EQ(settings_of(again.parameters), link);
    }
    EXPECT_EQ(settings_of(engine_from_settings({"model=predictive", "gamma=1.3"}).parameters),
              (Names{"model=predictive", "gamma=1.3"}));
    EXPECT_TRUE(settings_of(EngineParameters{}).empty());
}

TEST(PageEngine, SettingsComeOneALine) {
    EXPECT_EQ(split_lines("gamma=1.3\n\nmodel=predictive"),
              (Names{"gamma=1.3", "model=predictive"}));
    EXPECT_EQ(split_lines(""), Names{});
    EXPECT_EQ(split_lines("a=1\n"), Names{"a=1"});
}

}  // namespace
}  // namespace hcci
