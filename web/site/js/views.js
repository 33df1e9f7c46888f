// SPDX-License-Identifier: MIT
// A view's charts drawn into canvases: axes with round ticks, the divisions shaded, the
// ignitions dotted, each line in its colour (a baseline's lighter and dashed beneath), and a
// cursor at the angle of the step shown, on a transparent canvas over the chart.

const margin = { left: 56, right: 12, top: 10, bottom: 40 };

// Round steps for an axis from lo to hi: about `count` of them.
export function ticks(lo, hi, count = 6) {
  if (!(hi > lo)) return [lo];
  const raw = (hi - lo) / count;
  const power = 10 ** Math.floor(Math.log10(raw));
  const step = [1, 2, 2.5, 5, 10].map((f) => f * power).find((s) => s >= raw);
  const out = [];
  for (let v = Math.ceil(lo / step) * step; v <= hi + step * 1e-9; v += step) {
    out.push(Math.abs(v) < step * 1e-9 ? 0 : v);
  }
  return out;
}

// Powers of ten within a logarithmic axis's range, as their logarithms.
function logTicks(lo, hi) {
  const out = [];
  for (let e = Math.ceil(lo - 1e-9); e <= hi + 1e-9; e += 1) out.push(e);
  return out.length >= 2 ? out : ticks(lo, hi, 4);
}

// A point this near the line through its neighbours is left out: the same to the eye.
const straightenWithin = 0.1;

// The indices of the points a polyline needs, in order, its ends always: every point left out
// lies within `tolerance` pixels of the segment between the points kept around it (split at
// the farthest point while it lies beyond; a point that is not a number is always kept). Of xs
// and ys the first `count` points count.
export function bends(xs, ys, tolerance, count = xs.length) {
  const n = count;
  if (n <= 2) return [...Array(n).keys()];
  const keep = new Uint8Array(n);
  keep[0] = 1;
  keep[n - 1] = 1;
  const limit = tolerance * tolerance;
  // The runs still to split, as pairs of first and last index: at most one per level of a
  // split, two pushed for one popped.
  let runs = new Int32Array(64);
  let top = 0;
  runs[top++] = 0;
  runs[top++] = n - 1;
  while (top > 0) {
    const last = runs[--top];
    const first = runs[--top];
    const ax = xs[first];
    const ay = ys[first];
    const dx = xs[last] - ax;
    const dy = ys[last] - ay;
    const length2 = dx * dx + dy * dy;
    let farthest = -1;
    let at = first;
    for (let i = first + 1; i < last; i += 1) {
      let t = length2 > 0 ? ((xs[i] - ax) * dx + (ys[i] - ay) * dy) / length2 : 0;
      t = Math.min(1, Math.max(0, t));
      const ex = ax + t * dx - xs[i];
      const ey = ay + t * dy - ys[i];
      const d = Number.isNaN(ex * ex + ey * ey) ? Infinity : ex * ex + ey * ey;
      if (d > limit && d > farthest) {
        farthest = d;
        at = i;
      }
    }
    if (at === first) continue;
    keep[at] = 1;
    if (top + 4 > runs.length) {
      const more = new Int32Array(runs.length * 2);
      more.set(runs);
      runs = more;
    }
    runs[top++] = at;
    runs[top++] = last;
    runs[top++] = first;
    runs[top++] = at;
  }
  const kept = [];
  for (let i = 0; i < n; i += 1) if (keep[i]) kept.push(i);
  return kept;
}

// Room for a line's points in pixels, kept between lines and charts: a change draws some
// hundred thousand points, and arrays made afresh for each cost the page their collection.
let scratch = { xs: new Float64Array(0), ys: new Float64Array(0) };
function pixelRoom(count) {
  if (scratch.xs.length < count) {
    scratch = { xs: new Float64Array(count), ys: new Float64Array(count) };
  }
  return scratch;
}

function lighter(colour) {
  const n = parseInt(colour.slice(1), 16);
  const mix = (c) => Math.round(c + (255 - c) * 0.55);
  return `rgb(${mix(n >> 16)}, ${mix((n >> 8) & 255)}, ${mix(n & 255)})`;
}

// The data's extent on both axes (in the axes' own scale), within the x range where fixed.
function extent(chart, points) {
  const { logX, logY } = chart;
  let [x0, x1] = chart.xRange ?? [Infinity, -Infinity];
  let y0 = Infinity;
  let y1 = -Infinity;
  const fitX = !chart.xRange;
  for (const line of chart.lines) {
    const end = line.first + line.count;
    for (let i = line.first; i < end; i += 1) {
      const x = points[2 * i];
      const y = points[2 * i + 1];
      if (!Number.isFinite(x) || !Number.isFinite(y)) continue;
      if (fitX) {
        const ax = logX ? Math.log10(x) : x;
        if (ax < x0) x0 = ax;
        if (ax > x1) x1 = ax;
      } else if (x < x0 || x > x1) {
        continue;
      }
      const ay = logY ? Math.log10(y) : y;
      if (ay < y0) y0 = ay;
      if (ay > y1) y1 = ay;
    }
  }
  if (!Number.isFinite(x0)) [x0, x1] = [0, 1];
  if (!Number.isFinite(y0)) [y0, y1] = [0, 1];
  if (y1 === y0) [y0, y1] = [y0 - 1, y1 + 1];
  const pad = (y1 - y0) * 0.04;
  // A linear axis of values that are never negative starts at 0.
  return { x0, x1, y0: !chart.logY && y0 >= 0 ? 0 : y0 - pad, y1: y1 + pad };
}

// Draws the chart without its cursor at its size in CSS pixels; returns where a cursor goes: the
// pixel of an angle and the plot's top and height, or null for a chart that is not against crank
// angle.
export function drawChart(canvas, view, chart, [width, height]) {
  const ratio = window.devicePixelRatio || 1;
  if (canvas.width !== Math.round(width * ratio) || canvas.height !== Math.round(height * ratio)) {
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
  }
  const g = canvas.getContext('2d');
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  g.clearRect(0, 0, width, height);
  const points = view.points;
  chart.extent ??= extent(chart, points);  // the same for every size and cursor
  const box = chart.extent;
  const plotW = width - margin.left - margin.right;
  const plotH = height - margin.top - margin.bottom;
  const tx = chart.logX ? Math.log10 : (v) => v;
  const ty = chart.logY ? Math.log10 : (v) => v;
  const px = (x) => margin.left + ((tx(x) - box.x0) / (box.x1 - box.x0)) * plotW;
  const py = (y) => margin.top + (1 - (ty(y) - box.y0) / (box.y1 - box.y0)) * plotH;
  const pxRaw = (v) => margin.left + ((v - box.x0) / (box.x1 - box.x0)) * plotW;
  const pyRaw = (v) => margin.top + (1 - (v - box.y0) / (box.y1 - box.y0)) * plotH;

  // Grid and tick labels.
  g.font = '11px system-ui, sans-serif';
  g.fillStyle = '#444';
  g.strokeStyle = '#e4e4e4';
  g.lineWidth = 1;
  const label = (v, log) => (log ? `${+(10 ** v).toPrecision(3)}` : `${+v.toPrecision(6)}`);
  g.textAlign = 'center';
  g.textBaseline = 'top';
  for (const v of chart.logX ? logTicks(box.x0, box.x1) : ticks(box.x0, box.x1)) {
    const x = Math.round(pxRaw(v)) + 0.5;
    g.beginPath();
    g.moveTo(x, margin.top);
    g.lineTo(x, margin.top + plotH);
    g.stroke();
    g.fillText(label(v, chart.logX), x, margin.top + plotH + 4);
  }
  g.textAlign = 'right';
  g.textBaseline = 'middle';
  for (const v of chart.logY ? logTicks(box.y0, box.y1) : ticks(box.y0, box.y1, 5)) {
    const y = Math.round(pyRaw(v)) + 0.5;
    g.beginPath();
    g.moveTo(margin.left, y);
    g.lineTo(margin.left + plotW, y);
    g.stroke();
    g.fillText(label(v, chart.logY), margin.left - 4, y);
  }
  g.textAlign = 'center';
  g.textBaseline = 'bottom';
  g.fillText(chart.xTitle, margin.left + plotW / 2, height - 2);
  g.save();
  g.translate(12, margin.top + plotH / 2);
  g.rotate(-Math.PI / 2);
  g.textBaseline = 'middle';
  g.fillText(chart.yTitle, 0, 0);
  g.restore();

  g.save();
  g.beginPath();
  g.rect(margin.left, margin.top, plotW, plotH);
  g.clip();
  if (chart.angles) {
    g.fillStyle = 'rgba(0, 0, 0, 0.086)';
    for (const [from, to] of view.divisions) g.fillRect(px(from), margin.top, px(to) - px(from), plotH);
    g.setLineDash([2, 3]);
    g.lineWidth = 1.5;
    for (const ignition of view.ignitions) {
      g.strokeStyle = ignition.colour;
      g.beginPath();
      g.moveTo(px(ignition.angle), margin.top);
      g.lineTo(px(ignition.angle), margin.top + plotH);
      g.stroke();
    }
  }
  // The lines, each point that lands on the pixel of the one before left out, and of the rest
  // only the bends: a stroke costs the browser by its points.
  const { logX, logY } = chart;
  const spanX = box.x1 - box.x0;
  const spanY = box.y1 - box.y0;
  for (const line of chart.lines) {
    g.strokeStyle = line.baseline ? lighter(line.colour) : line.colour;
    g.lineWidth = line.baseline ? 1.5 : 1.6;
    g.setLineDash(line.baseline ? [6, 4] : []);
    // px and py written out: a call per point costs more than its arithmetic.
    const { xs, ys } = pixelRoom(line.count);
    let n = 0;
    const end = line.first + line.count;
    for (let i = line.first; i < end; i += 1) {
      const vx = points[2 * i];
      const vy = points[2 * i + 1];
      const x = margin.left + (((logX ? Math.log10(vx) : vx) - box.x0) / spanX) * plotW;
      const y = margin.top + (1 - ((logY ? Math.log10(vy) : vy) - box.y0) / spanY) * plotH;
      if (n === 0 || Math.abs(x - xs[n - 1]) >= 0.5 || Math.abs(y - ys[n - 1]) >= 0.5 ||
          i === end - 1) {
        xs[n] = x;
        ys[n] = y;
        n += 1;
      }
    }
    if (n === 0) continue;
    const kept = bends(xs, ys, straightenWithin, n);
    g.beginPath();
    g.moveTo(xs[0], ys[0]);
    for (let k = 1; k < kept.length; k += 1) g.lineTo(xs[kept[k]], ys[kept[k]]);
    g.stroke();
  }
  g.restore();
  g.strokeStyle = '#888';
  g.setLineDash([]);
  g.strokeRect(margin.left + 0.5, margin.top + 0.5, plotW, plotH);
  return chart.angles ? { px, top: margin.top, height: plotH } : null;
}

// The cursor at an angle, alone on the transparent canvas over its chart (of that size in CSS
// pixels).
function drawCursor(canvas, place, angle, size) {
  const ratio = window.devicePixelRatio || 1;
  const [width, height] = [Math.round(size[0] * ratio), Math.round(size[1] * ratio)];
  if (canvas.width !== width || canvas.height !== height) [canvas.width, canvas.height] = [width, height];
  const g = canvas.getContext('2d');
  g.setTransform(1, 0, 0, 1, 0, 0);
  g.clearRect(0, 0, canvas.width, canvas.height);
  if (!place || !Number.isFinite(angle)) return;
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  g.strokeStyle = 'rgba(0, 0, 0, 0.55)';
  g.lineWidth = 1;
  const x = Math.round(place.px(angle)) + 0.5;
  g.beginPath();
  g.moveTo(x, place.top);
  g.lineTo(x, place.top + place.height);
  g.stroke();
}

// A panel of one view: its charts stacked, redrawn for a new engine or a new step.
export class ViewPanel {
  constructor(element, engine, views, initial) {
    this.element = element;
    this.engine = engine;
    this.select = element.querySelector('select');
    for (const view of views) this.select.add(new Option(view.title, view.name));
    this.select.value = initial;
    this.select.addEventListener('change', () => this.refresh());
    this.charts = element.querySelector('.charts');
    this.cursor = NaN;
    // A chart whose box changed size (the window, or the page's columns) is drawn again at the
    // new size; the sizes are read after the browser laid the page out, where they cost nothing.
    new ResizeObserver(() => {
      if (!this.drawn) return;
      const now = [...this.charts.children].map((box) => {
        const chart = box.firstElementChild;
        return [chart.clientWidth, chart.clientHeight];
      });
      if (JSON.stringify(now) !== JSON.stringify(this.sizes)) this.draw(true);
    }).observe(this.charts);
  }

  // New data: the engine changed, or the baseline.
  refresh() {
    this.view = this.engine.view(this.select.value, this.view?.points);
    if (this.charts.children.length !== this.view.charts.length) this.sizes = null;
    while (this.charts.children.length > this.view.charts.length) this.charts.lastChild.remove();
    while (this.charts.children.length < this.view.charts.length) {
      const box = document.createElement('div');
      box.className = 'chart-box';
      box.innerHTML = '<canvas class="chart"></canvas><canvas class="cursor"></canvas>';
      this.charts.append(box);
    }
    this.draw(false);
  }

  // The charts drawn afresh; the cursor moves on a canvas of its own over each. Their sizes are
  // read again only when asked (the window resized) or when the charts are new: reading a size
  // after the page changed makes the browser lay the whole page out at once, again at its frame.
  draw(resized = true) {
    if (resized || !this.sizes) {
      this.sizes = [...this.charts.children].map((box) => {
        const chart = box.firstElementChild;
        return [chart.clientWidth, chart.clientHeight];
      });
    }
    this.drawn = this.view.charts.map((chart, i) => {
      const [canvas, cursor] = this.charts.children[i].children;
      return { cursor, size: this.sizes[i], place: drawChart(canvas, this.view, chart, this.sizes[i]) };
    });
    this.drawCursor();
  }

  drawCursor() {
    for (const { cursor, place, size } of this.drawn) drawCursor(cursor, place, this.cursor, size);
  }

  setCursor(angle) {
    if (angle === this.cursor) return;
    this.cursor = angle;
    if (this.drawn) this.drawCursor();
  }
}
