// SPDX-License-Identifier: MIT
// The views' own arithmetic, without a browser: the bends a line is drawn through.
import assert from 'node:assert/strict';
import test from 'node:test';
import { bends } from '../../web/site/js/views.js';

test('a line keeps its ends and its bends only', () => {
  const cases = [
    ['nothing', [], 0.1, []],
    ['one point', [[3, 4]], 0.1, [0]],
    ['a straight line', [[0, 0], [1, 1], [2, 2], [3, 3]], 0.1, [0, 3]],
    ['a corner', [[0, 0], [1, 0], [2, 0], [2, 1], [2, 2]], 0.1, [0, 2, 4]],
    ['a bump within the tolerance', [[0, 0], [1, 0.09], [2, 0]], 0.1, [0, 2]],
    ['a bump beyond it', [[0, 0], [1, 0.11], [2, 0]], 0.1, [0, 1, 2]],
    ['a turn back', [[0, 0], [4, 0], [2, 0]], 0.1, [0, 1, 2]],
    ['a point that is not a number', [[0, 0], [1, NaN], [2, 0]], 0.1, [0, 1, 2]],
  ];
  for (const [what, points, tolerance, kept] of cases) {
    assert.deepEqual(bends(points.map((p) => p[0]), points.map((p) => p[1]), tolerance), kept, what);
  }
});

test('of typed arrays with room to spare only the points counted are read', () => {
  const xs = new Float64Array([0, 1, 2, 2, 2, 99, -7]);
  const ys = new Float64Array([0, 0, 0, 1, 2, 99, 40]);
  const cases = [[5, [0, 2, 4]], [3, [0, 2]], [2, [0, 1]], [1, [0]], [0, []]];
  for (const [count, kept] of cases) assert.deepEqual(bends(xs, ys, 0.1, count), kept, `${count} points`);
});

test('every point left out lies within the tolerance of the line drawn', () => {
  const xs = [];
  const ys = [];
  for (let i = 0; i <= 4000; i += 1) {
    xs.push(i * 0.1);
    ys.push(150 + 120 * Math.sin((i * 0.1 / 400) * 3 * Math.PI));
  }
  const kept = bends(xs, ys, 0.1);
  assert.ok(kept.length < xs.length / 10, `${kept.length} points kept`);
  for (let k = 0; k + 1 < kept.length; k += 1) {
    const [a, b] = [kept[k], kept[k + 1]];
    for (let i = a + 1; i < b; i += 1) {
      const dx = xs[b] - xs[a];
      const dy = ys[b] - ys[a];
      const t = Math.min(1, Math.max(0, ((xs[i] - xs[a]) * dx + (ys[i] - ys[a]) * dy) / (dx * dx + dy * dy)));
      assert.ok(Math.hypot(xs[a] + t * dx - xs[i], ys[a] + t * dy - ys[i]) <= 0.1, `point ${i}`);
    }
  }
});
