// The game's screen as a line of text per row: each run of single-width
// characters in one colour is one span, each double-width character a span
// of its own, every span exactly as wide as its cells, so every character
// keeps its columns whatever font draws it. The cells come as the game's
// cell code (Unicode, shape and colour), whose numbers the game hands over.

const ESCAPED = { '&': '&amp;', '<': '&lt;', '>': '&gt;' };
const escape = (text) => text.replace(/[&<>]/g, (c) => ESCAPED[c]);

// What a cell code holds, by the numbers of the game's `cell`.
export function cellCode(cell) {
  const shapeMask = (1 << cell.unicodeShift) - 1;
  const colourMask = (1 << cell.shapeShift) - 1;
  return {
    text: (v) => String.fromCharCode(v >>> cell.unicodeShift),
    shape: (v) => (v & shapeMask) >>> cell.shapeShift,
    colour: (v) => v & colourMask,
    blank: ' '.charCodeAt(0) << cell.unicodeShift, // a space in colour 0, as every cell starts
  };
}

export function createScreen(screenEl, { cols, rows, cell }) {
  const code = cellCode(cell);
  const shown = new Uint32Array(cols * rows).fill(code.blank);
  const rowEls = [];
  for (let r = 0; r < rows; r++) {
    const row = document.createElement('div');
    rowEls.push(row);
    screenEl.appendChild(row);
  }

  function rowHtml(cells, r) {
    let html = '';
    let run = '';
    let runColour = -1;
    const endRun = () => {
      if (run !== '') html += `<span class="c${runColour}">${escape(run)}</span>`;
      run = '';
    };
    for (let c = 0; c < cols; c++) {
      const v = cells[r * cols + c];
      const shape = code.shape(v);
      if (shape === cell.covered) continue;
      if (shape === cell.wide) {
        endRun();
        html += `<span class="c${code.colour(v)} w">${escape(code.text(v))}</span>`;
        continue;
      }
      if (code.colour(v) !== runColour) {
        endRun();
        runColour = code.colour(v);
      }
      run += code.text(v);
    }
    endRun();
    return html;
  }
  // Every row starts blank, as the game's screen does.
  for (let r = 0; r < rows; r++) rowEls[r].innerHTML = rowHtml(shown, r);

  // The span and the offset in it of a screen cell, or null for the right
  // half of a double-width character.
  function cellAt(row, col) {
    let c = 0;
    for (const span of rowEls[row].children) {
      const wide = span.classList.contains('w');
      const width = wide ? 2 : span.textContent.length;
      if (col >= c + width) {
        c += width;
        continue;
      }
      if (!wide) return { span, at: col - c };
      return col === c ? { span, at: 0 } : null;
    }
    return null;
  }

  return {
    // Draws the rows that changed, each in one go.
    show(cells) {
      for (let r = 0; r < rows; r++) {
        let same = true;
        for (let i = r * cols; i < (r + 1) * cols && same; i++) same = cells[i] === shown[i];
        if (same) continue;
        shown.set(cells.subarray(r * cols, (r + 1) * cols), r * cols);
        rowEls[r].innerHTML = rowHtml(cells, r);
      }
    },
    // A screen cell where it is drawn: its character and the box of its
    // glyph in the page (the text of the left half for a double-width
    // character's right half).
    cell(row, col) {
      let found = cellAt(row, col);
      for (let c = col - 1; found === null && c >= 0; c--) found = cellAt(row, c);
      const range = document.createRange();
      range.setStart(found.span.firstChild, found.at);
      range.setEnd(found.span.firstChild, found.at + 1);
      return { textContent: range.toString(), getBoundingClientRect: () => range.getBoundingClientRect() };
    },
    // The screen as drawn: per row, [character, colour] for each cell; the
    // right half of a double-width character is ['', colour].
    grid() {
      return rowEls.map((row) => {
        const cells = [];
        for (const span of row.children) {
          const colour = Number(span.classList[0].slice(1));
          for (const ch of span.textContent) cells.push([ch, colour]);
          if (span.classList.contains('w')) cells.push(['', colour]);
        }
        return cells;
      });
    },
  };
}
