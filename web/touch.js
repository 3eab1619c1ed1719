// Touch controls: every tap and button becomes the key code a keyboard
// would give, handed to the game before the recording sees it, so that a
// run played by touch records the same keys as the run played by keys. The
// game says what it waits for (page.keyWait); only the controls that act
// there are shown.
const code = (key) => key.charCodeAt(0);
// The digit of each 45-degree slice around the player's cell, counted
// anticlockwise from the east (the keypad's directions); "5" for none.
const SLICE_KEYS = [...'69874123'].map(code);
const NO_DIRECTION = code('5');

// The buttons, each with the key it gives and the waits it acts in.
const BUTTONS = [
  { id: 'touch-ranged', key: 'a', waits: ['command'] },
  { id: 'touch-read', key: ' ', waits: ['command'] },
  { id: 'touch-shift', key: 'd', waits: ['command'] },
  { id: 'touch-quit', key: 'Q', waits: ['command'], confirm: 'Quit this game? The game ends at once.' },
  // A replay's: "replay" while it plays, "paused", none at its end line.
  { id: 'touch-pause', key: ' ', waits: ['replay', 'paused'] },
  { id: 'touch-step', key: '.', waits: ['paused'] },
  { id: 'touch-faster', key: '+', waits: ['replay', 'paused'] },
  { id: 'touch-slower', key: '-', waits: ['replay', 'paused'] },
  { id: 'touch-stop', key: 'Q', waits: ['replay', 'paused'] },
];

const HINTS = {
  title: 'Tap to start.',
  more: 'Tap to go on.',
  ending: 'Tap for the next page.',
  direction: 'Tap toward the direction, or on yourself for none.',
  command: 'Tap beside you to step or strike that way.',
  paused: 'Paused: “Step” plays one key.',
  end: 'Tap to close the replay.',
};

// `page` is the page's surface (keyWait, cell, type, over, watching).
export function startTouch(page) {
  for (const b of BUTTONS) {
    b.button = document.getElementById(b.id);
    b.button.addEventListener('click', (e) => {
      if (!b.waits.includes(page.keyWait.wait)) return;
      if (b.confirm && !window.confirm(b.confirm)) return;
      page.type(code(b.key), e.timeStamp);
    });
  }

  const hint = document.getElementById('touch-hint');
  function showControls(wait) {
    for (const b of BUTTONS) b.button.hidden = !b.waits.includes(wait.wait);
    BUTTONS[4].button.textContent = wait.wait === 'paused' ? 'Go on' : 'Pause';
    hint.textContent = HINTS[wait.wait] || '';
  }
  page.onKeyWait = showControls;
  showControls(page.keyWait);

  // The key for a tap at (x, y): Space where any key goes on; in play and
  // at the direction prompt the direction of the slice around the player's
  // cell holding the tap; none (or "5" at the prompt) on the cell itself.
  function keyForTap(x, y) {
    const wait = page.keyWait;
    if (['title', 'more', 'ending', 'end'].includes(wait.wait)) return code(' ');
    if ((wait.wait !== 'command' && wait.wait !== 'direction') || wait.row < 0) return null;
    const box = page.cell(wait.row, wait.col).getBoundingClientRect();
    if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) {
      return wait.wait === 'direction' ? NO_DIRECTION : null;
    }
    const angle = Math.atan2(box.top + box.height / 2 - y, x - box.left - box.width / 2);
    return SLICE_KEYS[((Math.round(angle / (Math.PI / 4)) % 8) + 8) % 8];
  }

  // Taps anywhere but on the page's own controls and its help: a touch as
  // soon as the finger is lifted (its click, which comes later, cancelled),
  // a mouse by its click. A replay takes a tap only at its end line.
  function tap(e, x, y) {
    if (page.over || (page.watching && page.keyWait.wait !== 'end')) return false;
    if (e.target instanceof Element && e.target.closest('button, label, input, a, #help, #bar')) return false;
    const onStage = e.target instanceof Element && e.target.closest('#stage');
    if (!onStage && (page.keyWait.wait === 'command' || page.keyWait.wait === 'direction')) return true;
    const key = keyForTap(x, y);
    if (key !== null) page.type(key, e.timeStamp);
    return true;
  }
  // A finger on the stage is the game's: cancelled at once, it starts no
  // gesture, whose targeting would lay the page out again before the frame
  // that shows the tap; but a page shown as text scrolls under it, and a
  // finger that moved there is no tap.
  let startedAt = null;
  document.addEventListener(
    'touchstart',
    (e) => {
      const target = e.target instanceof Element ? e.target : null;
      const onStage = target && target.closest('#stage') && !target.closest('#page-text');
      startedAt = e.touches.length === 1 ? e.touches[0] : null;
      if (e.touches.length === 1 && onStage && !page.over && !page.watching) e.preventDefault();
    },
    { passive: false },
  );
  const MOVED_PX = 10;
  document.addEventListener(
    'touchend',
    (e) => {
      if (e.changedTouches.length !== 1 || e.touches.length !== 0) return;
      const touch = e.changedTouches[0];
      const moved = startedAt && Math.hypot(touch.clientX - startedAt.clientX, touch.clientY - startedAt.clientY);
      if (moved > MOVED_PX) return;
      if (tap(e, touch.clientX, touch.clientY)) e.preventDefault();
    },
    { passive: false },
  );
  document.addEventListener('click', (e) => {
    if (!window.getSelection().isCollapsed) return; // the end of a selection, not a tap
    tap(e, e.clientX, e.clientY);
  });
}
