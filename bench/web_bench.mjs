// Page weight and speed of the browser build, never run as a test:
//   node bench/web_bench.mjs [WEB_BUILD_DIR] [KEYS]
// after `cmake --preset web && cmake --build --preset web` and
// `npm ci` in tests/web. Prints the size of the page's files, the time to
// the first screen and to the title from a loopback server (fresh browser
// profile each load, median of 10), and, over KEYS key presses of play
// (default 400), the time from each key event to the screen drawn after it
// and to the animation frame that shows it (median, 95th percentile, max).
import { mkdtempSync, readdirSync, rmSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { CHROMIUM, CHROMIUM_ARGS, servePage } from '../tests/web/local_page.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const { chromium } = createRequire(join(root, 'tests/web/package.json'))('playwright-core');
const pageDir = join(process.argv[2] || join(root, 'build/web'), 'page');
const keyCount = Number(process.argv[3] || 400);

const sizes = readdirSync(pageDir).map((f) => [f, statSync(join(pageDir, f)).size]);
const total = sizes.reduce((sum, [, size]) => sum + size, 0);
console.log('page files: ' + sizes.map(([f, s]) => `${f} ${s}`).join(', '));
console.log(`page weight: ${total} bytes (${(total / 1024).toFixed(1)} KiB)`);

const server = await servePage(pageDir);
const origin = server.origin;
const args = CHROMIUM_ARGS;

function stats(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  return `median ${at(0.5).toFixed(2)} ms, p95 ${at(0.95).toFixed(2)} ms, max ${sorted[sorted.length - 1].toFixed(2)} ms (n=${sorted.length})`;
}

async function withBrowser(work) {
  const profile = mkdtempSync(join(tmpdir(), 'drowsel-bench-'));
  const context = await chromium.launchPersistentContext(profile,
    { executablePath: CHROMIUM, viewport: { width: 1024, height: 700 }, args });
  try {
    return await work(context.pages()[0] || await context.newPage());
  } finally {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  }
}

// Loads with an empty cache: a fresh browser context each time, in one
// running browser.
const firsts = [], titles = [], wasms = [];
await withBrowser(async (first) => {
  const browser = first.context().browser() || await chromium.launch({ executablePath: CHROMIUM, args });
  for (let i = 0; i < 11; i++) {
    const context = await browser.newContext({ viewport: { width: 1024, height: 700 } });
    const page = await context.newPage();
    await page.goto(`${origin}/?seed=7`);
    await page.waitForFunction(() => window.drowsel.waits >= 1);
    const t = await page.evaluate(() => [window.drowsel.firstScreenAt, performance.now(),
      performance.getEntriesByName(new URL('game.wasm', location.href).href)[0].responseEnd]);
    if (i > 0) [firsts, titles, wasms].forEach((list, k) => list.push(t[k]));  // the first warms the browser
    await context.close();
  }
  if (!first.context().browser()) await browser.close();
});
console.log('game.wasm received after navigation start: ' + stats(wasms));
console.log('first screen after navigation start: ' + stats(firsts));
console.log('title waiting for a key (after the splash): ' + stats(titles));

await withBrowser(async (page) => {
  await page.goto(`${origin}/?seed=7`);
  // Past the title and the intro, then walk: each key once the game waits.
  const walk = ['l', 'l', 'j', 'h', 'k', 'k', 'u', 'n', 'a', 'l', ' ', 'b', 'y'];
  for (let i = 0; i < 8 + keyCount; i++) {
    await page.waitForFunction((n) => window.drowsel.waits >= n, i + 1);
    await page.keyboard.press(i < 8 ? 'Escape' : walk[i % walk.length] === ' ' ? 'Space' : walk[i % walk.length]);
  }
  await page.waitForTimeout(100);
  const { latencies, frameLatencies } = await page.evaluate(() => window.drowsel);
  console.log('key press to screen drawn: ' + stats(latencies.slice(8)));
  console.log('key press to the frame that shows it: ' + stats(frameLatencies.slice(8)));
});
server.close();
