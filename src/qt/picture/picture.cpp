// SPDX-License-Identifier: MIT
#include "qt/picture/picture.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <stdexcept>

#include "core/animate/cycle_driver.h"
#include "core/draw/logical_mapping.h"
#include "core/model/readout.h"
#include "core/model/sweep.h"
#include "qt/picture/image_surface.h"
#include "qt/picture/labels.h"
#include "qt/picture/svg_surface.h"
#include "qt/text/qt_text.h"

namespace hcci {

void paint_labels(QPainter& painter, double scale, long readout) {
    for (std::size_t i = 0; i < label_layouts.size(); ++i) {
        const LabelLayout& layout = label_layouts[i];
        const ScaledLabel scaled = scale_label(layout, scale);
        const QString caption = i == label8_index ? QString::fromStdString(readout_text(readout))
                                                  : text_of(layout.caption);
        painter.fillRect(scaled.rect, ImageSurface::to_qcolor(layout.background));
        paint_label_text(painter, scaled.rect, caption, label_font(scaled.pixel_size),
                         ImageSurface::to_qcolor(layout.text_color), layout.alignment);
    }
}

QImage compose_picture(const QImage& drawing, double scale, long readout) {
    QImage picture = drawing.convertToFormat(QImage::Format_RGB32);
    QPainter painter;
    if (picture.isNull() || !painter.begin(&picture)) {
        throw std::runtime_error("cannot paint the labels onto the picture");
    }
    paint_labels(painter, scale, readout);
    return picture;
}

namespace {

// A fresh start of that engine, run to the step with no key pressed; returns the readout.
long draw_to_step(DrawingSurface& surface, int step, const SharedRecord& record) {
    if (step < 0 || step > last_step) {
        throw std::out_of_range("no step " + std::to_string(step) + " in a sweep");
    }
    RunControl run;
    CycleDriver driver(surface, run, record);
    driver.run_to(step);
    return driver.readout();
}

}  // namespace

QImage render_picture(int step, bool labels, int scale, const EngineParameters& parameters) {
    return render_picture(step, labels, scale, share_cycle(parameters));
}

QImage render_picture(int step, bool labels, int scale, const SharedRecord& record) {
    ImageSurface surface(scale);
    const long readout = draw_to_step(surface, step, record);
    if (!labels) return surface.image().copy();
    return compose_picture(surface.image(), scale, readout);
}

std::string encode_png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode the picture as PNG");
    return bytes.toStdString();
}

std::string render_svg(int step, bool labels, const EngineParameters& parameters) {
    return render_svg(step, labels, share_cycle(parameters));
}

std::string render_svg(int step, bool labels, const SharedRecord& record) {
    SvgSurface surface;
    const long readout = draw_to_step(surface, step, record);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(client_width, client_height));
    svg.setResolution(96);  // so that viewers take a unit as a pixel
    svg.setViewBox(QRect(0, 0, client_width, client_height));
    svg.setTitle(QStringLiteral("hcci-cycle after step %1").arg(step));
    QPainter painter;
    if (!painter.begin(&svg)) throw std::runtime_error("cannot draw the picture as SVG");
    surface.paint(painter);
    if (labels) paint_labels(painter, 1, readout);
    painter.end();
    // The generator names one font; viewers without it should take the labels' second choice.
    return bytes
        .replace("font-family=\"Comic Sans MS\"",
                 "font-family=\"'Comic Sans MS', 'Comic Neue', cursive\"")
        .toStdString();
}

}  // namespace hcci
