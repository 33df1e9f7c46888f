// SPDX-License-Identifier: MIT
#include "qt/video/video_export.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/animate/cycle_driver.h"
#include "core/draw/logical_mapping.h"
#include "core/draw/window_layout.h"
#include "core/model/cycle_series.h"
#include "core/model/sweep.h"
#include "qt/picture/image_surface.h"
#include "qt/picture/labels.h"
#include "qt/picture/picture.h"
#include "qt/plot/view_backdrop.h"
#include "qt/video/side_frames.h"
#include "qt/video/video_encoder.h"
#include "qt/video/video_frames.h"
#include "qt_application.h"

namespace hcci {
namespace {

namespace fs = std::filesystem;

struct Decoded {
    std::vector<QImage> frames;
    double duration_s = 0;
    int width = 0, height = 0;
};

// A file of this test process's own: CTest runs the cases of this program side by side.
fs::path own_temporary(const std::string& name) {
    static int made = 0;
    return fs::path(::testing::TempDir()) /
           ("hcci-video-test-" + std::to_string(::getpid()) + "-" + std::to_string(++made) + name);
}

// The video read back with the same libraries, every frame as RGB.
Decoded decode(const std::string& bytes, const std::string& extension) {
    const fs::path path = own_temporary(extension);
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
    const fs::path path = own_temporary("-encoded");
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(fd, 0);
    encode_video(options, share_cycle({}), fd, progress);
    ::close(fd);
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    fs::remove(path);
    return bytes;
}

class VideoExport : public QtApplicationSuite {};

// The mean of the channels' differences, and the pixels that differ clearly, of two images of
// one size.
struct Likeness {
    double mean = 0;
    long clear = 0;
};
Likeness likeness(const QImage& a, const QImage& b) {
    Likeness l;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const int d = difference_of(a.pixel(x, y), b.pixel(x, y));
            l.mean += d;
            l.clear += d > 96;
        }
    }
    l.mean /= static_cast<double>(a.width()) * a.height();
    return l;
}

// A landscape video for a slide: 1920 x 1080 at the sweep's pace, each frame the picture of its
// step (scaled to the frame's height) beside the pressure-angle view with a cursor at its angle.
TEST_F(VideoExport, SideLayoutIsThePictureBesideTheViewWithItsCursor) {
    VideoOptions options;
    options.layout = VideoLayout::side;
    options.fps = 4;
    options.duration = 1;
    const Decoded video = decode(encoded(options, [](int, int) {}), ".mp4");
    EXPECT_EQ(video.width, 1920);
    EXPECT_EQ(video.height, 1080);
    ASSERT_EQ(video.frames.size(), 4u);
    EXPECT_NEAR(video.duration_s, 1, 0.01);
    const int frame = 2;
    const int step = video_frame_step(frame, 4);
    const QImage& shown = video.frames[frame];
    const SharedRecord record = share_cycle({});

    const QRect picture_at = side_picture_rect();
    const QImage picture =
        render_picture(step, true, 2, record)
            .scaled(picture_at.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const Likeness left = likeness(shown.copy(picture_at), picture);
    EXPECT_LT(left.mean, 3);
    EXPECT_LT(left.clear, picture_at.width() * picture_at.height() / 500);

    const QRect view_at = side_view_rect();
    EXPECT_EQ(view_at.right(), 1919);
    const ViewBackdrop backdrop =
        draw_view_backdrop(*view_named("pressure-angle"), cycle_series(*record), view_at.size());
    ASSERT_EQ(backdrop.spans.size(), 2u);  // the whole cycle, and around top dead centre
    QImage with_cursor = backdrop.image.copy();
    draw_angle_cursor(with_cursor, backdrop, angle_atdc(CycleRecord::crank_angle(step)));
    const Likeness right = likeness(shown.copy(view_at), with_cursor);
    const Likeness without = likeness(shown.copy(view_at), backdrop.image);
    EXPECT_LT(right.mean, 3);
    EXPECT_LT(right.clear, view_at.width() * view_at.height() / 500);
    EXPECT_LT(right.clear, without.clear);  // the cursor is there, where it belongs
}

struct FormatCase {
    VideoFormat format;
    const char* extension;
    int scale;          // the format's own: MP4 and WebM twice the client area
    int width, height;  // 1482 rows at 2x; 741 rows are padded to 742 for 4:2:0
    int tolerance;      // of a colour at a place away from any edge
    double duration;    // a GIF holds its last frame two seconds more
};

TEST_F(VideoExport, FramesAreTheSweepResampledAndMatchThePicturesOfTheirSteps) {
    const FormatCase cases[] = {{VideoFormat::mp4, ".mp4", 2, 1232, 1482, 24, 2},
                                {VideoFormat::webm, ".webm", 2, 1232, 1482, 24, 2},
                                {VideoFormat::gif, ".gif", 1, 616, 741, 0, 4}};
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
        EXPECT_EQ(video.width, c.width);
        EXPECT_EQ(video.height, c.height);
        EXPECT_NEAR(video.duration_s, c.duration, 0.11);
        for (const int frame : {0, 7, 19}) {
            SCOPED_TRACE("frame " + std::to_string(frame));
            const int step = video_frame_step(frame, 20);
            const QImage expected = render_picture(step, true, c.scale);
            const QImage& got = video.frames[static_cast<std::size_t>(frame)];
            // Away from edges: the head and wall in black, the bore and a label in white.
            for (const QPoint place : {at(-2.6, 50), at(50, 128), at(30, 100), QPoint(480, 120)}) {
                const QPoint p = place * c.scale;
                EXPECT_LE(difference(got.pixel(p), expected.pixel(p)), c.tolerance)
                    << "at " << p.x() << "," << p.y();
            }
            if (c.height % 2 == 0 && c.height > expected.height()) {
                EXPECT_LE(difference(got.pixel(300, c.height - 1), qRgb(255, 255, 255)),
                          c.tolerance);
            }
            // And it is the picture of that step, not of a neighbour's.
            if (frame > 0) {
                const QImage before =
                    render_picture(video_frame_step(frame - 2, 20), true, c.scale);
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

// Each picture is the one compose_picture makes of a sweep drawn to that step, though only what
// changed was touched; and what it says changed covers every pixel that did.
TEST_F(VideoExport, PicturesAreThoseOfTheirStepsAndTheirChangesAreWhatChanged) {
    const struct {
        int scale;
        bool labels;
    } cases[] = {{1, true}, {2, true}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.scale) + (c.labels ? "x with labels" : "x without"));
        VideoPictures pictures(share_cycle({}), c.scale, c.labels);
        ImageSurface surface(c.scale);
        RunControl run;
        CycleDriver driver(surface, run);
        QImage before;
        constexpr int frames = 40;
        for (int i = 0; i < frames; ++i) {
            const int step = video_frame_step(i, frames);
            const QImage& got = pictures.advance_to(step);
            driver.run_to(step);
            const QImage expected =
                c.labels ? compose_picture(surface.image(), c.scale, driver.readout())
                         : surface.image().copy();
            ASSERT_EQ(got, expected) << "step " << step;
            if (i == 0) {
                for (const RowChange& row : pictures.changes()) {
                    EXPECT_EQ(row.left, 0);
                    EXPECT_EQ(row.right, got.width() - 1);
                }
            } else {
                long unreported = 0;
                for (int y = 0; y < got.height(); ++y) {
                    const RowChange& row = pictures.changes()[static_cast<std::size_t>(y)];
                    for (int x = 0; x < got.width(); ++x) {
                        unreported += (x < row.left || x > row.right) &&
                                      got.pixel(x, y) != before.pixel(x, y);
                    }
                }
                EXPECT_EQ(unreported, 0) << "step " << step;
            }
            before = got.copy();
        }
    }
}

struct Yuv {
    int y, cb, cr;
};

// One picture's frame as the encoder gets it.
struct Planes {
    FramePointer frame;
    Yuv at(int x, int y) const {
        return {frame->data[0][y * frame->linesize[0] + x],
                frame->data[1][(y / 2) * frame->linesize[1] + x / 2],
                frame->data[2][(y / 2) * frame->linesize[2] + x / 2]};
    }
};

FramePointer new_frame(AVPixelFormat format, QSize size) {
    FramePointer frame(av_frame_alloc());
    frame->format = format;
    frame->width = size.width();
    frame->height = size.height();
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    return frame;
}

Planes converted(const QImage& picture, QSize coded) {
    FrameConverter converter(coded);
    converter.update(picture, {});
    Planes planes{new_frame(AV_PIX_FMT_YUV420P, coded)};
    converter.copy_whole_to(*planes.frame);
    return planes;
}

// BT.601 in studio range, as the stream says (SMPTE 170M): these are its values, rounded.
TEST(VideoFrames, ConvertEachColourToItsStudioRangeValuesAndEachBlockToItsMean) {
    const struct {
        QRgb rgb;
        Yuv yuv;
    } colours[] = {{qRgb(255, 255, 255), {235, 128, 128}}, {qRgb(0, 0, 0), {16, 128, 128}},
                   {qRgb(0, 0, 255), {41, 240, 110}},      {qRgb(0, 192, 0), {113, 72, 57}},
                   {qRgb(255, 0, 0), {81, 90, 240}},       {qRgb(192, 192, 192), {181, 128, 128}},
                   {qRgb(128, 0, 0), {49, 109, 184}}};
    for (const auto& c : colours) {
        SCOPED_TRACE(std::to_string(c.rgb & 0xFFFFFF));
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(c.rgb);
        const Yuv got = converted(picture, {4, 4}).at(1, 3);
        EXPECT_EQ(got.y, c.yuv.y);
        EXPECT_EQ(got.cb, c.yuv.cb);
        EXPECT_EQ(got.cr, c.yuv.cr);
    }
    // A block half blue, half white: each pixel its own luma, the block the mean chroma; and a
    // picture of odd height padded white below.
    QImage picture(2, 3, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(0, 0, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(0, 0, 255));
    picture.setPixel(0, 2, qRgb(0, 0, 0));
    const Planes planes = converted(picture, {2, 4});
    EXPECT_EQ(planes.at(0, 0).y, 41);
    EXPECT_EQ(planes.at(1, 0).y, 235);
    EXPECT_EQ(planes.at(0, 0).cb, 184);  // (240 + 128) / 2
    EXPECT_EQ(planes.at(0, 0).cr, 119);  // (110 + 128) / 2
    EXPECT_EQ(planes.at(0, 2).y, 16);
    EXPECT_EQ(planes.at(0, 3).y, 235);
    EXPECT_EQ(planes.at(1, 3).cb, 128);
}

// Frames filled in turn, each with only what changed since it was filled last, are each the
// whole conversion of their picture: in 4:2:0 and in a palette's indices.
TEST_F(VideoExport, FramesFilledWithWhatChangedAreTheWholeConversion) {
    for (const VideoFormat format : {VideoFormat::mp4, VideoFormat::gif}) {
        const bool gif = format == VideoFormat::gif;
        SCOPED_TRACE(gif ? "gif" : "mp4");
        VideoPictures pictures(share_cycle({}), 1, true);
        const QSize coded = coded_size(format, pictures.picture().size());
        const std::vector<QRgb> palette = most_frequent_colours(render_picture(last_step, true));
        const auto converter_of = [&] {
            return gif ? FrameConverter(coded, palette) : FrameConverter(coded);
        };
        const AVPixelFormat pixels = gif ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_YUV420P;
        FrameConverter converter = converter_of();
        FramePointer turns[] = {new_frame(pixels, coded), new_frame(pixels, coded),
                                new_frame(pixels, coded)};
        constexpr int frames = 30;
        for (int i = 0; i < frames; ++i) {
            pictures.advance_to(video_frame_step(i, frames));
            converter.update(pictures.picture(), pictures.changes());
            AVFrame& frame = *turns[i % 3];
            converter.copy_to(frame, false);
            FrameConverter whole = converter_of();
            whole.update(pictures.picture(), {});
            const FramePointer expected = new_frame(pixels, coded);
            whole.copy_whole_to(*expected);
            for (int plane = 0; plane < (gif ? 1 : 3); ++plane) {
                const int rows = plane == 0 ? coded.height() : coded.height() / 2;
                const int columns = plane == 0 ? coded.width() : coded.width() / 2;
                int different = 0;
                for (std::ptrdiff_t y = 0; y < rows; ++y) {
                    different += std::memcmp(frame.data[plane] + y * frame.linesize[plane],
                                             expected->data[plane] + y * expected->linesize[plane],
                                             static_cast<std::size_t>(columns)) != 0;
                }
                EXPECT_EQ(different, 0) << "frame " << i << ", plane " << plane;
            }
        }
        if (gif) {
            // The palette's colours, the most frequent first: the background's white.
            ASSERT_EQ(converter.palette().size(), 256u);
            EXPECT_EQ(converter.palette()[0], 0xFFFFFFu);
        }
    }
}

// A GIF's frame delays (its Graphic Control Extensions), read off the file.
std::vector<int> gif_delays(const std::string& gif) {
    const auto byte = [&gif](std::size_t at) {
        return at < gif.size() ? static_cast<unsigned char>(gif[at]) : 0x3B;
    };
    const auto skip_sub_blocks = [&byte](std::size_t at) {
        while (byte(at) != 0) at += byte(at) + 1u;
        return at + 1;
    };
    const auto colour_table = [](unsigned packed) {
        return (packed & 0x80) != 0 ? 3u * (2u << (packed & 7)) : 0u;
    };
    std::vector<int> delays;
    std::size_t at = 13 + colour_table(byte(10));
    while (at < gif.size() && byte(at) != 0x3B) {
        if (byte(at) == 0x21) {
            if (byte(at + 1) == 0xF9) delays.push_back(byte(at + 4) | byte(at + 5) << 8);
            at = skip_sub_blocks(at + 2);
        } else if (byte(at) == 0x2C) {
            at = skip_sub_blocks(at + 10 + colour_table(byte(at + 9)) + 1);
        } else {
            ADD_FAILURE() << "not a GIF block at " << at;
            break;
        }
    }
    return delays;
}

// Delays are whole hundredths: the first k frames last the k frames' time rounded, so that the
// frames add up to their time exactly, and the last one is held besides.
TEST_F(VideoExport, GifDelaysAddUpToTheFramesTimeAndTheHold) {
    const struct {
        int fps;
        double duration, hold;
        int frames, total;  // hundredths
    } cases[] = {{30, 18, 2, 540, 2000},
                 {7, 5, 0, 35, 500},
                 {7, 5, 2.5, 35, 750},
                 {40, 3, 0, 120, 300},
                 {30, 0.01, 2, 1, 203}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.fps) + " fps, " + std::to_string(c.duration) + " s, hold " +
                     std::to_string(c.hold));
        VideoOptions options;
        options.format = VideoFormat::gif;
        options.fps = c.fps;
        options.duration = c.duration;
        options.hold = c.hold;
        options.labels = false;
        const std::vector<int> delays = gif_delays(encoded(options, [](int, int) {}));
        ASSERT_EQ(delays.size(), static_cast<std::size_t>(c.frames));
        int sum = 0;
        for (int k = 0; k + 1 < c.frames; ++k) {
            sum += delays[static_cast<std::size_t>(k)];
            ASSERT_EQ(sum, static_cast<int>(std::lround((k + 1) * 100.0 / c.fps))) << k;
        }
        EXPECT_EQ(sum + delays.back(), c.total);
    }
}

// The mean colour along each trace in the video's last frame (step 18000), against the
// picture's pure colour there, in MP4 and WebM at their own scale. (At the client area's own
// size, where 4:2:0 gives one colour to each 2x2 block, the blue trace's mean is about 200.)
TEST_F(VideoExport, ThinTracesKeepTheirColour) {
    const struct {
        VideoFormat format;
        const char* extension;
        int scale;
        int tolerance;  // of each channel's mean; measured: at most 30
    } cases[] = {{VideoFormat::mp4, ".mp4", 0, 40}, {VideoFormat::webm, ".webm", 0, 40}};
    for (const auto& c : cases) {
        VideoOptions options;
        options.format = c.format;
        options.scale = c.scale;
        options.fps = 1;
        options.duration = 2;
        const int scale = video_scale(options);
        SCOPED_TRACE(std::string(c.extension) + " at " + std::to_string(scale) + "x");
        const Decoded video = decode(encoded(options, [](int, int) {}), c.extension);
        ASSERT_EQ(video.frames.size(), 2u);
        const QImage& got = video.frames.back();
        const QImage drawing = render_picture(last_step, false, scale);
        const QImage picture = render_picture(last_step, true, scale);
        for (const Color trace : {blue, green, red}) {
            const QRgb colour = ImageSurface::to_rgb(trace);
            double sum[3] = {0, 0, 0};
            long pixels = 0;
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x) {
                    // The trace's own pixels, not the labels' of its colour.
                    if (drawing.pixel(x, y) != colour || picture.pixel(x, y) != colour) continue;
                    const QRgb p = got.pixel(x, y);
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    ++pixels;
                }
            }
            ASSERT_GT(pixels, 500);
            const int want[3] = {qRed(colour), qGreen(colour), qBlue(colour)};
            std::printf("%s at %dx, trace %06x: mean %.1f %.1f %.1f over %ld pixels\n", c.extension,
                        scale, colour & 0xFFFFFF, sum[0] / pixels, sum[1] / pixels, sum[2] / pixels,
                        pixels);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(sum[i] / pixels, want[i], c.tolerance) << i;
        }
    }
}

}  // namespace
}  // namespace hcci
