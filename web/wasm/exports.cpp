// SPDX-License-Identifier: MIT
// The functions the page calls, as plain C: numbers in, numbers and pointers to text or pixels
// out. One engine, one picture and one baseline live here between calls.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/draw/off_picture.h"
#include "core/model/cycle_analysis.h"
#include "core/model/cycle_record.h"
#include "core/model/cycle_series.h"
#include "core/report/analysis_report.h"
#include "core/report/csv_export.h"
#include "core/report/parameter_text.h"
#include "core/report/view_text.h"
#include "web/wasm/page_data.h"
#include "web/wasm/page_engine.h"
#include "web/wasm/page_picture.h"
#include "web/wasm/png_file.h"

namespace {

using namespace hcci;

struct Page {
    PageEngine engine;
    std::optional<CycleSeries> series;
    std::optional<CycleSeries> baseline;
    std::optional<PagePicture> picture;
    std::string text;  // the last text handed out
    std::vector<double> points;
    std::vector<std::uint8_t> bytes;
    std::int32_t dirty[4] = {0, 0, -1, -1};
};

Page& page() {
    static Page p;
    return p;
}

double clock_ns() {
    return emscripten_get_now() * 1e6;
}

const char* hand_out(std::string text) {
    page().text = std::move(text);
    return page().text.c_str();
}

const CycleSeries& series() {
    Page& p = page();
    if (!p.series) p.series = cycle_series(*p.engine.record);
    return *p.series;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* hcci_registry() {
    return hand_out(registry_json());
}

// Settings, one NAME=VALUE a line: the engine they make, said as JSON. The picture follows at
// the step it shows.
EMSCRIPTEN_KEEPALIVE const char* hcci_engine(const char* settings, int scale) {
    Page& p = page();
    p.engine = engine_from_settings(split_lines(settings));
    p.series.reset();
    if (p.picture) {
        p.picture->set_record(p.engine.record);
    } else {
        p.picture.emplace(p.engine.record, scale, clock_ns);
    }
    return hand_out(engine_json(p.engine));
}

EMSCRIPTEN_KEEPALIVE void hcci_set_scale(int scale) {
    page().picture->set_scale(scale);
}
EMSCRIPTEN_KEEPALIVE int hcci_width() {
    return page().picture->width();
}
EMSCRIPTEN_KEEPALIVE int hcci_height() {
    return page().picture->height();
}
EMSCRIPTEN_KEEPALIVE const std::uint8_t* hcci_rgba() {
    return page().picture->rgba();
}
// The rectangle to copy (left, top, right, bottom; empty when right < left).
EMSCRIPTEN_KEEPALIVE const std::int32_t* hcci_take_dirty() {
    Page& p = page();
    const PixelRect r = p.picture->take_dirty();
    p.dirty[0] = r.left;
    p.dirty[1] = r.top;
    p.dirty[2] = r.right;
    p.dirty[3] = r.bottom;
    return p.dirty;
}

EMSCRIPTEN_KEEPALIVE void hcci_hold_at(int step) {
    page().picture->hold_at(step);
}
EMSCRIPTEN_KEEPALIVE void hcci_play() {
    page().picture->play();
}
EMSCRIPTEN_KEEPALIVE void hcci_stop() {
    page().picture->stop();
}
// When to tick again (the clock's nanoseconds), or -1 while held.
EMSCRIPTEN_KEEPALIVE double hcci_tick() {
    return page().picture->tick().value_or(-1);
}
// A key; 1 when the page is to tick at once.
EMSCRIPTEN_KEEPALIVE int hcci_key(int key, double arrival_ns) {
    return page().picture->key(static_cast<std::uint16_t>(key), arrival_ns) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int hcci_step() {
    return page().picture->driver().step_index();
}
EMSCRIPTEN_KEEPALIVE int hcci_readout() {
    return static_cast<int>(page().picture->driver().readout());
}
// 0 drawing the background, 1 sweeping, 2 frozen (or held at its next step), 3 waiting after
// the sweep, 5 stopped.
EMSCRIPTEN_KEEPALIVE int hcci_state() {
    const PagePicture& picture = *page().picture;
    if (picture.stopped()) return 5;
    const DriverState state = picture.driver().state();
    if (state == DriverState::sweeping && picture.held()) return 2;
    return static_cast<int>(state);
}
EMSCRIPTEN_KEEPALIVE double hcci_pace() {
    return page().picture->driver().pacing();
}

EMSCRIPTEN_KEEPALIVE const char* hcci_summary() {
    Page& p = page();
    const CycleSeries& current = series();
    if (p.baseline) {
        return hand_out(comparison_text(current.analysis, current.parameters, p.baseline->analysis,
                                        p.baseline->parameters));
    }
    return hand_out(summary_text(current.analysis, current.parameters));
}
// A word on traces that leave the picture, or "".
EMSCRIPTEN_KEEPALIVE const char* hcci_off_picture() {
    return hand_out(off_picture_text(traces_off_picture(series().analysis)));
}
EMSCRIPTEN_KEEPALIVE const char* hcci_csv() {
    return hand_out(sweep_csv(*page().engine.record));
}
EMSCRIPTEN_KEEPALIVE const char* hcci_parameter_file() {
    return hand_out(parameter_file(page().engine.parameters));
}

EMSCRIPTEN_KEEPALIVE void hcci_pin_baseline(int pin) {
    Page& p = page();
    if (pin != 0) {
        p.baseline = series();
    } else {
        p.baseline.reset();
    }
}
EMSCRIPTEN_KEEPALIVE const char* hcci_view(const char* name) {
    Page& p = page();
    return hand_out(view_json(name, series(), p.baseline ? &*p.baseline : nullptr, p.points));
}
EMSCRIPTEN_KEEPALIVE const double* hcci_view_points() {
    return page().points.data();
}

// The PNG of the step at 1x: first its rows, filtered, to deflate; then the file around the
// deflated stream the page wrote at hcci_buffer(size).
EMSCRIPTEN_KEEPALIVE const std::uint8_t* hcci_png_rows(int step) {
    Page& p = page();
    const std::vector<std::uint8_t> rgb = picture_rgb(p.engine.record, step);
    p.bytes = filtered_rows(rgb, PixelSurface::width_at(1), PixelSurface::height_at(1));
    return p.bytes.data();
}
EMSCRIPTEN_KEEPALIVE int hcci_bytes_size() {
    return static_cast<int>(page().bytes.size());
}
EMSCRIPTEN_KEEPALIVE std::uint8_t* hcci_buffer(int size) {
    Page& p = page();
    p.bytes.assign(static_cast<std::size_t>(size), 0);
    return p.bytes.data();
}
EMSCRIPTEN_KEEPALIVE const char* hcci_png_file() {
    Page& p = page();
    return hand_out(png_file(PixelSurface::width_at(1), PixelSurface::height_at(1), p.bytes));
}
EMSCRIPTEN_KEEPALIVE int hcci_text_size() {
    return static_cast<int>(page().text.size());
}

// The model's sweep alone, of the engine shown, for bench/web_bench.mjs to time against the
// native one: the steps it recorded.
EMSCRIPTEN_KEEPALIVE int hcci_run_cycle() {
    return static_cast<int>(run_cycle(page().engine.parameters).piston_pos.size());
}

}  // extern "C"
