"""What the game shows, from the game itself: the headless game
(dump_screens) plays the same seed and keys, or replays the same recording,
and each screen it waited on is turned into the cells a real terminal must
show for it, in the locale, palette and size of that terminal."""

import json
import subprocess

from screen_reader import BLANK, Cell, Screen, char_width, palette_style

# tmux key names for the game's own key codes; a printable character is its
# own code, a keypad digit that digit, a control key its ASCII code.
NAMED_KEYS = {"Space": 32, "Escape": 27, "Enter": 13, "Down": 258, "Up": 259, "Left": 260, "Right": 261,
              "Home": ord("7"), "End": ord("1")}


def key_codes(keys, unbound=()):
    """The codes the game must read for tmux keys; keys the terminal type
    does not know (`unbound`) read as nothing."""
    codes = []
    for key in keys:
        if key in unbound:
            continue
        if key in NAMED_KEYS:
            codes.append(NAMED_KEYS[key])
        elif key.startswith("KP") and key[2:].isdigit():
            codes.append(ord(key[2:]))
        elif key.startswith("C-") and len(key) == 3:
            codes.append(ord(key[2]) & 0x1F)
        elif len(key) == 1:
            codes.append(ord(key))
        else:
            raise ValueError("no key code for the tmux key %r" % key)
    return codes


def tmux_key(code):
    """The tmux key that types the game's key code `code`."""
    for name, named in NAMED_KEYS.items():
        if named == code and name not in ("Home", "End"):
            return name
    if 1 <= code <= 26:
        return "C-" + chr(code + 96)
    if 0x21 <= code <= 0x7E:
        return chr(code)
    raise ValueError("no tmux key types the key code %d" % code)


def recorded_keys(recording):
    """The key codes in a recording's text, in order."""
    return [int(line.split()[1]) for line in recording.split("\n") if line.startswith("k ")]


class Dump:
    """The headless game's screens (each the JSON of one key wait)."""

    def __init__(self, program, *args):
        result = subprocess.run([program, *map(str, args)], capture_output=True, text=True)
        if result.returncode != 0:
            raise RuntimeError("%s %s: status %d, %s" % (program, " ".join(map(str, args)),
                                                         result.returncode, result.stderr.strip()))
        self.json = json.loads(result.stdout)
        self.screens = self.json["screens"]


def game_cells(screen, row, utf8):
    """Row `row` of a headless screen as (character, colour, second half) per
    column: a double-byte character takes its two columns as the terminal
    draws it (a wide one, or one the locale counts one column wide with a
    space after it, or "??" where the locale cannot show it)."""
    data = bytes.fromhex(screen["bytes"][row])
    colours = [int(c, 16) for c in screen["colours"][row]]
    cells, col = [], 0
    while col < len(data):
        b, colour = data[col], colours[col]
        if (0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC) and col + 1 < len(data):
            try:
                ch = data[col:col + 2].decode("cp932")
            except UnicodeDecodeError:
                ch = None
            if ch is not None:
                if not utf8:
                    cells += [("?", colour, False), ("?", colour, True)]
                elif char_width(ch) == 2:
                    cells += [(ch, colour, False), ("", colour, True)]
                else:
                    cells += [(ch, colour, False), (" ", colour, True)]
                col += 2
                continue
        if 0x20 <= b <= 0x7E:
            ch = chr(b)
        else:
            try:
                ch = bytes([b]).decode("cp932") if utf8 else "?"
            except UnicodeDecodeError:
                ch = "?"
        cells.append((ch, colour, False))
        col += 1
    return cells


class Looks:
    """How one kind of terminal shows the game's screens."""

    def __init__(self, palette, utf8):
        self.palette, self.utf8 = palette, utf8

    def banner(self, cells, text):
        """A line of the terminal's own in reverse white, then blanks."""
        for col in range(len(cells)):
            cells[col] = Cell(text[col], palette_style(15, self.palette), True) if col < len(text) else BLANK

    def terminal_screen(self, screen, width, height):
        """The headless `screen` as a width x height terminal must show it:
        cut to the terminal, a character half off the right edge as "?",
        the size notice on the last row of a terminal too small for the game,
        the status line below the game (or on the last row)."""
        rows = len(screen["bytes"])
        cols = len(screen["bytes"][0]) // 2
        shown = Screen(width, height)
        for row in range(min(rows, height)):
            cells = game_cells(screen, row, self.utf8)
            line = shown.cells[row]
            for col in range(min(width, cols)):
                ch, colour, _ = cells[col]
                line[col] = Cell(ch, palette_style(colour, self.palette), False)
            if width < cols and cells[width][2]:
                line[width - 1] = line[width - 1]._replace(ch="?")
        if width < cols or height < rows:
            self.banner(shown.cells[height - 1],
                        "Terminal is %dx%d; Drowsel needs %dx%d" % (width, height, cols, rows))
        if screen.get("status"):
            self.banner(shown.cells[rows if height > rows else height - 1], screen["status"])
        return shown
