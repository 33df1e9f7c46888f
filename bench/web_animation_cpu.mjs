// SPDX-License-Identifier: MIT
// The CPU of the whole browser while the page animates at its default pace, for one or more
// sites and frame rates, in rounds that alternate them (a shared machine's load drifts):
//   node bench/web_animation_cpu.mjs [--rounds=N] [--seconds=S] [--without=PARTS] SITE[@RATE] ...
// SITE is a folder of the site (build-web/site, or a copy of an older one); @RATE sets the
// picture's frames a second before measuring (a site without that setting ignores it). Each
// measurement opens the page in a fresh profile, lets it run a second, then reads the CPU time
// of all Chromium's processes over S seconds (10 by default), the frames shown and the page's
// own time in the engine's steps and the copies into the canvas. --without=readout,timeline,canvas
// leaves those parts' updates out, to take the cost apart.
import { launch, open, serve } from '../tests/web/browser.mjs';
import { browserCpu } from './browser_cpu.mjs';

const options = { rounds: 3, seconds: 10, without: '' };
const cases = [];
for (const arg of process.argv.slice(2)) {
  const option = /^--(rounds|seconds)=([0-9.]+)$/.exec(arg);
  const without = /^--without=([a-z,]*)$/.exec(arg);
  if (option) {
    options[option[1]] = Number(option[2]);
  } else if (without) {
    options.without = without[1];
  } else {
    const [folder, rate] = arg.split('@');
    cases.push({ name: arg, folder, rate: rate === undefined ? null : Number(rate), cpu: [], fps: [], work: [] });
  }
}
if (cases.length === 0) {
  console.error('usage: node bench/web_animation_cpu.mjs [--rounds=N] [--seconds=S] SITE[@RATE] ...');
  process.exit(2);
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

async function measure(one) {
  const { server, origin } = await serve(one.folder);
  const browser = await launch();
  try {
    const page = await open(browser, origin);
    await page.evaluate(([rate, without]) => {
      const { picture } = window.hcci;
      if (rate !== null) picture.framesPerSecond = rate;
      // Parts left out, to take the cost apart: the readout's text, the timeline and the views'
      // cursor, the canvas's pixels.
      if (without.includes('readout')) picture.readoutText = { data: '' };
      if (without.includes('timeline')) picture.onShown = () => {};
      if (without.includes('canvas')) picture.context.putImageData = () => {};
      if (without.includes('others')) {
        for (const other of document.querySelectorAll('.views, .panel, header')) other.hidden = true;
      }
      // Frames shown (the picture's copies into the canvas), and the page's own time in the
      // engine's steps and in those copies.
      window.framesShown = 0;
      window.pageMs = 0;
      const timed = (object, method, count) => {
        const original = object[method].bind(object);
        object[method] = (...args) => {
          const started = performance.now();
          if (count) window.framesShown += 1;
          try {
            return original(...args);
          } finally {
            window.pageMs += performance.now() - started;
          }
        };
      };
      timed(picture, 'show', true);
      timed(window.hcci.engine, 'tick', false);
    }, [one.rate, options.without]);
    await page.waitForTimeout(1000);
    const before = browserCpu(browser.profile);
    const [framesBefore, msBefore] = await page.evaluate(() => [window.framesShown, window.pageMs]);
    const started = Date.now();
    await page.waitForTimeout(options.seconds * 1000);
    const seconds = (Date.now() - started) / 1000;
    const [framesAfter, msAfter] = await page.evaluate(() => [window.framesShown, window.pageMs]);
    const frames = framesAfter - framesBefore;
    const state = await page.evaluate(() => window.hcci.engine.state());
    if (state !== 'sweeping') throw new Error(`${one.name}: the picture is ${state}, not sweeping`);
    one.cpu.push((browserCpu(browser.profile) - before) / seconds);
    one.fps.push(frames / seconds);
    one.work.push((msAfter - msBefore) / 1000 / seconds);
  } finally {
    await browser.close();
    server.close();
  }
}

for (let round = 0; round < options.rounds; round += 1) {
  for (const one of cases) {
    await measure(one);
    const last = one.cpu.length - 1;
    console.log(`round ${round + 1}, ${one.name}: ${(one.cpu[last] * 100).toFixed(1)} % of one core, ` +
                `${one.fps[last].toFixed(1)} frames a second, the page's steps and copies ` +
                `${(one.work[last] * 100).toFixed(1)} %`);
  }
}
for (const one of cases) {
  console.log(`${one.name}: median ${(median(one.cpu) * 100).toFixed(1)} % of one core ` +
              `(${one.cpu.map((c) => (c * 100).toFixed(1)).join(', ')}), ` +
              `${median(one.fps).toFixed(1)} frames a second, the page's steps and copies ` +
              `${(median(one.work) * 100).toFixed(1)} %`);
}
