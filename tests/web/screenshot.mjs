// SPDX-License-Identifier: MIT
// The README's picture of the page: the page held at a step in headless Chromium.
//   node tests/web/screenshot.mjs [OUT.png]   (docs/web-page.png; the site of build-web/site)
import path from 'node:path';
import { launch, open, serve } from './browser.mjs';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const out = process.argv[2] ?? path.join(root, 'docs/web-page.png');

const { server, origin } = await serve();
const browser = await launch({ width: 1500, height: 880 });
try {
  const page = await open(browser, origin, '?gamma=1.38&step=9000');
  await page.evaluate(() => document.fonts.ready);
  await page.screenshot({ path: out });
  if (browser.problems.length) throw new Error(browser.problems.join('\n'));
  console.log(`the page is in ${out}`);
} finally {
  await browser.close();
  server.close();
}
