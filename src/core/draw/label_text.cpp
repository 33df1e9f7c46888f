// SPDX-License-Identifier: MIT
#include "core/draw/label_text.h"

namespace hcci {

std::vector<std::string> wrap_at_spaces(std::string_view text, double width,
                                        const std::function<double(std::string_view)>& measure) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t word_start = text.find_first_not_of(' ', at);
        if (word_start == std::string_view::npos) {
            line += text.substr(at);  // trailing spaces
            break;
        }
        std::size_t word_end = text.find(' ', word_start);
        if (word_end == std::string_view::npos) word_end = text.size();
        const std::string_view spaces = text.substr(at, word_start - at);
        const std::string_view word = text.substr(word_start, word_end - word_start);
        if (line.empty() && lines.empty()) {
            line = std::string(spaces) + std::string(word);
        } else {
            std::string candidate = line + std::string(spaces) + std::string(word);
            if (measure(candidate) <= width) {
                line = std::move(candidate);
            } else {
                lines.push_back(std::move(line));
                line = std::string(word);
            }
        }
        at = word_end;
    }
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    return lines;
}

}  // namespace hcci
