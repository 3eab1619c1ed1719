"""The screen as a player sees it: tmux's capture-pane -e read into cells
(character, colour, reverse), and the colours the game's palette must take
on each kind of terminal."""

import re
import unicodedata
from collections import namedtuple

# PC palette index (bit 0 blue, bit 1 green, bit 2 red) to the ANSI colour
# number (red 1, green 2, blue 4).
ANSI_OF_PC = [0, 4, 2, 6, 1, 5, 3, 7]

Style = namedtuple("Style", "fg bold dim")
BLANK_STYLE = Style(39, False, False)
Cell = namedtuple("Cell", "ch style reverse")
BLANK = Cell(" ", BLANK_STYLE, False)


def palette_style(colour, palette):
    """How the game must draw palette colour 0..15 on this terminal.

    palette: "16" colours, "8" with dark grey dim white, "8-bold-grey" with
    dark grey bold black (terminals that cannot dim in colour), "plain".
    Colour 0 is the terminal's own.
    """
    base = ANSI_OF_PC[colour & 7]
    if palette == "plain" or colour <= 0:
        return BLANK_STYLE
    if palette == "16":
        return Style((90 if colour >= 8 else 30) + base, False, False)
    if colour == 8 and palette == "8":
        return Style(37, False, True)
    return Style(30 + base, colour >= 8, False)


def char_width(ch):
    return 2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1


SGR = re.compile(r"\x1b\[([0-9;:]*)m")
OTHER_ESCAPE = re.compile(r"\x1b(\[[0-9;?]*[A-Za-z]|[()][0-9A-Za-z]|.)")


class Screen:
    """A grid of cells; a wide character's right half is ''."""

    def __init__(self, width, height, cells=None):
        self.width, self.height = width, height
        self.cells = cells or [[BLANK] * width for _ in range(height)]

    @classmethod
    def captured(cls, text, width, height):
        """The pane as capture-pane -p -e printed it."""
        screen = cls(width, height)
        fg, bold, dim, reverse = 39, False, False, False
        row = col = i = 0
        while i < len(text):
            ch = text[i]
            if ch == "\x1b":
                m = SGR.match(text, i)
                if m:
                    fg, bold, dim, reverse = apply_sgr(m.group(1), fg, bold, dim, reverse)
                    i = m.end()
                    continue
                m = OTHER_ESCAPE.match(text, i)
                i = m.end() if m else i + 1
                continue
            i += 1
            if ch == "\n":
                row, col = row + 1, 0
                continue
            cell = Cell(ch, Style(fg, bold, dim), reverse)
            if row < height and col < width:
                screen.cells[row][col] = cell
                if char_width(ch) == 2 and col + 1 < width:
                    screen.cells[row][col + 1] = Cell("", cell.style, reverse)
            col += char_width(ch)
        return screen

    def text(self, row, col=0, length=None):
        return "".join(c.ch for c in self.cells[row][col:None if length is None else col + length])

    def dump(self):
        return "\n".join("%2d|%s|" % (r, self.text(r)) for r in range(self.height))

    def mismatch_of(self, shown):
        """None when `shown` shows this screen: the same characters
        everywhere, and the same colour and reverse wherever one shows."""
        for row in range(self.height):
            for col in range(self.width):
                got, wanted = shown.cells[row][col], self.cells[row][col]
                if got.ch != wanted.ch or (wanted.ch.strip() and got[1:] != wanted[1:]):
                    return "row %d col %d shows %r, expected %r\n  shows:    %s\n  expected: %s" % (
                        row, col, got, wanted, shown.text(row), self.text(row))
        return None


def apply_sgr(params, fg, bold, dim, reverse):
    codes = [int(p) if p.isdigit() else 0 for p in re.split("[;:]", params)] if params else [0]
    i = 0
    while i < len(codes):
        code = codes[i]
        if code == 0:
            fg, bold, dim, reverse = 39, False, False, False
        elif code == 1:
            bold = True
        elif code == 2:
            dim = True
        elif code == 22:
            bold = dim = False
        elif code == 7:
            reverse = True
        elif code == 27:
            reverse = False
        elif 30 <= code <= 37 or 90 <= code <= 97 or code == 39:
            fg = code
        elif code in (38, 48):
            if i + 1 < len(codes) and codes[i + 1] == 5 and i + 2 < len(codes):
                n = codes[i + 2]
                if code == 38:
                    fg = (30 + n if n < 8 else 90 + n - 8) if n < 16 else 1000 + n
                i += 2
            elif i + 1 < len(codes) and codes[i + 1] == 2:
                if code == 38:
                    fg = 2000
                i += 4
        i += 1
    return fg, bold, dim, reverse
