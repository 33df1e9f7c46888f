// SPDX-License-Identifier: MIT
// What the page's tests share: the site served from this machine, Debian's Chromium driven by
// playwright-core (never a downloaded browser) with a fresh profile, every console error and
// every request that leaves the page's origin, the native program's outputs, and PNG pixels.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
// The pinned package of web/package-lock.json.
import { chromium } from '../../web/node_modules/playwright-core/index.mjs';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
export const site = process.env.HCCI_SITE ?? path.join(root, 'build-web/site');
export const exporter = process.env.HCCI_EXPORT ?? path.join(root, 'build/hcci-cycle-export');

const types = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml', '.woff2': 'font/woff2', '.png': 'image/png',
};

// The site as plain files on 127.0.0.1, at a port of the system's choosing.
export async function serve(folder = site) {
  const server = http.createServer((request, response) => {
    const file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const target = file.endsWith('/') ? path.join(file, 'index.html') : file;
    if (!target.startsWith(folder) || !fs.existsSync(target) || fs.statSync(target).isDirectory()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(target)] ?? 'application/octet-stream' });
    fs.createReadStream(target).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { server, origin: `http://127.0.0.1:${server.address().port}` };
}

export const chromiumFlags = [
  '--headless=new', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run',
];

// Chromium with a profile of its own; the page's troubles are gathered in `problems`.
export async function launch({ width = 1600, height = 1000, scale = 1 } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'hcci-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, args: chromiumFlags,
    viewport: { width, height }, deviceScaleFactor: scale, acceptDownloads: true,
  });
  const problems = [];
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, problems, close, profile };
}

// A page of the site at that query, ready; its console errors and its requests to anywhere but
// its own origin are noted.
export async function open(browser, origin, query = '') {
  const page = browser.context.pages()[0] ?? await browser.context.newPage();
  page.removeAllListeners();
  page.on('console', (message) => {
    if (message.type() === 'error') browser.problems.push(`console: ${message.text()}`);
  });
  page.on('pageerror', (error) => browser.problems.push(`page error: ${error.message}`));
  page.on('request', (request) => {
    const url = new URL(request.url());
    if (!['data:', 'blob:'].includes(url.protocol) && url.origin !== origin) {
      browser.problems.push(`request to another origin: ${request.url()}`);
    }
  });
  await page.goto(`${origin}/${query}`);
  await page.waitForSelector('html[data-ready=true]', { timeout: 20000 });
  return page;
}

// The canvas's pixels as bytes R, G, B (its alpha dropped), handed over as base64: a plain
// array of two million numbers takes seconds to cross.
export async function canvasRgb(page, selector = '#picture') {
  const shown = await page.evaluate((s) => {
    const canvas = document.querySelector(s);
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const rgb = new Uint8Array((data.length / 4) * 3);
    for (let i = 0, j = 0; i < data.length; i += 4, j += 3) {
      rgb[j] = data[i];
      rgb[j + 1] = data[i + 1];
      rgb[j + 2] = data[i + 2];
    }
    let text = '';
    for (let at = 0; at < rgb.length; at += 0x8000) {
      text += String.fromCharCode.apply(null, rgb.subarray(at, at + 0x8000));
    }
    return { width: canvas.width, height: canvas.height, base64: btoa(text) };
  }, selector);
  return { width: shown.width, height: shown.height, rgb: Buffer.from(shown.base64, 'base64') };
}

// An 8-bit RGB PNG's pixels.
export function decodePng(bytes) {
  let width = 0;
  let height = 0;
  const parts = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    if (type === 'IHDR') {
      width = bytes.readUInt32BE(at + 8);
      height = bytes.readUInt32BE(at + 12);
    }
    if (type === 'IDAT') parts.push(bytes.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(parts));
  const stride = width * 3;
  const rgb = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y += 1) {
    const filter = raw[y * (stride + 1)];
    for (let x = 0; x < stride; x += 1) {
      const left = x >= 3 ? rgb[y * stride + x - 3] : 0;
      const up = y > 0 ? rgb[(y - 1) * stride + x] : 0;
      const corner = x >= 3 && y > 0 ? rgb[(y - 1) * stride + x - 3] : 0;
      const p = left + up - corner;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      }
      rgb[y * stride + x] = (raw[y * (stride + 1) + 1 + x] + predicted) & 255;
    }
  }
  return { width, height, rgb };
}

// The native program's output for those arguments, as bytes.
export function exported(args) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'hcci-export-'));
  try {
    const out = path.join(dir, 'out');
    execFileSync(exporter, [...args, '-o', out], { stdio: ['ignore', 'ignore', 'pipe'] });
    return fs.readFileSync(out);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// What the native program says on standard error for those arguments (it refuses them).
export function refusal(args) {
  try {
    execFileSync(exporter, args, { stdio: ['ignore', 'ignore', 'pipe'] });
  } catch (error) {
    return error.stderr.toString().trim();
  }
  return '';
}

// Query and --set arguments of the same settings.
export const query = (settings) => (settings.length ? `?${settings.join('&')}` : '');
export const setArgs = (settings) => settings.flatMap((s) => ['--set', s]);

// The pixels that differ between two pictures of the same size.
export function differingPixels(a, b) {
  if (a.width !== b.width || a.height !== b.height) return Infinity;
  let count = 0;
  for (let i = 0; i < a.width * a.height; i += 1) {
    if (a.rgb[i * 3] !== b.rgb[i * 3] || a.rgb[i * 3 + 1] !== b.rgb[i * 3 + 1] ||
        a.rgb[i * 3 + 2] !== b.rgb[i * 3 + 2]) count += 1;
  }
  return count;
}
