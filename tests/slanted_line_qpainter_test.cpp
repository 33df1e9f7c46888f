// SPDX-License-Identifier: MIT
// The core's slanted lines against QPainter on an RGB32 image, the pixels the PNG export drew
// before the core drew them: random lines at every scale, pen width and placement, and whole
// pictures of several engines. HCCI_SLANTED_LINE_CASES=N draws N lines of each scale and
// placement instead of 40 (20000 make a search of some minutes).

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <iostream>
#include <string>

#include "core/animate/cycle_driver.h"
#include "core/draw/slanted_line.h"
#include "core/model/sweep.h"
#include "output_hash.h"
#include "qpainter_surface.h"
#include "qt/picture/image_surface.h"
#include "qt_application.h"
#include "slanted_line_cases.h"

namespace hcci {
namespace {

constexpr Pixel kInk = 0xFF000000u;

PixelBuffer pixels_of(QImage& image) {
    return {reinterpret_cast<Pixel*>(image.bits()), image.width(), image.height(),
            image.bytesPerLine() / 4};
}

void paint_line(QImage& image, const LineCase& c, int pen_width) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(QColor(0, 0, 0), pen_width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    pen.setCosmetic(pen_width == 1);
    painter.setPen(pen);
    painter.drawLine(QPoint(c.a.x, c.a.y), QPoint(c.b.x, c.b.y));
}

int cases_per_placement() {
    const char* wanted = std::getenv("HCCI_SLANTED_LINE_CASES");
    return wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 40;
}

class SlantedLineAgainstQPainter : public QtApplicationSuite {};

TEST_F(SlantedLineAgainstQPainter, PinnedHashesAreWhatQPainterDraws) {
    QImage image(pinned_picture_width, pinned_picture_height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (const PinnedLines& pin : pinned_lines) {
        SCOPED_TRACE(testing::Message() << "pen width " << pin.pen_width);
        const auto paint = [&image](const LineCase& c, int pen) { paint_line(image, c, pen); };
        EXPECT_EQ(pinned_lines_hash(pixels_of(image), pin.pen_width, paint), pin.hash);
    }
}

// Compares the two pictures around the line and makes that part of both white again; the
// number of pixels that differ.
long compare_and_clear(QImage& painted, QImage& drawn, const LineCase& c, int pen_width) {
    const int margin = pen_width + 2;
    const PixelRect box =
        intersected({std::min(c.a.x, c.b.x) - margin, std::min(c.a.y, c.b.y) - margin,
                     std::max(c.a.x, c.b.x) + margin, std::max(c.a.y, c.b.y) + margin},
                    {0, 0, painted.width() - 1, painted.height() - 1});
    long differing = 0;
    for (int y = box.top; y <= box.bottom; ++y) {
        auto* p = reinterpret_cast<QRgb*>(painted.scanLine(y));
        auto* d = reinterpret_cast<QRgb*>(drawn.scanLine(y));
        for (int x = box.left; x <= box.right; ++x) {
            differing += p[x] != d[x];
            p[x] = d[x] = white_pixel;
        }
    }
    return differing;
}

TEST_F(SlantedLineAgainstQPainter, RandomLinesAtEveryScalePenAndPlacement) {
    const int count = cases_per_placement();
    long lines = 0;
    long differing_lines = 0;
    long differing_pixels = 0;
    for (const double scale : {1.0, 1.25, 1.5, 2.0, 3.0, 4.0}) {
        const int width = PixelSurface::width_at(scale);
        const int height = PixelSurface::height_at(scale);
        QImage painted(width, height, QImage::Format_RGB32);
        QImage drawn(width, height, QImage::Format_RGB32);
        painted.fill(Qt::white);
        drawn.fill(Qt::white);
        const QImage white = drawn.copy();
        for (const Placement placement : all_placements) {
            const auto seed = static_cast<std::uint32_t>(scale * 100) + static_cast<int>(placement);
            const std::vector<LineCase> cases =
                slanted_line_cases(width, height, placement, count, seed);
            for (const int pen : pen_widths_at(scale)) {
                for (std::size_t i = 0; i < cases.size(); ++i) {
                    const LineCase& c = cases[i];
                    paint_line(painted, c, pen);
                    draw_slanted_line(pixels_of(drawn), c.a, c.b, pen, kInk);
                    const long differing = compare_and_clear(painted, drawn, c, pen);
                    ++lines;
                    if (differing != 0) {
                        ++differing_lines;
                        differing_pixels += differing;
                        ADD_FAILURE()
                            << differing << " pixels differ: scale " << scale << ", "
                            << placement_name(placement) << ", pen " << pen << ", (" << c.a.x << ","
                            << c.a.y << ")-(" << c.b.x << "," << c.b.y << ")";
                    }
                    // Now and then, nothing beyond the box either.
                    if (i % 16 == 0) {
                        ASSERT_EQ(painted, white) << "QPainter beyond the box";
                        ASSERT_EQ(drawn, white) << "beyond the box";
                    }
                }
            }
        }
    }
    std::cout << lines << " lines, " << differing_lines << " differ, by " << differing_pixels
              << " pixels\n";
    EXPECT_EQ(differing_pixels, 0);
}

// Several engines (one whose auxiliary trace leaves the picture), drawn step by step by the
// image surface and by QPainter for the slanted lines, the same at every 500th step.
TEST_F(SlantedLineAgainstQPainter, WholePicturesOfSeveralEnginesAtEvery500thStep) {
    struct Engine {
        const char* name;
        EngineParameters parameters;
    };
    std::vector<Engine> engines;
    for (const PinnedEngine& pinned : pinned_engines) {
        engines.push_back({pinned.name, pinned.parameters()});
    }
    EngineParameters predictive;
    predictive.model = "predictive";
    engines.push_back({"predictive", predictive});
    EngineParameters off_picture;
    off_picture.aux_ignition_factor = 3;
    engines.push_back({"auxiliary trace off the picture", off_picture});

    for (const Engine& engine : engines) {
        const SharedRecord cycle = share_cycle(engine.parameters);
        for (const double scale : {1.0, 1.5, 2.0, 3.0}) {
            SCOPED_TRACE(testing::Message() << engine.name << " at " << scale);
            ImageSurface image(scale);
            QPainterSurface painted(scale);
            RunControl image_run;
            RunControl painted_run;
            CycleDriver image_driver(image, image_run, cycle);
            CycleDriver painted_driver(painted, painted_run, cycle);
            for (int step = 0; step <= last_step; step += 500) {
                image_driver.run_to(step);
                painted_driver.run_to(step);
                ASSERT_EQ(image.image(), painted.image()) << "at step " << step;
            }
        }
    }
}

}  // namespace
}  // namespace hcci
