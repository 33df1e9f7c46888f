// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A picture as the PNG file hcci-cycle-export writes of it, byte for byte, but for the deflate
// stream, which the page makes (zlib level 6, strategy Z_FILTERED, window 15, memory level 8, as
// libpng asks of zlib). The rows' filters are chosen as libpng chooses them: for each row the
// filter whose bytes, read as signed, add up to the least, the earlier on a tie.

namespace hcci {

// 8-bit RGB rows (width * 3 bytes each), each behind its filter's byte, ready to deflate.
std::vector<std::uint8_t> filtered_rows(std::span<const std::uint8_t> rgb, int width, int height);

// The file: signature, header (8-bit RGB), 96 dots per inch, the deflate stream in IDAT chunks
// of at most 8192 bytes, end.
std::string png_file(int width, int height, std::span<const std::uint8_t> deflated);

}  // namespace hcci
