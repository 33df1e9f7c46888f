// SPDX-License-Identifier: MIT
#include "qt/plot/scene_picture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <stdexcept>

namespace hcci {

std::string scene_picture(QGraphicsScene& scene, QSize size, PlotFormat format,
                          const QString& svg_title) {
    // The charts lay themselves out, axes and all, on the events this posts.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QRectF area = scene.sceneRect();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPainter painter;
    if (format == PlotFormat::svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(area);
        svg.setTitle(svg_title);
        if (!painter.begin(&svg)) throw std::runtime_error("cannot draw the plot as SVG");
        scene.render(&painter, area, area);
        painter.end();
        return bytes.toStdString();
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (image.isNull() || !painter.begin(&image)) throw std::runtime_error("cannot draw the plot");
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, area, area);
    painter.end();
    if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode the plot as PNG");
    return bytes.toStdString();
}

}  // namespace hcci
