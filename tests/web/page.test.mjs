// SPDX-License-Identifier: MIT
// The page in Debian's headless Chromium against the native program: the picture pixel for
// pixel, the CSV's numbers, the downloads byte for byte, the keys, the link, the form by
// pointer and keyboard, the baseline; and on every page, no console error and no request to
// another origin.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, afterEach, before, describe, test } from 'node:test';
import {
  canvasRgb, decodePng, differingPixels, exported, launch, open, query, refusal, serve, setArgs,
} from './browser.mjs';

const engines = {
  original: [],
  scheduled: ['gamma=1.3', 'main_compression_ratio=14', 'aux_ignition_start_atdc=-16'],
  predictive: ['model=predictive', 'first_merge_atdc=-5', 'start_temperature=330', 'engine_speed=1800'],
};

let server;
let origin;
let browser;

before(async () => {
  ({ server, origin } = await serve());
  browser = await launch();
});
after(async () => {
  await browser?.close();
  server?.close();
});
afterEach(() => {
  const problems = browser.problems.splice(0);
  assert.deepEqual(problems, [], 'no console error and no request to another origin');
});

const nextFrame = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));
const state = (page) => page.evaluate(() => ({
  step: window.hcci.engine.step(), state: window.hcci.engine.state(),
  pace: window.hcci.engine.pace(), readout: document.querySelector('#readout').textContent,
}));

describe('the picture', () => {
  for (const [name, settings] of Object.entries(engines)) {
    test(`of the ${name} engine after steps 0, 9000 and 18000 is png --no-labels, every pixel`, async () => {
      const page = await open(browser, origin, `${query(settings)}${settings.length ? '&' : '?'}step=0`);
      for (const step of [0, 9000, 18000]) {
        if (step > 0) await page.evaluate((s) => window.hcci.holdAt(s), step);
        const native = decodePng(exported(['png', '--no-labels', '--step', String(step), ...setArgs(settings)]));
        const shown = await canvasRgb(page);
        assert.equal(differingPixels(shown, native), 0, `step ${step}`);
      }
    });
  }

  test('animates at most its frames a second, the steps due between frames run together', async () => {
    const page = await open(browser, origin);
    const seen = await page.evaluate(async () => {
      const { picture, engine } = window.hcci;
      let frames = 0;
      const show = picture.show.bind(picture);
      picture.show = (...args) => {
        frames += 1;
        return show(...args);
      };
      const [step, started] = [engine.step(), performance.now()];
      await new Promise((r) => setTimeout(r, 2000));
      return { frames, steps: engine.step() - step, ms: performance.now() - started, rate: picture.framesPerSecond };
    });
    assert.ok(seen.frames <= (seen.ms / 1000) * seen.rate + 2, `${seen.frames} frames in ${seen.ms} ms`);
    // The sweep's pace is the pacer's whatever the frames: 18 s a sweep, a step a millisecond.
    assert.ok(Math.abs(seen.steps - seen.ms) < seen.ms * 0.15, `${seen.steps} steps in ${seen.ms} ms`);
    assert.ok(seen.steps / seen.frames > 10, `${seen.steps} steps in ${seen.frames} frames`);
  });

  test('is a whole number of device pixels at a device-pixel ratio of 2, drawn afresh', async () => {
    const hidpi = await launch({ width: 2400, height: 2000, scale: 2 });
    try {
      const page = await open(hidpi, origin, '?step=9000');
      const shown = await canvasRgb(page);
      const sizes = await page.evaluate(() => {
        const c = document.querySelector('#picture');
        return [c.width, c.height, c.getBoundingClientRect().width];
      });
      assert.equal(shown.width % 616, 0);
      assert.equal(sizes[0] / 616, sizes[1] / 741);
      assert.equal(sizes[2] * 2, sizes[0], 'one canvas pixel a device pixel');
      const native = decodePng(exported(['png', '--no-labels', '--step', '9000', '--scale', String(sizes[0] / 616)]));
      assert.equal(differingPixels(shown, native), 0);
      assert.deepEqual(hidpi.problems, []);
    } finally {
      await hidpi.close();
    }
  });
});

describe('the data', () => {
  for (const name of ['original', 'predictive']) {
    // Within 1e-12 of each column's largest value: a running sum that passes through zero (the heat
    // lost, negative while the walls warm the charge) has no relative precision near its zero.
    test(`the CSV of the ${name} engine is the native one within 1e-12 of each column's largest value`, async () => {
      const page = await open(browser, origin, `${query(engines[name])}${engines[name].length ? '&' : '?'}step=0`);
      const mine = (await page.evaluate(() => window.hcci.engine.csv())).split('\n');
      const native = exported(['csv', ...setArgs(engines[name])]).toString().split('\n');
      assert.equal(mine.length, native.length);
      assert.equal(mine[0], native[0]);
      const scale = native[0].split(',').map(() => 0);
      for (let row = 1; row < native.length; row += 1) {
        native[row].split(',').forEach((cell, i) => {
          const value = Math.abs(Number(cell));
          if (Number.isFinite(value)) scale[i] = Math.max(scale[i], value);
        });
      }
      let differing = 0;
      for (let row = 1; row < native.length; row += 1) {
        if (mine[row] === native[row]) continue;
        const a = mine[row].split(',');
        const b = native[row].split(',');
        assert.equal(a.length, b.length, `row ${row}`);
        for (let i = 0; i < a.length; i += 1) {
          if (a[i] === b[i]) continue;
          differing += 1;
          const x = Number(a[i]);
          const y = Number(b[i]);
          assert.ok(Math.abs(x - y) <= 1e-12 * scale[i],
                    `row ${row}, column ${native[0].split(',')[i]}: ${a[i]} against ${b[i]}`);
        }
      }
      if (differing > 0) console.log(`# ${name}: ${differing} cells differ in their last digits`);
    });
  }

  test('the downloads are the bytes hcci-cycle-export writes', async () => {
    const settings = engines.predictive;
    const page = await open(browser, origin, `${query(settings)}&step=9000`);
    const download = async (button) => {
      const [file] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
      return fs.readFileSync(await file.path());
    };
    assert.deepEqual(await download('#save-png'),
                     exported(['png', '--no-labels', '--step', '9000', ...setArgs(settings)]));
    assert.deepEqual(await download('#save-summary'), exported(['summary', ...setArgs(settings)]));
    // The parameter file makes the same engine again.
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'hcci-toml-'));
    const toml = path.join(dir, 'engine.toml');
    fs.writeFileSync(toml, await download('#save-toml'));
    assert.deepEqual(exported(['summary', '--params', toml]), exported(['summary', ...setArgs(settings)]));
    fs.rmSync(dir, { recursive: true });
    const csv = (await download('#save-csv')).toString();
    assert.equal(csv.split('\n')[0], exported(['csv', ...setArgs(settings)]).toString().split('\n')[0]);
    // The original engine's parameter file is params's.
    await open(browser, origin, '?step=0');
    assert.deepEqual(await download('#save-toml'), exported(['params']));
  });
});

describe('offline', () => {
  test('once loaded, the page needs no network: a change and a saved PNG', async () => {
    const page = await open(browser, origin, '?step=9000');
    await page.waitForFunction(() => window.pako !== undefined, null, { timeout: 10000 });
    await browser.context.setOffline(true);
    try {
      await page.fill('#p-gamma', '1.3');
      const [file] = await Promise.all([page.waitForEvent('download'), page.click('#save-png')]);
      assert.deepEqual(fs.readFileSync(await file.path()),
                       exported(['png', '--no-labels', '--step', '9000', '--set', 'gamma=1.3']));
    } finally {
      await browser.context.setOffline(false);
    }
  });
});

describe('the keys', () => {
  test('Space, Enter, comma, full stop, slash and Escape do what the window does', async () => {
    const page = await open(browser, origin);
    await page.waitForFunction(() => window.hcci.engine.step() > 100);
    const readouts = exported(['csv']).toString().split('\n').slice(1).map((r) => r.split(',')[3]);
    await page.focus('#picture');

    let now = await state(page);
    assert.equal(now.state, 'sweeping');
    assert.equal(now.pace, 50000);
    await page.keyboard.press(',');
    assert.equal((await state(page)).pace, 45000);
    await page.keyboard.press('.');
    assert.equal((await state(page)).pace, 49500);
    await page.keyboard.press('/');
    assert.equal((await state(page)).pace, 10000);

    await page.keyboard.press(' ');  // freeze
    await nextFrame(page);
    now = await state(page);
    assert.equal(now.state, 'frozen');
    assert.equal(now.readout, readouts[now.step]);
    await page.waitForTimeout(300);
    assert.equal((await state(page)).step, now.step);
    await page.keyboard.press(' ');  // unfrozen, unpaced
    await page.waitForFunction((s) => window.hcci.engine.step() > s + 2000, now.step);
    assert.equal((await state(page)).pace, 0);

    await page.keyboard.press('Enter');  // restart: a new cycle at the default pace
    await nextFrame(page);
    now = await state(page);
    assert.ok(now.step < 200, `step ${now.step} after a restart`);
    assert.equal(now.pace, 50000);

    await page.keyboard.press('Escape');  // stops; a page cannot quit
    now = await state(page);
    assert.equal(now.state, 'stopped');
    await page.waitForTimeout(300);
    assert.equal((await state(page)).step, now.step);
    await page.keyboard.press('Enter');  // a new cycle
    await page.waitForFunction(() => window.hcci.engine.state() === 'sweeping');

    // A double click on the picture stops it too; on a label's text nothing happens.
    await page.dblclick('#picture', { position: { x: 300, y: 500 } });
    assert.equal((await state(page)).state, 'stopped');
  });

  test('the wait after a sweep lasts until Enter', async () => {
    const page = await open(browser, origin, '?step=17990');
    await page.click('#play');
    await page.waitForFunction(() => window.hcci.engine.state() === 'waiting');
    const shown = await canvasRgb(page);
    assert.equal(differingPixels(shown, decodePng(exported(['png', '--no-labels']))), 0);
    await page.focus('#picture');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.hcci.engine.state() === 'sweeping');
  });
});

describe('the link', () => {
  test('?gamma=1.3&first_merge_atdc=-5 shows that engine', async () => {
    const settings = ['gamma=1.3', 'first_merge_atdc=-5'];
    const page = await open(browser, origin, `${query(settings)}&step=9000`);
    assert.equal(await page.inputValue('#p-gamma'), '1.3');
    assert.equal(await page.inputValue('#p-first_merge_atdc'), '-5');
    assert.equal(await page.textContent('#summary'), exported(['summary', ...setArgs(settings)]).toString());
    const native = decodePng(exported(['png', '--no-labels', '--step', '9000', ...setArgs(settings)]));
    assert.equal(differingPixels(await canvasRgb(page), native), 0);
    assert.equal(await page.textContent('#messages'), '');
  });

  test('a refused value is said as --set says it and not applied; the rest is', async () => {
    const page = await open(browser, origin, '?gamma=5&rod_length=150&step=0');
    const said = await page.textContent('#messages');
    const native = refusal(['summary', '--set', 'gamma=5']).replace(/^hcci-cycle-export: /, '');
    assert.ok(said.includes(native), `${said} says ${native}`);
    assert.equal(await page.inputValue('#p-gamma'), '1.4');
    assert.equal(await page.inputValue('#p-rod_length'), '150');
  });

  test('a named choice is a list of its options, read from the link and written to it', async () => {
    const settings = ['model=predictive', 'properties=constant'];
    const page = await open(browser, origin, `${query(settings)}&step=0`);
    assert.equal(await page.inputValue('#p-properties'), 'constant');
    assert.equal(await page.textContent('#summary'), exported(['summary', ...setArgs(settings)]).toString());
    await page.selectOption('#p-burn', 'crank');
    await page.waitForFunction(() => location.search.includes('burn=crank'));
    assert.equal(new URL(page.url()).search, '?model=predictive&properties=constant&burn=crank&step=0');
  });

  test('follows the engine and holds the step; Copy link gives it', async () => {
    const page = await open(browser, origin, '?step=100');
    await page.fill('#p-gamma', '1.35');
    await page.selectOption('#model', 'predictive');
    await page.waitForFunction(() => location.search.includes('model=predictive'));
    await page.waitForTimeout(400);
    assert.equal(new URL(page.url()).search, '?model=predictive&gamma=1.35&step=100');
    await page.click('#copy-link');
    const copied = await page.evaluate(() => (document.querySelector('#link-text').hidden
      ? navigator.clipboard.readText() : document.querySelector('#link-text').value)).catch(() => null);
    if (copied !== null) assert.equal(copied, page.url());
  });
});

describe('the form', () => {
  test('a slider moved by the pointer changes the picture and the view in the next frame', async () => {
    const page = await open(browser, origin, '?step=9000');
    const before = await canvasRgb(page);
    const viewBefore = await page.evaluate(() => document.querySelector('.chart').toDataURL());
    const slider = await page.locator('input[type=range][data-name=gamma]').boundingBox();
    await page.mouse.move(slider.x + slider.width * 0.6, slider.y + slider.height / 2);
    await page.mouse.down();
    await page.mouse.move(slider.x + slider.width * 0.3, slider.y + slider.height / 2, { steps: 4 });
    await page.mouse.up();
    await nextFrame(page);
    const gamma = await page.inputValue('#p-gamma');
    assert.notEqual(gamma, '1.4');
    assert.ok(differingPixels(await canvasRgb(page), before) > 100);
    assert.notEqual(await page.evaluate(() => document.querySelector('.chart').toDataURL()), viewBefore);
    const native = decodePng(exported(['png', '--no-labels', '--step', '9000', '--set', `gamma=${gamma}`]));
    assert.equal(differingPixels(await canvasRgb(page), native), 0);
  });

  test('the views are drawn again at their new size when the window narrows', async () => {
    const page = await open(browser, origin, '?step=9000');
    const sizes = () => page.evaluate(() => [...document.querySelectorAll('.chart, .cursor')]
      .map((c) => [c.width, c.clientWidth, c.height, c.clientHeight]));
    const before = await sizes();
    for (const [width, cssWidth, height, cssHeight] of before) {
      assert.deepEqual([width, height], [cssWidth, cssHeight]);
    }
    await page.setViewportSize({ width: 1100, height: 900 });
    await page.waitForTimeout(400);  // the page redraws a resize after 150 ms
    const after = await sizes();
    assert.notEqual(after[0][1], before[0][1], 'the views are narrower');
    for (const [width, cssWidth, height, cssHeight] of after) {
      assert.deepEqual([width, height], [cssWidth, cssHeight]);
    }
    await page.setViewportSize({ width: 1600, height: 1000 });
  });

  test('a refused value is marked with its reason, counts only once valid, and Escape goes back', async () => {
    const page = await open(browser, origin, '?step=0');
    await page.fill('#p-first_split_atdc', '-5');
    const row = page.locator('.field', { has: page.locator('#p-first_split_atdc') });
    assert.match(await row.getAttribute('class'), /refused/);
    const native = refusal(['summary', '--set', 'first_split_atdc=-5']).replace(/^hcci-cycle-export: /, '');
    assert.equal(await row.locator('.note').textContent(), native);
    assert.equal(await page.inputValue('#p-first_split_atdc'), '-5', 'what is typed stays');
    assert.equal(await page.evaluate(() => window.hcci.state().values.first_split_atdc), -33);
    await page.focus('#p-first_split_atdc');
    await page.keyboard.press('Escape');
    assert.equal(await page.inputValue('#p-first_split_atdc'), '-33');
    assert.doesNotMatch(await row.getAttribute('class'), /refused/);
  });

  test('the model switch shows every parameter of the chosen model from the registry', async () => {
    const page = await open(browser, origin, '?step=0');
    const names = () => page.$$eval('.field input[type=text]', (boxes) => boxes.map((b) => b.dataset.name));
    assert.ok((await names()).includes('aux_ignition_factor'));
    await page.selectOption('#model', 'predictive');
    const predictive = await names();
    assert.ok(predictive.includes('equivalence_ratio'));
    assert.ok(!predictive.includes('aux_ignition_factor'));
    assert.equal(await page.textContent('#summary'), exported(['summary', '--set', 'model=predictive']).toString());
  });

  test('a pinned baseline is drawn dashed and the analysis compares both engines', async () => {
    const page = await open(browser, origin, '?step=0');
    await page.click('#pin');
    await page.fill('#p-gamma', '1.3');
    const lines = await page.evaluate(() => window.hcci.engine.view('pressure-angle').charts[0].lines
      .map((l) => l.baseline));
    assert.ok(lines.includes(true) && lines.includes(false));
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'hcci-base-'));
    const base = path.join(dir, 'base.toml');
    fs.writeFileSync(base, exported(['params']));
    assert.equal(await page.textContent('#summary'),
                 exported(['summary', '--set', 'gamma=1.3', '--compare', base]).toString());
    fs.rmSync(dir, { recursive: true });
  });
});
