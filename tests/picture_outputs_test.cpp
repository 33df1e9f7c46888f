// SPDX-License-Identifier: MIT
// The pictures of three engines, pixel for pixel (and the SVG byte for byte) as a release build
// drew them before the sources were rearranged.

#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "core/model/sweep.h"
#include "output_hash.h"
#include "qt/picture/picture.h"
#include "qt_application.h"

namespace hcci {
namespace {

// The pixels as 8-bit red, green and blue, row by row.
std::uint64_t pixel_hash(const QImage& image) {
    std::uint64_t hash = fnv1a("");
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const char rgb[] = {static_cast<char>(qRed(row[x])), static_cast<char>(qGreen(row[x])),
                                static_cast<char>(qBlue(row[x]))};
            hash = fnv1a(std::string_view(rgb, 3), hash);
        }
    }
    return hash;
}

class PictureOutputs : public QtApplicationSuite {};

TEST_F(PictureOutputs, AreThePixelsTheyWere) {
    const struct {
        std::uint64_t last_step, last_step_2x, aux_peak, svg;
    } pinned[] = {
        {0x3645aa83392a4bc5, 0x4257acfb75f79238, 0xcb1561f94b71087d, 0x7e9e4fd644e8486a},
        {0x54b9dd45b949b277, 0xd274d594c494b51f, 0x90a5966aeca4b4e0, 0x1595e29ca6fcc3d7},
        {0xc90b2c6a43a7eacc, 0x59bcba735df9a396, 0x7741bc5bf48f5c8c, 0x79f2bbe198de897f},
    };
    for (std::size_t i = 0; i < std::size(pinned); ++i) {
        SCOPED_TRACE(pinned_engines[i].name);
        const EngineParameters engine = pinned_engines[i].parameters();
        EXPECT_EQ(pixel_hash(render_picture(last_step, true, 1, engine)), pinned[i].last_step);
        EXPECT_EQ(pixel_hash(render_picture(last_step, true, 2, engine)), pinned[i].last_step_2x);
        EXPECT_EQ(pixel_hash(render_picture(8449, true, 1, engine)), pinned[i].aux_peak);
        EXPECT_EQ(fnv1a(render_svg(last_step, true, engine)), pinned[i].svg);
    }
}

}  // namespace
}  // namespace hcci
