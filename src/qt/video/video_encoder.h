// SPDX-License-Identifier: MIT
#pragma once

#include <QSize>
#include <memory>

#include "qt/video/video_export.h"

// FFmpeg's side of a video: the codec and the muxer, writing into a descriptor, apart from the
// pictures (video_frames.h) and from encode_video's threads, so that the encoder can also be
// measured alone.

struct AVFrame;

namespace hcci {

struct FrameDeleter {
    void operator()(AVFrame* frame) const;
};
using FramePointer = std::unique_ptr<AVFrame, FrameDeleter>;

// The coded size of a picture of that size: 4:2:0 wants even sizes, a GIF takes any.
QSize coded_size(VideoFormat format, QSize picture);

// A GIF's delays are whole hundredths of a second: the time of frame `index` in hundredths,
// rounded, so that the delays add up to the frames' time.
int gif_centiseconds(int index, int fps);

class VideoEncoder {
public:
    // Opens the codec for frames of the coded size and writes the file's header. frames is the
    // number of frames to come (a GIF's last one is held for options.hold besides).
    VideoEncoder(const VideoOptions& options, QSize coded, int frames, int fd);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // A frame of the codec's format and the coded size, with its own buffers.
    FramePointer make_frame() const;
    // Gives the frame its own buffers again where the codec still holds the old ones, so that
    // it can be filled; returns whether it did (the pixels are then undefined).
    bool make_writable(AVFrame& frame) const;
    // Encodes the frame as the video's frame `index` and writes the packets the codec gives.
    void encode(AVFrame& frame, int index);
    // Drains the codec and finishes the file.
    void finish();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace hcci
