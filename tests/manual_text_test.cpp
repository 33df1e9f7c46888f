// SPDX-License-Identifier: MIT
#include "core/report/manual_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/model/engine_model.h"

namespace hcci {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The manual lists every parameter once, with its default and range, under its group, and says
// which model alone a model's own parameters shape; what roff would read as its own is escaped.
TEST(ManualText, EveryParameterOnceAsRoffPrintsIt) {
    const std::string text = parameters_manual();
    for (const ParameterInfo& info : parameter_table()) {
        SCOPED_TRACE(std::string(info.name));
        EXPECT_EQ(count(text, ".BR " + std::string(info.name) + " \""), 1u);
    }
    EXPECT_NE(text.find(".BR first_split_atdc \" \\-33, (\\-180, 180)\""), std::string::npos);
    EXPECT_NE(text.find("first_split_atdc <= first_merge_atdc"), std::string::npos);
    for (const EngineModelEntry* model : engine_models()) {
        EXPECT_EQ(count(text, ".B " + std::string(model->name) + "\n"), 1u);
        // Once under each group of its own parameters.
        std::set<std::string_view> groups;
        for (const ParameterInfo& info : model->parameters) groups.insert(info.group);
        EXPECT_EQ(count(text, "shape the " + std::string(model->name) + " model only"),
                  groups.size());
    }
    // No line that roff would take for a request of its own but the ones written as such.
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text[at] == '.') {
            const std::string request = text.substr(at, text.find_first_of(" \n", at) - at);
            EXPECT_TRUE(request == ".TP" || request == ".BR" || request == ".B" || request == ".SS")
                << request;
        }
    }
    EXPECT_EQ(text.find("-"), text.find("\\-") + 1);  // every minus escaped
}

TEST(ManualText, TheMarkerLineIsReplacedWhole) {
    EXPECT_EQ(with_marker_replaced("a\nMARK\nb\n", "MARK", "x\ny\n"), "a\nx\ny\nb\n");
    EXPECT_EQ(with_marker_replaced("a MARK\nb", "MARK", "x\n"), "a MARK\nb");
    EXPECT_EQ(with_marker_replaced("MARK", "MARK", "x\n"), "x\n");
}

}  // namespace
}  // namespace hcci
