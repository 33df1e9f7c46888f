// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "core/report/output_format.h"

// The save and open dialogs' filters, from the table of output formats.

namespace hcci {

// "MP4, H.264 (*.mp4)".
QString file_filter(OutputFormat format);
// "PNG (*.png);;SVG (*.svg)": every format of the kind, the first the dialog's default.
QString file_filter(OutputKind kind);

}  // namespace hcci
