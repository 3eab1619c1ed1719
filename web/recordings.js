// Recordings: the run being played, kept as it goes (the recording format of
// the terminal build) for download at any time; and a recording to watch,
// chosen as a file (kept in this tab's session storage over the reload) or
// given by ?replay= with its address on this site.
const WATCH_KEY = 'drowsel-watch';

function bytesToText(buffer) {
  let text = '';
  const bytes = new Uint8Array(buffer);
  for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  return text;
}

// `page` is the page's surface, `refuse` says why nothing can be watched.
export async function startRecordings(page, { params, watching }, { mayLeave, refuse, status }) {
  const download = document.getElementById('download');
  download.hidden = watching;
  download.addEventListener('click', () => {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([page.recording], { type: 'text/plain' }));
    link.download = `drowsel-${page.seed === null ? 'run' : page.seed}.rec`;
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
    download.blur();
  });

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
      window.location.href = window.location.pathname + '?watch=file';
    } catch (error) {
      status('This recording cannot be opened here: ' + error.message);
    }
  });

  // The recording to watch as text (its bytes one character each), or null
  // to play; never resolves when it cannot be had.
  const never = new Promise(() => {});
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
