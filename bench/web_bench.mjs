// Page weight and speed of the browser build, never run as a test:
//   node bench/web_bench.mjs [WEB_BUILD_DIR] [KEYS] [OTHER_WEB_BUILD_DIR]
// after `cmake --preset web && cmake --build --preset web` and
// `npm ci` in tests/web. Prints the size of the page's files, the time to
// the first screen and to the title from a loopback server (fresh browser
// profile each load, median of 10), and, over KEYS key presses of play
// (default 400), the time from each key event to the screen drawn after it
// and to the animation frame that shows it (median, 95th percentile, max);
// then that run's recording replayed at the fastest pace (keys a second).
// The phone profile (390 x 844, touch, the CPU slowed four times through
// the DevTools protocol) measures the first screen, the title and, over
// KEYS taps in four loads, the time from each tap to the screen drawn after
// it, to the animation frame that shows it and to the end of that frame's
// rendering; given OTHER_WEB_BUILD_DIR (today's page, say), its page's taps
// are measured too, the loads of the two taking turns.
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
// Another build folder whose page the phone's taps are measured beside.
const beforeDir = process.argv[4];

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
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    viewport: { width: 1024, height: 700 },
    args,
  });
  try {
    return await work(context.pages()[0] || (await context.newPage()));
  } finally {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  }
}

// Loads with an empty cache: a fresh browser context each time, in one
// running browser.
const firsts = [],
  titles = [],
  wasms = [];
await withBrowser(async (first) => {
  const browser = first.context().browser() || (await chromium.launch({ executablePath: CHROMIUM, args }));
  for (let i = 0; i < 11; i++) {
    const context = await browser.newContext({ viewport: { width: 1024, height: 700 } });
    const page = await context.newPage();
    await page.goto(`${origin}/?seed=7`);
    await page.waitForFunction(() => window.drowsel.waits >= 1);
    const t = await page.evaluate(() => [
      window.drowsel.firstScreenAt,
      performance.now(),
      performance.getEntriesByName(new URL('game.wasm', location.href).href)[0].responseEnd,
    ]);
    if (i > 0) [firsts, titles, wasms].forEach((list, k) => list.push(t[k])); // the first warms the browser
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
  const { latencies, frameLatencies, recording } = await page.evaluate(() => window.drowsel);
  console.log('key press to screen drawn: ' + stats(latencies.slice(8)));
  console.log('key press to the frame that shows it: ' + stats(frameLatencies.slice(8)));

  // The run just played, watched at the fastest pace from the start.
  await page.evaluate((text) => sessionStorage.setItem('drowsel-watch', text), recording);
  await page.goto(`${origin}/?watch=file`);
  // Timed from the title ("Press any key to start."), after the splash's
  // own pauses.
  await page.evaluate(() => {
    window.drowsel.onShow = () => {
      if (!window.titleAt && window.drowsel.cell(20, 28).textContent === 'P') window.titleAt = performance.now();
    };
  });
  for (let i = 0; i < 4; i++) await page.keyboard.press('+');
  await page.waitForFunction(() => /End of the recording/.test(document.getElementById('status').textContent), null, {
    timeout: 600000,
    polling: 5,
  });
  const seconds = await page.evaluate(() => (performance.now() - window.titleAt) / 1000);
  const keys = recording.split('\n').length - 3;
  console.log(
    `replay at the fastest pace: ${keys} keys in ${seconds.toFixed(2)} s, ` +
      `${(keys / seconds).toFixed(0)} keys a second`,
  );
});

// The phone profile: a fresh context each load, the CPU slowed 4x.
const browser = await chromium.launch({ executablePath: CHROMIUM, args });
async function phonePage() {
  const context = await browser.newContext({
    viewport: { width: 390, height: 844 },
    hasTouch: true,
    isMobile: true,
    deviceScaleFactor: 3,
  });
  const page = await context.newPage();
  const session = await context.newCDPSession(page);
  await session.send('Emulation.setCPUThrottlingRate', { rate: 4 });
  return page;
}
const phoneFirsts = [],
  phoneTitles = [];
for (let i = 0; i < 6; i++) {
  const page = await phonePage();
  await page.goto(`${origin}/?seed=7`);
  await page.waitForFunction(() => window.drowsel.waits >= 1);
  const t = await page.evaluate(() => [window.drowsel.firstScreenAt, performance.now()]);
  if (i > 0) [phoneFirsts, phoneTitles].forEach((list, k) => list.push(t[k]));
  await page.context().close();
}
console.log('phone: first screen after navigation start: ' + stats(phoneFirsts));
console.log('phone: title waiting for a key: ' + stats(phoneTitles));
// Taps of play on one load of the page at `at`, after the title and the
// intro: the page's own times from each tap to the screen drawn and to the
// animation frame after it, and the bench's own time to the end of that
// frame's rendering (the same measure for any version of the page).
async function phoneTaps(at, taps) {
  const page = await phonePage();
  await page.goto(`${at}/?seed=7`);
  await page.waitForFunction(() => window.drowsel && window.drowsel.waits >= 1);
  await page.evaluate(() => {
    window.benchRendered = [];
    let tapAt = null;
    document.addEventListener('touchend', (e) => (tapAt = e.timeStamp), true);
    window.drowsel.onShow = () => {
      if (tapAt === null) return;
      const tapped = tapAt;
      tapAt = null;
      requestAnimationFrame(() => {
        const channel = new MessageChannel();
        channel.port1.onmessage = () => window.benchRendered.push(performance.now() - tapped);
        channel.port2.postMessage(0);
      });
    };
  });
  let waits = 1;
  for (let i = 0; i < 8 + taps; i++) {
    await page.waitForFunction((n) => window.drowsel.waits >= n, waits);
    const player = await page.evaluate(() => {
      const w = window.drowsel.keyWait;
      if (w.row < 0) return null;
      const r = window.drowsel.cell(w.row, w.col).getBoundingClientRect();
      return [r.left + r.width / 2, r.top + r.height / 2, r.width];
    });
    // Steps around the player in turn (every slice), else a tap to go on.
    const slice = ((i % 8) * Math.PI) / 4;
    if (player) {
      await page.touchscreen.tap(
        player[0] + Math.cos(slice) * 5 * player[2],
        player[1] - Math.sin(slice) * 5 * player[2],
      );
    } else {
      await page.touchscreen.tap(200, 300);
    }
    waits++;
  }
  await page.waitForTimeout(200);
  const times = await page.evaluate(() => [
    window.drowsel.latencies,
    window.drowsel.frameLatencies,
    window.benchRendered,
  ]);
  await page.context().close();
  return times.map((list) => list.slice(8));
}

// This page and, given, another build of it (today's, say) side by side:
// their loads take turns, so that both see the same machine.
const pages = [['this page', origin]];
if (beforeDir) pages.push(['the other page', (await servePage(join(beforeDir, 'page'))).origin]);
const rounds = 4;
const measured = pages.map(() => [[], [], []]);
for (let round = 0; round < rounds; round++) {
  for (const [k, [, at]] of pages.entries()) {
    const times = await phoneTaps(at, Math.ceil(keyCount / rounds));
    times.forEach((list, m) => measured[k][m].push(...list));
  }
}
for (const [k, [name]] of pages.entries()) {
  const [drawn, frame, rendered] = measured[k];
  console.log(`phone, ${name}: tap to screen drawn: ` + stats(drawn));
  console.log(`phone, ${name}: tap to the frame that shows it: ` + stats(frame));
  console.log(`phone, ${name}: tap to that frame rendered: ` + stats(rendered));
}
await browser.close();
process.exit(0); // the servers with it
