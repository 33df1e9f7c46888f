// SPDX-License-Identifier: MIT
#include "qt/video/video_export.h"

#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/model/sweep.h"
#include "core/report/output_format.h"
#include "qt/picture/picture.h"
#include "qt/video/side_frames.h"
#include "qt/video/video_encoder.h"
#include "qt/video/video_frames.h"

namespace hcci {
namespace {

// The codec on a thread of its own: the next picture is drawn and converted while the codec
// encodes the ones before. A few frames go round between the two.
class EncoderThread {
public:
    explicit EncoderThread(VideoEncoder& encoder) : encoder_(encoder) {
        constexpr int frames_in_turn = 3;
        for (int i = 0; i < frames_in_turn; ++i) frames_.push_back(encoder_.make_frame());
        for (const FramePointer& frame : frames_) idle_.push_back(frame.get());
        thread_ = std::thread([this] { run(); });
    }
    EncoderThread(const EncoderThread&) = delete;
    EncoderThread& operator=(const EncoderThread&) = delete;
    // Given up half way (the drawing failed): the codec stops after the frame it is at.
    ~EncoderThread() {
        if (!thread_.joinable()) return;
        {
            const std::lock_guard lock(mutex_);
            abandoned_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    struct Taken {
        AVFrame& frame;
        bool new_buffers;  // its pixels undefined
    };
    // A frame to fill, once the codec is done with one; throws what stopped the codec.
    Taken take() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return failure_ || !idle_.empty(); });
        if (failure_) {
            lock.unlock();
            thread_.join();
            std::rethrow_exception(failure_);
        }
        AVFrame* frame = idle_.back();
        idle_.pop_back();
        lock.unlock();
        const bool new_buffers = encoder_.make_writable(*frame);
        return {*frame, new_buffers};
    }

    // The filled frame, as the video's frame `index`.
    void give(AVFrame& frame, int index) {
        {
            const std::lock_guard lock(mutex_);
            queued_.push_back({&frame, index});
        }
        changed_.notify_all();
    }

    // Waits until every frame given is encoded and the file finished.
    void finish() {
        {
            const std::lock_guard lock(mutex_);
            given_all_ = true;
        }
        changed_.notify_all();
        thread_.join();
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    struct Job {
        AVFrame* frame;
        int index;
    };

    void run() {
        try {
            for (;;) {
                Job job{};
                {
                    std::unique_lock lock(mutex_);
                    changed_.wait(lock,
                                  [this] { return abandoned_ || given_all_ || !queued_.empty(); });
                    if (abandoned_) return;
                    if (queued_.empty()) break;
                    job = queued_.front();
                    queued_.pop_front();
                }
                encoder_.encode(*job.frame, job.index);
                {
                    const std::lock_guard lock(mutex_);
                    idle_.push_back(job.frame);
                }
                changed_.notify_all();
            }
            encoder_.finish();
        } catch (...) {
            {
                const std::lock_guard lock(mutex_);
                failure_ = std::current_exception();
            }
            changed_.notify_all();
        }
    }

    VideoEncoder& encoder_;
    std::vector<FramePointer> frames_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<AVFrame*> idle_;
    std::deque<Job> queued_;
    bool given_all_ = false;
    bool abandoned_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace

VideoFormat video_format_of(std::string_view path) {
    switch (format_of(path).value_or(OutputFormat::mp4)) {
        case OutputFormat::gif:
            return VideoFormat::gif;
        case OutputFormat::webm:
            return VideoFormat::webm;
        default:
            return VideoFormat::mp4;
    }
}

FormatWriting video_writing(VideoFormat format) {
    switch (format) {
        case VideoFormat::mp4:
            return info_of(OutputFormat::mp4).writing;
        case VideoFormat::webm:
            return info_of(OutputFormat::webm).writing;
        case VideoFormat::gif:
            return info_of(OutputFormat::gif).writing;
    }
    return FormatWriting::seeks_and_reads;
}

int video_scale(const VideoOptions& options) {
    if (options.scale > 0) return options.scale;
    return options.format == VideoFormat::gif ? 1 : 2;
}

int video_frame_count(const VideoOptions& options) {
    return std::max(1, static_cast<int>(std::lround(options.fps * options.duration)));
}

int video_frame_step(int frame, int frame_count) {
    if (frame_count <= 1) return last_step;
    return static_cast<int>(
        std::lround(static_cast<double>(frame) * last_step / (frame_count - 1)));
}

namespace {

// The frames of the side layout, each converted whole, at the same steps as the picture's.
void encode_side_video(const VideoOptions& options, const SharedRecord& record, int fd,
                       const std::function<void(int, int)>& progress) {
    const int frames = video_frame_count(options);
    SideFrames pictures(record, options.labels);
    const QSize coded = coded_size(options.format, side_frame_size);
    std::optional<FrameConverter> converter;
    if (options.format == VideoFormat::gif) {
        // The colours of the finished frame: a frame of its own made to its end.
        SideFrames finished(record, options.labels);
        converter.emplace(coded, most_frequent_colours(finished.advance_to(last_step)));
    } else {
        converter.emplace(coded);
    }
    VideoEncoder encoder(options, coded, frames, fd);
    EncoderThread codec(encoder);
    for (int i = 0; i < frames; ++i) {
        converter->update(pictures.advance_to(video_frame_step(i, frames)), pictures.changes());
        const auto taken = codec.take();
        converter->copy_to(taken.frame, taken.new_buffers);
        codec.give(taken.frame, i);
        progress(i + 1, frames);
    }
    codec.finish();
}

}  // namespace

void encode_video(const VideoOptions& options, const SharedRecord& record, int fd,
                  const std::function<void(int, int)>& progress) {
    if (options.layout == VideoLayout::side) {
        encode_side_video(options, record, fd, progress);
        return;
    }
    const int frames = video_frame_count(options);
    const int scale = video_scale(options);
    // Every frame continues the drawing of the frame before: one sweep, drawn once.
    VideoPictures pictures(record, scale, options.labels);
    const QSize coded = coded_size(options.format, pictures.picture().size());
    // A GIF's colours are those of the finished picture.
    std::optional<FrameConverter> converter;
    if (options.format == VideoFormat::gif) {
        converter.emplace(
            coded, most_frequent_colours(render_picture(last_step, options.labels, scale, record)));
    } else {
        converter.emplace(coded);
    }
    VideoEncoder encoder(options, coded, frames, fd);
    EncoderThread codec(encoder);
    for (int i = 0; i < frames; ++i) {
        pictures.advance_to(video_frame_step(i, frames));
        converter->update(pictures.picture(), pictures.changes());
        const auto taken = codec.take();
        converter->copy_to(taken.frame, taken.new_buffers);
        codec.give(taken.frame, i);
        progress(i + 1, frames);
    }
    codec.finish();
}

}  // namespace hcci
