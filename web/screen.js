// The game's screen as a line of text per row, every character exactly as
// wide as its cells, so every character keeps its columns whatever font
// draws it. The colours are highlights (a highlight a colour, drawn by
// ::highlight(cN) in style.css): a stretch of single-width characters is
// one text node however many colours it holds, so a step that changes
// every row of the map makes and restyles no element. Each double-width
// character is a span of its own, two cells wide. A browser without
// highlights gets a span for each run of one colour instead. The cells come
// as the game's cell code (Unicode, shape and colour), whose numbers the
// game hands over.

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

function span(text, className) {
  const element = document.createElement('span');
  element.className = className;
  element.textContent = text;
  return element;
}

export function createScreen(screenEl, { cols, rows, cell }) {
  const code = cellCode(cell);
  const highlights = window.CSS && CSS.highlights ? [] : null;
  for (let c = 0; highlights && c < code.colours; c++) CSS.highlights.set('c' + c, (highlights[c] = new Highlight()));
  const shown = new Uint32Array(cols * rows);
  const rowEls = [];
  const rowRanges = []; // per row, [colour, range] of each run in it
  for (let r = 0; r < rows; r++) {
    rowEls.push(screenEl.appendChild(document.createElement('div')));
    rowRanges.push([]);
  }

  function drawRow(cells, r) {
    const row = rowEls[r];
    for (const [colour, range] of rowRanges[r]) highlights[colour].delete(range);
    rowRanges[r] = [];
    // The colour of most of the row's characters is the row's own, which
    // they take without a highlight: fewer ranges to make and paint.
    const counts = new Array(code.colours).fill(0);
    for (let c = 0; c < cols; c++) counts[code.colour(cells[r * cols + c])]++;
    const base = highlights ? counts.indexOf(Math.max(...counts)) : -1;
    if (highlights && row.className !== 'c' + base) row.className = 'c' + base;
    const nodes = [];
    let text = '';
    let runs = []; // [colour, start, end] in `text`
    const endText = () => {
      if (text === '') return;
      if (!highlights) {
        for (const [colour, start, end] of runs) nodes.push(span(text.slice(start, end), 'c' + colour));
      } else {
        // A row of one text node keeps it.
        const node = nodes.length === 0 && row.childNodes.length === 1 && row.firstChild.nodeType === Node.TEXT_NODE;
        nodes.push(node ? row.firstChild : document.createTextNode(text));
        nodes[nodes.length - 1].data = text;
        const container = nodes[nodes.length - 1];
        for (const [colour, startOffset, endOffset] of runs) {
          if (colour === base) continue; // the row's own colour
          // Static: no live range for the page to keep up to date.
          const range = new StaticRange({ startContainer: container, startOffset, endContainer: container, endOffset });
          highlights[colour].add(range);
          rowRanges[r].push([colour, range]);
        }
      }
      text = '';
      runs = [];
    };
    for (let c = 0; c < cols; c++) {
      const v = cells[r * cols + c];
      const shape = code.shape(v);
      if (shape === cell.covered) continue;
      if (shape === cell.wide) {
        endText();
        nodes.push(span(code.text(v), `c${code.colour(v)} w`));
        continue;
      }
      const run = runs[runs.length - 1];
      if (run && run[0] === code.colour(v)) run[2]++;
      else runs.push([code.colour(v), text.length, text.length + 1]);
      text += code.text(v);
    }
    endText();
    if (nodes.length !== 1 || nodes[0] !== row.firstChild || row.childNodes.length !== 1) row.replaceChildren(...nodes);
  }

  // The node (a text node, or a span's) and the offset in it of a screen
  // cell, or null for the right half of a double-width character.
  function cellAt(row, col) {
    let c = 0;
    for (const node of rowEls[row].childNodes) {
      const wide = node.nodeType !== Node.TEXT_NODE && node.classList.contains('w');
      const width = wide ? 2 : node.textContent.length;
      if (col >= c + width) {
        c += width;
        continue;
      }
      const text = node.nodeType === Node.TEXT_NODE ? node : node.firstChild;
      if (!wide) return { text, at: col - c };
      return col === c ? { text, at: 0 } : null;
    }
    return null;
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
      return { textContent: range.toString(), getBoundingClientRect: () => range.getBoundingClientRect() };
    },
    // The screen as drawn: per row, [character, colour] for each cell, the
    // colour a span's class, the highlight that holds the character or the
    // row's own; the
    // right half of a double-width character is ['', colour].
    grid() {
      const colourOf = new Map(); // text node -> the colour of each character
      for (let c = 0; highlights && c < code.colours; c++) {
        for (const range of CSS.highlights.get('c' + c)) {
          const node = range.startContainer;
          if (!colourOf.has(node)) colourOf.set(node, new Array(node.length));
          colourOf.get(range.startContainer).fill(c, range.startOffset, range.endOffset);
        }
      }
      return rowEls.map((row) => {
        const cells = [];
        for (const node of row.childNodes) {
          const text = node.nodeType === Node.TEXT_NODE;
          const colours = text ? colourOf.get(node) || [] : [Number(node.classList[0].slice(1))];
          const own = Number(row.className.slice(1)); // for characters in no highlight
          [...node.textContent].forEach((ch, i) => cells.push([ch, colours[text ? i : 0] ?? own]));
          if (!text && node.classList.contains('w')) cells.push(['', colours[0]]);
        }
        return cells;
      });
    },
  };
  // Every row starts blank, as the game's screen does.
  screen.show(new Uint32Array(cols * rows).fill(code.blank));
  return screen;
}
