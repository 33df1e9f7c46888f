// SPDX-License-Identifier: MIT
#include "core/report/measured_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "core/report/number_text.h"

namespace hcci {
namespace {

constexpr double widest_angle = 360;

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The fields of a line: split at commas where it has one, else at runs of spaces and tabs.
std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> fields;
    if (line.find(',') != std::string_view::npos) {
        for (std::size_t start = 0;;) {
            const std::size_t comma = line.find(',', start);
            fields.push_back(trimmed(line.substr(start, comma - start)));
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        return fields;
    }
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t from = line.find_first_not_of(" \t", start);
        if (from == std::string_view::npos) break;
        const std::size_t to = std::min(line.find_first_of(" \t", from), line.size());
        fields.push_back(line.substr(from, to - from));
        start = to;
    }
    return fields;
}

bool is_number(std::string_view field) {
    return read_decimal(field).kind != DecimalRead::Kind::not_a_number;
}

// The value of a field that must be a finite number, or why it is not.
std::variant<double, std::string> finite_value(std::string_view field, const char* what) {
    const DecimalRead read = read_decimal(field);
    const std::string said = std::string("the ") + what + " " + quoted(field);
    switch (read.kind) {
        case DecimalRead::Kind::not_a_number:
            return said + (field.empty() ? " is missing" : " is not a number");
        case DecimalRead::Kind::out_of_range:
            return said + " " + out_of_range_text();
        case DecimalRead::Kind::number:
            break;
    }
    if (!std::isfinite(read.value)) return said + " is not a finite number";
    return read.value;
}

std::string columns_text(std::size_t count) {
    return count == 1 ? "one column" : std::to_string(count) + " columns";
}

// A row's problem, or nothing: its angle and pressure are taken into the trace.
std::optional<std::string> take_row(MeasuredTrace& trace, const std::vector<std::string_view>& f,
                                    bool& last_was_jump) {
    if (f.size() != 2) {
        return columns_text(f.size()) +
               ", where a row has two: the crank angle (degrees after top dead centre) and the "
               "pressure (bar)";
    }
    const auto angle = finite_value(f[0], "crank angle");
    if (const auto* problem = std::get_if<std::string>(&angle)) return *problem;
    const auto pressure = finite_value(f[1], "pressure");
    if (const auto* problem = std::get_if<std::string>(&pressure)) return *problem;
    const double a = std::get<double>(angle), p = std::get<double>(pressure);
    if (a < -widest_angle || a > widest_angle) {
        return "the crank angle " + quoted(f[0]) + " is outside -360 to 360 degrees";
    }
    if (!(p > 0)) return "the pressure " + quoted(f[1]) + " is not above 0 bar";
    if (!trace.angle_deg.empty()) {
        const double before = trace.angle_deg.back();
        if (a < before) {
            return "the crank angle " + quoted(f[0]) + " comes after " + shortest_text(before) +
                   ": the angles must increase";
        }
        if (a == before && last_was_jump) {
            return "the crank angle " + quoted(f[0]) +
                   " is given a third time: an angle is given twice at most (a jump)";
        }
        last_was_jump = a == before;
    }
    if (trace.angle_deg.size() == largest_measured_rows) {
        return "more than " + std::to_string(largest_measured_rows) + " rows";
    }
    trace.angle_deg.push_back(a);
    trace.pressure_bar.push_back(p);
    return std::nullopt;
}

}  // namespace

std::variant<MeasuredTrace, MeasuredProblem> read_measured_trace(std::string_view text) {
    MeasuredTrace trace;
    bool first_line = true, last_was_jump = false;
    std::size_t number = 0, last_row_line = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        line = trimmed(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const std::vector<std::string_view> fields = fields_of(line);
        // The first line may name the columns: no field of it is a number.
        const bool header = first_line && std::none_of(fields.begin(), fields.end(), is_number);
        first_line = false;
        if (header) continue;
        if (auto problem = take_row(trace, fields, last_was_jump)) {
            return MeasuredProblem{number, *problem};
        }
        last_row_line = number;
    }
    if (trace.angle_deg.empty()) {
        return MeasuredProblem{0, "no rows of crank angle and pressure"};
    }
    if (trace.angle_deg.size() == 1) {
        return MeasuredProblem{last_row_line, "the only row: a trace needs two rows or more"};
    }
    if (trace.angle_deg.front() == trace.angle_deg.back()) {
        return MeasuredProblem{last_row_line, "the trace covers no angle: its rows are all at " +
                                                  shortest_text(trace.angle_deg.front())};
    }
    return trace;
}

std::string measured_problem_text(const MeasuredProblem& problem) {
    if (problem.line == 0) return problem.problem;
    return "line " + std::to_string(problem.line) + ": " + problem.problem;
}

}  // namespace hcci
