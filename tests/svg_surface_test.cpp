// SPDX-License-Identifier: MIT
#include "qt/picture/svg_surface.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/animate/cycle_driver.h"
#include "core/draw/logical_mapping.h"
#include "core/model/sweep.h"
#include "qt/picture/image_surface.h"
#include "qt/picture/picture.h"
#include "qt_application.h"
#include "recording_surface.h"

// The vector picture against the image surface's pixels, rasterised by Qt's own renderer.

namespace hcci {
namespace {

class SvgPicture : public QtApplicationSuite {};

QImage rasterised(int step) {
    const std::string svg = render_svg(step, false);
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    EXPECT_TRUE(renderer.isValid());
    QImage image(client_width, client_height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

int row_of(double y) {
    return static_cast<int>(std::floor(pixel_y(static_cast<float>(y))));
}

bool is_trace_colour(QRgb rgb) {
    for (const Color trace : {blue, green, red}) {
        if ((rgb & 0xFFFFFF) == (ImageSurface::to_rgb(trace) & 0xFFFFFF)) return true;
    }
    return false;
}

// Whether the picture has a pixel at p or one of its eight neighbours that passes.
template <typename Test>
bool near(const QImage& image, QPoint p, Test passes) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (image.rect().contains(q) && passes(image.pixel(q))) return true;
        }
    }
    return false;
}

TEST_F(SvgPicture, CoversThePixelsOfThePictureButForTheSlantedLinesEdges) {
    for (const int step : {0, 8400, 9000, 18000}) {
        SCOPED_TRACE(step);
        const QImage vector = rasterised(step);
        const QImage pixels = render_picture(step, false);
        int different = 0, traces_apart = 0;
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x) {
                const QRgb v = vector.pixel(x, y), p = pixels.pixel(x, y);
                if (v == p) continue;
                // A trace runs through its unrounded points, its edges smoothed, the picture's
                // through whole pixels: they part by up to a pixel, each side of the other.
                const QPoint at(x, y);
                if (near(vector, at, is_trace_colour) || near(pixels, at, is_trace_colour)) {
                    const auto same = [](QRgb colour) {
                        return [colour](QRgb other) { return other == colour; };
                    };
                    // Smoothed, a pixel is the trace's where it is more of its colour than not.
                    const auto mostly = [](QRgb colour) {
                        return [colour](QRgb other) {
                            return std::max({std::abs(qRed(other) - qRed(colour)),
                                             std::abs(qGreen(other) - qGreen(colour)),
                                             std::abs(qBlue(other) - qBlue(colour))}) < 128;
                        };
                    };
                    traces_apart += (is_trace_colour(v) && !near(pixels, at, same(v))) ||
                                    (is_trace_colour(p) && !near(vector, at, mostly(p)));
                } else {
                    ++different;
                }
            }
        }
        // Level and upright lines and boxes land on whole pixels; the slanted connecting rod
        // may differ by a pixel at its sides. Where a trace turns back sharply or crosses
        // another, a few of its pixels have none of their colour within a pixel.
        EXPECT_LT(different, 400);
        EXPECT_LE(traces_apart, 12);
    }
}

// A vector picture's paths: the colour of each and its points.
struct SvgPath {
    std::string stroke;
    std::vector<QPointF> points;
};

std::vector<SvgPath> paths_of(const std::string& svg) {
    std::vector<SvgPath> paths;
    std::string stroke;
    for (std::size_t at = 0; (at = svg.find('<', at)) != std::string::npos; ++at) {
        const std::size_t end = svg.find('>', at);
        const std::string element = svg.substr(at, end - at);
        if (element.rfind("<g ", 0) == 0) {
            const std::size_t s = element.find("stroke=\"");
            stroke = s == std::string::npos ? "" : element.substr(s + 8, 7);
        } else if (element.rfind("<path", 0) == 0) {
            SvgPath path{stroke, {}};
            std::istringstream data(element.substr(element.find(" d=\"") + 4));
            char command = 0, comma = 0;
            double x = 0, y = 0;
            while (data >> command && (command == 'M' || command == 'L') &&
                   data >> x >> comma >> y) {
                path.points.emplace_back(x, y);
            }
            paths.push_back(path);
        }
    }
    return paths;
}

double distance_to_path(QPointF p, const std::vector<QPointF>& path) {
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < path.size(); ++i) {
        const QPointF a = path[i - 1], ab = path[i] - a;
        const double length2 = QPointF::dotProduct(ab, ab);
        const double t =
            length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
        const QPointF off = p - (a + t * ab);
        nearest = std::min(nearest, std::hypot(off.x(), off.y()));
    }
    return nearest;
}

// The traces are the model's points, not pixels: every segment's ends lie on a path of its
// colour (the 2-pixel pen's band centred half a pixel on, as on the image surface), within
// two thousandths of a pixel: the file's numbers are written to a thousandth, and a point that
// close to the line through its neighbours is left out.
TEST_F(SvgPicture, TracesPassThroughEveryPointTheyWereGiven) {
    RecordingSurface recording;
    RunControl run;
    CycleDriver driver(recording, run);
    driver.run_to(last_step);
    const std::vector<SvgPath> paths = paths_of(render_svg(last_step, false));
    const struct {
        Color colour;
        const char* stroke;
    } traces[] = {{blue, "#0000ff"}, {green, "#00c000"}, {red, "#ff0000"}};
    for (const auto& trace : traces) {
        SCOPED_TRACE(trace.stroke);
        std::vector<std::vector<QPointF>> drawn;
        for (const SvgPath& path : paths) {
            if (path.stroke == trace.stroke && path.points.size() >= 2)
                drawn.push_back(path.points);
        }
        ASSERT_FALSE(drawn.empty());
        int points = 0, off_the_path = 0;
        double farthest = 0;
        for (const LineCall& line : recording.lines()) {
            if (line.explicit_color != trace.colour) continue;
            for (const auto& [x, y] : {std::pair{line.x1, line.y1}, std::pair{line.x2, line.y2}}) {
                const QPointF p(pixel_x(x) + 0.5, pixel_y(y) + 0.5);
                double nearest = std::numeric_limits<double>::infinity();
                for (const auto& path : drawn)
                    nearest = std::min(nearest, distance_to_path(p, path));
                ++points;
                off_the_path += nearest > 0.002;
                farthest = std::max(farthest, nearest);
            }
        }
        EXPECT_GT(points, 4000);
        EXPECT_EQ(off_the_path, 0) << "farthest " << farthest;
    }
}

// The erasing strokes are in the picture where they change it: the disc's top and bottom edge
// rows turn white as the recess passes over them, and stay black before it does.
TEST_F(SvgPicture, KeepsTheErasingOfTheDiscsEdges) {
    const int disc_column = static_cast<int>(pixel_x(9.4f));
    const QImage before = rasterised(7000);
    const QImage after = rasterised(18000);
    for (const double edge : {-62.5, 62.5}) {
        SCOPED_TRACE(edge);
        EXPECT_EQ(before.pixel(disc_column, row_of(edge)), qRgb(0, 0, 0));
        EXPECT_EQ(after.pixel(disc_column, row_of(edge)), qRgb(255, 255, 255));
        EXPECT_EQ(after.pixel(disc_column, row_of(edge / 2)), qRgb(0, 0, 0));
    }
}

// A sweep's thousands of calls become a picture of what it shows: each trace one path a phase,
// the outlines that were erased left out.
TEST_F(SvgPicture, StaysTheSizeOfWhatItShows) {
    SvgSurface surface;
    RunControl run;
    CycleDriver driver(surface, run);
    while (driver.advance() == Advance::stepped) {
    }
    // Against 18001 steps of 2 to 4 segments and 34 outline shapes: the background's 54, about
    // twenty trace paths, the last outline's 17 and the disc's erased edges.
    EXPECT_LT(surface.path_count(), 200u);
}

}  // namespace
}  // namespace hcci
