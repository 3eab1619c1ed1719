// The browser build in headless Chromium, served from the loopback with
// every other address refused: a fixed seed is played key by key and each
// screen of the page (character and colour of all 80 x 23 cells) must equal
// the headless game's screen for the same seed and keys, and the recording
// the page offers must be the headless game's; a headless recording of a
// won game must replay in the page through the same seven ending pages.
// Then the page's faults (refused seeds and replays, the help, Tab, leaving
// a game), a reload with the network off, and in a phone with touch: a
// game and the won game played by taps must record what the same keys
// record, and in play every size must fit its viewport both ways.
//   node web_test.mjs --source DIR --web-build DIR --dump DUMP_SCREENS
import { execFileSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { CHROMIUM, CHROMIUM_ARGS, servePage } from './local_page.mjs';

const SEED = 1234;
// Title, Enter (which answers no "-more-"), the six "-more-" prompts of the
// intro (Space and Escape), a step in
// each of the eight directions by letter and digit, the arrows and keypad
// keys, a ranged attack, the hidden shortcut's first keys, Escape in play,
// quit.
const KEYS = [
  'Space',
  'Enter',
  'Space',
  'Escape',
  'Space',
  'Escape',
  'Space',
  'Escape',
  'y',
  'k',
  'u',
  'l',
  'n',
  'j',
  'b',
  'h',
  '7',
  '9',
  '3',
  '1',
  'ArrowUp',
  'ArrowRight',
  'ArrowDown',
  'ArrowLeft',
  'Home',
  'PageDown',
  'a',
  'l',
  'z',
  '5',
  'Control+e',
  'Control+o',
  'Escape',
  'Q',
];

function fail(message) {
  console.error('FAIL: ' + message);
  process.exit(1);
}

// A tool that is not installed skips the test (CTest's skip status 77).
function skip(message) {
  console.log('SKIP: ' + message);
  process.exit(77);
}

const args = {};
for (let i = 2; i < process.argv.length; i += 2) args[process.argv[i].slice(2)] = process.argv[i + 1];
for (const name of ['source', 'web-build', 'dump', 'drowsel']) if (!args[name]) fail(`missing --${name}`);

// The codes the game reads for the named keys: the terminal build reads
// Enter as the carriage return its Return key sends, and the page must give
// the same (the two write the same bytes in a recording).
const named = JSON.parse(execFileSync(args.dump, ['--key-codes']));
if (named.Enter !== 13) fail(`Enter reads as ${named.Enter}, not the terminal's carriage return`);

let chromium;
try {
  ({ chromium } = createRequire(import.meta.url)('playwright-core'));
} catch {
  skip('the npm package playwright-core is not installed (cd tests/web && npm ci)');
}
if (!existsSync(CHROMIUM)) skip(`${CHROMIUM} is not installed (sudo apt-get install chromium)`);

function run(command, commandArgs) {
  try {
    execFileSync(command, commandArgs, { stdio: ['ignore', 'ignore', 'inherit'] });
  } catch (e) {
    fail(`${command} ${commandArgs.join(' ')}: ${e.message}`);
  }
}

// The page, built incrementally into the web build folder.
const webBuild = args['web-build'];
if (!existsSync(join(webBuild, 'CMakeCache.txt'))) {
  const toolchain = '/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake';
  if (!existsSync(toolchain)) skip('Emscripten is not installed (sudo apt-get install emscripten)');
  run('cmake', [
    '-S',
    args.source,
    '-B',
    webBuild,
    `-DCMAKE_TOOLCHAIN_FILE=${toolchain}`,
    '-DCMAKE_BUILD_TYPE=MinSizeRel',
    '-DDROWSEL_TESTS=OFF',
  ]);
}
run('cmake', ['--build', webBuild, '-j', '2']);
if (!existsSync(join(webBuild, 'page', 'drowsel-jp.woff2'))) {
  skip(
    'the page was built without its Japanese font (sudo apt-get install fonts-ipafont-gothic ' +
      'python3-fonttools python3-brotli, then build the page again)',
  );
}

// The key codes the game reads for each key.
function keyCode(key) {
  const keypad = { Home: '7', PageDown: '3' };
  if (key in named) return named[key];
  if (key in keypad) return keypad[key].charCodeAt(0);
  if (key.startsWith('Control+')) return key.charCodeAt(8) & 0x1f;
  return key.charCodeAt(0);
}
const played = JSON.parse(execFileSync(args.dump, [String(SEED), ...KEYS.map(keyCode).map(String)]));
const dumped = played.screens;
if (dumped.length !== KEYS.length) fail(`the headless game read ${dumped.length} keys, not ${KEYS.length}`);

// A headless screen as the page must draw it: [character, colour] per cell,
// a double-byte character in its first cell and '' in its second.
const sjis = new TextDecoder('shift_jis', { fatal: true });
function expectedGrid(screen) {
  return screen.bytes.map((hex, row) => {
    const bytes = Buffer.from(hex, 'hex');
    const colour = (col) => parseInt(screen.colours[row][col], 16);
    const cells = [];
    for (let col = 0; col < bytes.length; col++) {
      const b = bytes[col];
      const lead = (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);
      if (lead && col + 1 < bytes.length) {
        cells.push([sjis.decode(bytes.subarray(col, col + 2)), colour(col)], ['', colour(col)]);
        col++;
      } else {
        cells.push([
          b >= 0x20 && b <= 0x7e ? String.fromCharCode(b) : sjis.decode(bytes.subarray(col, col + 1)),
          colour(col),
        ]);
      }
    }
    return cells;
  });
}

function isEndingPage(grid) {
  return grid[4]
    .map((cell) => cell[0])
    .join('')
    .includes('YOU HAVE SLAIN');
}

function compareGrids(actual, expected, what) {
  for (let row = 0; row < expected.length; row++) {
    for (let col = 0; col < expected[row].length; col++) {
      const [a, e] = [actual[row][col], expected[row][col]];
      if (a[0] !== e[0] || a[1] !== e[1]) {
        const text = (r) => r.map((c) => c[0]).join('');
        fail(
          `${what}: row ${row} column ${col} shows ${JSON.stringify(a)}, expected ${JSON.stringify(e)}\n` +
            `  page:     ${text(actual[row])}\n  headless: ${text(expected[row])}`,
        );
      }
    }
  }
}

// The five sizes every layout is checked at: phones both ways, a tablet, a desktop.
// prettier-ignore
const SIZES = [[320, 568], [390, 844], [844, 390], [768, 1024], [1280, 800]];
// axe-core (from the lockfile) finds nothing against WCAG 2.2 A and AA and
// its best practice.
const LANGS = ['ja', 'en'];
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
async function axe(page, where) {
  await page.addScriptTag({ content: axeSource });
  const found = await page.evaluate(async () => {
    const tags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'];
    const result = await window.axe.run(document, { runOnly: { type: 'tag', values: tags } });
    return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  });
  if (found.length) fail(`axe-core, ${where}: ${found.join('; ')}`);
}

const won = JSON.parse(execFileSync(args.dump, ['--win', '4242'], { maxBuffer: 1 << 30 }));
const endingPages = won.screens.map(expectedGrid).filter(isEndingPage);
if (endingPages.length !== 7) fail(`the headless victory showed ${endingPages.length} ending pages`);

// The page's folder, with the victory's recording beside it, on the
// loopback; nothing else is reachable.
const page_dir = mkdtempSync(join(tmpdir(), 'drowsel-page-'));
for (const file of readdirSync(join(webBuild, 'page')))
  copyFileSync(join(webBuild, 'page', file), join(page_dir, file));
writeFileSync(join(page_dir, 'victory.rec'), won.recording);
// The same run as the page records it when played with ?lang=en.
writeFileSync(join(page_dir, 'victory-en.rec'), won.recording.replace(/^(seed \d+\n)/m, '$1lang en\n'));
// The first game cut after ten keys, and damaged at its first key.
const header = played.recording.slice(0, played.recording.indexOf('\nk ') + 1);
writeFileSync(join(page_dir, 'cut.rec'), played.recording.split('\n').slice(0, 13).join('\n') + '\n');
writeFileSync(join(page_dir, 'damaged.rec'), header + 'k 9999 00000000\n');
const server = await servePage(page_dir).catch((e) => fail(e.message));
const origin = server.origin;

// A run of 40 keys, its tab closed: the next page offers to resume it, and
// the resumed run shows the screen the headless game shows after those keys
// and records on as if never left, its download verified by the terminal
// build. Once over, it is listed as over and no longer offered.
async function resumedRun() {
  let page = await context.newPage();
  await page.goto(`${origin}/?seed=777`);
  const codes = [];
  const moves = [...'hjklyubn'];
  while (codes.length < 40) {
    await page.waitForFunction((n) => window.drowsel.waits === n, codes.length + 1, { timeout: 10000 });
    const wait = await page.evaluate(() => window.drowsel.keyWait.wait);
    const key = wait === 'command' ? moves[codes.length % 8] : wait === 'direction' ? '5' : 'Space';
    codes.push(keyCode(key));
    await page.keyboard.press(key);
  }
  await page.waitForFunction(() => window.drowsel.waits === 41);
  await page.close();
  page = await context.newPage();
  await page.goto(`${origin}/`);
  await page.waitForSelector('#resume:not([hidden])', { timeout: 10000 });
  if ((await page.textContent('#resume')) !== 'Resume (seed 777, key 40)') fail('the closed run is not offered');
  await page.click('#resume');
  await page.waitForFunction(() => /resume=/.test(location.search) && window.drowsel?.waits >= 1);
  const whole = JSON.parse(execFileSync(args.dump, ['777', ...codes, 104, 108, 81].map(String)));
  compareGrids(await page.evaluate(() => window.drowsel.grid()), expectedGrid(whole.screens[40]), 'the resumed run');
  for (const [i, key] of ['h', 'l', 'Q'].entries()) {
    await page.waitForFunction((n) => window.drowsel.waits === n, i + 1, { timeout: 10000 });
    await page.keyboard.press(key);
  }
  await page.waitForFunction(() => window.drowsel.over);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  if (readFileSync(await download.path(), 'latin1') !== whole.recording) fail('the resumed run recorded otherwise');
  run(args.drowsel, ['--verify', await download.path()]);
  await page.goto(`${origin}/`);
  await page.waitForSelector('#runs li', { state: 'attached', timeout: 10000 });
  const listed = await page.textContent('#runs li');
  if (!listed.startsWith('Seed 777, 43 keys, quit') || (await page.isVisible('#resume'))) {
    fail(`the run over is listed as "${listed}", or still offered`);
  }
  await page.close();
}

// A cut recording watched as the terminal shows one: paused, "Step" plays
// one key; at the end line only a tap is asked for, and the cut is still
// said after it. One damaged at its first key stops over the title.
async function watchedReplays(page) {
  await page.goto(`${origin}/?replay=cut.rec`);
  await page.waitForFunction(() => window.drowsel.keyWait.wait === 'replay');
  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.drowsel.keyWait.wait === 'paused', null, { timeout: 10000 });
  const said = () => page.textContent('#status');
  const before = Number(/Paused after (\d+)/.exec(await said())?.[1]);
  await page.click('#touch-step');
  await page.waitForFunction((n) => document.getElementById('status').textContent.includes(`after ${n} `), before + 1);
  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.drowsel.keyWait.wait === 'end', null, { timeout: 10000 });
  const shown = await page.$$eval('#touch button:not([hidden])', (b) => b.length);
  if (shown !== 0) fail(`${shown} replay controls stay up at the end line`);
  await page.mouse.click(300, 200);
  await page.waitForFunction(() => window.drowsel.over);
  if (!(await said()).includes('cut short at key 11')) fail(`after a cut recording the page says "${await said()}"`);
  await page.goto(`${origin}/?replay=damaged.rec`);
  await page.waitForFunction(() => window.drowsel.keyWait.wait === 'end', null, { timeout: 10000 });
  compareGrids(await page.evaluate(() => window.drowsel.grid()), expectedGrid(dumped[0]), 'a replay damaged at once');
}

// Refused seeds and replays say so and stay said; "Keys" is an overlay that
// Escape closes; New game keeps the seed; the page's own font is in use.
async function pageFaults(page) {
  for (const seed of ['abc', '-1', '4294967296']) {
    await page.goto(`${origin}/?seed=${seed}`);
    await page.waitForFunction(() => window.drowsel.waits >= 1 && window.drowsel.seed !== null);
    const text = await page.textContent('#seed');
    const played = await page.evaluate(() => window.drowsel.seed);
    if (!text.includes('is no seed') || !text.includes(String(played))) fail(`?seed=${seed} shows "${text}"`);
  }
  // A language other than ja or en is refused in words, as the terminal's
  // --lang refuses it, and the game played in Japanese.
  for (const lang of ['EN', 'fr']) {
    await page.goto(`${origin}/?lang=${lang}&seed=${SEED}`);
    await page.waitForFunction(() => window.drowsel.waits >= 1 && window.drowsel.seed !== null);
    const text = await page.textContent('#seed');
    const shown = await page.evaluate(() => [...document.querySelectorAll('#language button')].map((b) => b.disabled));
    if (!text.includes(`“${lang}” is no language`) || !text.includes(`Seed ${SEED}`) || shown.join() !== 'true,false') {
      fail(`?lang=${lang} shows "${text}", the language switch ${shown}`);
    }
  }
  await page.goto(`${origin}/?replay=http://example.com/won.rec`);
  await page.waitForTimeout(500);
  if (!/Only recordings on this site/.test(await page.textContent('#status')) || !(await page.isVisible('#new-game'))) {
    fail('a replay from another site is not refused with a new game offered');
  }
  await page.goto(`${origin}/?seed=${SEED}`);
  await page.waitForFunction(() => window.drowsel.waits >= 1);
  await page.click('#help-toggle');
  const box = await page.locator('#help-box').boundingBox();
  if (!box || box.y < 0 || box.y + 40 > 700) fail('the help of "Keys" is not in view');
  await page.keyboard.press('Escape');
  if (await page.isVisible('#help')) fail('Escape does not close the help');
  await page.keyboard.press('Tab');
  const tabbed = await page.evaluate(() => document.activeElement.tagName);
  if (tabbed !== 'BUTTON' && tabbed !== 'SUMMARY') fail('Tab does not reach the controls: ' + tabbed);
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.drowsel.waits >= 2);
  const font = await page.evaluate(async () => {
    await document.fonts.ready;
    return [...document.fonts]
      .filter((f) => f.family.includes('Drowsel Gothic'))
      .map((f) => f.status)
      .join();
  });
  if (font !== 'loaded') fail(`the page's own Japanese font is "${font}", not loaded`);
  const asks = await page.evaluate(() => {
    const e = new Event('beforeunload', { cancelable: true });
    window.dispatchEvent(e);
    return e.defaultPrevented;
  });
  if (!asks) fail('leaving a game in progress does not ask first');
  for (const key of ['Escape', 'Escape', 'Escape', 'Escape', 'Escape', 'Escape', 'Q']) await page.keyboard.press(key);
  await page.waitForFunction(() => window.drowsel.over);
  await Promise.all([page.waitForURL(`**/?seed=${SEED}`), page.click('#new-game')]);
}

// After one visit, the page loads and a game starts with the network off.
async function offline(page) {
  await page
    .waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 })
    .catch(() => fail('no service worker keeps the page'));
  await page.context().setOffline(true);
  try {
    await page.reload();
    await page.waitForFunction(() => window.drowsel.waits >= 1, null, { timeout: 10000 });
    await page.keyboard.press('Space');
    await page.waitForFunction(() => window.drowsel.waits >= 2, null, { timeout: 10000 });
  } catch (e) {
    fail('offline after one visit: ' + e.message);
  } finally {
    await page.context().setOffline(false);
  }
}

// A game played by taps on a phone records what the same keys record, with
// only the controls that act shown, each at least 44 px; then every size
// fits its viewport with the message row readable.
async function touchGame() {
  const browser = await chromium.launch({ executablePath: CHROMIUM, args: CHROMIUM_ARGS });
  const phone = await browser.newContext({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  const page = await phone.newPage();
  page.on('dialog', (d) => d.accept());
  await page.goto(`${origin}/?seed=${SEED}`);
  const keys = [];
  let waits = 1;
  const ready = () => page.waitForFunction((n) => window.drowsel.waits >= n, waits, { timeout: 10000 });
  const tapAt = (x, y) => page.touchscreen.tap(x, y);
  const wait = () => page.evaluate(() => window.drowsel.keyWait.wait);
  async function given(code, act, last = false) {
    await act();
    keys.push(code);
    waits++;
    if (!last) await ready();
  }
  async function goOn() {
    await ready();
    while (['title', 'more', 'ending'].includes(await wait())) await given(32, () => tapAt(200, 300));
  }
  const player = () =>
    page.evaluate(() => {
      const w = window.drowsel.keyWait;
      const r = window.drowsel.cell(w.row, w.col).getBoundingClientRect();
      return { x: r.left + r.width / 2, y: r.top + r.height / 2, w: r.width };
    });
  const SLICES = [54, 57, 56, 55, 52, 49, 50, 51]; // the digits anticlockwise from the east
  async function tapToward(slice, last) {
    const p = await player();
    const a = (slice * Math.PI) / 4 + 0.3; // off the slice's centre, inside it
    await given(SLICES[slice], () => tapAt(p.x + Math.cos(a) * 4 * p.w, p.y - Math.sin(a) * 4 * p.w), last);
  }
  const tapSelf = async () => {
    const q = await player();
    await tapAt(q.x, q.y);
  };
  const button = (name) => page.getByRole('button', { name, exact: true });
  await goOn();
  const shown = await page.$$eval('#touch button:not([hidden])', (b) =>
    b.map((e) => [e.textContent, e.getBoundingClientRect().width, e.getBoundingClientRect().height]),
  );
  if (
    shown.map((b) => b[0]).join() !== 'Ranged attack,Read,Shift terrain,Quit' ||
    shown.some((b) => b[1] < 44 || b[2] < 44)
  ) {
    fail('the controls in play are ' + JSON.stringify(shown));
  }
  for (let slice = 0; slice < 8; slice++) {
    await tapToward(slice);
    await goOn();
  }
  const p = await player();
  await tapAt(p.x, p.y); // nothing in play
  await given(97, () => button('Ranged attack').tap());
  await tapToward(3);
  await goOn();
  await given(97, () => button('Ranged attack').tap());
  await given(53, tapSelf);
  await goOn();
  await given(32, () => button('Read').tap());
  await goOn();
  await given(100, () => button('Shift terrain').tap());
  await goOn();
  for (const k of ['Control+e', 'Control+o']) {
    await given(keyCode(k), () => page.keyboard.press(k));
    await goOn();
  }
  await button('Quit').tap();
  keys.push(81);
  await page.waitForFunction(() => window.drowsel.over, null, { timeout: 10000 });
  const byKeys = JSON.parse(execFileSync(args.dump, [String(SEED), ...keys.map(String)]));
  if ((await page.evaluate(() => window.drowsel.recording)) !== byKeys.recording) {
    fail('the game by taps recorded other keys than the same game by keys: ' + keys.join(' '));
  }

  // The won game by taps, the phone held sideways; the hidden shortcut by
  // keyboard. Space (a tap, "Read") stands for the winning player's "." and
  // "x", the same game.
  await page.setViewportSize({ width: 844, height: 390 });
  await page.goto(`${origin}/?seed=4242`);
  const winKeys = won.recording
    .split('\n')
    .filter((l) => l.startsWith('k '))
    .map((l) => Number(l.split(' ')[1]))
    .map((k) => (k === 46 || k === 120 ? 32 : k));
  keys.length = 0;
  waits = 1;
  await ready();
  for (let i = 0; i < winKeys.length; i++) {
    const [code, last, w] = [winKeys[i], i === winKeys.length - 1, await wait()];
    const names = { 97: 'Ranged attack', 32: 'Read', 100: 'Shift terrain' };
    if (code < 32) await given(code, () => page.keyboard.press('Control+' + String.fromCharCode(code + 96)), last);
    else if (['title', 'more', 'ending'].includes(w) && code === 32) await given(32, () => tapAt(300, 200), last);
    else if (SLICES.includes(code)) await tapToward(SLICES.indexOf(code), last);
    else if (code === 53 && w === 'direction') await given(53, tapSelf, last);
    else if (w === 'command' && names[code]) await given(code, () => button(names[code]).tap(), last);
    else fail(`no tap gives key ${code} at ${w}`);
  }
  await page.waitForFunction(() => window.drowsel.over, null, { timeout: 10000 });
  const wonByKeys = JSON.parse(execFileSync(args.dump, ['4242', ...winKeys.map(String)], { maxBuffer: 1 << 30 }));
  if (
    !(await page.evaluate(() => window.drowsel.won)) ||
    (await page.evaluate(() => window.drowsel.recording)) !== wonByKeys.recording
  ) {
    fail('the won game by taps is not the won game by keys');
  }

  const freshWidths = {};
  for (const [width, height, lang] of [...SIZES, [1366, 768]].flatMap((s) => [s, s].map((t, i) => [...t, LANGS[i]]))) {
    await page.setViewportSize({ width, height });
    await page.goto(`${origin}/?seed=${SEED}&lang=${lang}`);
    await page.waitForFunction(() => window.drowsel.waits >= 1);
    // The title page whole at 12 px or more: upright, its lines as text.
    const title = await page.evaluate(() => {
      const [text, screen] = [document.getElementById('page-text'), document.getElementById('screen')];
      const whole = text.hidden || (text.scrollHeight <= text.clientHeight && text.textContent.includes('Drowsel'));
      return [whole, parseFloat(getComputedStyle(text.hidden ? screen : text).fontSize)];
    });
    if (width < height && (!title[0] || title[1] < 12)) fail(`the title at ${width}x${height}: ${title}`);
    // In play, with the play controls shown: the grid's rows (row 0 too)
    // at the player's column and every control inside the viewport, and
    // nothing scrolled; no finding of axe-core.
    while ((await page.evaluate(() => window.drowsel.keyWait.wait)) !== 'command') {
      const waits = await page.evaluate(() => window.drowsel.waits);
      await page.keyboard.press('Space');
      await page.waitForFunction((n) => window.drowsel.waits > n, waits);
    }
    const fit = await page.evaluate(() => {
      const col = window.drowsel.keyWait.col;
      const s = window.drowsel.cell(0, col).getBoundingClientRect();
      const end = window.drowsel.cell(22, col).getBoundingClientRect();
      const st = document.getElementById('stage').getBoundingClientRect();
      const m = document.getElementById('message');
      const px = (e) => parseFloat(getComputedStyle(e).fontSize);
      const out = [...document.querySelectorAll('#stage, #side *:not(.unseen *)')]
        .map((c) => c.getBoundingClientRect())
        .filter(
          (c) => c.width > 0 && (c.left < 0 || c.top < 0 || c.right > innerWidth + 0.5 || c.bottom > innerHeight + 0.5),
        );
      const d = document.documentElement;
      return {
        overflow: d.scrollWidth > d.clientWidth || d.scrollHeight > d.clientHeight || scrollY || out.length,
        // How far the grid stands inside the stage (the viewport less the
        // controls and the message line) on each side.
        screen: [s.left - st.left, s.top - st.top, st.right - end.right, st.bottom - end.bottom],
        message: m.hidden ? px(document.getElementById('screen')) : px(m),
        messageText: m.hidden ? '' : m.textContent,
        portraitGrid: innerWidth < innerHeight ? px(document.getElementById('screen')) : 12,
        width: document.getElementById('screen').getBoundingClientRect().width,
      };
    });
    freshWidths[[width, height]] = fit.width;
    if (fit.overflow || fit.screen.some((inside) => inside < -0.5) || Math.min(fit.message, fit.portraitGrid) < 12) {
      fail(`at ${width}x${height}: ${JSON.stringify(fit)}`);
    }
    await axe(page, `${lang} at ${width}x${height}`);
  }
  // Turned from every size to every other mid-game, a message shown: the
  // screen as wide as a fresh load's there.
  const turns = [];
  for (const from of SIZES) {
    for (const to of SIZES.filter((s) => s !== from)) {
      for (const [width, height] of [from, to]) {
        await page.setViewportSize({ width, height });
        await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
      }
      const shown = await page.evaluate(() => document.getElementById('screen').getBoundingClientRect().width);
      turns.push(`${from.join('x')}->${to.join('x')} ${shown.toFixed(0)}/${freshWidths[to].toFixed(0)}`);
      if (Math.abs(shown / freshWidths[to] - 1) > 0.02)
        fail('turned, the screen is not as wide as a fresh load: ' + turns);
    }
  }
  console.log('turned: ' + turns.join(', '));
  // Upright, "Closer" shows a window of 41 columns or more centred on the
  // player, and "Whole map" the whole map again.
  await page.setViewportSize({ width: 390, height: 844 });
  await page.locator('#more > summary').tap();
  await button('Closer').tap();
  const view = await page.evaluate(() => {
    const stage = document.getElementById('stage').getBoundingClientRect();
    const cells = [...Array(80).keys()].map((c) => window.drowsel.cell(1, c).getBoundingClientRect());
    const seen = cells.filter((c) => c.left >= stage.left - 0.5 && c.right <= stage.right + 0.5).length;
    const p = cells[39];
    return {
      seen,
      off: Math.abs((p.left + p.right) / 2 - (stage.left + stage.right) / 2) / p.width,
      overflow: document.documentElement.scrollWidth > document.documentElement.clientWidth,
    };
  });
  if (view.seen < 41 || view.off > 0.5 || view.overflow) fail('the window upright: ' + JSON.stringify(view));
  await button('Whole map').tap();
  // Upright, a replay lays its title out as a page of text, as play does.
  await page.goto(`${origin}/?replay=cut.rec`);
  await page
    .waitForFunction(() => document.getElementById('stage').classList.contains('paged'), null, { timeout: 10000 })
    .catch(() => fail('a replay upright crops its title page'));
  await browser.close();
}

const profile = mkdtempSync(join(tmpdir(), 'drowsel-chromium-'));
// A fresh profile (the --user-data-dir) for every run.
const context = await chromium.launchPersistentContext(profile, {
  executablePath: CHROMIUM,
  viewport: { width: 1024, height: 700 },
  args: CHROMIUM_ARGS,
});
let exitCode = 0;
try {
  const outside = [];
  await context.route('**/*', (route) => {
    if (
      route
        .request()
        .url()
        .startsWith(origin + '/')
    )
      return route.continue();
    outside.push(route.request().url());
    return route.abort();
  });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(`${origin}/?seed=${SEED}`);

  for (let i = 0; i < KEYS.length; i++) {
    await page.waitForFunction((n) => window.drowsel.waits === n, i + 1, { timeout: 10000 });
    compareGrids(
      await page.evaluate(() => window.drowsel.grid()),
      expectedGrid(dumped[i]),
      `screen ${i} (before key ${KEYS[i]})`,
    );
    if (i === 1) {
      // Every drawn cell sits on its column, wide characters included, and
      // dark grey is the palette's.
      const offColumns = () =>
        page.evaluate(() => {
          const grid = window.drowsel.grid();
          const box = (r, c) => window.drowsel.cell(r, c).getBoundingClientRect();
          const screen = document.getElementById('screen').getBoundingClientRect();
          const width = screen.width / 80;
          let off = 0;
          for (let r = 0; r < grid.length; r++) {
            for (let c = 0; c < 80; c++) {
              if (grid[r][c][0] === '') continue;
              const wide = c + 1 < 80 && grid[r][c + 1][0] === '';
              if (
                Math.abs(box(r, c).left - screen.left - c * width) > 0.5 ||
                (wide && Math.abs(box(r, c).width - 2 * width) > 0.5)
              )
                off++;
            }
          }
          return off;
        });
      if ((await offColumns()) !== 0) fail(`${await offColumns()} cells off their columns`);
      // And so in a machine's monospace font, its characters wider than half its size.
      const style = await page.addStyleTag({ content: '#screen { font-family: monospace !important; }' });
      await page.evaluate(() => window.drowsel.fit());
      if ((await offColumns()) !== 0) fail(`${await offColumns()} cells off their columns in a monospace font`);
      await page.evaluate((tag) => {
        tag.remove();
        window.drowsel.fit();
      }, style);
    }
    if (i === 8) {
      // In play the describe key says what surrounds the player, reaching
      // neither the game nor its recording.
      await page.keyboard.press('x');
      await page.waitForFunction(() => document.querySelector('#said p:last-child.described'));
      const said = await page.evaluate(() => [
        window.drowsel.waits,
        document.getElementById('said').lastChild.textContent,
      ]);
      if (said[0] !== i + 1 || !said[1].startsWith('あなたの番。')) fail('x said ' + said);
    }
    await page.keyboard.press(KEYS[i]);
  }
  await page.waitForFunction(() => window.drowsel.over, null, { timeout: 10000 });
  // Each message was said once, as the game waited on it, and the title
  // page; the accessibility tree holds them once and none of the grid.
  const rowText = (screen, row) => expectedGrid(screen)[row].reduce((text, c) => text + c[0], '').trim(); // prettier-ignore
  const messages = dumped.map((screen) => rowText(screen, 0)).filter((t, i, all) => t && t !== all[i - 1]);
  const titlePage = [...Array(22).keys()].map((r) => rowText(dumped[0], r + 1)).filter((t) => t);
  const said = await page.$$eval('#said p:not(.described)', (ps) => ps.map((p) => p.textContent));
  if (JSON.stringify(said) !== JSON.stringify([titlePage.join(' '), ...messages])) fail('said: ' + said.join(' | '));
  const tree = await page.locator('body').ariaSnapshot();
  const mapRow = rowText(dumped[KEYS.length - 1], 5).slice(0, 12);
  const once = (m) => tree.split(m.replace(/\s+/g, ' ')).length - 1 === messages.filter((n) => n === m).length;
  if (tree.includes(mapRow) || !messages.every(once)) {
    fail(`the accessibility tree shows the grid's "${mapRow}" or a message not once:\n${tree}`);
  }
  compareGrids(
    await page.evaluate(() => window.drowsel.grid()),
    expectedGrid(dumped[KEYS.length - 1]),
    'the screen left after quitting',
  );
  if (!(await page.isVisible('#new-game'))) fail('no "New game" after quitting');
  if (!/over/.test(await page.textContent('#status'))) fail('the page does not say the game is over');
  const grey = await page.evaluate(() => {
    const span = document.createElement('span');
    span.className = 'c8';
    document.body.appendChild(span);
    return getComputedStyle(span).color;
  });
  if (grey !== 'rgb(85, 85, 85)') fail(`colour 8 is ${grey}`);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  if (readFileSync(await download.path(), 'latin1') !== played.recording) {
    fail("the recording downloaded from the page is not the headless game's");
  }
  // The high-contrast palette: dark blue made light, and remembered.
  await page.selectOption('#palette', 'contrast');
  await page.reload();
  const blue = await page.evaluate(() => {
    const span = document.body.appendChild(document.createElement('span'));
    span.className = 'c1';
    return [getComputedStyle(span).color, document.getElementById('palette').value];
  });
  if (blue.join() !== 'rgb(135, 175, 255),contrast') fail('the contrast palette: ' + blue);
  await page.selectOption('#palette', 'default');

  // The won game, replayed from its link at full pace ("+" four times):
  // the ending pages it shows.
  async function replayedEndingPages(name) {
    await page.goto(`${origin}/?replay=${name}`);
    const keys = won.recording.split('\nk ').length - 1;
    await page.waitForFunction((m) => {
      const [status, seed] = ['status', 'seed'].map((id) => document.getElementById(id).textContent);
      return new RegExp(`^Replay: key \\d+ of ${m},`).test(status) && seed.includes('4242');
    }, keys);
    await page.evaluate(() => {
      window.endingPages = [];
      window.drowsel.onShow = () => {
        const grid = window.drowsel.grid();
        const last = window.endingPages[window.endingPages.length - 1];
        if (
          grid[4]
            .map((c) => c[0])
            .join('')
            .includes('YOU HAVE SLAIN') &&
          JSON.stringify(grid) !== JSON.stringify(last)
        ) {
          window.endingPages.push(grid);
        }
      };
    });
    for (let i = 0; i < 4; i++) await page.keyboard.press('+');
    await page.waitForFunction(() => /End of the recording/.test(document.getElementById('status').textContent), null, {
      timeout: 120000,
    });
    return page.evaluate(() => window.endingPages);
  }
  const shownPages = await replayedEndingPages('victory.rec');
  if (shownPages.length !== 7) fail(`the replay showed ${shownPages.length} ending pages, not 7`);
  shownPages.forEach((grid, i) => compareGrids(grid, endingPages[i], `ending page ${i + 1} of the replay`));
  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.drowsel.over);

  // The recording that names English replays in English: the same ending
  // pages but for their three story lines, and the switch shows English.
  const englishPages = await replayedEndingPages('victory-en.rec');
  if (englishPages.length !== 7) fail(`the English replay showed ${englishPages.length} ending pages, not 7`);
  const storyRows = (grid) =>
    grid
      .slice(8, 11)
      .map((r) =>
        r
          .map((c) => c[0])
          .join('')
          .trim(),
      )
      .join('|');
  englishPages.forEach((grid, i) =>
    compareGrids(
      grid.map((r, row) => (row >= 8 && row <= 10 ? endingPages[i][row] : r)),
      endingPages[i],
      `English ending page ${i + 1}`,
    ),
  );
  if (
    storyRows(englishPages[6]) !==
    'I have been set free.|At least for this turn, the clone in this place has been ' + 'set free.|You have my thanks.'
  )
    fail('the English ending shows ' + storyRows(englishPages[6]));
  const pressed = await page.evaluate(() => [...document.querySelectorAll('#language button')].map((b) => b.disabled));
  if (JSON.stringify(pressed) !== '[false,true]') fail('the language switch does not show English: ' + pressed);
  await resumedRun();
  await watchedReplays(page);
  await pageFaults(page);
  await offline(page);
  await touchGame();
  if (errors.length) fail('page errors: ' + errors.join('; '));
  if (outside.length) fail('the page asked for addresses outside its folder: ' + outside.join(', '));
  console.log(
    `web page: ${KEYS.length} screens and the recording equal the headless game's (seed ${SEED}); ` +
      'the won game replays through its seven ending pages, in English too; a game by taps records the same keys as by keys; ' +
      'a closed run resumes where it was and verifies; a replay pauses, steps and ends as in the terminal; ' +
      'no size overflows; the page reloads offline; bad seeds and replays are refused in words',
  );
} catch (e) {
  console.error('FAIL: ' + (e.stack || e));
  exitCode = 1;
} finally {
  await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
  rmSync(page_dir, { recursive: true, force: true });
}
process.exit(exitCode);
