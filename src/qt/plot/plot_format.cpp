// SPDX-License-Identifier: MIT
#include "qt/plot/plot_format.h"

#include "core/report/output_format.h"

namespace hcci {

PlotFormat plot_format_of(std::string_view path) {
    return format_of(path) == OutputFormat::svg ? PlotFormat::svg : PlotFormat::png;
}

}  // namespace hcci
