// Takes docs/screenshot.png: the browser build in headless Chromium, a fixed
// seed played by a simple hunter (it walks to the nearest monster and
// strikes it) until a few story lines have been told.
//   node tools/web-screenshot.mjs [WEB_BUILD_DIR] [OUTPUT]
// after building the `web` preset and `npm ci` in tests/web; wants a
// Japanese font (Debian: fonts-noto-cjk).
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { CHROMIUM, CHROMIUM_ARGS, servePage } from '../tests/web/local_page.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const { chromium } = createRequire(join(root, 'tests/web/package.json'))('playwright-core');
const pageDir = join(process.argv[2] || join(root, 'build/web'), 'page');
const output = process.argv[3] || join(root, 'docs/screenshot.png');
const KILLS = 6;

const server = await servePage(pageDir);
const origin = server.origin;
const browser = await chromium.launch({ executablePath: CHROMIUM, args: CHROMIUM_ARGS });
const page = await browser.newPage({
  viewport: { width: Number(process.env.W || 860), height: Number(process.env.H || 500) },
});
await page.goto(`${origin}/?seed=77`);

// The key that brings the player (screen row 10, column 39) towards the
// nearest monster, or a step right (into new ground) when there is none.
const STEP = { '-1,-1': 'y', '0,-1': 'k', '1,-1': 'u', '-1,0': 'h', '1,0': 'l', '-1,1': 'b', '0,1': 'j', '1,1': 'n' };
function hunt(grid) {
  let best = null;
  for (let r = 1; r <= 20; r++) {
    for (let c = 0; c < 79; c++) {
      if (grid[r][c][0] !== '*' && grid[r][c][0] !== '%') continue;
      const d = Math.max(Math.abs(r - 10), Math.abs(c - 39));
      if (!best || d < best.d) best = { d, dr: Math.sign(r - 10), dc: Math.sign(c - 39) };
    }
  }
  return best ? STEP[`${best.dc},${best.dr}`] : 'l';
}

for (let n = 1; n < 2000; n++) {
  await page.waitForFunction((k) => window.drowsel.waits >= k, n);
  const grid = await page.evaluate(() => window.drowsel.grid());
  const kills = grid[21].filter((cell) => cell[0] === '*').length;
  const more = grid[0]
    .map((cell) => cell[0])
    .join('')
    .includes('-more-');
  if (kills >= KILLS && !more && grid[0][1][1] === 11) break;
  await page.keyboard.press(n < 9 || more ? 'Space' : hunt(grid));
}
await page.screenshot({ path: output });
await browser.close();
server.close();
console.log(`wrote ${output}`);
