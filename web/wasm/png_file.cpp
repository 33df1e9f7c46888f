// SPDX-License-Identifier: MIT
#include "web/wasm/png_file.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace hcci {
namespace {

constexpr int bytes_per_pixel = 3;
constexpr std::size_t idat_chunk_size = 8192;   // libpng's default buffer
constexpr std::uint32_t dots_per_metre = 3780;  // 96 dpi

enum Filter : std::uint8_t { none, sub, up, average, paeth };

std::uint8_t paeth_predictor(int left, int above, int upper_left) {
    const int p = left + above - upper_left;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - above);
    const int pc = std::abs(p - upper_left);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(left);
    if (pb <= pc) return static_cast<std::uint8_t>(above);
    return static_cast<std::uint8_t>(upper_left);
}

// A filtered byte as libpng weighs it: its distance from zero, read as a signed byte.
std::size_t weight(std::uint8_t value) {
    return value < 128 ? value : 256u - value;
}

// The row through one filter, into out (its filter byte first); returns its weight.
std::size_t filter_row(Filter filter, const std::uint8_t* row, const std::uint8_t* above,
                       std::size_t length, std::uint8_t* out) {
    out[0] = filter;
    std::size_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const int left = i >= bytes_per_pixel ? row[i - bytes_per_pixel] : 0;
        const int up_value = above[i];
        const int upper_left = i >= bytes_per_pixel ? above[i - bytes_per_pixel] : 0;
        int predicted = 0;
        switch (filter) {
            case none:
                break;
            case sub:
                predicted = left;
                break;
            case up:
                predicted = up_value;
                break;
            case average:
                predicted = (left + up_value) / 2;
                break;
            case paeth:
                predicted = paeth_predictor(left, up_value, upper_left);
                break;
        }
        out[i + 1] = static_cast<std::uint8_t>(row[i] - predicted);
        sum += weight(out[i + 1]);
    }
    return sum;
}

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0xFFFFFFFFu) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    for (const std::uint8_t byte : bytes) crc = table[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
    return crc;
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void put_chunk(std::string& file, const char (&type)[5], std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> chunk;
    put_u32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const std::uint32_t crc = crc32(std::span(chunk).subspan(4)) ^ 0xFFFFFFFFu;
    put_u32(chunk, crc);
    file.append(chunk.begin(), chunk.end());
}

}  // namespace

std::vector<std::uint8_t> filtered_rows(std::span<const std::uint8_t> rgb, int width, int height) {
    const auto length = static_cast<std::size_t>(width) * bytes_per_pixel;
    const std::vector<std::uint8_t> zeros(length, 0);
    std::vector<std::uint8_t> out;
    out.reserve((length + 1) * static_cast<std::size_t>(height));
    std::vector<std::uint8_t> best(length + 1), trial(length + 1);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rgb.data() + static_cast<std::size_t>(y) * length;
        const std::uint8_t* above = y == 0 ? zeros.data() : row - length;
        std::size_t least = filter_row(none, row, above, length, best.data());
        for (const Filter filter : {sub, up, average, paeth}) {
            const std::size_t sum = filter_row(filter, row, above, length, trial.data());
            if (sum < least) {
                least = sum;
                best.swap(trial);
            }
        }
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

std::string png_file(int width, int height, std::span<const std::uint8_t> deflated) {
    std::string file = "\x89PNG\r\n\x1a\n";
    std::vector<std::uint8_t> header;
    put_u32(header, static_cast<std::uint32_t>(width));
    put_u32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive, no interlace
    put_chunk(file, "IHDR", header);
    std::vector<std::uint8_t> physical;
    put_u32(physical, dots_per_metre);
    put_u32(physical, dots_per_metre);
    physical.push_back(1);  // the unit is the metre
    put_chunk(file, "pHYs", physical);
    for (std::size_t at = 0; at < deflated.size(); at += idat_chunk_size) {
        put_chunk(file, "IDAT",
                  deflated.subspan(at, std::min(idat_chunk_size, deflated.size() - at)));
    }
    put_chunk(file, "IEND", {});
    return file;
}

}  // namespace hcci
