// SPDX-License-Identifier: MIT
#include "apps/window/file_filters.h"

#include "qt/text/qt_text.h"

namespace hcci {

QString file_filter(OutputFormat format) {
    const OutputFormatInfo& info = info_of(format);
    return text_of(info.description) + QStringLiteral(" (*") + text_of(info.extension) +
           QStringLiteral(")");
}

QString file_filter(OutputKind kind) {
    QString filter;
    for (const OutputFormat format : formats_for(kind)) {
        if (!filter.isEmpty()) filter += QStringLiteral(";;");
        filter += file_filter(format);
    }
    return filter;
}

}  // namespace hcci
