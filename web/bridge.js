// The bridge to the game: the hooks the program (game.js, built from
// src/backends/browser/web_terminal.cpp and src/programs/web_main.cpp)
// calls on Module, then the program itself, loaded once they are there.
// The program hands over its numbers first (drowselStart); each key it
// reads comes with what it waits for ("title", "command", "more",
// "direction", "ending", "any"; "replay" for a replay's own keys while it
// plays, "paused" while it is paused, "end" at its last line).

// `page` is the page's surface, `queue` the keys, `address` the run asked
// for; `hooks` the page's answers to the program, drowselOver and
// drowselReplayOver among them, and drowselRecorded after each line the
// game records. A run resumed (page.resuming, the kept recording) is
// replayed unseen by the game, which then says where it goes on recording
// (drowselResumeAt: the whole lines of the kept recording, and whether its
// last line had its line end).
export function loadGame({ page, queue, address, hooks }) {
  const waitFor = (wait, row = -1, col = -1) => {
    const was = page.keyWait;
    if (was.wait === wait && was.row === row && was.col === col) return;
    page.keyWait = { wait, row, col };
    if (page.onKeyWait) page.onKeyWait(page.keyWait);
  };
  const then =
    (wait, hook) =>
    (...values) => {
      waitFor(wait);
      return hook(...values);
    };
  window.Module = {
    ...hooks,
    drowselNextKey(wait, row, col) {
      waitFor(wait, row, col);
      page.waits++;
      return queue.next();
    },
    drowselNextKeyWithin: then('replay', queue.next),
    drowselTypedKey: then('replay', queue.typed),
    // A replay's game waits for this (its wait and cell) at the key replayed next.
    drowselGameWaits: (wait, row, col) => page.onGameWait && page.onGameWait({ wait, row, col }),
    drowselGivenSeed: () => (address.seed === null ? -1 : address.seed),
    drowselGivenLanguage: () => address.lang || '',
    drowselRecord(text) {
      page.recording += text;
      hooks.drowselRecorded();
    },
    drowselResuming: () => page.resuming !== null,
    drowselResumeAt(wholeBytes, lineEnded) {
      page.recording = page.resuming.slice(0, wholeBytes) + (lineEnded ? '' : '\n');
      hooks.drowselRecorded();
    },
    drowselOver: then('over', hooks.drowselOver),
    drowselReplayOver: then('over', hooks.drowselReplayOver),
    printErr: (text) => console.warn(text),
  };
  const game = document.createElement('script');
  game.src = 'game.js';
  document.body.appendChild(game);
}
