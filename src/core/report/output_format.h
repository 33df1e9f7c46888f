// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The formats the programs write, each with its file name's ending: the one table that says
// which format a name asks for, and which formats an output may take (for messages and file
// dialogs). A new format is a new row here, and its writer.

namespace hcci {

enum class OutputFormat { csv, png, svg, mp4, webm, gif, toml, txt, json };

// What an output is; a format may serve several.
enum class OutputKind : std::uint32_t {
    table = 1U << 0,       // a sweep's or a study's values
    picture = 1U << 1,     // the window's picture at a step
    plot = 1U << 2,        // a view or a study's figures
    video = 1U << 3,       // a sweep as it looks in the window
    parameters = 1U << 4,  // an engine's parameter file
    analysis = 1U << 5,    // the cycle's analysis
};

// How a format's bytes go into its file: in one stream from the start to the end, with seeks
// back (to fill in a header once the frames are known), or with seeks and reading back what was
// written (an MP4 moves its index in front of its frames). A target written in place must allow
// what its format does.
enum class FormatWriting { streamed, seeks, seeks_and_reads };

struct OutputFormatInfo {
    OutputFormat format;
    std::string_view extension;    // ".png"
    std::string_view description;  // "MP4, H.264"
    std::uint32_t kinds;           // OutputKind bits
    FormatWriting writing = FormatWriting::streamed;
};

std::span<const OutputFormatInfo> output_formats();
const OutputFormatInfo& info_of(OutputFormat format);

bool serves(OutputFormat format, OutputKind kind);

// How the format a file's name ends in is written; streamed for a name of none.
FormatWriting writing_of(std::string_view path);

// The format a file's name ends in, the ending's case as written in the table (".PNG" is none).
std::optional<OutputFormat> format_of(std::string_view path);

// The formats of a kind, in the table's order.
std::vector<OutputFormat> formats_for(OutputKind kind);

// Their endings for a message: ".png or .svg", ".mp4, .webm or .gif".
std::string extensions_text(OutputKind kind);

}  // namespace hcci
