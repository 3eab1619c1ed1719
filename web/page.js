// The page around the game: draws the screen the game hands over as text,
// a line a row, turns key presses into the key codes the game reads, keeps the
// run's recording for download, hands a recording to watch to the game, and
// says when the game is over. Loaded before game.js, which finds its hooks
// on Module; touch.js (the touch controls) and offline.js (the service
// worker) come between them.
'use strict';
(function () {
  // ---- The game's numbers: the screen, the cell code of
  // src/backends/browser/web_terminal.h, the key codes of src/screen/console.h.
  // Numbers only; the web test compares each with the game's own. ----
  const COLS = 80, ROWS = 23;
  const CELL_UNICODE_SHIFT = 8, CELL_SHAPE_SHIFT = 4, CELL_WIDE = 1, CELL_COVERED = 2;
  const KEY_CODE_ESCAPE = 27, KEY_CODE_DOWN = 258, KEY_CODE_UP = 259, KEY_CODE_LEFT = 260, KEY_CODE_RIGHT = 261;
  // ---- End of the game's numbers. ----

  const screenEl = document.getElementById('screen');
  const statusEl = document.getElementById('status');
  const BLANK = 32 << CELL_UNICODE_SHIFT;  // a space in colour 0, as every cell starts
  const shown = new Uint32Array(COLS * ROWS).fill(BLANK);

  // The screen is a line of text per row: each run of single-width
  // characters in one colour is one span, each double-width character a span
  // of its own, every span exactly as wide as its cells, so every character
  // keeps its columns whatever font draws it.
  const rowEls = [];
  for (let r = 0; r < ROWS; r++) {
    const row = document.createElement('div');
    rowEls.push(row);
    screenEl.appendChild(row);
  }
  const shapeOf = (v) => (v & ((1 << CELL_UNICODE_SHIFT) - 1)) >>> CELL_SHAPE_SHIFT;
  const colourOf = (v) => v & ((1 << CELL_SHAPE_SHIFT) - 1);
  const ESCAPED = { '&': '&amp;', '<': '&lt;', '>': '&gt;' };
  const escape = (text) => text.replace(/[&<>]/g, (c) => ESCAPED[c]);
  function rowHtml(cells, r) {
    let html = '';
    let run = '', runColour = -1, runCells = 0;
    const endRun = () => {
      if (runCells > 0) html += `<span class="c${runColour}">${escape(run)}</span>`;
      run = '';
      runCells = 0;
    };
    for (let c = 0; c < COLS; c++) {
      const v = cells[r * COLS + c];
      const shape = shapeOf(v);
      if (shape === CELL_COVERED) continue;
      const text = String.fromCharCode(v >>> CELL_UNICODE_SHIFT);
      if (shape === CELL_WIDE) {
        endRun();
        html += `<span class="c${colourOf(v)} w">${escape(text)}</span>`;
        continue;
      }
      if (colourOf(v) !== runColour) {
        endRun();
        runColour = colourOf(v);
      }
      run += text;
      runCells++;
    }
    endRun();
    return html;
  }

  // The span and the offset in it of a screen cell, or null for the right
  // half of a double-width character.
  function cellAt(row, col) {
    let c = 0;
    for (const span of rowEls[row].children) {
      const cells = span.classList.contains('w') ? 2 : span.textContent.length;
      if (col >= c + cells) {
        c += cells;
        continue;
      }
      if (!span.classList.contains('w')) return { span, at: col - c };
      return col === c ? { span, at: 0 } : null;
    }
    return null;
  }

  // Everything a test or a benchmark reads back from the page.
  const page = {
    waits: 0,              // key reads the game has started
    over: false,
    won: false,
    firstScreenAt: null,   // performance.now() of the first screen drawn
    recording: '',         // the recording of the run played so far
    onShow: null,          // called after each screen is drawn
    latencies: [],         // ms from a key press to the screen drawn after it
    frameLatencies: [],    // ms from a key press to the frame that shows it
    // What the game waits for (title, command, more, direction, ending,
    // replay, any) and the player's cell in play, as the game tells it.
    keyWait: { wait: 'any', row: -1, col: -1 },
    watching: false,
    seed: null,            // the seed of the world being played
    // Hands the game a key code as a key press would (touch controls).
    type(code, at) { giveKey(code, at === undefined ? performance.now() : at); },
    // A screen cell where it is drawn: its character and the box of its
    // glyph in the page (the text of the left half for a double-width
    // character's right half).
    cell(row, col) {
      let found = cellAt(row, col);
      for (let c = col - 1; found === null && c >= 0; c--) found = cellAt(row, c);
      const range = document.createRange();
      range.setStart(found.span.firstChild, found.at);
      range.setEnd(found.span.firstChild, found.at + 1);
      return { textContent: range.toString(), getBoundingClientRect: () => range.getBoundingClientRect() };
    },
    // The run in progress, which leaving the page would throw away.
    inProgress() { return !page.over && !page.watching && page.waits > 1; },
    // The screen as drawn: per row, [character, colour] for each cell; the
    // right half of a double-width character is ['', colour].
    grid() {
      return rowEls.map((row) => {
        const cells = [];
        for (const span of row.children) {
          const colour = Number(span.classList[0].slice(1));
          for (const ch of span.textContent) cells.push([ch, colour]);
          if (span.classList.contains('w')) cells.push(['', colour]);
        }
        return cells;
      });
    },
  };
  window.drowsel = page;

  // The game's cells: the cell code (Unicode, shape and colour) of each;
  // only the rows that changed are drawn again, each in one go.
  function show(cells) {
    for (let r = 0; r < ROWS; r++) {
      let same = true;
      for (let i = r * COLS; i < (r + 1) * COLS && same; i++) same = cells[i] === shown[i];
      if (same) continue;
      shown.set(cells.subarray(r * COLS, (r + 1) * COLS), r * COLS);
      rowEls[r].innerHTML = rowHtml(cells, r);
    }
    showMessageLine(cells);
    const now = performance.now();
    if (page.firstScreenAt === null) page.firstScreenAt = now;
    if (pressedAt !== null) {
      const pressed = pressedAt;
      page.latencies.push(now - pressed);
      requestAnimationFrame(() => page.frameLatencies.push(performance.now() - pressed));
      pressedAt = null;
    }
    if (page.onShow) page.onShow();
  }
  // Every row starts blank, as the game's screen does.
  for (let r = 0; r < ROWS; r++) rowEls[r].innerHTML = rowHtml(shown, r);

  // The message row again as a line of text of its own, readable where the
  // grid's cells are too small (a phone held upright).
  const messageEl = document.getElementById('message');
  let messageText = '';
  function showMessageLine(cells) {
    let text = '';
    for (let c = 0; c < COLS; c++) {
      const v = cells[c];
      if (((v >>> 4) & 15) !== CELL_COVERED) text += String.fromCharCode(v >>> 8);
    }
    text = text.trimEnd();
    if (text === messageText) return;
    messageText = text;
    messageEl.textContent = text || '\u00a0';
    // In the colour of the message's first character, as on the screen.
    const first = text.search(/\S/);
    messageEl.className = first < 0 ? '' : 'c' + (cells[first] & 15);
  }

  // Keys typed ahead of the game wait in order, as in a terminal.
  const queue = [];
  let waiting = null;
  let waitTimer = null;
  let pressedAt = null;

  function nextKey() {
    page.waits++;
    if (queue.length > 0) return Promise.resolve(queue.shift());
    return new Promise((resolve) => { waiting = resolve; });
  }

  // A key within `ms`, or -1: how a replay hears its own keys.
  function nextKeyWithin(ms) {
    if (queue.length > 0) return Promise.resolve(queue.shift());
    return new Promise((resolve) => {
      waiting = resolve;
      waitTimer = setTimeout(() => {
        waiting = null;
        waitTimer = null;
        resolve(-1);
      }, ms);
    });
  }

  function giveKey(code, pressed) {
    if (waiting) {
      const resolve = waiting;
      waiting = null;
      clearTimeout(waitTimer);
      waitTimer = null;
      pressedAt = pressed;
      resolve(code);
    } else {
      queue.push(code);
    }
  }

  // The code the game reads for a key event, or null for keys it never gets.
  function keyCode(e) {
    if (e.metaKey || e.altKey) return null;
    switch (e.key) {
      case 'ArrowDown': return KEY_CODE_DOWN;
      case 'ArrowUp': return KEY_CODE_UP;
      case 'ArrowLeft': return KEY_CODE_LEFT;
      case 'ArrowRight': return KEY_CODE_RIGHT;
      // The keypad with Num Lock off (and Home, End, Page Up, Page Down)
      // steps diagonally, as in the terminal build.
      case 'Home': return 55;
      case 'PageUp': return 57;
      case 'Clear': return 53;
      case 'End': return 49;
      case 'PageDown': return 51;
      case 'Escape': return KEY_CODE_ESCAPE;
      case 'Enter': return 10;
    }
    if (e.ctrlKey) {
      let letter = /^[a-zA-Z]$/.test(e.key) ? e.key : /^Key[A-Z]$/.test(e.code) ? e.code.slice(3) : null;
      return letter ? letter.toUpperCase().charCodeAt(0) & 0x1f : null;
    }
    if (e.key.length === 1) {
      const c = e.key.charCodeAt(0);
      if (c >= 32 && c <= 126) return c;
    }
    return null;
  }

  window.addEventListener('keydown', (e) => {
    if (e.key === 'Escape' && !helpEl.hidden) {
      showHelp(false);
      e.preventDefault();
      return;
    }
    if (page.over || e.target instanceof HTMLInputElement) return;
    // Tab moves between the page's controls, and Enter or Space presses the
    // one that has the focus; no command of the game binds them there.
    if (e.key === 'Tab') return;
    if ((e.key === 'Enter' || e.key === ' ') && e.target instanceof Element && e.target.closest('button, label, a')) {
      return;
    }
    const code = keyCode(e);
    if (code === null) return;
    e.preventDefault();
    giveKey(code, e.timeStamp);
  }, true);

  // The cells as large as the stage around the screen lets them be: the
  // stage's own box, which the page's layout sizes to the viewport, never
  // a window width that an overflowing layout has widened.
  // A phone held upright shows the whole map, or on asking ("Closer") a
  // window of its middle 41 columns, the player's column at its centre.
  const stageEl = document.getElementById('stage');
  const zoomButton = document.getElementById('zoom');
  const WINDOW_COLS = 41;
  let closer = false;
  function fit() {
    const small = (cw) => cw * 2 < 12;
    const size = (cols) => {
      const width = Math.min((stageEl.clientWidth - 4) / cols, (stageEl.clientHeight - 4) / (ROWS * 2.2));
      return Math.max(2, Math.floor(width * 64) / 64);  // in the layout's own 1/64 px, so runs add up exactly
    };
    const upright = small(size(COLS)) && window.matchMedia('(orientation: portrait)').matches;
    const windowed = upright && closer;
    document.body.classList.toggle('upright', upright);
    // Below 12 px, or in the window, the message row stands as a line of
    // its own, which the stage then has less room beside.
    messageEl.hidden = !(windowed || small(size(COLS)));
    const cw = size(windowed ? WINDOW_COLS : COLS);
    screenEl.classList.toggle('windowed', windowed);
    screenEl.style.setProperty('--cw', cw + 'px');
    screenEl.style.setProperty('--ch', (Math.floor(cw * 2.2 * 64) / 64) + 'px');
    // Single-width characters not exactly half the font's size wide (a
    // machine's monospace font, or the page's own by a fraction of a
    // pixel) are spaced to one cell each, so no row drifts off its columns.
    const advance = probe.getBoundingClientRect().width / probe.textContent.length;
    screenEl.style.setProperty('--ls', (advance > 0 ? cw - advance : 0) + 'px');
  }
  const probe = document.createElement('div');
  probe.className = 'probe';
  probe.setAttribute('aria-hidden', 'true');
  probe.textContent = 'M'.repeat(COLS);
  screenEl.appendChild(probe);
  if (document.fonts) document.fonts.addEventListener('loadingdone', fit);
  window.addEventListener('resize', fit);
  // The controls beside the screen change with what the game waits for,
  // and the stage with them: the cells follow the stage's own size.
  if (window.ResizeObserver) new ResizeObserver(fit).observe(stageEl);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', fit);
  page.fit = fit;
  zoomButton.addEventListener('click', () => {
    closer = !closer;
    zoomButton.textContent = closer ? 'Whole map' : 'Closer';
    zoomButton.setAttribute('aria-pressed', String(closer));
    fit();
  });

  // "Keys" opens its help over the screen; Escape or "Close" closes it.
  const helpEl = document.getElementById('help');
  const helpButton = document.getElementById('help-toggle');
  function showHelp(open) {
    helpEl.hidden = !open;
    helpButton.setAttribute('aria-expanded', String(open));
    if (open) document.getElementById('help-close').focus();
    else document.activeElement.blur();  // the keys go to the game again
  }
  // A control pressed by pointer or touch gives the keys back to the game;
  // one reached by Tab keeps the focus, so Enter and Space press it again.
  document.addEventListener('click', (e) => {
    if (e.detail > 0 && e.target instanceof Element && e.target.closest('button')) e.target.closest('button').blur();
  });
  helpButton.addEventListener('click', () => showHelp(helpEl.hidden));
  document.getElementById('help-close').addEventListener('click', () => showHelp(false));

  // Leaving a run in progress asks first.
  function mayLeave() {
    return !page.inProgress() || window.confirm('Leave the game in progress? It cannot be taken up again.');
  }
  window.addEventListener('beforeunload', (e) => {
    if (!page.inProgress()) return;
    e.preventDefault();
    e.returnValue = '';
  });

  // A new game keeps the seed the page was given.
  const newGame = document.getElementById('new-game');
  // A new game keeps the seed and the language the page was given.
  newGame.addEventListener('click', () => {
    if (!mayLeave()) return;
    const next = new URLSearchParams();
    const seed = givenSeed();
    if (seed !== null) next.set('seed', seed);
    const lang = new URLSearchParams(window.location.search).get('lang');
    if (lang) next.set('lang', lang);
    page.over = true;  // the run is left by choice
    const query = next.toString();
    window.location.href = window.location.pathname + (query ? '?' + query : '');
  });

  // The run being played is recorded as it goes (the recording format of
  // the terminal build); it can be downloaded at any time.
  let recording = '';
  const download = document.getElementById('download');
  download.addEventListener('click', () => {
    const seed = (recording.match(/^seed (\d+)$/m) || [])[1] || 'run';
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([recording], { type: 'text/plain' }));
    link.download = `drowsel-${seed}.rec`;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
    download.blur();
  });

  function bytesToText(buffer) {
    let text = '';
    const bytes = new Uint8Array(buffer);
    for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    return text;
  }

  // A recording to watch: chosen as a file (kept in this tab's session
  // storage over the reload), or ?replay= with its address on this site.
  document.getElementById('open-file').addEventListener('change', async (e) => {
    const file = e.target.files[0];
    if (!file) return;
    if (!mayLeave()) {
      e.target.value = '';
      return;
    }
    try {
      sessionStorage.setItem('drowsel-watch', bytesToText(await file.arrayBuffer()));
      page.over = true;
      window.location.href = window.location.pathname + '?watch=file';
    } catch (error) {
      statusEl.textContent = 'This recording cannot be opened here: ' + error.message;
    }
  });

  const params = new URLSearchParams(window.location.search);
  const watching = params.has('replay') || params.get('watch') === 'file';
  page.watching = watching;
  // The seed of ?seed=N (0..4294967295, digits only), or null; anything
  // else is refused in words and a random world played.
  function givenSeed() {
    const text = params.get('seed');
    return text !== null && /^[0-9]{1,10}$/.test(text) && Number(text) <= 4294967295 ? Number(text) : null;
  }
  const seedEl = document.getElementById('seed');
  const badSeed = params.has('seed') && givenSeed() === null && !watching;
  function showSeed(seed) {
    page.seed = seed;
    seedEl.textContent = (badSeed ? `“${params.get('seed')}” is no seed (a whole number from 0 to 4294967295): ` +
      'a random world instead, seed ' : 'Seed ') + seed;
    seedEl.className = badSeed ? 'refused' : '';
  }
  // A refusal stays in the bar, above whatever the game says later.
  let refusal = null;
  function refuse(text) {
    refusal = text;
    statusEl.textContent = text;
    statusEl.className = 'over';
    newGame.hidden = false;
  }
  let replayText = Promise.resolve(null);
  if (params.get('watch') === 'file') {
    const text = sessionStorage.getItem('drowsel-watch');
    replayText = Promise.resolve(text === null ? '' : text);
  } else if (params.has('replay')) {
    const address = new URL(params.get('replay'), window.location.href);
    if (address.origin !== window.location.origin) {
      refuse('Only recordings on this site can be watched: ' + address.href);
      replayText = new Promise(() => {});
    } else {
      replayText = fetch(address).then((response) => {
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return response.arrayBuffer();
      }).then(bytesToText, (error) => {
        refuse(`The recording ${address.pathname} could not be fetched (${error.message}).`);
        return new Promise(() => {});
      });
    }
  }

  // The language switch: the same page in the other language, keeping the
  // seed of the game being played (or the recording being watched).
  const languageButtons = {};
  function showLanguage(current) {
    for (const lang in languageButtons) languageButtons[lang].disabled = lang === current;
  }
  function languageSwitch() {
    const box = document.createElement('span');
    box.id = 'language';
    for (const [lang, label] of [['ja', '日本語'], ['en', 'English']]) {
      const button = document.createElement('button');
      button.type = 'button';
      button.lang = lang;
      button.textContent = label;
      languageButtons[lang] = button;
      button.addEventListener('click', () => {
        if (!mayLeave()) return;
        page.over = true;  // the run is left by choice
        const next = new URLSearchParams(window.location.search);
        next.set('lang', lang);
        const seed = (recording.match(/^seed (\d+)$/m) || [])[1];
        if (!watching && seed !== undefined) next.set('seed', seed);
        window.location.href = window.location.pathname + '?' + next.toString();
      });
      box.appendChild(button);
    }
    document.getElementById('bar').appendChild(box);
    showLanguage(params.get('lang') === 'en' ? 'en' : 'ja');
  }
  languageSwitch();

  function noMoreKeys() {
    page.keyWait = { wait: 'over', row: -1, col: -1 };
    if (page.onKeyWait) page.onKeyWait(page.keyWait);
  }

  function gameOver(won) {
    noMoreKeys();
    page.over = true;
    page.won = won;
    statusEl.textContent = won ? 'The archmage is slain: the game is over.' : 'You quit: the game is over.';
    statusEl.className = 'over';
    newGame.hidden = false;
  }

  function replayOver(problem) {
    noMoreKeys();
    page.over = true;
    statusEl.textContent = problem ? 'The replay stopped: ' + problem : 'End of the recording.';
    statusEl.className = 'over';
    newGame.hidden = false;
  }

  const idleStatus = watching ? 'Watching a recording: Space pauses, + faster, - slower, Q stops.'
    : 'Play with the keys or by touch; “Keys” lists them.';
  if (refusal === null) statusEl.textContent = idleStatus;
  download.hidden = watching;
  window.Module = {
    drowselShow: show,
    drowselNextKey: nextKey,
    drowselNextKeyWithin: nextKeyWithin,
    drowselStatus: (text) => { if (!page.over && refusal === null) statusEl.textContent = text || idleStatus; },
    drowselTypedKey: () => (queue.length > 0 ? queue.shift() : -1),
    drowselGivenSeed: () => (givenSeed() === null ? -1 : givenSeed()),
    drowselSeed: showSeed,
    drowselKeyWait: (wait, row, col) => {
      const was = page.keyWait;
      if (was.wait === wait && was.row === row && was.col === col) return;
      page.keyWait = { wait, row, col };
      if (page.onKeyWait) page.onKeyWait(page.keyWait);
    },
    drowselRecord: (text) => { recording += text; page.recording = recording; },
    drowselReplayText: replayText,
    drowselOver: gameOver,
    drowselLanguage: showLanguage,  // the language the game shows its texts in
    drowselReplayOver: replayOver,
    printErr: (text) => console.warn(text),
    onAbort: (what) => { statusEl.textContent = 'The game stopped: ' + what; },
  };
  fit();
})();
