// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/animate/cycle_driver.h"
#include "core/animate/run_control.h"
#include "core/model/cycle_record.h"
#include "qt/picture/image_surface.h"

// The frames of a video before the encoder: the sweep's pictures, one after another, and the
// same in the encoder's pixel format. Each goes on from the one before and touches only what
// changed, so that a frame costs little beside the encoder's own work.

struct AVFrame;

namespace hcci {

// Which pixels of a row changed: left to right, both included; none where left > right.
struct RowChange {
    int left = 0, right = -1;
    bool any() const { return left <= right; }
};

// The sweep's pictures at the steps asked for, in order: each what compose_picture makes of the
// drawing there (or the drawing alone), pixel for pixel. The drawing goes on from step to step;
// only the pixels the surface touched are compared and copied, and only the readout's label is
// painted again, when the readout changes. No label but the readout's ever changes, and none
// lets the drawing show through it.
class VideoPictures {
public:
    VideoPictures(const SharedRecord& record, int scale, bool labels);

    // The picture after that step; steps must not go back.
    const QImage& advance_to(int step);
    // The last one advanced to; before the first, a white picture of the size.
    const QImage& picture() const { return picture_; }
    // The pixels of each row that changed in the last advance_to.
    const std::vector<RowChange>& changes() const { return changes_; }

private:
    void copy_drawing(const QImage& drawing, int y, int left, int right);
    void paint_readout(long readout);
    void note(int y, int left, int right);

    int scale_;
    bool labels_;
    ImageSurface surface_;
    RunControl run_;
    CycleDriver driver_;
    QImage picture_;
    std::vector<RowChange> changes_;
    // Each row's runs of label pixels, which the drawing never shows through.
    std::vector<std::vector<RowChange>> label_runs_;
    long readout_ = 0;
    bool started_ = false;
};

// Pictures turned into the encoder's frames of the coded size (the picture padded with white
// where it is smaller): YUV 4:2:0 for MP4 and WebM, in BT.601's studio range, each 2x2 block's
// colour the mean of its four pixels; or a GIF's palette indices. Only what changed is
// converted again.
class FrameConverter {
public:
    // YUV 4:2:0 at the coded size.
    explicit FrameConverter(QSize coded);
    // Palette indices: each pixel the nearest of the colours (at most 256), the first of equals.
    FrameConverter(QSize coded, std::vector<QRgb> palette);

    // Converts what changed in the picture since the last call (the first converts it whole).
    void update(const QImage& picture, const std::vector<RowChange>& changes);
    // The frame's planes into an allocated frame of the coded size and format: only what changed
    // since this frame was filled last, unless its buffers are new.
    void copy_to(AVFrame& frame, bool new_buffers);
    // All of it into another frame, which it does not follow then.
    void copy_whole_to(AVFrame& frame) const;

    const std::vector<uint8_t>& plane(int index) const { return planes_[index]; }
    int stride(int index) const { return strides_[index]; }
    const std::vector<QRgb>& palette() const { return palette_; }

private:
    // The pixels of each band (a pair of rows in 4:2:0, a row of indices) that a frame filled
    // before has not had since.
    struct Filled {
        const AVFrame* frame;
        std::vector<RowChange> stale;
    };
    void convert_yuv(const QImage& picture, int pair, int left, int right);
    void converted(int band, int left, int right);
    void copy_band(AVFrame& frame, int band, RowChange change) const;
    void convert_indices(const QImage& picture, int y, int left, int right);
    uint8_t index_of(QRgb rgb);

    QSize coded_;
    bool indexed_;
    std::vector<uint8_t> planes_[3];
    int strides_[3] = {0, 0, 0};
    std::vector<QRgb> palette_;
    std::unordered_map<QRgb, uint8_t> nearest_;
    std::vector<Filled> filled_;
    bool started_ = false;
};

// The GIF's colours: those of the picture, the most frequent first, at most 256.
std::vector<QRgb> most_frequent_colours(const QImage& picture);

}  // namespace hcci
