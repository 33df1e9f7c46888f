// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string_view>

// Our UTF-8 text as Qt's. Below every Qt layer: the picture's labels, the plots and the windows
// all show the core's texts.

namespace hcci {

inline QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace hcci
