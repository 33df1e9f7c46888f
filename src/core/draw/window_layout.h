// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The window's fixed appearance: caption and the eight labels. No toolkit here.

namespace hcci {

inline constexpr std::string_view form_caption =
    "         Torvan HCCI Controllable Combustion     SpaceBar :freeze   Enter: restart  , . /   "
    "ESC/ DoubleClick : Quit";

enum class LabelAlignment { centre, right };

struct LabelLayout {
    std::string_view name;
    std::string_view caption;
    int left, top, width, height;  // pixels of the 616 x 741 client area
    std::uint32_t text_color;      // 0x00BBGGRR
    std::uint32_t background;      // 0x00BBGGRR, or the window background 0x80000005
    LabelAlignment alignment;
    int pixel_size;  // font size in pixels at 96 dpi
};

inline constexpr std::size_t label8_index = 7;

inline constexpr std::array<LabelLayout, 8> label_layouts{{
    {"Label1", "Pressure (10Bar/Horizontal_Line)", 224, 16, 193, 57, 0x808080, 0x80000005,
     LabelAlignment::centre, 16},
    {"Label2", "Temperature (100K/Horizontal_Line)", 232, 656, 193, 49, 0x808080, 0x80000005,
     LabelAlignment::centre, 16},
    {"Label3", "Torvan HCCI Controllable Combustion ", 472, 8, 129, 137, 0x0000C0, 0xFFFFFF,
     LabelAlignment::right, 21},
    {"Label4", "www.torvan.example", 408, 712, 193, 25, 0xC0C0C0, 0xFFFFFF, LabelAlignment::centre,
     19},
    {"Label5", "United Chamber", 432, 600, 153, 25, 0xFF0000, 0xFFFFFF, LabelAlignment::right, 16},
    {"Label6", "Main Chamber", 432, 624, 153, 25, 0x00C000, 0xFFFFFF, LabelAlignment::right, 16},
    {"Label7", "Auxiliary Chamber", 432, 648, 153, 25, 0x0000FF, 0xFFFFFF, LabelAlignment::right,
     16},
    {"Label8", "-180", 280, 328, 57, 33, 0x0000C0, 0x80000005, LabelAlignment::centre, 19},
}};

}  // namespace hcci
