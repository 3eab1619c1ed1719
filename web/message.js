// The message row again as a line of text of its own, readable where the
// grid's cells are too small (a phone held upright), in the colour of the
// message's first character, as on the screen.
import { cellCode } from './screen.js';

export function createMessageLine(messageEl, { cols, cell }) {
  const code = cellCode(cell);
  let shownText = '';
  return {
    show(cells) {
      let text = '';
      for (let c = 0; c < cols; c++) if (code.shape(cells[c]) !== cell.covered) text += code.text(cells[c]);
      text = text.trimEnd();
      if (text === shownText) return;
      shownText = text;
      messageEl.textContent = text || '\u00a0';
      const first = text.search(/\S/);
      messageEl.className = first < 0 ? '' : 'c' + code.colour(cells[first]);
    },
  };
}
