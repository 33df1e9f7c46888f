// SPDX-License-Identifier: MIT
// The sweep as a video (30 fps, 18 s, 540 frames): encode_video whole, against the encoder
// alone on the same frames, made beforehand and held in memory, with the same codec, settings
// and muxer into a file. Arguments: the format (0 MP4, 1 WebM, 2 GIF) and the scale (0: the
// format's own). bench/video-timing.sh compares the encoder alone with the whole process.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/model/sweep.h"
#include "qt/picture/picture.h"
#include "qt/video/video_encoder.h"
#include "qt/video/video_export.h"
#include "qt/video/video_frames.h"
#include "qt_bench_main.h"

namespace hcci {
namespace {

VideoOptions options_of(const benchmark::State& state) {
    VideoOptions options;
    options.format = static_cast<VideoFormat>(state.range(0));
    options.scale = static_cast<int>(state.range(1));
    return options;
}

// A file to write the video into, removed at the end.
class ScratchFile {
public:
    ScratchFile() {
        const char* directory = std::getenv("TMPDIR");
        path_ = std::string(directory != nullptr ? directory : "/tmp") + "/hcci-video-XXXXXX";
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) throw std::runtime_error("cannot make " + path_);
    }
    ~ScratchFile() {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    // The file emptied for the next video.
    int fd() const {
        if (::ftruncate(fd_, 0) != 0) throw std::runtime_error("cannot empty " + path_);
        return fd_;
    }

private:
    std::string path_;
    int fd_ = -1;
};

// The process's processor time, every thread's: the codec's threads do most of the work.
double process_seconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The cores busy on average while it ran: the process's processor time over the time taken.
class CoresBusy {
public:
    explicit CoresBusy(benchmark::State& state)
        : state_(state), cpu_(process_seconds()), start_(std::chrono::steady_clock::now()) {}
    CoresBusy(const CoresBusy&) = delete;
    CoresBusy& operator=(const CoresBusy&) = delete;
    ~CoresBusy() {
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start_;
        state_.counters["cores"] = (process_seconds() - cpu_) / taken.count();
    }

private:
    benchmark::State& state_;
    double cpu_;
    std::chrono::steady_clock::time_point start_;
};

void BM_EncodeVideo(benchmark::State& state) {
    const VideoOptions options = options_of(state);
    const ScratchFile file;
    const CoresBusy cores(state);
    for (auto _ : state) encode_video(options, share_cycle({}), file.fd(), [](int, int) {});
}

void BM_EncoderAlone(benchmark::State& state) {
    const VideoOptions options = options_of(state);
    const int frames = video_frame_count(options);
    const int scale = video_scale(options);
    VideoPictures pictures(share_cycle({}), scale, options.labels);
    const QSize coded = coded_size(options.format, pictures.picture().size());
    std::optional<FrameConverter> converter;
    if (options.format == VideoFormat::gif) {
        converter.emplace(coded, most_frequent_colours(
                                     render_picture(last_step, true, scale, EngineParameters{})));
    } else {
        converter.emplace(coded);
    }
    const ScratchFile file;
    std::vector<FramePointer> made;
    {
        const VideoEncoder maker(options, coded, frames, file.fd());
        for (int i = 0; i < frames; ++i) {
            pictures.advance_to(video_frame_step(i, frames));
            converter->update(pictures.picture(), pictures.changes());
            made.push_back(maker.make_frame());
            converter->copy_whole_to(*made.back());
        }
    }
    const CoresBusy cores(state);
    for (auto _ : state) {
        VideoEncoder encoder(options, coded, frames, file.fd());
        for (int i = 0; i < frames; ++i) encoder.encode(*made[static_cast<std::size_t>(i)], i);
        encoder.finish();
    }
}

void formats(benchmark::internal::Benchmark* b) {
    b->ArgNames({"format", "scale"});
    for (const int format : {0, 1, 2}) {
        for (const int scale : {0, 1, 2}) b->Args({format, scale});
    }
    b->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}
BENCHMARK(BM_EncodeVideo)->Apply(formats);
BENCHMARK(BM_EncoderAlone)->Apply(formats);

}  // namespace
}  // namespace hcci

int main(int argc, char** argv) {
    return run_qt_benchmarks<QGuiApplication>(argc, argv);
}
