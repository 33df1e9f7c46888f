// SPDX-License-Identifier: MIT
#include "core/model/operating_map.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>

#include "core/model/parallel_loop.h"

namespace hcci {
namespace {

// How far the cores may run ahead of the point the sink waits for: enough that a slow point
// does not leave a core idle, few enough that the waiting analyses stay small.
constexpr std::size_t lead = 64;

// The analyses done out of order, and the point the sink is to be told next.
class InOrder {
public:
    explicit InOrder(const MapSink& sink) : sink_(sink) {}

    // Waits until `nth` is within the lead of the next to tell; false when the map has stopped.
    bool wait_turn(std::size_t nth) {
        std::unique_lock lock(mutex_);
        turn_.wait(lock, [&] { return stopped_ || nth < next_ + lead; });
        return !stopped_;
    }

    // Keeps the nth analysis and tells the sink every one in order that is now complete.
    void done(std::size_t nth, std::size_t point, CycleAnalysis&& analysis) {
        const std::lock_guard lock(mutex_);
        if (stopped_) return;
        const std::size_t slot = nth - next_;
        if (waiting_.size() <= slot) waiting_.resize(slot + 1);
        waiting_[slot].emplace(point, std::move(analysis));
        try {
            while (!waiting_.empty() && waiting_.front()) {
                sink_(waiting_.front()->first, waiting_.front()->second);
                waiting_.pop_front();
                ++next_;
            }
        } catch (...) {
            stopped_ = true;
            turn_.notify_all();
            throw;
        }
        turn_.notify_all();
    }

    void stop() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        turn_.notify_all();
    }

private:
    const MapSink& sink_;
    std::mutex mutex_;
    std::condition_variable turn_;
    std::size_t next_ = 0;
    bool stopped_ = false;
    std::deque<std::optional<std::pair<std::size_t, CycleAnalysis>>> waiting_;
};

}  // namespace

std::optional<MapGrid> map_grid(const StudyRange& x, const StudyRange& y) {
    auto xs = study_values(x);
    auto ys = study_values(y);
    if (!xs || !ys || xs->size() * ys->size() > largest_map) return std::nullopt;
    return MapGrid{.x = x, .y = y, .xs = std::move(*xs), .ys = std::move(*ys)};
}

std::size_t shard_size(std::size_t points, const MapShard& shard) {
    const std::size_t first = shard.index - 1;
    return points > first ? (points - first + shard.count - 1) / shard.count : 0;
}

EngineParameters map_engine(const EngineParameters& base, const MapGrid& grid, std::size_t point) {
    EngineParameters engine = base;
    engine.*grid.x.parameter->member = grid.x_at(point);
    engine.*grid.y.parameter->member = grid.y_at(point);
    return engine;
}

std::optional<MapProblem> run_map(const EngineParameters& base, const MapGrid& grid,
                                  const MapShard& shard, const MapSink& sink,
                                  const std::function<void(int, int)>& progress) {
    if (grid.x.parameter == grid.y.parameter) {
        return MapProblem{.kind = MapProblem::Kind::same_parameter};
    }
    const std::size_t count = shard_size(grid.size(), shard);
    const auto point_of = [&](std::size_t nth) { return shard.index - 1 + nth * shard.count; };
    // Every engine of the shard passes its checks before any cycle runs.
    for (std::size_t nth = 0; nth < count; ++nth) {
        const std::size_t point = point_of(nth);
        if (auto problem = check_parameter_values(map_engine(base, grid, point))) {
            return MapProblem{.kind = MapProblem::Kind::refused_value,
                              .x = grid.x_at(point),
                              .y = grid.y_at(point),
                              .problem = problem};
        }
    }
    InOrder in_order(sink);
    std::mutex beyond_lock;
    std::optional<MapProblem> beyond;
    std::size_t beyond_point = 0;  // the first point found beyond, of those computed
    const std::optional<std::string> failure = run_in_parallel(
        count,
        [&](std::size_t nth) {
            if (!in_order.wait_turn(nth)) return;
            const std::size_t point = point_of(nth);
            try {
                thread_local CycleRecord record;  // each thread's rows, filled again per point
                run_cycle(map_engine(base, grid, point), record);
                CycleAnalysis analysis = analyse_cycle(record);
                if (analysis.first_non_finite_step >= 0) {
                    const std::lock_guard lock(beyond_lock);
                    if (!beyond || point < beyond_point) {
                        beyond_point = point;
                        beyond = MapProblem{.kind = MapProblem::Kind::beyond_numbers,
                                            .x = grid.x_at(point),
                                            .y = grid.y_at(point),
                                            .step = analysis.first_non_finite_step};
                    }
                    throw std::runtime_error("beyond the range of numbers");
                }
                in_order.done(nth, point, std::move(analysis));
            } catch (...) {
                in_order.stop();
                throw;
            }
        },
        progress);
    if (beyond) return beyond;
    if (failure) return MapProblem{.kind = MapProblem::Kind::failed, .failure = *failure};
    return std::nullopt;
}

}  // namespace hcci
