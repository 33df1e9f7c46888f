// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/model/cycle_record.h"
#include "core/report/output_format.h"

// One sweep as it looks in the window, as a video: H.264 in MP4, VP9 in WebM, or an animated
// GIF, encoded with FFmpeg's libraries. Needs a QGuiApplication for the labels' fonts.

namespace hcci {

enum class VideoFormat { mp4, webm, gif };

// The format a video's file name asks for (core/report/output_format.h): GIF for a name ending
// in .gif, WebM for .webm, MP4 for any other.
VideoFormat video_format_of(std::string_view path);

// How the format's file is written (the table of output formats says): an MP4 and a WebM seek.
FormatWriting video_writing(VideoFormat format);

// The picture alone, at its own proportions; or beside it the pressure-angle view with a cursor
// at the angle, in a 1920 x 1080 frame (16:9, for a slide).
enum class VideoLayout { picture, side };

struct VideoOptions {
    VideoFormat format = VideoFormat::mp4;
    int fps = 30;
    double duration = 18;  // seconds
    int scale = 0;  // the picture's, times the client area; 0: the format's own (video_scale)
    bool labels = true;
    double hold = 2;  // GIF: seconds the last frame stays before the loop starts again
    VideoLayout layout = VideoLayout::picture;  // side: scale is not asked
};

// The scale the picture is drawn at: the one asked for, or by default twice the client area
// for MP4 and WebM, whose 4:2:0 colour (one colour to each 2x2 block of pixels) would turn a
// trace of one or two pixels into a fainter, darker line at the client area's own size, and the
// client area's own size for a GIF, whose colours are its pixels' own.
int video_scale(const VideoOptions& options);

// The number of frames, and the step each shows: the sweep resampled evenly, the last frame
// always step 18000.
int video_frame_count(const VideoOptions& options);
int video_frame_step(int frame, int frame_count);

// Writes the video into the descriptor from where it stands, which must allow what the format's
// writing needs (video_writing): a GIF streams into a pipe as well, an MP4 or a WebM needs a
// file. The frames go to it as they are encoded, so that memory does not grow with the video's
// length. progress(done, all) is called after every frame.
void encode_video(const VideoOptions& options, const SharedRecord& record, int fd,
                  const std::function<void(int, int)>& progress);

}  // namespace hcci
