// SPDX-License-Identifier: MIT
#include "qt/video/video_export.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "core/animate/cycle_driver.h"
#include "core/draw/logical_mapping.h"
#include "core/model/sweep.h"
#include "qt/picture/image_surface.h"
#include "qt/picture/picture.h"

namespace hcci {
namespace {

std::string av_message(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// Short of memory, FFmpeg's functions do not always say ENOMEM: when one fails, a moderate
// allocation of our own tells whether memory is what ran out.
bool memory_runs_short() {
    void* probe = av_malloc(std::size_t{64} << 20);
    if (probe == nullptr) return true;
    av_free(probe);
    return false;
}

void check(int result, const char* what) {
    if (result >= 0) return;
    if (result == AVERROR(ENOMEM) || memory_runs_short()) {
        throw std::runtime_error(std::string(what) + ": out of memory");
    }
    throw std::runtime_error(std::string(what) + ": " + av_message(result));
}

// The file being written, through its descriptor: a place in it to write, read and seek, for
// the muxers that go back to fill in a header, or (the MP4's index moved to the front) read
// what they wrote. Each cursor has its own place.
struct FileCursor {
    int fd;
    int64_t position = 0;

    static int write(void* opaque, uint8_t* data, int size) {  // FFmpeg 5 passes no const
        auto* cursor = static_cast<FileCursor*>(opaque);
        for (int done = 0; done < size;) {
            const ssize_t written = ::pwrite(
                cursor->fd, data + done, static_cast<std::size_t>(size - done), cursor->position);
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) return AVERROR(errno);
            done += static_cast<int>(written);
            cursor->position += written;
        }
        return size;
    }
    static int read(void* opaque, uint8_t* data, int size) {
        auto* cursor = static_cast<FileCursor*>(opaque);
        for (;;) {
            const ssize_t got =
                ::pread(cursor->fd, data, static_cast<std::size_t>(size), cursor->position);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return AVERROR(errno);
            if (got == 0) return AVERROR_EOF;
            cursor->position += got;
            return static_cast<int>(got);
        }
    }
    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* cursor = static_cast<FileCursor*>(opaque);
        struct stat status {};
        if (::fstat(cursor->fd, &status) != 0) return AVERROR(errno);
        const int64_t size = status.st_size;
        if (whence & AVSEEK_SIZE) return size;
        int64_t base = 0;
        switch (whence & ~AVSEEK_FORCE) {
            case SEEK_SET:
                break;
            case SEEK_CUR:
                base = cursor->position;
                break;
            case SEEK_END:
                base = size;
                break;
            default:
                return -1;
        }
        if (base + offset < 0) return -1;
        cursor->position = base + offset;
        return cursor->position;
    }
};

constexpr int io_buffer_size = 1 << 16;

// An AVIOContext over a cursor; nullptr when memory runs out.
AVIOContext* open_cursor(FileCursor* cursor, bool writable) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(io_buffer_size));
    if (buffer == nullptr) return nullptr;
    AVIOContext* io =
        avio_alloc_context(buffer, io_buffer_size, writable ? 1 : 0, cursor, FileCursor::read,
                           writable ? FileCursor::write : nullptr, FileCursor::seek);
    if (io == nullptr) av_free(buffer);
    return io;
}

// The muxer opens its file again to read it: another cursor over the same descriptor.
int open_again(AVFormatContext* format, AVIOContext** io, const char*, int flags, AVDictionary**) {
    if (flags & AVIO_FLAG_WRITE) return AVERROR(EINVAL);
    const auto* writer = static_cast<const FileCursor*>(format->opaque);
    auto* reader = new (std::nothrow) FileCursor{writer->fd};
    if (reader == nullptr) return AVERROR(ENOMEM);
    *io = open_cursor(reader, false);
    if (*io == nullptr) {
        delete reader;
        return AVERROR(ENOMEM);
    }
    return 0;
}

int close_again(AVFormatContext* format, AVIOContext* io) {
    if (io == nullptr || io == format->pb) return 0;  // the file itself is ours to close
    delete static_cast<FileCursor*>(io->opaque);
    av_freep(&io->buffer);
    avio_context_free(&io);
    return 0;
}

struct FormatContextDeleter {
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct IoDeleter {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct ScaleDeleter {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

const char* muxer_of(VideoFormat format) {
    switch (format) {
        case VideoFormat::mp4:
            return "mp4";
        case VideoFormat::webm:
            return "webm";
        case VideoFormat::gif:
            return "gif";
    }
    return "mp4";
}

const char* encoder_of(VideoFormat format) {
    switch (format) {
        case VideoFormat::mp4:
            return "libx264";
        case VideoFormat::webm:
            return "libvpx-vp9";
        case VideoFormat::gif:
            return "gif";
    }
    return "libx264";
}

// A GIF's 256 colours, from the colours of the finished picture, the most frequent first; any
// other colour a frame shows becomes the nearest of them.
class Palette {
public:
    explicit Palette(const QImage& picture) {
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
        for (const auto& entry : ranked) {
            if (colours_.size() == 256) break;
            colours_.push_back(entry.second);
        }
        index_.assign(std::size_t{1} << 24, unknown);
    }

    // The palette as a GIF frame carries it: 0xAARRGGBB, opaque.
    void copy_to(uint8_t* data) const {
        auto* entries = reinterpret_cast<uint32_t*>(data);
        for (std::size_t i = 0; i < 256; ++i) {
            entries[i] = 0xFF000000u | (i < colours_.size() ? colours_[i] : 0xFFFFFFu);
        }
    }

    uint8_t index_of(QRgb rgb) {
        uint16_t& index = index_[rgb & 0xFFFFFF];
        if (index == unknown) index = nearest(rgb);
        return static_cast<uint8_t>(index);
    }

private:
    static constexpr uint16_t unknown = 0xFFFF;

    uint16_t nearest(QRgb rgb) const {
        uint16_t best = 0;
        long best_distance = -1;
        for (std::size_t i = 0; i < colours_.size(); ++i) {
            const long dr = qRed(rgb) - qRed(colours_[i]);
            const long dg = qGreen(rgb) - qGreen(colours_[i]);
            const long db = qBlue(rgb) - qBlue(colours_[i]);
            const long distance = dr * dr + dg * dg + db * db;
            if (best_distance < 0 || distance < best_distance) {
                best_distance = distance;
                best = static_cast<uint16_t>(i);
            }
        }
        return best;
    }

    std::vector<QRgb> colours_;
    std::vector<uint16_t> index_;  // by 0xRRGGBB
};

// Steps the codec's packets out to the muxer.
class Encoder {
public:
    Encoder(AVFormatContext* format, AVCodecContext* codec, AVStream* stream)
        : format_(format), codec_(codec), stream_(stream), packet_(av_packet_alloc()) {
        if (!packet_) throw std::bad_alloc();
    }
    // A frame, or nullptr to drain the codec at the end.
    void send(const AVFrame* frame) {
        check(avcodec_send_frame(codec_, frame), "cannot encode a frame");
        for (;;) {
            const int result = avcodec_receive_packet(codec_, packet_.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
            check(result, "cannot encode a frame");
            // Every frame lasts one frame's time; without it the last one would last none and
            // players would drop it.
            if (packet_->duration == 0) packet_->duration = 1;
            av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            check(av_interleaved_write_frame(format_, packet_.get()), "cannot write a frame");
        }
    }

private:
    AVFormatContext* format_;
    AVCodecContext* codec_;
    AVStream* stream_;
    std::unique_ptr<AVPacket, PacketDeleter> packet_;
};

void set_option(AVCodecContext* codec, const char* name, const char* value) {
    check(av_opt_set(codec->priv_data, name, value, 0), name);
}

// The muxer, writing through a cursor over the descriptor.
struct Output {
    FileCursor writer;
    std::unique_ptr<AVFormatContext, FormatContextDeleter> format;
    std::unique_ptr<AVIOContext, IoDeleter> io;
};

std::unique_ptr<Output> open_output(VideoFormat video_format, int fd) {
    auto output = std::make_unique<Output>(Output{FileCursor{fd}, nullptr, nullptr});
    AVFormatContext* raw_format = nullptr;
    check(avformat_alloc_output_context2(&raw_format, nullptr, muxer_of(video_format), nullptr),
          "cannot make the video file");
    output->format.reset(raw_format);
    output->io.reset(open_cursor(&output->writer, true));
    if (!output->io) throw std::bad_alloc();
    AVFormatContext* format = output->format.get();
    format->pb = output->io.get();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    format->opaque = &output->writer;
    format->io_open = open_again;
    format->io_close2 = close_again;
    return output;
}

// The encoder of the format at the coded size, opened, with its stream described.
std::unique_ptr<AVCodecContext, CodecContextDeleter> open_encoder(const VideoOptions& options,
                                                                  AVFormatContext* format,
                                                                  AVStream* stream, QSize coded) {
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder_of(options.format));
    if (codec == nullptr) {
        throw std::runtime_error(std::string("this FFmpeg has no ") + encoder_of(options.format) +
                                 " encoder");
    }
    std::unique_ptr<AVCodecContext, CodecContextDeleter> context(avcodec_alloc_context3(codec));
    if (!context) throw std::bad_alloc();
    const bool gif = options.format == VideoFormat::gif;
    context->width = coded.width();
    context->height = coded.height();
    context->time_base = {1, options.fps};
    context->framerate = {options.fps, 1};
    context->pix_fmt = gif ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_YUV420P;
    context->gop_size = 2 * options.fps;
    context->thread_count = 2;
    if (!gif) {
        context->color_range = AVCOL_RANGE_MPEG;
        context->colorspace = AVCOL_SPC_SMPTE170M;
        context->color_primaries = AVCOL_PRI_SMPTE170M;
        context->color_trc = AVCOL_TRC_SMPTE170M;
    }
    if (format->oformat->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (options.format == VideoFormat::mp4) {
        set_option(context.get(), "preset", "veryfast");
        set_option(context.get(), "crf", "20");
        // No look ahead and no B-frames: few frames held in memory, also at twice the size.
        set_option(context.get(), "tune", "zerolatency");
    } else if (options.format == VideoFormat::webm) {
        set_option(context.get(), "deadline", "realtime");
        set_option(context.get(), "cpu-used", "8");
        set_option(context.get(), "row-mt", "1");
        set_option(context.get(), "lag-in-frames", "0");
        set_option(context.get(), "auto-alt-ref", "0");
        set_option(context.get(), "crf", "30");
        context->bit_rate = 0;
    }
    check(avcodec_open2(context.get(), codec, nullptr), "cannot start the encoder");
    check(avcodec_parameters_from_context(stream->codecpar, context.get()),
          "cannot describe the video stream");
    stream->time_base = context->time_base;
    return context;
}

void write_header(const VideoOptions& options, AVFormatContext* format) {
    const VideoFormat video_format = options.format;
    AVDictionary* muxer_options = nullptr;
    if (video_format == VideoFormat::gif) {
        av_dict_set(&muxer_options, "loop", "0", 0);  // for ever
        // The muxer takes each frame's delay from the next frame's time: the last one's is said.
        const long final_delay = std::max(1L, std::lround(100.0 / options.fps));
        av_dict_set(&muxer_options, "final_delay", std::to_string(final_delay).c_str(), 0);
    }
    // The index before the frames, so that a browser plays the MP4 while it still loads.
    if (video_format == VideoFormat::mp4) av_dict_set(&muxer_options, "movflags", "+faststart", 0);
    const int header = avformat_write_header(format, &muxer_options);
    av_dict_free(&muxer_options);
    check(header, "cannot write the video's header");
}

// Turns pictures into the encoder's frames: a picture of the client area, padded white to the
// coded size, into YUV 4:2:0 or the GIF's palette.
class FrameMaker {
public:
    FrameMaker(const AVCodecContext& context, std::unique_ptr<Palette> palette)
        : frame_(av_frame_alloc()),
          canvas_(context.width, context.height, QImage::Format_RGB32),
          palette_(std::move(palette)) {
        if (!frame_ || canvas_.isNull()) throw std::bad_alloc();
        frame_->format = context.pix_fmt;
        frame_->width = context.width;
        frame_->height = context.height;
        check(av_frame_get_buffer(frame_.get(), 0), "cannot make a frame");
        canvas_.fill(Qt::white);
        if (palette_) return;
        to_yuv_.reset(sws_getContext(context.width, context.height, AV_PIX_FMT_BGRA, context.width,
                                     context.height, AV_PIX_FMT_YUV420P,
                                     SWS_BILINEAR | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
        if (!to_yuv_) throw std::runtime_error("cannot convert the frames for the encoder");
    }

    const AVFrame* frame_of(const QImage& picture, int64_t pts) {
        for (int y = 0; y < picture.height(); ++y) {
            std::memcpy(canvas_.scanLine(y), picture.constScanLine(y),
                        static_cast<std::size_t>(picture.width()) * 4);
        }
        check(av_frame_make_writable(frame_.get()), "cannot make a frame");
        if (palette_) {
            palette_->copy_to(frame_->data[1]);
            for (int y = 0; y < picture.height(); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(canvas_.constScanLine(y));
                uint8_t* out =
                    frame_->data[0] + static_cast<std::ptrdiff_t>(y) * frame_->linesize[0];
                for (int x = 0; x < picture.width(); ++x) out[x] = palette_->index_of(row[x]);
            }
        } else {
            const uint8_t* source[] = {canvas_.constBits()};
            const int source_stride[] = {static_cast<int>(canvas_.bytesPerLine())};
            if (sws_scale(to_yuv_.get(), source, source_stride, 0, canvas_.height(), frame_->data,
                          frame_->linesize) != canvas_.height()) {
                throw std::runtime_error("cannot convert a frame for the encoder");
            }
        }
        frame_->pts = pts;
        return frame_.get();
    }

private:
    std::unique_ptr<AVFrame, FrameDeleter> frame_;
    QImage canvas_;
    std::unique_ptr<Palette> palette_;
    std::unique_ptr<SwsContext, ScaleDeleter> to_yuv_;
};

}  // namespace

int video_frame_count(const VideoOptions& options) {
    return std::max(1, static_cast<int>(std::lround(options.fps * options.duration)));
}

int video_frame_step(int frame, int frame_count) {
    if (frame_count <= 1) return last_step;
    return static_cast<int>(
        std::lround(static_cast<double>(frame) * last_step / (frame_count - 1)));
}

void encode_video(const VideoOptions& options, const EngineParameters& parameters, int fd,
                  const std::function<void(int, int)>& progress) {
    // Our own messages say what failed; FFmpeg's chatter stays out of the way.
    av_log_set_level(AV_LOG_QUIET);
    const int frames = video_frame_count(options);
    const bool gif = options.format == VideoFormat::gif;
    const QSize size(client_width * options.scale, client_height * options.scale);
    // 4:2:0 wants even sizes: the extra column or row is white.
    const QSize coded = gif ? size : QSize((size.width() + 1) & ~1, (size.height() + 1) & ~1);

    const std::unique_ptr<Output> output = open_output(options.format, fd);
    AVFormatContext* format = output->format.get();
    AVStream* stream = avformat_new_stream(format, nullptr);
    if (stream == nullptr) throw std::bad_alloc();
    const auto context = open_encoder(options, format, stream, coded);
    write_header(options, format);

    FrameMaker maker(*context, gif ? std::make_unique<Palette>(render_picture(
                                         last_step, options.labels, options.scale, parameters))
                                   : nullptr);
    // Every frame continues the drawing of the frame before: one sweep, drawn once.
    ImageSurface surface(options.scale);
    RunControl run;
    CycleDriver driver(surface, run, parameters);
    Encoder encoder(format, context.get(), stream);
    for (int i = 0; i < frames; ++i) {
        driver.run_to(video_frame_step(i, frames));
        const QImage picture =
            options.labels ? compose_picture(surface.image(), options.scale, driver.readout())
                           : surface.image();
        encoder.send(maker.frame_of(picture, i));
        progress(i + 1, frames);
    }
    encoder.send(nullptr);
    check(av_write_trailer(format), "cannot finish the video");
    avio_flush(output->io.get());
    if (output->io->error < 0) check(output->io->error, "cannot write the video");
}

}  // namespace hcci
