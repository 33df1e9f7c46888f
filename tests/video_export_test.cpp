// SPDX-License-Identifier: MIT
#include "qt/video/video_export.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/draw/logical_mapping.h"
#include "qt/picture/picture.h"
#include "qt_application.h"

namespace hcci {
namespace {

namespace fs = std::filesystem;

struct Decoded {
    std::vector<QImage> frames;
    double duration_s = 0;
    int width = 0, height = 0;
};

// The video read back with the same libraries, every frame as RGB.
Decoded decode(const std::string& bytes, const std::string& extension) {
    const fs::path path = fs::path(::testing::TempDir()) / ("hcci-video-test" + extension);
    std::ofstream(path, std::ios::binary) << bytes;
    Decoded result;
    AVFormatContext* format = nullptr;
    EXPECT_EQ(avformat_open_input(&format, path.c_str(), nullptr, nullptr), 0);
    if (format == nullptr) return result;
    EXPECT_GE(avformat_find_stream_info(format, nullptr), 0);
    const AVStream* stream = format->streams[0];
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(context, stream->codecpar);
    EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0);
    result.width = context->width;
    result.height = context->height;
    if (format->duration > 0)
        result.duration_s = static_cast<double>(format->duration) / AV_TIME_BASE;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* to_rgb = nullptr;
    const auto take_frames = [&] {
        while (avcodec_receive_frame(context, frame) == 0) {
            to_rgb = sws_getCachedContext(
                to_rgb, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
            // swscale writes whole vectors: into a frame of its own padding, then copied.
            AVFrame* rgb = av_frame_alloc();
            rgb->format = AV_PIX_FMT_BGRA;
            rgb->width = frame->width;
            rgb->height = frame->height;
            av_frame_get_buffer(rgb, 64);
            sws_scale(to_rgb, frame->data, frame->linesize, 0, frame->height, rgb->data,
                      rgb->linesize);
            QImage image(frame->width, frame->height, QImage::Format_RGB32);
            for (int y = 0; y < frame->height; ++y) {
                std::memcpy(image.scanLine(y), rgb->data[0] + y * rgb->linesize[0],
                            static_cast<std::size_t>(frame->width) * 4);
            }
            av_frame_free(&rgb);
            result.frames.push_back(image);
        }
    };
    while (av_read_frame(format, packet) == 0) {
        if (packet->stream_index == 0) avcodec_send_packet(context, packet);
        av_packet_unref(packet);
        take_frames();
    }
    avcodec_send_packet(context, nullptr);
    take_frames();
    sws_freeContext(to_rgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    fs::remove(path);
    return result;
}

int difference_of(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The pixels that differ by more than the codec's blur of a thin line does.
long clearly_different(const QImage& a, const QImage& b) {
    long count = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += difference_of(a.pixel(x, y), b.pixel(x, y)) > 128;
    }
    return count;
}

int difference(QRgb a, QRgb b) {
    return difference_of(a, b);
}

QPoint at(double x, double y) {
    return {static_cast<int>(pixel_x(static_cast<float>(x))),
            static_cast<int>(pixel_y(static_cast<float>(y)))};
}

// The types of an MP4's top-level boxes, in order: "ftypmoov..." when the index comes first.
std::string top_level_boxes(const std::string& bytes) {
    std::string types;
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        std::size_t size = 0;
        for (int i = 0; i < 4; ++i) size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
        types += bytes.substr(at + 4, 4);
        if (size < 8) break;
        at += size;
    }
    return types;
}

// The video as encode_video writes it into a file.
std::string encoded(const VideoOptions& options, const std::function<void(int, int)>& progress) {
    const fs::path path = fs::path(::testing::TempDir()) / "hcci-video-test-encoded";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(fd, 0);
    encode_video(options, {}, fd, progress);
    ::close(fd);
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class VideoExport : public QtApplicationSuite {};

struct FormatCase {
    VideoFormat format;
    const char* extension;
    int height;     // 741 rows padded to 742 for 4:2:0
    int tolerance;  // of a colour at a place away from any edge
};

TEST_F(VideoExport, FramesAreTheSweepResampledAndMatchThePicturesOfTheirSteps) {
    const FormatCase cases[] = {{VideoFormat::mp4, ".mp4", 742, 24},
                                {VideoFormat::webm, ".webm", 742, 24},
                                {VideoFormat::gif, ".gif", 741, 0}};
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.extension);
        VideoOptions options;
        options.format = c.format;
        options.fps = 10;
        options.duration = 2;
        int calls = 0;
        const std::string bytes = encoded(options, [&](int done, int all) {
            EXPECT_EQ(all, 20);
            EXPECT_EQ(done, ++calls);
        });
        const Decoded video = decode(bytes, c.extension);
        if (c.format == VideoFormat::mp4) {
            // The index first, so that a browser plays the file while it loads.
            EXPECT_EQ(top_level_boxes(bytes).substr(0, 8), "ftypmoov");
        }
        if (c.format == VideoFormat::gif) {
            // The application extension that loops it, zero times meaning for ever.
            EXPECT_NE(bytes.find(std::string("NETSCAPE2.0\x03\x01\x00\x00", 16)),
                      std::string::npos);
        }
        ASSERT_EQ(video.frames.size(), 20u);
        EXPECT_EQ(video.width, 616);
        EXPECT_EQ(video.height, c.height);
        EXPECT_NEAR(video.duration_s, 2, 0.11);
        for (const int frame : {0, 7, 19}) {
            SCOPED_TRACE("frame " + std::to_string(frame));
            const int step = video_frame_step(frame, 20);
            const QImage expected = render_picture(step, true);
            const QImage& got = video.frames[static_cast<std::size_t>(frame)];
            // Away from edges: the head and wall in black, the bore and a label in white.
            for (const QPoint p : {at(-2.6, 50), at(50, 128), at(30, 100), QPoint(480, 120)}) {
                EXPECT_LE(difference(got.pixel(p), expected.pixel(p)), c.tolerance)
                    << "at " << p.x() << "," << p.y();
            }
            if (c.height == 742) {
                EXPECT_LE(difference(got.pixel(300, 741), qRgb(255, 255, 255)), c.tolerance);
            }
            // And it is the picture of that step, not of a neighbour's.
            if (frame > 0) {
                const QImage before = render_picture(video_frame_step(frame - 2, 20), true);
                EXPECT_LT(2 * clearly_different(got, expected), clearly_different(got, before));
            }
        }
    }
}

TEST(VideoFrames, TheSweepEvenlyAndTheLastStepLast) {
    EXPECT_EQ(video_frame_count({VideoFormat::mp4, 30, 18, 1, true}), 540);
    EXPECT_EQ(video_frame_count({VideoFormat::gif, 7, 0.1, 1, true}), 1);
    EXPECT_EQ(video_frame_step(0, 540), 0);
    EXPECT_EQ(video_frame_step(539, 540), 18000);
    EXPECT_EQ(video_frame_step(0, 1), 18000);
    for (int i = 1; i < 540; ++i) {
        const int gap = video_frame_step(i, 540) - video_frame_step(i - 1, 540);
        EXPECT_TRUE(gap == 33 || gap == 34) << i;
    }
}

}  // namespace
}  // namespace hcci
