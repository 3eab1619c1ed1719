// The runs kept in this browser (its localStorage), so that no run is lost
// with its tab: a closed or discarded tab, a reload or a crash. The run
// being played is written again under its own key after every line the game
// records; an index lists the runs kept, oldest first. The next load offers
// the newest unfinished run that no other tab is playing to resume, beside
// New game; a resumed run goes on under the same key. Unfinished runs are
// kept until resumed to their end (the last UNFINISHED_KEPT of them),
// finished ones the last FINISHED_KEPT; each can be downloaded.
//   drowsel-runs        [{ id, seed, lang, started, end }] (end: null while
//                       unfinished, else "victory" or "quit")
//   drowsel-run-<id>    the run's recording, its bytes one character each
const INDEX_KEY = 'drowsel-runs';
const RUN_PREFIX = 'drowsel-run-';
const FINISHED_KEPT = 20;
const UNFINISHED_KEPT = 20;

const keysIn = (text) => text.split('\n').filter((line) => line.startsWith('k ')).length;

function readIndex() {
  try {
    const index = JSON.parse(localStorage.getItem(INDEX_KEY));
    return Array.isArray(index) ? index.filter((run) => run && typeof run.id === 'string') : [];
  } catch {
    return [];
  }
}

// Stores `text` under `key`, making room by dropping the oldest finished
// runs (never `keep`) while the storage is full; false if it cannot.
function store(key, text, keep) {
  for (;;) {
    try {
      localStorage.setItem(key, text);
      return true;
    } catch {
      const index = readIndex();
      const oldest = index.findIndex((run) => run.end && run.id !== keep);
      if (oldest < 0) return false;
      localStorage.removeItem(RUN_PREFIX + index[oldest].id);
      index.splice(oldest, 1);
      localStorage.setItem(INDEX_KEY, JSON.stringify(index));
    }
  }
}

// The index bounded, the recordings of runs left out of it removed.
function writeIndex(index) {
  const finished = index.filter((run) => run.end).slice(-FINISHED_KEPT);
  const unfinished = index.filter((run) => !run.end).slice(-UNFINISHED_KEPT);
  const kept = index.filter((run) => finished.includes(run) || unfinished.includes(run));
  for (const run of index) if (!kept.includes(run)) localStorage.removeItem(RUN_PREFIX + run.id);
  store(INDEX_KEY, JSON.stringify(kept), null);
}

// The runs other tabs are playing (the names of the locks they hold).
async function heldElsewhere() {
  if (!navigator.locks) return new Set();
  const { held } = await navigator.locks.query();
  return new Set(held.map((lock) => lock.name));
}
// Held for as long as this tab plays the run; false if another tab holds
// it still after a second (a tab just closed or reloaded lets go of it).
function holdRun(id) {
  if (!navigator.locks) return Promise.resolve(true);
  return new Promise((resolve) => {
    const options = { signal: AbortSignal.timeout(1000) };
    navigator.locks
      .request(RUN_PREFIX + id, options, () => {
        resolve(true);
        return new Promise(() => {});
      })
      .catch(() => resolve(false));
  });
}

// A run's recording, or null when it is not kept.
export const keptRecording = (id) => localStorage.getItem(RUN_PREFIX + id);

// The run this tab plays: a new one (`id` null) or the kept run `id` taken
// up again. `say` reports a run that cannot be kept.
export function keepRun(id, say) {
  let run = id === null ? null : readIndex().find((r) => r.id === id) || null;
  let failed = false;
  return {
    // Takes the kept run up in this tab: false if another tab plays it.
    hold: () => (run === null ? Promise.resolve(false) : holdRun(run.id)),
    // The recording so far, after each line the game records.
    write(text, seed, lang) {
      if (run === null) {
        if (!text.includes('\nk ')) return; // nothing played yet
        const id = Date.now().toString(36) + Math.random().toString(36).slice(2, 6);
        run = { id, seed, lang, started: Date.now(), end: null };
        holdRun(run.id);
        writeIndex([...readIndex(), run]);
      }
      if (!store(RUN_PREFIX + run.id, text, run.id) && !failed) {
        failed = true;
        say('This browser has no room left to keep the run: download its recording to keep it.');
      }
    },
    // The run is over ("victory" or "quit"): no longer offered to resume.
    finish(end, text) {
      if (run === null) return;
      this.write(text);
      writeIndex(readIndex().map((r) => (r.id === run.id ? { ...r, end } : r)));
    },
  };
}

// The runs kept, newest first, each with its keys; `resumable` is the
// newest unfinished run no other tab plays, or null.
export async function keptRuns() {
  const elsewhere = await heldElsewhere();
  const runs = readIndex()
    .reverse()
    .map((run) => ({ ...run, keys: keysIn(keptRecording(run.id) || '') }))
    .filter((run) => keptRecording(run.id) !== null);
  const resumable = runs.find((run) => !run.end && run.keys > 0 && !elsewhere.has(RUN_PREFIX + run.id)) || null;
  return { runs, resumable };
}
