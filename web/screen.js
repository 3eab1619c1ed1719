// The game's screen as text, every character exactly one cell wide, so
// every character keeps its columns whatever font draws it. Each row is a
// layer of text a colour, the layers laid over each other: a layer holds
// the characters of its colour at their columns and spaces elsewhere (a
// blank cell of its colour is a no-break space, so that the blank's colour
// can be read back). A step that changes every row of the map changes the
// text of a few layers a row and makes no element; one text a colour, not a
// span for each run of one colour, is what the browser lays out and paints.
// Each double-width character is a span of its own over its two cells. The
// cells come as the game's cell code (Unicode, shape and colour), whose
// numbers the game hands over.
const BLANK = '\u00a0';

// What a cell code holds, by the numbers of the game's `cell`.
export function cellCode(cell) {
  const shapeMask = (1 << cell.unicodeShift) - 1;
  const colourMask = (1 << cell.shapeShift) - 1;
  return {
    text: (v) => String.fromCharCode(v >>> cell.unicodeShift),
    shape: (v) => (v & shapeMask) >>> cell.shapeShift,
    colour: (v) => v & colourMask,
    colours: colourMask + 1,
    blank: ' '.charCodeAt(0) << cell.unicodeShift, // a space in colour 0, as every cell starts
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
  function layer(r, colour) {
    if (!layers[r][colour]) {
      const span = rowEls[r].appendChild(document.createElement('span'));
      span.className = `c${colour} layer`;
      layers[r][colour] = span.appendChild(document.createTextNode(''));
    }
    return layers[r][colour];
  }

  function drawRow(cells, r) {
    const texts = []; // per colour in the row, its layer's characters
    for (const span of wides[r]) span.remove();
    wides[r] = [];
    for (let c = 0; c < cols; c++) {
      const v = cells[r * cols + c];
      const shape = code.shape(v);
      if (shape === cell.covered) continue;
      if (shape === cell.wide) {
        const span = rowEls[r].appendChild(document.createElement('span'));
        span.className = `c${code.colour(v)} w`;
        span.style.setProperty('--col', String(c));
        span.textContent = code.text(v);
        wides[r].push(span);
        continue;
      }
      const colour = code.colour(v);
      if (!texts[colour]) texts[colour] = new Array(cols).fill(' ');
      texts[colour][c] = shape === cell.single && code.text(v) === ' ' ? BLANK : code.text(v);
    }
    for (let colour = 0; colour < code.colours; colour++) {
      const text = texts[colour] ? texts[colour].join('').replace(/ +$/, '') : ''; // no spaces to lay out after the last
      if (texts[colour] || layers[r][colour]) {
        const node = layer(r, colour);
        if (node.data !== text) node.data = text;
      }
    }
  }

  // The text node and the offset in it of a screen cell, or null for the
  // right half of a double-width character.
  function cellAt(row, col) {
    for (const span of wides[row]) {
      const at = Number(span.style.getPropertyValue('--col'));
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
          const [at, colour] = [Number(span.style.getPropertyValue('--col')), Number(span.classList[0].slice(1))];
          [cells[at], cells[at + 1]] = [
            [span.textContent, colour],
            ['', colour],
          ];
        }
        return cells;
      });
    },
  };
  // Every row starts blank, as the game's screen does.
  screen.show(new Uint32Array(cols * rows).fill(code.blank));
  return screen;
}
