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

function lighter(colour) {
  const n = parseInt(colour.slice(1), 16);
  const mix = (c) => Math.round(c + (255 - c) * 0.55);
  return `rgb(${mix(n >> 16)}, ${mix((n >> 8) & 255)}, ${mix(n & 255)})`;
}

// The data's extent on both axes (in the axes' own scale), within the x range where fixed.
function extent(chart, points) {
  const tx = chart.logX ? Math.log10 : (v) => v;
  const ty = chart.logY ? Math.log10 : (v) => v;
  let [x0, x1] = chart.xRange ?? [Infinity, -Infinity];
  let y0 = Infinity;
  let y1 = -Infinity;
  const fitX = !chart.xRange;
  for (const line of chart.lines) {
    for (let i = line.first; i < line.first + line.count; i += 1) {
      const x = points[2 * i];
      const y = points[2 * i + 1];
      if (!Number.isFinite(x) || !Number.isFinite(y)) continue;
      if (fitX) {
        x0 = Math.min(x0, tx(x));
        x1 = Math.max(x1, tx(x));
      } else if (x < x0 || x > x1) {
        continue;
      }
      y0 = Math.min(y0, ty(y));
      y1 = Math.max(y1, ty(y));
    }
  }
  if (!Number.isFinite(x0)) [x0, x1] = [0, 1];
  if (!Number.isFinite(y0)) [y0, y1] = [0, 1];
  if (y1 === y0) [y0, y1] = [y0 - 1, y1 + 1];
  const pad = (y1 - y0) * 0.04;
  // A linear axis of values that are never negative starts at 0.
  return { x0, x1, y0: !chart.logY && y0 >= 0 ? 0 : y0 - pad, y1: y1 + pad };
}

// Draws the chart without its cursor; returns where a cursor goes: the pixel of an angle and the
// plot's top and height, or null for a chart that is not against crank angle.
export function drawChart(canvas, view, chart) {
  const ratio = window.devicePixelRatio || 1;
  const width = canvas.clientWidth;
  const height = canvas.clientHeight;
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
  // The lines, each point that lands on the pixel of the one before left out.
  for (const line of chart.lines) {
    g.strokeStyle = line.baseline ? lighter(line.colour) : line.colour;
    g.lineWidth = line.baseline ? 1.5 : 1.6;
    g.setLineDash(line.baseline ? [6, 4] : []);
    g.beginPath();
    let lastX = NaN;
    let lastY = NaN;
    for (let i = line.first; i < line.first + line.count; i += 1) {
      const x = px(points[2 * i]);
      const y = py(points[2 * i + 1]);
      if (i === line.first) {
        g.moveTo(x, y);
      } else if (Math.abs(x - lastX) >= 0.5 || Math.abs(y - lastY) >= 0.5 ||
                 i === line.first + line.count - 1) {
        g.lineTo(x, y);
      } else {
        continue;
      }
      lastX = x;
      lastY = y;
    }
    g.stroke();
  }
  g.restore();
  g.strokeStyle = '#888';
  g.setLineDash([]);
  g.strokeRect(margin.left + 0.5, margin.top + 0.5, plotW, plotH);
  return chart.angles ? { px, top: margin.top, height: plotH } : null;
}

// The cursor at an angle, alone on the transparent canvas over its chart.
function drawCursor(canvas, place, angle) {
  const ratio = window.devicePixelRatio || 1;
  const [width, height] = [Math.round(canvas.clientWidth * ratio), Math.round(canvas.clientHeight * ratio)];
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
  }

  // New data: the engine changed, or the baseline.
  refresh() {
    this.view = this.engine.view(this.select.value);
    while (this.charts.children.length > this.view.charts.length) this.charts.lastChild.remove();
    while (this.charts.children.length < this.view.charts.length) {
      const box = document.createElement('div');
      box.className = 'chart-box';
      box.innerHTML = '<canvas class="chart"></canvas><canvas class="cursor"></canvas>';
      this.charts.append(box);
    }
    this.draw();
  }

  // The charts drawn afresh; the cursor moves on a canvas of its own over each.
  draw() {
    this.drawn = this.view.charts.map((chart, i) => {
      const [canvas, cursor] = this.charts.children[i].children;
      return { cursor, place: drawChart(canvas, this.view, chart) };
    });
    this.drawCursor();
  }

  drawCursor() {
    for (const { cursor, place } of this.drawn) drawCursor(cursor, place, this.cursor);
  }

  setCursor(angle) {
    if (angle === this.cursor) return;
    this.cursor = angle;
    if (this.drawn) this.drawCursor();
  }
}
