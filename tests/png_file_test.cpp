// SPDX-License-Identifier: MIT
// The page's PNG against the one hcci-cycle-export writes: zlib deflates as the page's deflate
// package does (the same stream, byte for byte), so the files must be the same bytes.
#include "web/wasm/png_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

#include "core/model/sweep.h"
#include "qt/picture/picture.h"
#include "qt_application.h"
#include "web/wasm/page_engine.h"
#include "web/wasm/page_picture.h"

namespace hcci {
namespace {

std::vector<std::uint8_t> deflated(const std::vector<std::uint8_t>& rows) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, 15, 8, Z_FILTERED), Z_OK);
    std::vector<std::uint8_t> out(deflateBound(&stream, rows.size()));
    stream.next_in = const_cast<Bytef*>(rows.data());
    stream.avail_in = static_cast<uInt>(rows.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string page_png(const SharedRecord& record, int step) {
    const std::vector<std::uint8_t> rgb = picture_rgb(record, step);
    const int width = PixelSurface::width_at(1), height = PixelSurface::height_at(1);
    return png_file(width, height, deflated(filtered_rows(rgb, width, height)));
}

// With the application the program starts, the picture has its screen's resolution.
class PngFile : public QtApplicationSuite {};

TEST_F(PngFile, TheSameBytesAsTheExportedPicture) {
    const std::vector<std::vector<std::string>> engines = {
        {},
        {"gamma=1.3", "main_compression_ratio=14", "aux_ignition_start_atdc=-16"},
        {"model=predictive", "first_merge_atdc=-5", "start_temperature=330"},
    };
    for (const auto& settings : engines) {
        const SharedRecord record = engine_from_settings(settings).record;
        for (const int step : {0, 8449, 9000, last_step}) {
            // Compared as a whole, not printed: a difference names the step only.
            EXPECT_TRUE(page_png(record, step) ==
                        encode_png(render_picture(step, false, 1, record)))
                << "step " << step;
        }
    }
}

// A stream longer than one chunk goes into chunks of 8192 bytes, as libpng writes them.
TEST_F(PngFile, ALongStreamIsSplitAsLibpngSplitsIt) {
    std::vector<std::uint8_t> noise(300 * 200 * 3);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            const std::uint8_t* p = &noise[static_cast<std::size_t>((y * 300 + x) * 3)];
            image.setPixel(x, y, qRgb(p[0], p[1], p[2]));
        }
    }
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    const std::string file = png_file(300, 200, deflated(filtered_rows(noise, 300, 200)));
    EXPECT_GT(file.size(), 3u * 8192);
    EXPECT_TRUE(file == encode_png(image));
}

}  // namespace
}  // namespace hcci
