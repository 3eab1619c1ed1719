// The keys the game reads: a queue of keys typed ahead of the game (in
// order, as in a terminal), and the keyboard's keys as the game's codes,
// by the numbers the game hands over.

// The keypad with Num Lock off (and Home, End, Page Up, Page Down) steps
// diagonally, as in the terminal build: the digits on the keys.
const KEYPAD = { Home: '7', PageUp: '9', Clear: '5', End: '1', PageDown: '3' };
const NAMED = { ArrowDown: 'down', ArrowUp: 'up', ArrowLeft: 'left', ArrowRight: 'right', Escape: 'escape' };

// The code the game reads for a key event, or null for keys it never gets.
export function keyCode(e, keys) {
  if (e.metaKey || e.altKey) return null;
  if (e.key in NAMED) return keys[NAMED[e.key]];
  if (e.key === 'Enter') return keys.enter;
  if (e.key in KEYPAD) return KEYPAD[e.key].charCodeAt(0);
  if (e.ctrlKey) {
    const letter = /^[a-zA-Z]$/.test(e.key) ? e.key : /^Key[A-Z]$/.test(e.code) ? e.code.slice(3) : null;
    return letter ? letter.toUpperCase().charCodeAt(0) & keys.controlMask : null;
  }
  if (e.key.length === 1 && e.key >= ' ' && e.key <= '~') return e.key.charCodeAt(0);
  return null;
}

// `onRead` is told each time the game (or a replay) starts reading a key.
export function createKeyQueue(onRead = () => {}) {
  const queue = [];
  let waiting = null; // the read waiting for a key: its resolve and timer
  let pressedAt = null;
  const timedOut = (resolve) => {
    waiting = null;
    resolve(-1);
  };
  // The next key, as soon as there is one, or within `ms` (-1 when none
  // came): how a replay hears the watcher's keys.
  const read = (ms) =>
    queue.length > 0
      ? Promise.resolve(queue.shift())
      : new Promise((resolve) => {
          const timer = ms === undefined ? null : setTimeout(() => timedOut(resolve), ms);
          waiting = { resolve, timer };
        });
  return {
    // The next key; within `ms`, or -1.
    next(ms) {
      onRead();
      return read(ms);
    },
    // A key already typed, or -1, without waiting.
    typed: () => (queue.length > 0 ? queue.shift() : -1),
    // A key pressed at `pressed` (performance.now()'s clock).
    give(code, pressed) {
      if (!waiting) return queue.push(code);
      clearTimeout(waiting.timer);
      waiting.resolve(code);
      waiting = null;
      pressedAt = pressed;
    },
    // When the key the game waited for and has taken was pressed, once.
    takePressedAt() {
      const at = pressedAt;
      pressedAt = null;
      return at;
    },
  };
}
