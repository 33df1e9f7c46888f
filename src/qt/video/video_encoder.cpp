// SPDX-License-Identifier: MIT
#include "qt/video/video_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <new>
#include <stdexcept>
#include <string>

namespace hcci {

void FrameDeleter::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}

QSize coded_size(VideoFormat format, QSize picture) {
    if (format == VideoFormat::gif) return picture;
    // 4:2:0 wants even sizes: the extra column or row is white.
    return {(picture.width() + 1) & ~1, (picture.height() + 1) & ~1};
}

int gif_centiseconds(int index, int fps) {
    return static_cast<int>((200LL * index + fps) / (2LL * fps));
}

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
// what they wrote. Each cursor has its own place, counted from where the descriptor stood when
// the video began (0 in a file of its own). A descriptor that cannot seek (a pipe) takes the
// bytes in order, for a format that streams.
struct FileCursor {
    int fd;
    int64_t start = 0;
    bool streamed = false;
    int64_t position = 0;

    static FileCursor over(int fd) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        return at < 0 ? FileCursor{fd, 0, true} : FileCursor{fd, at};
    }

    static int write(void* opaque, uint8_t* data, int size) {  // FFmpeg 5 passes no const
        auto* cursor = static_cast<FileCursor*>(opaque);
        for (int done = 0; done < size;) {
            const auto left = static_cast<std::size_t>(size - done);
            const ssize_t written = cursor->streamed ? ::write(cursor->fd, data + done, left)
                                                     : ::pwrite(cursor->fd, data + done, left,
                                                                cursor->start + cursor->position);
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) return AVERROR(errno);
            done += static_cast<int>(written);
            cursor->position += written;
        }
        return size;
    }
    static int read(void* opaque, uint8_t* data, int size) {
        auto* cursor = static_cast<FileCursor*>(opaque);
        if (cursor->streamed) return AVERROR(ESPIPE);
        for (;;) {
            const ssize_t got = ::pread(cursor->fd, data, static_cast<std::size_t>(size),
                                        cursor->start + cursor->position);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return AVERROR(errno);
            if (got == 0) return AVERROR_EOF;
            cursor->position += got;
            return static_cast<int>(got);
        }
    }
    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* cursor = static_cast<FileCursor*>(opaque);
        if (cursor->streamed) return AVERROR(ESPIPE);
        struct stat status {};
        if (::fstat(cursor->fd, &status) != 0) return AVERROR(errno);
        const int64_t size = std::max<int64_t>(status.st_size - cursor->start, 0);
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
    if (io == nullptr) {
        av_free(buffer);
        return nullptr;
    }
    if (cursor->streamed) io->seekable = 0;
    return io;
}

// The muxer opens its file again to read it: another cursor over the same descriptor.
int open_again(AVFormatContext* format, AVIOContext** io, const char*, int flags, AVDictionary**) {
    if (flags & AVIO_FLAG_WRITE) return AVERROR(EINVAL);
    const auto* writer = static_cast<const FileCursor*>(format->opaque);
    auto* reader = new (std::nothrow) FileCursor{writer->fd, writer->start, writer->streamed};
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
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct IoDeleter {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
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
    auto output = std::make_unique<Output>(Output{FileCursor::over(fd), nullptr, nullptr});
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
    // A GIF's frames are timed in its own hundredths of a second.
    context->time_base = gif ? AVRational{1, 100} : AVRational{1, options.fps};
    context->framerate = {options.fps, 1};
    context->pix_fmt = gif ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_YUV420P;
    context->gop_size = 2 * options.fps;
    context->thread_count = 2;
    if (!gif) {
        context->color_range = AVCOL_RANGE_MPEG;
        context->colorspace = AVCOL_SPC_SMPTE170M;
        context->color_primaries = AVCOL_PRI_SMPTE170M;
        context->color_trc = AVCOL_TRC_SMPTE170M;
        // Each block's colour is the mean of its four pixels (FrameConverter).
        context->chroma_sample_location = AVCHROMA_LOC_CENTER;
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

void write_header(const VideoOptions& options, int frames, AVFormatContext* format) {
    const VideoFormat video_format = options.format;
    AVDictionary* muxer_options = nullptr;
    if (video_format == VideoFormat::gif) {
        av_dict_set(&muxer_options, "loop", "0", 0);  // for ever
        // The muxer takes each frame's delay from the next frame's time: the last one's is
        // said, its own share of the frames' time and the hold.
        constexpr long longest_delay = 0xFFFF;
        const long final_delay = std::clamp(gif_centiseconds(frames, options.fps) -
                                                gif_centiseconds(frames - 1, options.fps) +
                                                std::lround(options.hold * 100),
                                            1L, longest_delay);
        av_dict_set(&muxer_options, "final_delay", std::to_string(final_delay).c_str(), 0);
    }
    // The index before the frames, so that a browser plays the MP4 while it still loads.
    if (video_format == VideoFormat::mp4) av_dict_set(&muxer_options, "movflags", "+faststart", 0);
    const int header = avformat_write_header(format, &muxer_options);
    av_dict_free(&muxer_options);
    check(header, "cannot write the video's header");
}

}  // namespace

struct VideoEncoder::Parts {
    std::unique_ptr<Output> output;
    AVStream* stream = nullptr;
    std::unique_ptr<AVCodecContext, CodecContextDeleter> codec;
    std::unique_ptr<AVPacket, PacketDeleter> packet;
    VideoOptions options;
    int last_share = 1;  // the duration of the frame sent last, in the codec's time base

    // A frame, or nullptr to drain the codec at the end: its packets out to the muxer.
    void send(const AVFrame* frame) {
        check(avcodec_send_frame(codec.get(), frame), "cannot encode a frame");
        for (;;) {
            const int result = avcodec_receive_packet(codec.get(), packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
            check(result, "cannot encode a frame");
            // Every frame lasts its time; without it the last one would last none and players
            // would drop it.
            if (packet->duration == 0) packet->duration = last_share;
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            check(av_interleaved_write_frame(output->format.get(), packet.get()),
                  "cannot write a frame");
        }
    }
};

VideoEncoder::VideoEncoder(const VideoOptions& options, QSize coded, int frames, int fd)
    : parts_(std::make_unique<Parts>()) {
    // Our own messages say what failed; FFmpeg's chatter stays out of the way.
    av_log_set_level(AV_LOG_QUIET);
    parts_->options = options;
    parts_->output = open_output(options.format, fd);
    AVFormatContext* format = parts_->output->format.get();
    parts_->stream = avformat_new_stream(format, nullptr);
    if (parts_->stream == nullptr) throw std::bad_alloc();
    parts_->codec = open_encoder(options, format, parts_->stream, coded);
    parts_->packet.reset(av_packet_alloc());
    if (!parts_->packet) throw std::bad_alloc();
    write_header(options, frames, format);
}

VideoEncoder::~VideoEncoder() = default;

FramePointer VideoEncoder::make_frame() const {
    FramePointer frame(av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    frame->format = parts_->codec->pix_fmt;
    frame->width = parts_->codec->width;
    frame->height = parts_->codec->height;
    check(av_frame_get_buffer(frame.get(), 0), "cannot make a frame");
    return frame;
}

bool VideoEncoder::make_writable(AVFrame& frame) const {
    if (av_frame_is_writable(&frame) != 0) return false;
    // The codec keeps the frame before (a GIF's encoder compares with it): new buffers, no copy.
    av_frame_unref(&frame);
    frame.format = parts_->codec->pix_fmt;
    frame.width = parts_->codec->width;
    frame.height = parts_->codec->height;
    check(av_frame_get_buffer(&frame, 0), "cannot make a frame");
    return true;
}

void VideoEncoder::encode(AVFrame& frame, int index) {
    const VideoOptions& options = parts_->options;
    if (options.format == VideoFormat::gif) {
        frame.pts = gif_centiseconds(index, options.fps);
        parts_->last_share = gif_centiseconds(index + 1, options.fps) - static_cast<int>(frame.pts);
    } else {
        frame.pts = index;
    }
    parts_->send(&frame);
}

void VideoEncoder::finish() {
    parts_->send(nullptr);
    AVFormatContext* format = parts_->output->format.get();
    check(av_write_trailer(format), "cannot finish the video");
    AVIOContext* io = parts_->output->io.get();
    avio_flush(io);
    if (io->error < 0) check(io->error, "cannot write the video");
}

}  // namespace hcci
