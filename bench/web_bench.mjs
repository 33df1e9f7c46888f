// SPDX-License-Identifier: MIT
// The page's budgets, measured in Debian's headless Chromium with performance.now(), beside the
// native figures of the same machine in the same run:
//   node bench/web_bench.mjs [BUILD]     (BUILD: the native build with its benches, build/)
// - the page and everything it loads, gzipped (and the whole site, the deflate package for a
//   saved PNG included);
// - from asking for the page to its first picture (a fresh profile each time, median of 7);
// - a parameter change to the new picture and both views, held at step 18000 (median of 100),
//   beside the native explorer's (explore_bench, BM_ParameterChange at 1x with a view in sight);
// - the predictive model's sweep in the page (median of 30) against model_bench's;
// - the CPU of the whole browser while the picture animates at its default pace, 10 s.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { launch, open, serve, site } from '../tests/web/browser.mjs';
import { browserCpu } from './browser_cpu.mjs';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const build = path.resolve(process.argv[2] ?? path.join(root, 'build'));

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const gzipped = (file) => zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length;
const kB = (bytes) => `${(bytes / 1000).toFixed(1)} kB`;
const ms = (value) => `${value.toFixed(2)} ms`;

// A Google Benchmark program's median real time of the benchmarks that match, in ms.
function nativeMedian(program, filter) {
  const file = path.join(build, 'bench', program);
  if (!fs.existsSync(file)) return null;
  const out = execFileSync(file, [`--benchmark_filter=${filter}`, '--benchmark_repetitions=5',
    '--benchmark_report_aggregates_only=true', '--benchmark_format=json'],
  { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' }, stdio: ['ignore', 'pipe', 'ignore'] });
  const row = JSON.parse(out).benchmarks.find((b) => b.aggregate_name === 'median');
  const perMs = { ns: 1e-6, us: 1e-3, ms: 1, s: 1e3 }[row.time_unit];
  return { real: row.real_time * perMs, cpu: row.cpu_time * perMs };
}
// A native figure as "real (CPU)": on a busy machine the two part.
const nativeText = (figure) => (figure === null ? 'not built'
  : `${ms(figure.real)} (CPU ${ms(figure.cpu)})`);

const { server, origin } = await serve();
const results = [];
const say = (what, figure, budget = '') => {
  results.push([what, figure, budget]);
  console.log(`${what}: ${figure}${budget ? ` (budget ${budget})` : ''}`);
};

try {
  // What the page loads, as the browser asked for it.
  {
    const browser = await launch();
    const loaded = new Set();
    browser.context.on('request', (request) => loaded.add(new URL(request.url()).pathname));
    const page = await open(browser, origin, '?step=0');
    await page.waitForLoadState('networkidle');
    const files = [...loaded].map((p) => path.join(site, p.endsWith('/') ? `${p}index.html` : p));
    const atLoad = files.filter((f) => fs.existsSync(f)).reduce((sum, f) => sum + gzipped(f), 0);
    const everything = execFileSync('find', [site, '-type', 'f']).toString().trim().split('\n')
      .reduce((sum, f) => sum + gzipped(f), 0);
    say('transferred, gzipped: the page as loaded / the whole site',
        `${kB(atLoad)} / ${kB(everything)}`, '≤ 600 kB');
    await browser.close();
  }

  // Load to the first picture, each time in a fresh profile (nothing cached).
  {
    const times = [];
    for (let run = 0; run < 7; run += 1) {
      const browser = await launch();
      const page = await open(browser, origin);
      await page.waitForFunction(() => window.hcci.timings.firstPicture !== null);
      times.push(await page.evaluate(() => window.hcci.timings));
      await browser.close();
    }
    const when = (what) => ms(median(times.map((t) => t[what])));
    say('load to the first picture, median of 7 (the engine loaded and compiled at)',
        `${when('firstPicture')} (${when('engineLoaded')})`, '≤ 1000 ms');
  }

  // A parameter change, a sweep, the animation.
  const browser = await launch();
  const page = await open(browser, origin, '?step=18000');
  {
    // The change's own work (the engine, the picture, the views and the summary drawn), and
    // until the frame that shows it has been made (a task after the next animation frame).
    const times = await page.evaluate(async () => {
      const taken = { work: [], shown: [] };
      for (let i = 0; i < 100; i += 1) {
        const started = performance.now();
        window.hcci.change('gamma', String(1.3 + (i % 20) * 0.005));
        taken.work.push(performance.now() - started);
        await new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
        taken.shown.push(performance.now() - started);
      }
      return taken;
    });
    const native = nativeMedian('explore_bench', 'BM_ParameterChange/scale:1/tab:0/piston:0/predictive:0$');
    say('a parameter change to the new picture (step 18000) and both views, median of 100: ' +
        'its work / until its frame is made',
        `${ms(median(times.work))} / ${ms(median(times.shown))}; the native explorer ` +
        nativeText(native), '≤ 16 ms');
  }
  {
    // Where a change goes: each of the page's calls timed over 40 changes (the wrappers' own cost
    // is a few microseconds), and the engine's sweep alone for the same engine.
    const parts = await page.evaluate(async () => {
      const { engine, picture, panels, form } = window.hcci;
      const taken = {};
      const timed = (object, method, part) => {
        const original = object[method].bind(object);
        taken[part] = [];
        object[method] = (...args) => {
          const started = performance.now();
          try {
            return original(...args);
          } finally {
            const list = taken[part];
            if (list.open) list[list.length - 1] += performance.now() - started;
          }
        };
      };
      timed(engine, 'engine', 'the engine: settings, sweep, picture of the step, JSON');
      timed(picture, 'show', 'the picture into the canvas');
      timed(engine, 'view', 'the views\' data');
      for (const panel of panels) timed(panel, 'draw', 'the views drawn');
      timed(engine, 'summary', 'the summary');
      timed(form, 'show', 'the form');
      for (let i = 0; i < 40; i += 1) {
        for (const list of Object.values(taken)) {
          list.push(0);
          list.open = true;
        }
        window.hcci.change('gamma', String(1.3 + (i % 20) * 0.005));
        for (const list of Object.values(taken)) list.open = false;
        await new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
      }
      const sweep = [];
      for (let i = 0; i < 40; i += 1) {
        const started = performance.now();
        engine.runCycle();
        sweep.push(performance.now() - started);
      }
      taken['the sweep alone (of it the engine\'s)'] = sweep;
      return Object.entries(taken).map(([part, list]) => [part, [...list]]);
    });
    for (const [part, list] of parts) say(`  a change's part: ${part}, median of 40`, ms(median(list)));
  }
  {
    await page.evaluate(() => window.hcci.engine.engine(['model=predictive'], 1));
    const times = await page.evaluate(() => {
      const taken = [];
      for (let i = 0; i < 30; i += 1) {
        const started = performance.now();
        window.hcci.engine.runCycle();
        taken.push(performance.now() - started);
      }
      return taken;
    });
    const native = nativeMedian('model_bench', 'BM_PredictiveSweep$');
    const mine = median(times);
    say('the predictive model\'s sweep, median of 30', native === null
      ? `${ms(mine)}; native not built`
      : `${ms(mine)}; native ${nativeText(native)}; ${(mine / native.real).toFixed(2)} × native`,
    '≤ 1.5 × native');
  }
  {
    await page.goto(`${origin}/`);
    await page.waitForSelector('html[data-ready=true]');
    await page.waitForTimeout(1000);
    const before = browserCpu(browser.profile);
    const started = Date.now();
    await page.waitForTimeout(10000);
    const share = (browserCpu(browser.profile) - before) / ((Date.now() - started) / 1000);
    const sweeping = await page.evaluate(() => window.hcci.engine.state());
    say(`Chromium, all its processes, while the page animates at the default pace (${sweeping}), 10 s`,
        `${(share * 100).toFixed(1)} % of one core`, '≤ 10 %');
  }
  await browser.close();
} finally {
  server.close();
}
