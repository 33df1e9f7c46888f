// SPDX-License-Identifier: MIT
// The picture at larger scales and device pixel ratios: rasterised afresh, not enlarged.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>

#include "apps/window/form1.h"
#include "core/animate/cycle_driver.h"
#include "core/draw/logical_mapping.h"
#include "qt/picture/image_surface.h"
#include "qt_application.h"

namespace hcci {
namespace {

int count_colour(const QImage& image, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) n += (row[x] & 0xFFFFFF) == (rgb & 0xFFFFFF);
    }
    return n;
}

TEST(SurfaceScale, ImageSizeAndMappingFollowTheScale) {
    for (double scale : {1.0, 1.25, 1.5, 2.0, 4.0}) {
        SCOPED_TRACE(scale);
        ImageSurface surface(scale);
        EXPECT_EQ(surface.image().width(), std::lround(616 * scale));
        EXPECT_EQ(surface.image().height(), std::lround(741 * scale));
        // The same logical point lands on the same relative place.
        EXPECT_NEAR(pixel_x(0, scale) / surface.image().width(), pixel_x(0) / 616, 1e-3);
        EXPECT_NEAR(pixel_y(145, scale) / surface.image().height(), pixel_y(145) / 741, 1e-3);
    }
}

TEST(SurfaceScale, PenWidthsScale) {
    for (const auto& [scale, pen, expected] : std::vector<std::tuple<double, int, int>>{
             {1, 1, 1}, {1, 3, 3}, {1.5, 2, 3}, {2, 1, 2}, {2, 3, 6}}) {
        SCOPED_TRACE(std::to_string(scale) + " x " + std::to_string(pen));
        ImageSurface surface(scale);
        surface.DrawWidth(pen);
        surface.Line(LineMode::line, 10, 0, 90, 0, black);
        const QImage& image = surface.image();
        const int column = static_cast<int>(pixel_x(50, scale));
        int thickness = 0;
        for (int y = 0; y < image.height(); ++y)
            thickness += image.pixel(column, y) == qRgb(0, 0, 0);
        EXPECT_EQ(thickness, expected);
    }
}

TEST(SurfaceScale, ReplayDrawsTheSamePictureAsTheRunItself) {
    for (int steps : {1, 2, 5000, 9000, 18001}) {
        SCOPED_TRACE(steps);
        ImageSurface live;
        RunControl run;
        CycleDriver driver(live, run);
        for (int i = 0; i < steps; ++i) driver.advance();
        ImageSurface replayed;
        replay_cycle(replayed, driver);
        EXPECT_EQ(live.image(), replayed.image());
    }
}

class FormScale : public QtApplicationSuite {};

TEST_F(FormScale, ResizeRasterisesAfreshAndKeepsTheProportions) {
    Form1 form;
    for (int i = 0; i < 9001; ++i) form.driver().advance();
    form.resize_now(QSize(1232 + 100, 1482));
    EXPECT_DOUBLE_EQ(form.picture_scale(), 2);
    EXPECT_EQ(form.picture_rect(), QRect(50, 0, 1232, 1482));

    ImageSurface fresh(2);
    RunControl run;
    CycleDriver driver(fresh, run);
    for (int i = 0; i < 9001; ++i) driver.advance();
    EXPECT_EQ(form.surface().image(), fresh.image());

    // Drawing goes on at the new size, exactly as a fresh run at that size draws it.
    for (int i = 0; i < 500; ++i) {
        form.driver().advance();
        driver.advance();
    }
    EXPECT_EQ(form.surface().image(), fresh.image());
    EXPECT_GT(count_colour(fresh.image(), qRgb(0, 0, 255)), 0);

    // Labels keep their places relative to the drawing, their fonts scaled.
    EXPECT_EQ(form.label(7)->geometry(), QRect(50 + 560, 656, 114, 66));
    EXPECT_EQ(form.label(7)->font().pixelSize(), 38);
}

TEST_F(FormScale, ShrinksToHalfAndNoFurther) {
    Form1 form;
    form.resize_now(QSize(308, 371));
    EXPECT_NEAR(form.picture_scale(), 0.5, 0.001);
    EXPECT_GE(form.minimumWidth(), 308);
    EXPECT_GE(form.minimumHeight(), 370);
}

TEST_F(FormScale, BackToTheOwnSizeGivesTheSamePixels) {
    Form1 form;
    for (int i = 0; i < 3000; ++i) form.driver().advance();
    const QImage before = form.surface().image().copy();
    form.resize_now(QSize(900, 900));
    form.resize_now(QSize(616, 741));
    EXPECT_EQ(form.surface().image(), before);
}

// A drag: the picture drawn at the old size is shown scaled until the size settles; then it is
// drawn afresh, in slices, while the animation goes on.
TEST_F(FormScale, DuringADragTheOldPictureIsScaledThenDrawnAfreshOnceSettled) {
    Form1 form;
    form.show();
    QElapsedTimer clock;
    clock.start();
    const auto pump_until = [&](auto condition) {
        const qint64 deadline = clock.elapsed() + 10000;
        while (!condition() && clock.elapsed() < deadline)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return condition();
    };
    ASSERT_TRUE(pump_until([&] { return form.driver().step_index() > 3000; }));
    for (int width : {700, 800, 1000, 1232}) {
        form.resize(width, width * 741 / 616);
        QApplication::processEvents();
        EXPECT_EQ(form.surface().scale(), 1);  // still the old picture, shown scaled
    }
    const int steps_at_drop = form.driver().step_index();
    ASSERT_TRUE(pump_until([&] { return form.surface().scale() == 2; }));
    EXPECT_FALSE(form.rasterising());
    EXPECT_GT(form.driver().step_index(), steps_at_drop);  // the sweep went on meanwhile

    // Frozen, the new picture is exactly a fresh run's at that size.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(&form, &space);
    ASSERT_TRUE(pump_until([&] { return form.driver().state() == DriverState::frozen; }));
    ImageSurface fresh(2);
    RunControl run;
    CycleDriver driver(fresh, run);
    for (int i = 0; i <= form.driver().step_index(); ++i) driver.advance();
    EXPECT_EQ(form.surface().image(), fresh.image());
}

}  // namespace
}  // namespace hcci
