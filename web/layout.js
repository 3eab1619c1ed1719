// The cells as large as the stage around the screen lets them be: the
// stage's own box, which the page's layout sizes to the viewport, never a
// window width that an overflowing layout has widened. Where the whole map
// would draw its characters under 12 px, a phone held upright shows a
// window of the columns around the player's (on asking, "Closer", 41 of
// them, larger still), the message row as a line of its own, and the title
// and ending pages as text wrapped to the width. However the phone is
// turned, the layout is the one a fresh load there gives.
const WINDOW_COLS = 41;
// No character of the screen under this size, the grid's cell twice as
// tall as wide and half the font's size wide.
const SMALLEST_FONT_PX = 12;

export function createLayout() {
  const byId = (id) => document.getElementById(id);
  const [stageEl, screenEl, messageEl, pageEl, zoomButton] = ['stage', 'screen', 'message', 'page-text', 'zoom'].map(
    byId,
  );
  let size = null; // the screen's columns and rows, once the game has said
  let closer = false;
  let focusCol = null; // the player's column, once the game has said
  let paged = false; // a title or ending page (the intro over the title) is shown
  let shown = null; // the window as last fitted: the stage's width, the columns and the cell width
  const probe = document.createElement('span');
  probe.className = 'probe';
  probe.setAttribute('aria-hidden', 'true');

  function fit() {
    if (size === null) return;
    // The stage measured as a fresh load finds it: without the message
    // line, which stands only where the cells come out small.
    messageEl.hidden = true;
    const [width, height] = [stageEl.clientWidth - 4, stageEl.clientHeight - 4];
    const small = (cw) => cw * 2 < SMALLEST_FONT_PX;
    const cellWidth = (cols) => {
      const cw = Math.min(width / cols, height / (size.rows * 2.2));
      return Math.max(2, Math.floor(cw * 64) / 64); // in the layout's own 1/64 px, so runs add up exactly
    };
    const upright = small(cellWidth(size.cols)) && window.matchMedia('(orientation: portrait)').matches;
    document.body.classList.toggle('upright', upright);
    const cols = !upright
      ? size.cols
      : Math.min(size.cols, closer ? WINDOW_COLS : Math.floor(width / (SMALLEST_FONT_PX / 2)));
    const windowed = cols < size.cols;
    // Small, or in the window, the message row stands as a line of its own.
    messageEl.hidden = !(windowed || small(cellWidth(size.cols)));
    stageEl.classList.toggle('paged', upright && paged);
    pageEl.hidden = !(upright && paged);
    const cw = cellWidth(cols);
    screenEl.classList.toggle('windowed', windowed);
    stageEl.classList.toggle('windowed', windowed);
    screenEl.style.setProperty('--cw', cw + 'px');
    screenEl.style.setProperty('--ch', Math.floor(cw * 2.2 * 64) / 64 + 'px');
    shown = { stageWidth: stageEl.clientWidth, cols, cw };
    follow();
    // Single-width characters not exactly half the font's size wide (a
    // machine's monospace font, or the page's own by a fraction of a
    // pixel) are spaced to one cell each, so no row drifts off its columns.
    const advance = probe.getBoundingClientRect().width / probe.textContent.length;
    screenEl.style.setProperty('--ls', (advance > 0 ? cw - advance : 0) + 'px');
  }

  // The window's first column: the player's column in its middle, the
  // window inside the screen. A step moves it without laying out the page.
  function follow() {
    const { stageWidth, cols, cw } = shown;
    const middle = focusCol === null ? Math.floor(size.cols / 2) - 1 : focusCol;
    const first = Math.max(0, Math.min(size.cols - cols, middle - Math.floor(cols / 2)));
    screenEl.style.setProperty('--shift', (stageWidth - cols * cw) / 2 - first * cw + 'px');
  }

  if (document.fonts) document.fonts.addEventListener('loadingdone', fit);
  window.addEventListener('resize', fit);
  // The controls beside the screen change with what the game waits for,
  // and the stage with them: the cells follow the stage's own size.
  if (window.ResizeObserver) new ResizeObserver(fit).observe(stageEl);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', fit);
  // On a phone the seldom needed controls are folded away ("More"), as a
  // fresh load folds them however the phone was turned, until the player
  // folds or unfolds them.
  const more = byId('more');
  const phone = window.matchMedia('(orientation: landscape) and (max-height: 560px), (max-width: 480px)');
  let moreChosen = false;
  more.firstElementChild.addEventListener('click', () => (moreChosen = true));
  const fold = () => moreChosen || (more.open = !phone.matches);
  phone.addEventListener('change', fold);
  fold();
  zoomButton.addEventListener('click', () => {
    closer = !closer;
    zoomButton.textContent = closer ? 'Whole map' : 'Closer';
    zoomButton.setAttribute('aria-pressed', String(closer));
    fit();
  });

  return {
    fit,
    // The screen's size: the cells are fitted from now on.
    start({ cols, rows }) {
      size = { cols, rows };
      probe.textContent = 'M'.repeat(cols);
      screenEl.style.setProperty('--cols', String(cols));
      screenEl.appendChild(probe);
      fit();
    },
    // The game waits for a key: in play the window follows the player; a
    // title or ending page (and the intro's messages over the title) is
    // shown as its lines of text, `lines()` (the screen's rows below the
    // message row).
    wait({ wait, col }, lines) {
      const was = [focusCol, paged];
      if ((wait === 'command' || wait === 'direction') && col >= 0) [focusCol, paged] = [col, false];
      if (wait === 'title' || wait === 'ending') {
        paged = true;
        const text = lines()
          .join('\n')
          .replace(/^\n+|\s+$/g, '');
        if (pageEl.textContent !== text) pageEl.textContent = text;
      }
      if (was[1] !== paged) fit();
      else if (was[0] !== focusCol && shown !== null) follow();
    },
  };
}
