// The cells as large as the stage around the screen lets them be: the
// stage's own box, which the page's layout sizes to the viewport, never a
// window width that an overflowing layout has widened. A phone held upright
// shows the whole map, or on asking ("Closer") a window of its middle 41
// columns, the player's column at its centre.
const WINDOW_COLS = 41;
// The message row stands as a line of its own below this many pixels of
// font, which the grid's cell is twice as tall as wide.
const SMALLEST_FONT_PX = 12;

export function createLayout({ stageEl, screenEl, messageEl, zoomButton }) {
  let size = null; // the screen's columns and rows, once the game has said
  let closer = false;
  const probe = document.createElement('div');
  probe.className = 'probe';
  probe.setAttribute('aria-hidden', 'true');

  function fit() {
    if (size === null) return;
    const small = (cw) => cw * 2 < SMALLEST_FONT_PX;
    const cellWidth = (cols) => {
      const width = Math.min((stageEl.clientWidth - 4) / cols, (stageEl.clientHeight - 4) / (size.rows * 2.2));
      return Math.max(2, Math.floor(width * 64) / 64); // in the layout's own 1/64 px, so runs add up exactly
    };
    const upright = small(cellWidth(size.cols)) && window.matchMedia('(orientation: portrait)').matches;
    const windowed = upright && closer;
    document.body.classList.toggle('upright', upright);
    // Small, or in the window, the message row stands as a line of its
    // own, which the stage then has less room beside.
    messageEl.hidden = !(windowed || small(cellWidth(size.cols)));
    const cw = cellWidth(windowed ? WINDOW_COLS : size.cols);
    screenEl.classList.toggle('windowed', windowed);
    screenEl.style.setProperty('--cw', cw + 'px');
    screenEl.style.setProperty('--ch', Math.floor(cw * 2.2 * 64) / 64 + 'px');
    // Single-width characters not exactly half the font's size wide (a
    // machine's monospace font, or the page's own by a fraction of a
    // pixel) are spaced to one cell each, so no row drifts off its columns.
    const advance = probe.getBoundingClientRect().width / probe.textContent.length;
    screenEl.style.setProperty('--ls', (advance > 0 ? cw - advance : 0) + 'px');
  }

  if (document.fonts) document.fonts.addEventListener('loadingdone', fit);
  window.addEventListener('resize', fit);
  // The controls beside the screen change with what the game waits for,
  // and the stage with them: the cells follow the stage's own size.
  if (window.ResizeObserver) new ResizeObserver(fit).observe(stageEl);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', fit);
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
  };
}
