// SPDX-License-Identifier: MIT
// A build step: the manual page with its parameter table written from the program's own table.
// Usage: hcci-manual-tables IN OUT

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "core/report/manual_text.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: hcci-manual-tables IN OUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        std::cerr << "hcci-manual-tables: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    const std::string with_parameters = hcci::with_marker_replaced(
        text, ".\\\" the parameters, from the program's own table", hcci::parameters_manual());
    out << hcci::with_marker_replaced(
        with_parameters, ".\\\" the views, from the program's own list", hcci::views_manual());
    out.close();
    if (!out) {
        std::cerr << "hcci-manual-tables: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
