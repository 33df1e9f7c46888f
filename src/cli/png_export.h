#pragma once

#include <QImage>
#include <string>

// The window's client area as a picture, without showing the window. Needs a QApplication.

namespace hcci {

// The client area after the given step (0 first) of the first sweep of a fresh start with no key
// pressed: the drawing with the labels over it, or the drawing alone, drawn at scale times the
// client area's own size.
QImage render_client_area(int step, bool labels, int scale = 1);

// The picture encoded as PNG bytes.
std::string encode_png(const QImage& image);

}  // namespace hcci
