// The game's screen as text, every character exactly one cell wide, so
// every character keeps its columns whatever font draws it. Each row is one
// line of text: a layer of text a colour, each as wide as the row and
// pulled back over the ones before it by a negative margin, so that the
// layers lie over each other. A layer holds the characters of its colour at
// their columns and spaces elsewhere (a blank cell of its colour is a
// no-break space, so that the blank's colour can be read back). A step that
// changes every row of the map changes the text of a few layers a row and
// makes no element; each row is laid out on its own, one line. Each
// double-width character is a span of its own over its two cells. The cells
// come as the game's cell code (Unicode, shape and colour), whose numbers
// the game hands over.
const BLANK = '\u00a0';
const SPACE = 0x20;

// What a cell code holds, by the numbers of the game's `cell`.
export function cellCode(cell) {
  const shapeMask = (1 << cell.unicodeShift) - 1;
  const colourMask = (1 << cell.shapeShift) - 1;
  const text = (v) => String.fromCharCode(v >>> cell.unicodeShift);
  const shape = (v) => (v & shapeMask) >>> cell.shapeShift;
  return {
    text,
    shape,
    colour: (v) => v & colourMask,
    colours: colourMask + 1,
    blank: SPACE << cell.unicodeShift, // a space in colour 0, as every cell starts
    // The characters of a row of `cols` cells from `at`, the right halves
    // of double-width characters left out.
    row(cells, at, cols) {
      let row = '';
      for (let c = at; c < at + cols; c++) if (shape(cells[c]) !== cell.covered) row += text(cells[c]);
      return row;
    },
  };
}

export function createScreen(screenEl, { cols, rows, cell }) {
  const code = cellCode(cell);
  const shown = new Uint32Array(cols * rows);
  const rowEls = [];
  const layers = []; // per row, the text node of each colour's layer (made when first needed)
  const wides = []; // per row, its double-width characters' spans
  for (let r = 0; r < rows; r++) {
    rowEls.push(screenEl.appendChild(document.createElement('div')));
    layers.push([]);
    wides.push([]);
  }
  // Per colour, the characters of its layer in the row being drawn.
  const texts = Array.from({ length: code.colours }, () => new Uint16Array(cols));
  const used = new Uint8Array(code.colours);

  // A layer with no character of its colour is taken out of its row, as
  // its margin would shift the layers after it.
  function setLayer(r, colour, text) {
    let node = layers[r][colour];
    if (!node && text === null) return;
    if (!node) {
      const span = document.createElement('span');
      span.className = `c${colour} layer`;
      node = layers[r][colour] = span.appendChild(document.createTextNode(''));
    }
    if (text === null) {
      node.parentNode.remove();
      node.data = '';
      return;
    }
    if (!node.parentNode.isConnected) rowEls[r].appendChild(node.parentNode);
    if (node.data !== text) node.data = text;
  }

  function drawRow(cells, r) {
    const wide = []; // [column, colour, character] of each double-width character
    used.fill(0);
    for (let c = 0, i = r * cols; c < cols; c++, i++) {
      const v = cells[i];
      const shape = code.shape(v);
      if (shape === cell.covered) continue;
      const colour = code.colour(v);
      if (shape === cell.wide) {
        wide.push([c, colour, code.text(v)]);
        continue;
      }
      if (!used[colour]) texts[colour].fill(SPACE);
      used[colour] = 1;
      const ch = v >>> cell.unicodeShift;
      texts[colour][c] = ch === SPACE ? BLANK.charCodeAt(0) : ch;
    }
    for (let colour = 0; colour < code.colours; colour++) {
      setLayer(r, colour, used[colour] ? String.fromCharCode.apply(null, texts[colour]) : null);
    }
    if (wide.join() === wides[r].map((s) => s.wide).join()) return;
    for (const span of wides[r]) span.remove();
    wides[r] = wide.map(([c, colour, text]) => {
      const span = rowEls[r].appendChild(document.createElement('span'));
      span.className = `c${colour} w`;
      span.style.setProperty('--col', String(c));
      span.textContent = text;
      span.wide = [c, colour, text];
      return span;
    });
  }

  // The text node and the offset in it of a screen cell, or null for the
  // right half of a double-width character.
  function cellAt(row, col) {
    for (const span of wides[row]) {
      const at = span.wide[0];
      if (col === at || col === at + 1) return col === at ? { text: span.firstChild, at: 0 } : null;
    }
    const node = layers[row].find((text) => text && text.data[col] !== undefined && text.data[col] !== ' ');
    return { text: node, at: col };
  }

  const screen = {
    // Draws the rows that changed.
    show(cells) {
      for (let r = 0; r < rows; r++) {
        let same = true;
        for (let i = r * cols; i < (r + 1) * cols && same; i++) same = cells[i] === shown[i];
        if (same) continue;
        shown.set(cells.subarray(r * cols, (r + 1) * cols), r * cols);
        drawRow(cells, r);
      }
    },
    // A screen cell where it is drawn: its character and the box of its
    // glyph in the page (the text of the left half for a double-width
    // character's right half).
    cell(row, col) {
      let found = cellAt(row, col);
      for (let c = col - 1; found === null && c >= 0; c--) found = cellAt(row, c);
      const range = document.createRange();
      range.setStart(found.text, found.at);
      range.setEnd(found.text, found.at + 1);
      const textContent = range.toString().replace(BLANK, ' ');
      return { textContent, getBoundingClientRect: () => range.getBoundingClientRect() };
    },
    // The screen as drawn: per row, [character, colour] for each cell, read
    // from the layers; the right half of a double-width character is ['',
    // colour].
    grid() {
      return rowEls.map((row, r) => {
        const cells = [];
        layers[r].forEach((text, colour) => {
          [...text.data].forEach((ch, c) => ch !== ' ' && (cells[c] = [ch === BLANK ? ' ' : ch, colour]));
        });
        for (const span of wides[r]) {
          const [at, colour] = span.wide;
          [cells[at], cells[at + 1]] = [[span.textContent, colour], ['', colour]]; // prettier-ignore
        }
        return cells;
      });
    },
  };
  // Every row starts blank, as the game's screen does.
  screen.show(new Uint32Array(cols * rows).fill(code.blank));
  return screen;
}
