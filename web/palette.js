// The colours the grid is drawn in, chosen in the page ("Colours") and
// remembered in this browser: the game's own, high contrast, or colours
// safe for red-green colour blindness, named as the terminal's --palette
// names them. Only the shades change (style.css): never a cell's colour
// number, a draw or a recording.
const PALETTE_KEY = 'drowsel-palette';
const PALETTES = ['default', 'contrast', 'colourblind'];

function remembered() {
  try {
    return localStorage.getItem(PALETTE_KEY);
  } catch {
    return null; // storage refused: the game's own colours
  }
}

export function startPalette() {
  const select = document.getElementById('palette');
  const show = (name) => {
    const palette = PALETTES.includes(name) ? name : 'default';
    select.value = palette;
    if (palette === 'default') delete document.documentElement.dataset.palette;
    else document.documentElement.dataset.palette = palette;
  };
  show(remembered());
  select.addEventListener('change', () => {
    select.blur(); // the keys go to the game again
    show(select.value);
    try {
      localStorage.setItem(PALETTE_KEY, select.value);
    } catch {
      // kept for this visit only
    }
  });
}
