// SPDX-License-Identifier: MIT
#include "qt/video/video_frames.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/draw/logical_mapping.h"
#include "core/draw/window_layout.h"
#include "core/model/readout.h"
#include "qt/picture/labels.h"
#include "qt/picture/picture.h"

namespace hcci {
namespace {

// The readout's label is painted afresh alone, over what it covered: no other label may share
// a pixel with it (at a whole scale, the scaled rectangles keep apart as these do).
constexpr bool readout_label_stands_alone() {
    const LabelLayout& r = label_layouts[label8_index];
    for (std::size_t i = 0; i < label_layouts.size(); ++i) {
        const LabelLayout& l = label_layouts[i];
        if (i != label8_index && l.left < r.left + r.width && r.left < l.left + l.width &&
            l.top < r.top + r.height && r.top < l.top + l.height) {
            return false;
        }
    }
    return true;
}
static_assert(readout_label_stands_alone());

void widen(RowChange& change, int left, int right) {
    if (!change.any()) {
        change = {left, right};
    } else {
        change.left = std::min(change.left, left);
        change.right = std::max(change.right, right);
    }
}

// BT.601 in studio range (Y 16 to 235, Cb and Cr 16 to 240), in fixed point of 2^15: the
// chroma's weights add up to nothing, so that every grey has Cb = Cr = 128 exactly.
constexpr int fraction_bits = 15;
constexpr int y_r = 8414, y_g = 16519, y_b = 3208;
constexpr int cb_r = -4857, cb_g = -9535, cb_b = 14392;
constexpr int cr_r = 14392, cr_g = -12052, cr_b = -2340;
static_assert(cb_r + cb_g + cb_b == 0 && cr_r + cr_g + cr_b == 0);

uint8_t luma(QRgb p) {
    constexpr int offset = (16 << fraction_bits) + (1 << (fraction_bits - 1));
    return static_cast<uint8_t>((y_r * qRed(p) + y_g * qGreen(p) + y_b * qBlue(p) + offset) >>
                                fraction_bits);
}

// The chroma of a block from the sums of its four pixels' channels.
uint8_t chroma(int wr, int wg, int wb, int r, int g, int b) {
    constexpr int bits = fraction_bits + 2;  // and the mean of four
    constexpr int offset = (128 << bits) + (1 << (bits - 1));
    return static_cast<uint8_t>((wr * r + wg * g + wb * b + offset) >> bits);
}

constexpr QRgb padding = 0xFFFFFFFFu;  // white, where the coded frame is larger

}  // namespace

VideoPictures::VideoPictures(const SharedRecord& record, int scale, bool labels)
    : scale_(scale),
      labels_(labels),
      surface_(scale),
      driver_(surface_, run_, record),
      picture_(surface_.image().size(), QImage::Format_RGB32),
      changes_(static_cast<std::size_t>(picture_.height())),
      label_runs_(static_cast<std::size_t>(picture_.height())) {
    if (picture_.isNull()) throw std::bad_alloc();
    picture_.fill(Qt::white);
    if (!labels_) return;
    for (const LabelLayout& layout : label_layouts) {
        const QRect rect = scale_label(layout, scale).rect.intersected(picture_.rect());
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            auto& runs = label_runs_[static_cast<std::size_t>(y)];
            runs.push_back({rect.left(), rect.right()});
        }
    }
    for (auto& runs : label_runs_) {
        std::sort(runs.begin(), runs.end(),
                  [](const RowChange& a, const RowChange& b) { return a.left < b.left; });
    }
}

void VideoPictures::note(int y, int left, int right) {
    widen(changes_[static_cast<std::size_t>(y)], left, right);
}

// Copies the pixels of the drawing's row that differ from the picture's, between left and
// right, outside the labels.
void VideoPictures::copy_drawing(const QImage& drawing, int y, int left, int right) {
    const auto* from = reinterpret_cast<const QRgb*>(drawing.constScanLine(y));
    auto* to = reinterpret_cast<QRgb*>(picture_.scanLine(y));
    const auto copy_run = [&](int a, int b) {
        while (a <= b && from[a] == to[a]) ++a;
        while (b >= a && from[b] == to[b]) --b;
        if (a > b) return;
        std::memcpy(to + a, from + a, static_cast<std::size_t>(b - a + 1) * sizeof(QRgb));
        note(y, a, b);
    };
    int x = left;
    for (const RowChange& label : label_runs_[static_cast<std::size_t>(y)]) {
        if (label.right < x) continue;
        if (label.left > right) break;
        copy_run(x, std::min(right, label.left - 1));
        x = label.right + 1;
    }
    copy_run(x, right);
}

void VideoPictures::paint_readout(long readout) {
    const LabelLayout& layout = label_layouts[label8_index];
    const ScaledLabel scaled = scale_label(layout, scale_);
    // As paint_labels paints it.
    QPainter painter;
    if (!painter.begin(&picture_)) throw std::runtime_error("cannot paint the labels");
    painter.fillRect(scaled.rect, ImageSurface::to_qcolor(layout.background));
    paint_label_text(painter, scaled.rect, QString::fromStdString(readout_text(readout)),
                     label_font(scaled.pixel_size), ImageSurface::to_qcolor(layout.text_color),
                     layout.alignment);
    painter.end();
    const QRect rect = scaled.rect.intersected(picture_.rect());
    for (int y = rect.top(); y <= rect.bottom(); ++y) note(y, rect.left(), rect.right());
    readout_ = readout;
}

const QImage& VideoPictures::advance_to(int step) {
    std::fill(changes_.begin(), changes_.end(), RowChange{});
    driver_.run_to(step);
    const QImage& drawing = surface_.image();
    const QRect dirty = surface_.take_dirty_rect();
    if (!started_) {
        started_ = true;
        picture_ = labels_ ? compose_picture(drawing, scale_, driver_.readout()) : drawing.copy();
        if (picture_.isNull()) throw std::bad_alloc();
        readout_ = driver_.readout();
        for (auto& change : changes_) change = {0, picture_.width() - 1};
        return picture_;
    }
    for (int y = dirty.top(); y <= dirty.bottom(); ++y) {
        copy_drawing(drawing, y, dirty.left(), dirty.right());
    }
    if (labels_ && driver_.readout() != readout_) paint_readout(driver_.readout());
    return picture_;
}

FrameConverter::FrameConverter(QSize coded) : coded_(coded), indexed_(false) {
    if (coded.width() % 2 != 0 || coded.height() % 2 != 0) {
        throw std::invalid_argument("4:2:0 wants an even size");
    }
    const int chroma_width = coded.width() / 2;
    const int chroma_height = coded.height() / 2;
    strides_[0] = coded.width();
    strides_[1] = strides_[2] = chroma_width;
    planes_[0].assign(static_cast<std::size_t>(coded.width()) * coded.height(), luma(padding));
    const uint8_t grey = chroma(cb_r, cb_g, cb_b, 1020, 1020, 1020);
    planes_[1].assign(static_cast<std::size_t>(chroma_width) * chroma_height, grey);
    planes_[2].assign(static_cast<std::size_t>(chroma_width) * chroma_height, grey);
}

FrameConverter::FrameConverter(QSize coded, std::vector<QRgb> palette)
    : coded_(coded), indexed_(true), palette_(std::move(palette)) {
    if (palette_.empty() || palette_.size() > 256) {
        throw std::invalid_argument("a palette has 1 to 256 colours");
    }
    strides_[0] = coded.width();
    planes_[0].assign(static_cast<std::size_t>(coded.width()) * coded.height(), 0);
}

uint8_t FrameConverter::index_of(QRgb rgb) {
    rgb &= 0xFFFFFF;
    if (const auto known = nearest_.find(rgb); known != nearest_.end()) return known->second;
    std::size_t best = 0;
    long best_distance = -1;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
        const long dr = qRed(rgb) - qRed(palette_[i]);
        const long dg = qGreen(rgb) - qGreen(palette_[i]);
        const long db = qBlue(rgb) - qBlue(palette_[i]);
        const long distance = dr * dr + dg * dg + db * db;
        if (best_distance < 0 || distance < best_distance) {
            best_distance = distance;
            best = i;
        }
    }
    return nearest_[rgb] = static_cast<uint8_t>(best);
}

void FrameConverter::convert_indices(const QImage& picture, int y, int left, int right) {
    const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    uint8_t* out = planes_[0].data() + static_cast<std::ptrdiff_t>(y) * strides_[0];
    QRgb last = row[left] + 1;  // none yet
    uint8_t index = 0;
    for (int x = left; x <= right; ++x) {
        if (row[x] != last) {
            last = row[x];
            index = index_of(last);
        }
        out[x] = index;
    }
}

// The blocks of a pair of rows whose pixels left to right changed.
void FrameConverter::convert_yuv(const QImage& picture, int pair, int left, int right) {
    const int top = 2 * pair;
    const QRgb* rows[2];
    uint8_t* luma_rows[2];
    for (int dy = 0; dy < 2; ++dy) {
        rows[dy] = top + dy < picture.height()
                       ? reinterpret_cast<const QRgb*>(picture.constScanLine(top + dy))
                       : nullptr;
        luma_rows[dy] = planes_[0].data() + static_cast<std::ptrdiff_t>(top + dy) * strides_[0];
    }
    uint8_t* cb = planes_[1].data() + static_cast<std::ptrdiff_t>(pair) * strides_[1];
    uint8_t* cr = planes_[2].data() + static_cast<std::ptrdiff_t>(pair) * strides_[2];
    for (int block = left / 2; block <= right / 2; ++block) {
        int r = 0, g = 0, b = 0;
        for (int dy = 0; dy < 2; ++dy) {
            for (int x = 2 * block; x < 2 * block + 2; ++x) {
                const QRgb p = rows[dy] != nullptr && x < picture.width() ? rows[dy][x] : padding;
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
                luma_rows[dy][x] = luma(p);
            }
        }
        cb[block] = chroma(cb_r, cb_g, cb_b, r, g, b);
        cr[block] = chroma(cr_r, cr_g, cr_b, r, g, b);
    }
}

void FrameConverter::converted(int band, int left, int right) {
    for (Filled& filled : filled_) widen(filled.stale[static_cast<std::size_t>(band)], left, right);
}

void FrameConverter::update(const QImage& picture, const std::vector<RowChange>& changes) {
    const bool whole = !started_;
    started_ = true;
    const int rows = std::min(picture.height(), coded_.height());
    if (indexed_) {
        for (int y = 0; y < rows; ++y) {
            const RowChange change =
                whole ? RowChange{0, picture.width() - 1} : changes[static_cast<std::size_t>(y)];
            if (!change.any()) continue;
            convert_indices(picture, y, change.left, change.right);
            converted(y, change.left, change.right);
        }
        return;
    }
    const int last = coded_.width() - 1;
    for (int pair = 0; 2 * pair < coded_.height(); ++pair) {
        RowChange change = whole ? RowChange{0, last} : RowChange{};
        for (int y = 2 * pair; !whole && y < std::min(2 * pair + 2, rows); ++y) {
            const RowChange& row = changes[static_cast<std::size_t>(y)];
            if (row.any()) widen(change, row.left, row.right);
        }
        if (!change.any()) continue;
        // Whole blocks.
        const int left = change.left & ~1;
        const int right = std::min(change.right | 1, last);
        convert_yuv(picture, pair, left, right);
        converted(pair, left, right);
    }
}

// The pixels of a band, left to right, into the frame.
void FrameConverter::copy_band(AVFrame& frame, int band, RowChange change) const {
    const auto copy = [&frame, this](int plane, int row, int left, int right) {
        std::memcpy(
            frame.data[plane] + static_cast<std::ptrdiff_t>(row) * frame.linesize[plane] + left,
            planes_[plane].data() + static_cast<std::ptrdiff_t>(row) * strides_[plane] + left,
            static_cast<std::size_t>(right) - static_cast<std::size_t>(left) + 1);
    };
    if (indexed_) {
        copy(0, band, change.left, change.right);
        return;
    }
    copy(0, 2 * band, change.left, change.right);
    copy(0, 2 * band + 1, change.left, change.right);
    copy(1, band, change.left / 2, change.right / 2);
    copy(2, band, change.left / 2, change.right / 2);
}

void FrameConverter::copy_whole_to(AVFrame& frame) const {
    const int bands = indexed_ ? coded_.height() : coded_.height() / 2;
    for (int band = 0; band < bands; ++band) copy_band(frame, band, {0, coded_.width() - 1});
    if (indexed_) {
        // The palette as a GIF frame carries it: 0xAARRGGBB, opaque; white where unused.
        auto* entries = reinterpret_cast<uint32_t*>(frame.data[1]);
        for (std::size_t i = 0; i < 256; ++i) {
            entries[i] = 0xFF000000u | (i < palette_.size() ? palette_[i] & 0xFFFFFF : 0xFFFFFFu);
        }
    }
}

void FrameConverter::copy_to(AVFrame& frame, bool new_buffers) {
    auto filled = std::find_if(filled_.begin(), filled_.end(),
                               [&frame](const Filled& f) { return f.frame == &frame; });
    const int bands = indexed_ ? coded_.height() : coded_.height() / 2;
    if (new_buffers || filled == filled_.end()) {
        copy_whole_to(frame);
        if (filled == filled_.end()) {
            filled_.push_back({&frame, std::vector<RowChange>(static_cast<std::size_t>(bands))});
        } else {
            std::fill(filled->stale.begin(), filled->stale.end(), RowChange{});
        }
        return;
    }
    for (int band = 0; band < bands; ++band) {
        RowChange& change = filled->stale[static_cast<std::size_t>(band)];
        if (!change.any()) continue;
        copy_band(frame, band, change);
        change = {};
    }
}

std::vector<QRgb> most_frequent_colours(const QImage& picture) {
    std::unordered_map<QRgb, int> counts;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) ++counts[row[x] & 0xFFFFFF];
    }
    std::vector<std::pair<int, QRgb>> ranked;
    ranked.reserve(counts.size());
    for (const auto& [rgb, count] : counts) ranked.emplace_back(count, rgb);
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<QRgb> colours;
    for (const auto& entry : ranked) {
        if (colours.size() == 256) break;
        colours.push_back(entry.second);
    }
    return colours;
}

}  // namespace hcci
