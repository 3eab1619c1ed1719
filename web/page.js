// The page around the game: draws the screen the game hands over as a grid
// of cells, turns key presses into the key codes the game reads, keeps the
// run's recording for download, hands a recording to watch to the game, and
// says when the game is over. Loaded before game.js, which finds its hooks
// on Module.
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
  const spans = [];
  const BLANK = 32 << CELL_UNICODE_SHIFT;  // a space in colour 0, as every cell starts
  const shown = new Uint32Array(COLS * ROWS).fill(BLANK);

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
    // The screen as drawn: per row, [character, colour] for each cell; the
    // right half of a double-width character is ['', colour].
    grid() {
      const rows = [];
      for (let r = 0; r < ROWS; r++) {
        const row = [];
        for (let c = 0; c < COLS; c++) {
          const span = spans[r * COLS + c];
          row.push([span.hidden ? '' : span.textContent, Number(span.className.slice(1))]);
        }
        rows.push(row);
      }
      return rows;
    },
  };
  window.drowsel = page;

  const cells = document.createDocumentFragment();
  for (let r = 0; r < ROWS; r++) {
    for (let c = 0; c < COLS; c++) {
      const span = document.createElement('span');
      span.style.gridRow = String(r + 1);
      span.style.gridColumn = String(c + 1);
      span.className = 'c0';
      span.textContent = ' ';
      cells.appendChild(span);
      spans.push(span);
    }
  }
  screenEl.appendChild(cells);

  // Each cell: Unicode, shape and colour (the game's cell code); only changed
  // cells are touched.
  function show(cells) {
    for (let i = 0; i < cells.length; i++) {
      const v = cells[i];
      if (v === shown[i]) continue;
      shown[i] = v;
      const span = spans[i];
      const shape = (v & ((1 << CELL_UNICODE_SHIFT) - 1)) >>> CELL_SHAPE_SHIFT;
      span.className = 'c' + (v & ((1 << CELL_SHAPE_SHIFT) - 1));
      span.hidden = shape === CELL_COVERED;
      if (shape === CELL_COVERED) continue;
      span.textContent = String.fromCharCode(v >>> CELL_UNICODE_SHIFT);
      const col = (i % COLS) + 1;
      span.style.gridColumn = shape === CELL_WIDE ? col + ' / span 2' : String(col);
    }
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
      case 'Tab': return 9;
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
    if (page.over || e.target instanceof HTMLInputElement) return;
    const code = keyCode(e);
    if (code === null) return;
    e.preventDefault();
    giveKey(code, e.timeStamp);
  }, true);

  function fit() {
    const bar = document.getElementById('bar').offsetHeight;
    const width = Math.min((window.innerWidth - 8) / COLS, (window.innerHeight - bar - 12) / (ROWS * 2.2));
    const cw = Math.max(2, Math.floor(width * 100) / 100);
    screenEl.style.setProperty('--cw', cw + 'px');
    screenEl.style.setProperty('--ch', (Math.floor(cw * 220) / 100) + 'px');
  }
  window.addEventListener('resize', fit);
  fit();

  const helpEl = document.getElementById('help');
  const helpButton = document.getElementById('help-toggle');
  helpButton.addEventListener('click', () => {
    helpEl.hidden = !helpEl.hidden;
    helpButton.setAttribute('aria-expanded', String(!helpEl.hidden));
    helpButton.blur();
  });

  const newGame = document.getElementById('new-game');
  // A new game keeps the language the page was opened in.
  newGame.addEventListener('click', () => {
    const lang = new URLSearchParams(window.location.search).get('lang');
    window.location.href = window.location.pathname + (lang ? '?lang=' + encodeURIComponent(lang) : '');
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
    try {
      sessionStorage.setItem('drowsel-watch', bytesToText(await file.arrayBuffer()));
      window.location.href = window.location.pathname + '?watch=file';
    } catch (error) {
      statusEl.textContent = 'This recording cannot be opened here: ' + error.message;
    }
  });

  const params = new URLSearchParams(window.location.search);
  const watching = params.has('replay') || params.get('watch') === 'file';
  let replayText = Promise.resolve(null);
  if (params.get('watch') === 'file') {
    const text = sessionStorage.getItem('drowsel-watch');
    replayText = Promise.resolve(text === null ? '' : text);
  } else if (params.has('replay')) {
    const address = new URL(params.get('replay'), window.location.href);
    if (address.origin !== window.location.origin) {
      statusEl.textContent = 'Only recordings on this site can be watched: ' + address.href;
      replayText = new Promise(() => {});
    } else {
      replayText = fetch(address).then((response) => {
        if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
        return response.arrayBuffer();
      }).then(bytesToText, (error) => {
        statusEl.textContent = `The recording ${address.pathname} could not be fetched (${error.message}).`;
        newGame.hidden = false;
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

  function gameOver(won) {
    page.over = true;
    page.won = won;
    statusEl.textContent = won ? 'The archmage is slain: the game is over.' : 'You quit: the game is over.';
    statusEl.className = 'over';
    newGame.hidden = false;
  }

  function replayOver(problem) {
    page.over = true;
    statusEl.textContent = problem ? 'The replay stopped: ' + problem : 'End of the recording.';
    statusEl.className = 'over';
    newGame.hidden = false;
  }

  const idleStatus = watching ? 'Watching a recording: Space pauses, + faster, - slower, Q stops.'
    : 'Play with the keyboard; “Keys” lists the keys.';
  statusEl.textContent = idleStatus;
  download.hidden = watching;
  window.Module = {
    drowselShow: show,
    drowselNextKey: nextKey,
    drowselNextKeyWithin: nextKeyWithin,
    drowselStatus: (text) => { if (!page.over) statusEl.textContent = text || idleStatus; },
    drowselRecord: (text) => { recording += text; page.recording = recording; },
    drowselReplayText: replayText,
    drowselOver: gameOver,
    drowselLanguage: showLanguage,  // the language the game shows its texts in
    drowselReplayOver: replayOver,
    printErr: (text) => console.warn(text),
    onAbort: (what) => { statusEl.textContent = 'The game stopped: ' + what; },
  };
})();
