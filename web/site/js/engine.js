// SPDX-License-Identifier: MIT
// The core in WebAssembly, behind plain calls: text and numbers in, JSON, text, bytes and
// pixels out. One engine, one picture and one baseline live in it.
import createEngine from '../hcci.js';

export async function loadEngine() {
  const m = await createEngine();
  const text = (pointer) => m.UTF8ToString(pointer);
  const bytes = (pointer, size) => m.HEAPU8.slice(pointer, pointer + size);
  const withString = (value, use) => {
    const size = m.lengthBytesUTF8(value) + 1;
    const pointer = m._malloc(size);
    try {
      m.stringToUTF8(value, pointer, size);
      return use(pointer);
    } finally {
      m._free(pointer);
    }
  };
  return {
    registry: () => JSON.parse(text(m._hcci_registry())),
    // Settings NAME=VALUE, in their order (the one being edited last): the engine they make.
    engine: (settings, scale) =>
      JSON.parse(withString(settings.join('\n'), (p) => text(m._hcci_engine(p, scale)))),
    setScale: (scale) => m._hcci_set_scale(scale),
    width: () => m._hcci_width(),
    height: () => m._hcci_height(),
    // The changed rectangle as [left, top, width, height] with the pixels to copy, or null.
    takeDirty: () => {
      const at = m._hcci_take_dirty() >> 2;
      const [left, top, right, bottom] = m.HEAP32.subarray(at, at + 4);
      if (right < left || bottom < top) return null;
      return [left, top, right - left + 1, bottom - top + 1];
    },
    rgba: () => {
      const size = m._hcci_width() * m._hcci_height() * 4;
      const pointer = m._hcci_rgba();
      return new Uint8ClampedArray(m.HEAPU8.buffer, pointer, size);
    },
    holdAt: (step) => m._hcci_hold_at(step),
    play: () => m._hcci_play(),
    stop: () => m._hcci_stop(),
    tick: () => m._hcci_tick(),
    key: (code, arrivalNs) => m._hcci_key(code, arrivalNs) === 1,
    step: () => m._hcci_step(),
    readout: () => m._hcci_readout(),
    // Nanoseconds a step at the pace of the moment (the window's stepe).
    pace: () => m._hcci_pace(),
    state: () => ['background', 'sweeping', 'frozen', 'waiting', 'ended', 'stopped'][m._hcci_state()],
    summary: () => text(m._hcci_summary()),
    offPicture: () => text(m._hcci_off_picture()),
    csv: () => text(m._hcci_csv()),
    parameterFile: () => text(m._hcci_parameter_file()),
    runCycle: () => m._hcci_run_cycle(),
    pinBaseline: (pin) => m._hcci_pin_baseline(pin ? 1 : 0),
    // A view's charts; each line's points are [first, first + count) of the pairs in
    // view.points, copied into `room` (a Float64Array from an earlier view) where they fit.
    view: (name, room) => {
      const view = JSON.parse(withString(name, (p) => text(m._hcci_view(p))));
      const pairs = view.charts.reduce(
        (n, chart) => chart.lines.reduce((k, line) => Math.max(k, line.first + line.count), n), 0);
      const at = m._hcci_view_points() >> 3;
      const from = m.HEAPF64.subarray(at, at + 2 * pairs);
      const into = room?.buffer.byteLength >= from.byteLength
        ? new Float64Array(room.buffer, 0, from.length) : new Float64Array(from.length);
      into.set(from);
      view.points = into;
      return view;
    },
    // The PNG file of the step at 1x; deflate(rows) is zlib's stream of the filtered rows.
    png: (step, deflate) => {
      const rows = bytes(m._hcci_png_rows(step), m._hcci_bytes_size());
      const stream = deflate(rows);
      const into = m._hcci_buffer(stream.length);  // memory may grow: HEAPU8 after the call
      m.HEAPU8.set(stream, into);
      const file = m._hcci_png_file();
      return bytes(file, m._hcci_text_size());
    },
  };
}
