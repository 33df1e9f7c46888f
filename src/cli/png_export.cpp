#include "png_export.h"

#include <QBuffer>
#include <QPixmap>
#include <stdexcept>

#include "form1.h"

namespace hcci {

QImage render_client_area(int step, bool labels, int scale) {
    Form1 form;
    form.resize_now(QSize(616 * scale, 741 * scale));
    for (int i = 0; i <= step; ++i) {
        if (form.driver().advance() != Advance::stepped) {
            throw std::runtime_error("the sweep ended before step " + std::to_string(step));
        }
    }
    form.update_readout();
    QImage image = labels ? form.grab().toImage() : form.surface().image().copy();
    if (image.isNull()) throw std::runtime_error("cannot take a picture of the window");
    return image;
}

std::string encode_png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) throw std::runtime_error("cannot encode the picture as PNG");
    return bytes.toStdString();
}

}  // namespace hcci
