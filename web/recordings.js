// Recordings: the run being played, kept as it goes (the recording format of
// the terminal build) in this browser and for download at any time; the
// runs kept earlier, listed for download, the newest unfinished one offered
// to resume (?resume= and its id); and a recording to watch, chosen as a
// file (kept in this tab's session storage over the reload) or given by
// ?replay= with its address on this site.
import { keepRun, keptRecording, keptRuns } from './kept.js';
import { go } from './runs.js';

const WATCH_KEY = 'drowsel-watch';

function offerDownload(text, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([Uint8Array.from(text, (c) => c.charCodeAt(0))], { type: 'text/plain' }));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// The runs kept, each with its download, in the list of `listEl`.
function listRuns(listEl, runs) {
  listEl.replaceChildren(
    ...runs.map((run) => {
      const item = document.createElement('li');
      const when = new Date(run.started).toLocaleString();
      item.textContent = `Seed ${run.seed}, ${run.keys} keys, ${run.end || 'unfinished'}, ${when} `;
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = 'Download';
      button.addEventListener('click', () =>
        offerDownload(keptRecording(run.id) || '', `drowsel-${run.seed}-${run.id}.rec`),
      );
      item.appendChild(button);
      return item;
    }),
  );
}

function bytesToText(buffer) {
  let text = '';
  const bytes = new Uint8Array(buffer);
  for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  return text;
}

// `page` is the page's surface, `refuse` says why nothing can be watched or
// resumed. Returns the recording to hand to the game, `kept` (the run this
// tab plays, as kept in the browser) and `hideOffer`, which takes the offer
// to resume away once this tab's own run has begun.
export function startRecordings(page, { params, watching }, { mayLeave, leave, refuse, status, newGame }) {
  const download = document.getElementById('download');
  download.hidden = watching;
  download.addEventListener('click', () => {
    offerDownload(page.recording, `drowsel-${page.seed === null ? 'run' : page.seed}.rec`);
    download.blur();
  });
  const resumeId = params.get('resume');
  const kept = watching ? null : keepRun(resumeId, status);

  // The runs kept, and the newest unfinished one offered until this tab's
  // own run has begun.
  const resume = document.getElementById('resume');
  keptRuns().then(({ runs, resumable }) => {
    listRuns(document.getElementById('runs'), runs);
    if (watching || resumeId !== null || resumable === null || page.inProgress()) return;
    resume.textContent = `Resume (seed ${resumable.seed}, key ${resumable.keys})`;
    resume.hidden = newGame.hidden = false;
    page.offersResume = true;
    resume.addEventListener('click', () => leave({ resume: resumable.id }));
  });
  const hideOffer = () => {
    if (page.offersResume && page.inProgress()) resume.hidden = newGame.hidden = !(page.offersResume = false);
  };
  document.getElementById('open-file').addEventListener('change', async (e) => {
    const file = e.target.files[0];
    if (!file) return;
    if (!mayLeave()) {
      e.target.value = '';
      return;
    }
    try {
      sessionStorage.setItem(WATCH_KEY, bytesToText(await file.arrayBuffer()));
      page.over = true;
      go({ watch: 'file' });
    } catch (error) {
      status('This recording cannot be opened here: ' + error.message);
    }
  });
  return { recording: recordingToPlay(page, params, { resumeId, kept, refuse }), kept, hideOffer };
}

// The recording to replay or resume as text (its bytes one character each),
// or null to play; never resolves when it cannot be had.
async function recordingToPlay(page, params, { resumeId, kept, refuse }) {
  const never = new Promise(() => {});
  if (resumeId !== null) {
    const text = keptRecording(resumeId);
    if (text === null || !(await kept.hold())) {
      refuse('This run cannot be resumed here: it is no longer kept in this browser, or another tab plays it.');
      return never;
    }
    page.resuming = text;
    return text;
  }
  if (params.get('watch') === 'file') return sessionStorage.getItem(WATCH_KEY) || '';
  if (!params.has('replay')) return null;
  const address = new URL(params.get('replay'), window.location.href);
  if (address.origin !== window.location.origin) {
    refuse('Only recordings on this site can be watched: ' + address.href);
    return never;
  }
  try {
    const response = await fetch(address);
    if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
    return bytesToText(await response.arrayBuffer());
  } catch (error) {
    refuse(`The recording ${address.pathname} could not be fetched (${error.message}).`);
    return never;
  }
}
