// For a player who cannot see the grid, which assistive technology is
// never shown: each message the game shows (its message row) said once as
// the game waits on it, and each title or ending page once,
// into a log that a screen reader reads out and that "Messages" shows to
// anyone; "Describe" (or the x key, which the game never reads and so no
// recording holds) says in words what surrounds the player. Everything is
// said in the language the game shows its texts in, which the document's
// own language follows. And for a player who sees the grid too small to
// read (a phone held upright): the message row again as a line of text of
// its own, in the colour of the message's first character.
import { cellCode } from './screen.js';

// The entries kept: the last this many.
const KEPT = 200;

export function createReading() {
  const log = document.getElementById('said');
  const toggle = document.getElementById('history-toggle');
  const messageEl = document.getElementById('message');
  let numbers = null;
  let code = null;
  let cells = null; // the screen last shown
  let message = '';
  let pageText = '';
  let messageLine = '';

  function say(text, className = '') {
    const entry = document.createElement('p');
    entry.textContent = text;
    entry.className = className;
    log.appendChild(entry);
    while (log.childElementCount > KEPT) log.firstElementChild.remove();
    if (!log.classList.contains('unseen')) log.scrollTop = log.scrollHeight;
  }

  const rowText = (row) => code.row(cells, row * numbers.cols, numbers.cols).trim();

  toggle.addEventListener('click', () => {
    const open = log.classList.toggle('unseen') === false;
    toggle.setAttribute('aria-expanded', String(open));
    if (open) log.setAttribute('tabindex', '0');
    else log.removeAttribute('tabindex');
    log.scrollTop = log.scrollHeight;
  });
  log.removeAttribute('tabindex');

  return {
    start(given) {
      numbers = given;
      code = cellCode(numbers.cell);
    },
    // A screen the game has shown.
    shown(given) {
      cells = given.slice();
      const text = code.row(cells, 0, numbers.cols).trimEnd();
      if (text === messageLine) return;
      messageLine = text;
      messageEl.textContent = text || '\u00a0';
      const first = text.search(/\S/);
      messageEl.className = first < 0 ? '' : 'c' + code.colour(cells[first]);
    },
    // The game waits for a key: its message row said when it changed (as
    // the player sees it, "-more-" and all), a title or ending page once,
    // its lines below the message row in order.
    read(wait) {
      if (cells === null) return;
      const text = rowText(0);
      if (text !== message && text) say(text);
      message = text;
      if (wait !== 'title' && wait !== 'ending') return;
      const lines = [];
      for (let r = 1; r < numbers.rows; r++) if (rowText(r)) lines.push(rowText(r));
      const page = lines.join(' ');
      if (page !== pageText && page) say(page);
      pageText = page;
    },
    // The lines of the screen below the message row, blank ones kept, for
    // a page shown as text.
    lines() {
      const lines = [];
      for (let r = 1; cells && r < numbers.rows; r++) lines.push(rowText(r));
      return lines;
    },
    // What surrounds the player in words, from the game (drowselDescribed).
    describe() {
      if (numbers !== null && window.Module && window.Module._drowsel_describe) window.Module._drowsel_describe();
    },
    described: (text) => say(text, 'described'),
    language(lang) {
      document.documentElement.lang = lang;
    },
  };
}
