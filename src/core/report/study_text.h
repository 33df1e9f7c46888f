// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/model/study.h"

// A study as a person asks for it and is told about it.

namespace hcci {

// NAME=FROM:TO:STEP; the reason when it is not one. An angle's name of an earlier release takes
// crank angles, converted and told in notices.
// `option` is the one that gave it, for the messages.
std::variant<StudyRange, std::string> parse_study_range(std::string_view text,
                                                        std::vector<std::string>* notices = nullptr,
                                                        std::string_view option = "--vary");

// Why the study of that range stopped, in one sentence.
std::string study_problem_text(const StudyRange& range, const StudyProblem& problem);

}  // namespace hcci
