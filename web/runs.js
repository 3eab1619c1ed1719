// The run the page's address asks for: a seed (?seed=N) and a language
// (?lang=ja or en), each refused in words when it is none, or a recording to
// watch; a new game, the language switch, and leaving a run in progress.
const LARGEST_SEED = 4294967295;
const LANGUAGES = ['ja', 'en'];

export function readAddress(search) {
  const params = new URLSearchParams(search);
  const watching = params.has('replay') || params.get('watch') === 'file';
  const seedText = params.get('seed');
  const seedGiven = seedText !== null && /^[0-9]{1,10}$/.test(seedText) && Number(seedText) <= LARGEST_SEED;
  const langText = params.get('lang');
  const lang = LANGUAGES.includes(langText) ? langText : null;
  const refusals = [];
  if (langText !== null && lang === null) {
    const instead = watching ? "the recording's own" : 'Japanese';
    refusals.push(`“${langText}” is no language of the game (ja or en): ${instead} instead.`);
  }
  // A seed that is none: a random world instead, its seed said after this.
  const seedRefused = seedText !== null && !seedGiven && !watching;
  if (seedRefused) {
    refusals.push(`“${seedText}” is no seed (a whole number from 0 to ${LARGEST_SEED}): a random world instead, seed`);
  }
  // The seed given or null, the language given ("ja", "en") or null.
  const seed = seedGiven ? Number(seedText) : null;
  return { params, watching, seed, lang, refusals: refusals.join(' '), seedRefused };
}

// The page's own address with `params`.
export function go(params) {
  const query = new URLSearchParams(params).toString();
  window.location.href = window.location.pathname + (query ? '?' + query : '');
}

// `page` is the page's surface; `address` what readAddress read.
export function startRuns(page, address, newGame) {
  const seedEl = document.getElementById('seed');
  seedEl.textContent = address.refusals;
  seedEl.className = address.refusals ? 'refused' : '';

  // Leaving a run in progress asks first; a run left by choice is over.
  const mayLeave = () =>
    !page.inProgress() || window.confirm('Leave the game in progress? It is kept: the page offers to resume it.');
  function leave(params) {
    if (!mayLeave()) return;
    page.over = true;
    go(params);
  }
  window.addEventListener('beforeunload', (e) => {
    if (!page.inProgress()) return;
    e.preventDefault();
    e.returnValue = '';
  });
  // A new game keeps the seed and the language the page was given.
  newGame.addEventListener('click', () => {
    const next = new URLSearchParams();
    if (address.seed !== null) next.set('seed', address.seed);
    if (address.lang !== null) next.set('lang', address.lang);
    leave(next);
  });

  // The language switch: the same page in the other language, keeping the
  // seed of the game being played (or the recording being watched).
  const buttons = document.querySelectorAll('#language button');
  for (const button of buttons) {
    button.addEventListener('click', () => {
      const next = new URLSearchParams(address.params);
      next.delete('resume'); // a new game of the seed being played
      next.set('lang', button.lang);
      if (!address.watching && page.seed !== null) next.set('seed', page.seed);
      leave(next);
    });
  }
  const showLanguage = (current) => buttons.forEach((button) => (button.disabled = button.lang === current));
  showLanguage(address.lang || 'ja');

  return {
    mayLeave,
    leave,
    showLanguage,
    // The seed of the world being played.
    showSeed(seed) {
      page.seed = seed;
      seedEl.textContent =
        [address.refusals, address.seedRefused ? '' : 'Seed'].filter((t) => t).join(' ') + ' ' + seed;
    },
  };
}
