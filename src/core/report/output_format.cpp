// SPDX-License-Identifier: MIT
#include "core/report/output_format.h"

#include <algorithm>
#include <array>

namespace hcci {
namespace {

constexpr std::uint32_t bits(OutputKind kind) {
    return static_cast<std::uint32_t>(kind);
}

constexpr std::array<OutputFormatInfo, 9> formats{{
    {OutputFormat::csv, ".csv", "CSV", bits(OutputKind::table)},
    {OutputFormat::png, ".png", "PNG", bits(OutputKind::picture) | bits(OutputKind::plot)},
    {OutputFormat::svg, ".svg", "SVG", bits(OutputKind::picture) | bits(OutputKind::plot)},
    {OutputFormat::mp4, ".mp4", "MP4, H.264", bits(OutputKind::video),
     FormatWriting::seeks_and_reads},
    {OutputFormat::webm, ".webm", "WebM, VP9", bits(OutputKind::video), FormatWriting::seeks},
    {OutputFormat::gif, ".gif", "GIF", bits(OutputKind::video)},
    {OutputFormat::toml, ".toml", "TOML", bits(OutputKind::parameters)},
    {OutputFormat::txt, ".txt", "Text", bits(OutputKind::analysis)},
    {OutputFormat::json, ".json", "JSON", bits(OutputKind::analysis)},
}};

}  // namespace

std::span<const OutputFormatInfo> output_formats() {
    return formats;
}

const OutputFormatInfo& info_of(OutputFormat format) {
    return *std::find_if(formats.begin(), formats.end(),
                         [format](const OutputFormatInfo& info) { return info.format == format; });
}

bool serves(OutputFormat format, OutputKind kind) {
    return (info_of(format).kinds & bits(kind)) != 0;
}

std::optional<OutputFormat> format_of(std::string_view path) {
    for (const OutputFormatInfo& info : formats) {
        if (path.ends_with(info.extension)) return info.format;
    }
    return std::nullopt;
}

FormatWriting writing_of(std::string_view path) {
    const std::optional<OutputFormat> format = format_of(path);
    return format ? info_of(*format).writing : FormatWriting::streamed;
}

std::vector<OutputFormat> formats_for(OutputKind kind) {
    std::vector<OutputFormat> found;
    for (const OutputFormatInfo& info : formats) {
        if (info.kinds & bits(kind)) found.push_back(info.format);
    }
    return found;
}

std::string extensions_text(OutputKind kind) {
    const std::vector<OutputFormat> found = formats_for(kind);
    std::string text;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0) text += i + 1 == found.size() ? " or " : ", ";
        text += info_of(found[i]).extension;
    }
    return text;
}

}  // namespace hcci
