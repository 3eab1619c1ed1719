// The page around the game: draws the screen the game hands over, turns key
// presses and taps into the key codes the game reads, keeps the run's
// recording for download, hands a recording to watch to the game, and says
// when the game is over. Each job is a module of its own; this one puts
// them together and keeps the bar below the screen and the surface a test
// or a benchmark reads (window.drowsel).
import { loadGame } from './bridge.js';
import { createKeyQueue, keyCode } from './keys.js';
import { createLayout } from './layout.js';
import { startPalette } from './palette.js';
import { createReading } from './reading.js';
import { startRecordings } from './recordings.js';
import { readAddress, startRuns } from './runs.js';
import { createScreen } from './screen.js';
import { startTouch } from './touch.js';

// The latencies kept: the last this many keys'.
const LATENCIES_KEPT = 1000;
const keep = (list, value) => list.push(value) > LATENCIES_KEPT && list.shift();

const byId = (id) => document.getElementById(id);
const [statusEl, newGame, helpEl, helpButton] = ['status', 'new-game', 'help', 'help-toggle'].map(byId);
const address = readAddress(window.location.search);
const reading = createReading();
// At each key the game reads, and at each key a replay replays: a page
// said, and the window or page shown.
const atWait = (wait) => {
  reading.read(wait.wait);
  layout.wait(wait, reading.lines);
};
const queue = createKeyQueue(() => atWait(page.keyWait));
const layout = createLayout();
let numbers = null; // the game's numbers, once it has handed them over
let screen = null;

// Everything a test or a benchmark reads back from the page.
const page = {
  onGameWait: atWait, // what a replayed game waits for (bridge.js)
  waits: 0, // key reads the game has started
  over: false,
  won: false,
  firstScreenAt: null, // performance.now() of the first screen drawn
  recording: '', // the recording of the run played so far
  resuming: null, // the kept recording of a run being resumed
  lang: null, // the language the game shows its texts in
  onShow: null, // called after each screen is drawn
  latencies: [], // ms from a key press to the screen drawn after it, the last keys'
  frameLatencies: [], // ms from a key press to the frame that shows it, the last keys'
  // What the game waits for (title, command, more, direction, ending,
  // replay, any; over when it reads no more) and the player's cell in play.
  keyWait: { wait: 'any', row: -1, col: -1 },
  watching: address.watching,
  seed: null, // the seed of the world being played
  // Hands the game a key code as a key press would (touch controls).
  type: (code, at = performance.now()) => queue.give(code, at),
  cell: (row, col) => screen.cell(row, col),
  grid: () => screen.grid(),
  // The run in progress, which leaving the page would throw away.
  inProgress: () => !page.over && !page.watching && page.waits > 1,
  fit: layout.fit,
};
window.drowsel = page;

// The game's keys. Tab moves between the page's controls, and Enter or
// Space presses the one that has the focus; no command binds them there.
function keyDown(e) {
  if (helpEl.open) return; // the dialog's own: Escape closes it
  if (e.target instanceof HTMLInputElement || e.target instanceof HTMLSelectElement) return;
  // The describe key, which never reaches the game.
  if (e.key === 'x' && !e.ctrlKey && !e.metaKey && !e.altKey) {
    reading.describe();
    e.preventDefault();
    return;
  }
  if (numbers === null || page.over || e.key === 'Tab') return;
  const onControl = e.target instanceof Element && e.target.closest('button, label, a');
  if ((e.key === 'Enter' || e.key === ' ') && onControl) return;
  const code = keyCode(e, numbers.keys);
  if (code === null) return;
  e.preventDefault();
  queue.give(code, e.timeStamp);
}
window.addEventListener('keydown', keyDown, true);

// "Keys" opens its help over the screen, keeping the focus; Escape or
// "Close" closes it. On a phone the touch help comes first.
helpButton.addEventListener('click', () => {
  helpEl.showModal();
  helpButton.setAttribute('aria-expanded', 'true');
  byId('help-close').focus();
});
byId('help-close').addEventListener('click', () => helpEl.close());
helpEl.addEventListener('close', () => {
  helpButton.setAttribute('aria-expanded', 'false');
  document.activeElement.blur(); // the keys go to the game again
});
if (window.matchMedia('(any-pointer: coarse)').matches) byId('help-title').after(byId('help-touch'));
byId('describe').addEventListener('click', reading.describe);
byId('open').addEventListener('click', () => byId('open-file').click());
startPalette();
// A control pressed by pointer or touch gives the keys back to the game;
// one reached by Tab keeps the focus, so Enter and Space press it again.
document.addEventListener('click', (e) => {
  if (e.detail > 0 && e.target instanceof Element && e.target.closest('button')) e.target.closest('button').blur();
});

// The bar: what the game or the page says, a refusal staying above
// whatever the game says later.
const idleStatus = address.watching
  ? 'Watching a recording: Space pauses, . steps, + faster, - slower, Q stops.'
  : 'Play with the keys or by touch; “Keys” lists them.';
let refusal = null;
const status = (text) => (statusEl.textContent = text);
function over(text, ended = true) {
  page.over = page.over || ended;
  status(text);
  statusEl.className = 'over';
  newGame.hidden = false;
}
const refuse = (text) => over((refusal = text), false);

const runs = startRuns(page, address, newGame);
const recordings = startRecordings(page, address, { ...runs, refuse, status, newGame });
if (refusal === null) status(idleStatus);
startTouch(page);

loadGame({
  page,
  queue,
  address,
  hooks: {
    drowselStart(given) {
      numbers = given;
      screen = createScreen(byId('screen'), numbers);
      reading.start(numbers);
      layout.start(numbers);
    },
    // The game's cells, the cell code of each.
    drowselShow(cells) {
      screen.show(cells);
      reading.shown(cells);
      const now = performance.now();
      if (page.firstScreenAt === null) page.firstScreenAt = now;
      const pressed = queue.takePressedAt();
      if (pressed !== null) {
        keep(page.latencies, now - pressed);
        requestAnimationFrame(() => keep(page.frameLatencies, performance.now() - pressed));
      }
      if (page.onShow) page.onShow();
    },
    drowselStatus(text) {
      if (!page.over && refusal === null) status(text || idleStatus);
    },
    drowselSeed: runs.showSeed, // the seed of the world being played
    // The language the game shows its texts in.
    drowselLanguage(name) {
      page.lang = name;
      runs.showLanguage(name);
      reading.language(name);
    },
    drowselDescribed: reading.described, // what surrounds the player, in words
    drowselReplayText: recordings.recording,
    drowselRecorded() {
      recordings.kept?.write(page.recording, page.seed, page.lang);
      recordings.hideOffer();
    },
    // A run that cannot be resumed; one already over is kept as over.
    drowselResumeRefused(problem, outcome) {
      if (outcome === 'victory' || outcome === 'quit') recordings.kept?.finish(outcome, page.resuming);
      over('This run cannot be resumed: ' + problem);
    },
    drowselOver(won) {
      page.won = won;
      recordings.kept?.finish(won ? 'victory' : 'quit', page.recording);
      over(won ? 'The archmage is slain: the game is over.' : 'You quit: the game is over.');
    },
    // The end of a replay says how it ended, a cut or a stop among them.
    drowselReplayOver: (problem, outcome) =>
      over(
        problem
          ? 'The replay stopped: ' + problem
          : outcome.startsWith('stopped')
            ? `Replay ${outcome}.`
            : `End of the recording: ${outcome}.`,
      ),
    onAbort: (what) => status('The game stopped: ' + what),
  },
});
