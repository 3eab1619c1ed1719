#!/usr/bin/env python3
"""End-to-end tests of the drowsel binary in a real terminal.

The game runs inside tmux on a private server socket; keys are typed with
send-keys and the screen is read back with capture-pane -e, so glyphs,
columns and colours are all checked as a player would see them. Every wait
is on screen content, with a generous timeout.

Usage: drowsel_e2e.py --binary PATH SCENARIO [options]
  play    the whole path from title to quit at 80x24
  small   a terminal smaller than the game's screen (--size WxH)
  signal  SIGTERM during play gives the terminal back
  keys    unbound escape sequences, the keypad, stop and continue, typed-ahead
          keys (--unbound: keys that must do nothing on this terminal type)
  signals each fatal signal gives the terminal back; ignored ones stay so
  refusals terminals the game cannot serve: one line, status 3
  failures memory running out, no CP932 converter (--shim: the failure shim)
  record  a short run recorded and replayed: the same screens, the
          replay's keys, its last line and exit status
  killed  a run killed with SIGKILL while recording replays up to its
          last key
  english the same seed and keys in Japanese and with --lang en, from the
          title through early play and the archmage to the ending: the
          same screens but for the texts; each run's recording replays in
          the other language
"""

import argparse
import os
import pty
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
import unicodedata
import uuid
from collections import namedtuple

HERE = os.path.dirname(os.path.abspath(__file__))
WAIT_SECONDS = 10.0
POLL_SECONDS = 0.01
SETTLED_POLLS = 3
ESCAPE_BOUND_SECONDS = 0.5

# ---- What the game shows ------------------------------------------------

TITLE = [  # (row, text, colour), each centred by its byte length
    (6, "vornik presents", 15),
    (8, "Drowsel", 12),
    (9, "--Skarnwold Gaiden--", 15),
    (20, "Press any key to start.", 15),
]
INTRO = [  # the texts as the player reads them, with their colours
    ("目をさますと　何かに囚われているような気がした", 15),
    ("まだ夢が続いている　という感覚", 15),
    ("悪い夢の中の　さらにその中で　眠っていたのか", 15),
    ("マイクテステス。", 14),
    (None, 14),  # "じゅんれつとし", its characters shuffled
    ("え、もう始まってるの？", 14),
    ("つまり　これは悪い夢の一種だと思う", 12),
]
SHUFFLED_WORD = "じゅんれつとし"
ASK_DIRECTION = "どの方向に攻撃？"
MISSED = "攻撃は空を切った"
MORE = "-more-"
TERRAIN = set(".:;#s?!")
MONSTERS = set("*%")
PLAYER_ROW, PLAYER_COL = 10, 39
MAP_ROWS = range(1, 21)
MAP_COLS = range(0, 79)
KILL_BAR_ROW = 21
GAME_ROWS, GAME_COLS = 23, 80

# Keys of the eight directions: (tmux key name, column step, row step).
STEPS = [("l", 1, 0), ("Left", -1, 0), ("k", 0, -1), ("Down", 0, 1),
         ("y", -1, -1), ("9", 1, -1), ("b", -1, 1), ("3", 1, 1)]
ATTACK_DIRECTIONS = [("8", 0, -1), ("2", 0, 1), ("4", -1, 0), ("6", 1, 0),
                     ("7", -1, -1), ("9", 1, -1), ("1", -1, 1), ("3", 1, 1)]


class Failure(Exception):
    pass


# ---- Colours ------------------------------------------------------------

# PC palette index (bit 0 blue, bit 1 green, bit 2 red) to the ANSI colour
# number (red 1, green 2, blue 4).
ANSI_OF_PC = [0, 4, 2, 6, 1, 5, 3, 7]

Style = namedtuple("Style", "fg bold dim")
BLANK_STYLE = Style(39, False, False)


def expected_style(colour, palette):
    """How the game must draw palette colour 1..15 on this terminal.

    palette: "16" colours, "8" with dark grey dim white, "8-bold-grey" with
    dark grey bold black (terminals that cannot dim in colour), "plain".
    """
    base = ANSI_OF_PC[colour & 7]
    if palette == "plain":
        return BLANK_STYLE
    if palette == "16":
        return Style((90 if colour >= 8 else 30) + base, False, False)
    if colour == 8 and palette == "8":
        return Style(37, False, True)
    return Style(30 + base, colour >= 8, False)


def palette_colour_of(style, palette):
    for colour in range(1, 16):
        if expected_style(colour, palette) == style:
            return colour
    return None


# ---- Reading the screen -------------------------------------------------

Cell = namedtuple("Cell", "ch style reverse")
SGR = re.compile(r"\x1b\[([0-9;:]*)m")
OTHER_ESCAPE = re.compile(r"\x1b(\[[0-9;?]*[A-Za-z]|[()][0-9A-Za-z]|.)")


def char_width(ch):
    return 2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1


class Screen:
    """The pane as a grid of cells; a wide character's right half is ''."""

    def __init__(self, captured, width, height):
        self.width, self.height = width, height
        self.cells = [[Cell(" ", BLANK_STYLE, False)] * width for _ in range(height)]
        fg, bold, dim, reverse = 39, False, False, False
        row = col = i = 0
        while i < len(captured):
            ch = captured[i]
            if ch == "\x1b":
                m = SGR.match(captured, i)
                if m:
                    fg, bold, dim, reverse = apply_sgr(m.group(1), fg, bold, dim, reverse)
                    i = m.end()
                    continue
                m = OTHER_ESCAPE.match(captured, i)
                i = m.end() if m else i + 1
                continue
            i += 1
            if ch == "\n":
                row, col = row + 1, 0
                continue
            cell = Cell(ch, Style(fg, bold, dim), reverse)
            if row < height and col < width:
                self.cells[row][col] = cell
                if char_width(ch) == 2 and col + 1 < width:
                    self.cells[row][col + 1] = Cell("", cell.style, reverse)
            col += char_width(ch)

    def cell(self, row, col):
        return self.cells[row][col]

    def text(self, row, col, length):
        return "".join(c.ch for c in self.cells[row][col:col + length])

    def dump(self):
        lines = []
        for r, row in enumerate(self.cells):
            lines.append("%2d|%s|" % (r, "".join(c.ch if c.ch else "" for c in row)))
        return "\n".join(lines)


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


# ---- Expected rows ------------------------------------------------------

class Expect:
    """Expected screens for one terminal type, locale and size."""

    def __init__(self, palette, utf8, width, height):
        self.palette, self.utf8 = palette, utf8
        self.width, self.height = width, height

    def render(self, text):
        """The columns a text takes: one per CP932 byte."""
        cols = []
        for ch in text:
            if len(ch.encode("cp932")) == 1:
                cols.append(ch)
            elif not self.utf8:
                cols += ["?", "?"]  # the C locale cannot show it: same-width stand-in
            elif char_width(ch) == 2:
                cols += [ch, ""]
            else:
                cols += [ch, " "]  # drawn one column wide, padded to two
        return cols

    def row_mismatch(self, screen, row, pieces):
        """None when `row` shows exactly `pieces` [(col, text, colour)] and blanks."""
        want = [(" ", None)] * (GAME_COLS + 2)
        for col, text, colour in pieces:
            for i, ch in enumerate(self.render(text)):
                if col + i < len(want):
                    want[col + i] = (ch, colour)
        if want[self.width][0] == "":
            # A wide character cut by the right edge shows as "?".
            want[self.width - 1] = ("?", want[self.width - 1][1])
        for c, (ch, colour) in enumerate(want[:self.width]):
            got = screen.cell(row, c)
            if got.ch != ch:
                return "row %d col %d shows %r, expected %r (row: %r)" % (
                    row, c, got.ch, ch, screen.text(row, 0, self.width))
            if colour is not None and ch.strip() and got.style != expected_style(colour, self.palette):
                return "row %d col %d %r has style %s, expected colour %d = %s" % (
                    row, c, ch, got.style, colour, expected_style(colour, self.palette))
        return None

    def centred(self, row, text, colour):
        return ((GAME_COLS - len(text.encode("cp932"))) // 2, text, colour)

    def message(self, text, colour, more=False):
        pieces = [(1, text, colour)]
        if more:
            pieces.append((1 + len(text.encode("cp932")), MORE, 3))
        return pieces

    def notice(self):
        if self.width >= GAME_COLS and self.height >= GAME_ROWS:
            return None
        return ("Terminal is %dx%d; Drowsel needs 80x23" % (self.width, self.height))[:self.width]


def check(mismatch):
    if mismatch:
        raise Failure(mismatch)


# ---- The terminal -------------------------------------------------------

class Pane:
    """drowsel running alone in a pane of a private tmux server.

    A small shell around the game writes its exit status to a file (tmux
    itself is not always quick to reap a process that has ended), and the
    terminal's modes as the game left them; then it reads for a second, as a
    shell would, and writes down any line typed ahead that reached it. The
    game runs as a job: stopped, it is noted and brought back with fg.
    `prelude` runs in that shell before the game (for instance a trap).
    """

    def __init__(self, binary, term, lang, width, height, workdir, terminfo_dir=None,
                 extra_env=(), prelude="", args=()):
        self.socket = "drowsel-e2e-%d-%s" % (os.getpid(), uuid.uuid4().hex[:8])
        self.width, self.height = width, height
        self.workdir = workdir
        self.setup = (binary, term, lang, width, height, workdir, terminfo_dir, extra_env, prelude)
        self.status_file = os.path.join(workdir, "exit-status-" + self.socket)
        for leftover in (self.status_file, self.status_file + ".typed",
                         self.status_file + ".stopped"):
            if os.path.exists(leftover):
                os.remove(leftover)
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("TMUX")}
        self.env.update(LANG="C.UTF-8", LC_ALL="C.UTF-8")  # tmux itself needs UTF-8
        game = ["env", "-u", "TERMINFO", "TERM=" + term, "LANG=" + lang, "LC_ALL=" + lang,
                *extra_env]
        if terminfo_dir:
            game.append("TERMINFO=" + terminfo_dir)
        game.append(binary)
        game += list(args)
        script = (prelude + '\nset -m; "$@"; s=$?; while [ $s = 148 ]; do '
                  'echo >> "$STATUS.stopped"; fg > /dev/null; s=$?; done; stty -a > "$STATUS.stty"; echo $s > "$STATUS.new"; '
                  'mv "$STATUS.new" "$STATUS"; read -r -t 1 typed; '
                  'echo "$typed" > "$STATUS.typed.new"; mv "$STATUS.typed.new" "$STATUS.typed"')
        command = ["env", "STATUS=" + self.status_file, "bash", "-c", script, "bash", *game]
        self.tmux("start-server", ";", "set-option", "-g", "remain-on-exit", "on", ";",
                  "new-session", "-d", "-s", "game", "-x", str(width), "-y", str(height), *command)

    def tmux(self, *args):
        result = subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null", *args],
                                env=self.env, capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure("tmux %s failed: %s" % (" ".join(args), result.stderr.strip()))
        return result.stdout

    def capture(self):
        return Screen(self.tmux("capture-pane", "-p", "-e", "-t", "game"), self.width, self.height)

    def send(self, *keys):
        self.tmux("send-keys", "-t", "game", *keys)

    def resize(self, width, height):
        self.tmux("resize-window", "-t", "game", "-x", str(width), "-y", str(height))
        self.width, self.height = width, height

    def info(self, fmt):
        return self.tmux("display-message", "-p", "-t", "game", fmt).strip()

    def wait_for(self, what, predicate, timeout=WAIT_SECONDS):
        """Polls the screen until predicate(screen) is None or True."""
        deadline = time.monotonic() + timeout
        reason = None
        while True:
            screen = self.capture()
            reason = predicate(screen)
            if reason is None or reason is True:
                return screen
            if self.exit_status() is not None:
                raise Failure("the game ended (status %d) while waiting for %s\n%s" % (
                    self.exit_status(), what, screen.dump()))
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for %s: %s\n%s" % (what, reason, screen.dump()))
            time.sleep(POLL_SECONDS)

    def wait_settled(self, what, predicate, timeout=WAIT_SECONDS):
        """As wait_for, then until the screen stays the same over a few
        polls: the game is waiting for a key, not half-way through a
        repaint (every turn is a full clear and repaint)."""
        screen = self.wait_for(what, predicate, timeout)
        deadline = time.monotonic() + timeout
        same = 0
        while same < SETTLED_POLLS:
            time.sleep(POLL_SECONDS * 2)
            again = self.wait_for(what, predicate, max(0.0, deadline - time.monotonic()))
            same = same + 1 if again.cells == screen.cells else 0
            screen = again
        return screen

    def exit_status(self):
        """The game's exit status (128 + n after signal n), or None while it runs."""
        try:
            with open(self.status_file) as f:
                return int(f.read())
        except FileNotFoundError:
            return None

    def wait_for_exit(self, timeout=WAIT_SECONDS):
        deadline = time.monotonic() + timeout
        while self.exit_status() is None:
            if time.monotonic() > deadline:
                raise Failure("the game did not end\n" + self.capture().dump())
            time.sleep(POLL_SECONDS)
        return self.exit_status()

    def expect_exit_status(self, wanted):
        status = self.wait_for_exit()
        if status != wanted:
            raise Failure("the game ended with status %d, not %d\n%s" % (
                status, wanted, self.capture().dump()))

    def game_pid(self):
        """The game's process: the child of the shell around it."""
        shell = int(self.info("#{pane_pid}"))
        with open("/proc/%d/task/%d/children" % (shell, shell)) as f:
            children = f.read().split()
        if len(children) != 1:
            raise Failure("expected one game process under the shell, found %r" % children)
        pid = int(children[0])
        with open("/proc/%d/comm" % pid) as comm:
            name = comm.read().strip()
        if name != "drowsel":
            raise Failure("the process under the shell is %r, not drowsel" % name)
        return pid

    def expect_terminal_back(self, after):
        """The terminal as a shell needs it: echo, lines, cursor, main screen."""
        with open(self.status_file + ".stty") as f:
            modes = f.read().split()
        for mode in ("echo", "icanon"):
            if mode not in modes:
                raise Failure("%s left the terminal without %s: %s" % (after, mode, " ".join(modes)))
        if self.info("#{alternate_on}#{cursor_flag}") != "01":
            raise Failure("%s left the alternate screen on or the cursor hidden" % after)

    def typed_ahead(self):
        """The line typed ahead that reached the shell after the game."""
        deadline = time.monotonic() + WAIT_SECONDS
        while not os.path.exists(self.status_file + ".typed"):
            if time.monotonic() > deadline:
                raise Failure("the shell after the game did not finish reading")
            time.sleep(POLL_SECONDS)
        with open(self.status_file + ".typed") as f:
            return f.read().strip()

    def another(self, *args):
        """The game started once more in a new pane like this one, with `args`."""
        return Pane(*self.setup, args=args)

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], env=self.env,
                       capture_output=True)


# ---- Checks of whole screens --------------------------------------------

def title_mismatch(expect, screen):
    rows = {row: [expect.centred(row, text, colour)] for row, text, colour in TITLE}
    notice = expect.notice()
    for row in range(expect.height):
        if notice and row == expect.height - 1:
            if screen.text(row, 0, len(notice)) != notice:
                return "row %d does not show the size notice %r" % (row, notice)
            continue
        mismatch = expect.row_mismatch(screen, row, rows.get(row, []))
        if mismatch:
            return mismatch
    return None


def map_mismatch(expect, screen):
    """Rows 1..20: terrain, monsters and the player only, in palette colours."""
    last_row = expect.height - 1 if expect.notice() else expect.height
    for row in MAP_ROWS:
        if row >= last_row:
            break
        for col in range(min(expect.width, GAME_COLS)):
            cell = screen.cell(row, col)
            if col not in MAP_COLS:
                if cell.ch != " ":
                    return "row %d col %d outside the map shows %r" % (row, col, cell.ch)
                continue
            if (row, col) == (PLAYER_ROW, PLAYER_COL):
                if cell.ch != "@" or cell.style != expected_style(10, expect.palette):
                    return "the player is %r %s, not a light green @" % (cell.ch, cell.style)
                continue
            if cell.ch not in TERRAIN and cell.ch not in MONSTERS:
                return "row %d col %d shows %r, not terrain" % (row, col, cell.ch)
            if palette_colour_of(cell.style, expect.palette) is None:
                return "row %d col %d %r has style %s, not a palette colour" % (
                    row, col, cell.ch, cell.style)
    return None


def play_mismatch(expect, screen, message=None):
    if message is not None:
        mismatch = expect.row_mismatch(screen, 0, expect.message(*message))
        if mismatch:
            return mismatch
    mismatch = map_mismatch(expect, screen)
    if mismatch:
        return mismatch
    notice = expect.notice()
    for row in (KILL_BAR_ROW, 22, 23):
        if row >= expect.height:
            break
        if notice and row == expect.height - 1:
            break
        pieces = [(0, "-" * 77, 8)] if row == KILL_BAR_ROW else []
        mismatch = expect.row_mismatch(screen, row, pieces)
        if mismatch:
            return mismatch
    if notice and screen.text(expect.height - 1, 0, len(notice)) != notice:
        return "the last row does not show the size notice %r" % notice
    return None


def shift_mismatch(before, after, dx, dy):
    """None when the map of `after` is that of `before` moved by (-dx, -dy)."""
    compared = 0
    changed = False
    for row in MAP_ROWS:
        for col in MAP_COLS:
            new = after.cell(row, col)
            if new != before.cell(row, col):
                changed = True
            src_row, src_col = row + dy, col + dx
            if src_row not in MAP_ROWS or src_col not in MAP_COLS:
                continue
            old = before.cell(src_row, src_col)
            if old.ch in TERRAIN and new.ch in TERRAIN and "!" not in (old.ch, new.ch):
                compared += 1
                if old != new:
                    return "row %d col %d is %r %s, the cell that was at row %d col %d is %r %s" % (
                        row, col, new.ch, new.style, src_row, src_col, old.ch, old.style)
    if not changed:
        return "the map has not moved yet"
    if compared < 1000:
        return "only %d terrain cells could be compared" % compared
    return None


def shuffled_mismatch(expect, screen):
    """The fifth intro line: the shuffled word followed by -more-."""
    text = SHUFFLED_WORD
    if expect.utf8:
        length = len(SHUFFLED_WORD.encode("cp932"))
        text = "".join(c.ch for c in screen.cells[0][1:1 + length] if c.ch)
        if sorted(text) != sorted(SHUFFLED_WORD):
            return "row 0 shows %r, not a shuffle of %s" % (text, SHUFFLED_WORD)
    return expect.row_mismatch(screen, 0, expect.message(text, 14, more=True))


def monster_near(screen, dx, dy, reach):
    for step in range(1, reach + 1):
        if screen.cell(PLAYER_ROW + dy * step, PLAYER_COL + dx * step).ch in MONSTERS:
            return True
    return False


# ---- Scenarios ----------------------------------------------------------

def go_through_intro(pane, expect, measure_escape=False, resize_at_more=False):
    """From the title page to the first play screen: six -more- prompts."""
    for index in range(6):
        text, colour = INTRO[index]
        if text is None:
            screen = pane.wait_for("intro line %d with -more-" % (index + 1),
                                   lambda s: shuffled_mismatch(expect, s))
        else:
            screen = pane.wait_for("intro line %d with -more-" % (index + 1),
                                   lambda s: expect.row_mismatch(s, 0, expect.message(text, colour, True)))
        if index == 0:
            # Keys other than Space and Escape do not answer -more-. If one
            # did, a later prompt would come one key early and its wait fail.
            pane.send("x", "5", "Enter", "Down", "q", "a", "Q")
        if resize_at_more and index == 2:
            resize_and_back(pane, expect, screen)
        key = "Escape" if index % 2 == 1 else "Space"
        if measure_escape and key == "Escape" and index == 1:
            started = time.monotonic()
            pane.send("Escape")
            following, colour_next = INTRO[index + 1]
            pane.wait_for("Escape to answer -more-",
                          lambda s: expect.row_mismatch(s, 0, expect.message(following, colour_next, True)),
                          timeout=5.0)
            elapsed = time.monotonic() - started
            print("Escape answered -more- in %.0f ms" % (elapsed * 1000))
            if elapsed >= ESCAPE_BOUND_SECONDS:
                raise Failure("Escape took %.0f ms to answer -more-" % (elapsed * 1000))
        else:
            pane.send(key)
    last, colour = INTRO[6]
    return pane.wait_for("the first play screen",
                         lambda s: play_mismatch(expect, s, (last, colour)))


def resize_and_back(pane, expect, before):
    """Shrink the terminal, see the notice, grow it back: the same screen."""
    width, height = pane.width, pane.height
    pane.resize(60, 15)
    small = Expect(expect.palette, expect.utf8, 60, 15)

    def shrunk(screen):
        if screen.text(14, 0, 60).rstrip() != small.notice():
            return "no size notice on row 14"
        for row in range(14):
            for col in range(60):
                want = before.cell(row, col)
                if col == 59 and want.ch and char_width(want.ch) == 2:
                    want = want._replace(ch="?")  # cut by the edge
                if screen.cell(row, col) != want:
                    return "row %d col %d is %r, was %r" % (row, col, screen.cell(row, col), want)
        return None

    pane.wait_for("the screen repainted for 60x15", shrunk)
    pane.resize(width, height)

    def restored(screen):
        for row in range(height):
            for col in range(width):
                if screen.cell(row, col) != before.cell(row, col):
                    return "row %d col %d is %r, was %r" % (
                        row, col, screen.cell(row, col), before.cell(row, col))
        return None

    pane.wait_for("the screen repainted as before at %dx%d" % (width, height), restored)


def scenario_play(pane, expect):
    pane.wait_for("the title page", lambda s: title_mismatch(expect, s))
    pane.send("x")
    screen = go_through_intro(pane, expect, measure_escape=True, resize_at_more=True)

    # The ranged attack: the prompt, then a direction with nothing in reach.
    pane.send("a")
    screen = pane.wait_for("the direction prompt",
                           lambda s: expect.row_mismatch(s, 0, expect.message(ASK_DIRECTION, 15)))
    key = next((k for k, dx, dy in ATTACK_DIRECTIONS if not monster_near(screen, dx, dy, 3)), None)
    if key is None:
        raise Failure("monsters in every direction:\n" + screen.dump())
    pane.send("Escape", "Q", key)  # the prompt waits for a direction only
    screen = pane.wait_for("the missed attack",
                           lambda s: play_mismatch(expect, s, (MISSED, 15)))

    # A step in each direction moves the world the other way, and the
    # acknowledged message stays, greyed.
    for key, dx, dy in STEPS:
        before = screen
        if monster_near(before, dx, dy, 1):
            raise Failure("a monster stands next to the player:\n" + before.dump())
        pane.send(key)
        screen = pane.wait_for("the world to move after %s" % key,
                               lambda s: shift_mismatch(before, s, dx, dy) or play_mismatch(expect, s, (MISSED, 8)))

    # Control keys reach the game as keys: no interrupt, suspend or freeze.
    pane.send("C-c", "C-z", "C-s", "C-o", "C-q")
    before = screen
    pane.send("h")
    screen = pane.wait_for("a step after the control keys",
                           lambda s: shift_mismatch(before, s, -1, 0) or play_mismatch(expect, s))

    # A resize during play repaints and changes nothing.
    resize_and_back(pane, expect, screen)

    pane.send("Q")
    pane.expect_exit_status(0)
    if pane.info("#{alternate_on}") != "0":
        raise Failure("the alternate screen is still on after the game ended")
    after = pane.capture()
    if any("@" in after.text(row, 0, after.width) for row in range(after.height)):
        raise Failure("the play screen is still shown after the game ended\n" + after.dump())


def scenario_small(pane, expect):
    pane.wait_for("the title page cut to %dx%d" % (expect.width, expect.height),
                  lambda s: title_mismatch(expect, s))
    pane.send("x")
    # Row 0 must not spill onto row 1 while the intro runs.
    first, colour = INTRO[0]
    pane.wait_for("the first intro line cut to the width",
                  lambda s: expect.row_mismatch(s, 0, expect.message(first, colour, True))
                  or expect.row_mismatch(s, 1, []))
    go_through_intro(pane, expect)
    pane.send("Q")
    pane.expect_exit_status(0)


# The keypad's keys as tmux names them, with the step each must take.
KEYPAD_STEPS = [("KP7", -1, -1), ("KP8", 0, -1), ("KP9", 1, -1), ("KP6", 1, 0),
                ("KP3", 1, 1), ("KP2", 0, 1), ("KP1", -1, 1), ("KP4", -1, 0)]


def step_and_check(pane, expect, screen, key, dx, dy):
    pane.send(key)
    if monster_near(screen, dx, dy, 1):
        # The step strikes the monster there instead: it is slain.
        return pane.wait_for("the monster slain by %s" % key, lambda s: None if s.cell(
            PLAYER_ROW + dy, PLAYER_COL + dx).ch not in MONSTERS else "the monster is still there")
    return pane.wait_for("the world to move after %s" % key,
                         lambda s: shift_mismatch(screen, s, dx, dy) or play_mismatch(expect, s))


def scenario_keys(pane, expect, unbound):
    """Keys as pressed: unknown sequences ignored, the keypad walks, a stop
    and continue keeps the keys, typed-ahead keys never reach the shell. The
    game runs with LINES and COLUMNS exported, which must change nothing."""
    pane.wait_for("the whole title page", lambda s: title_mismatch(expect, s))
    pane.send("x")
    screen = go_through_intro(pane, expect)

    # Keys no command binds change nothing; only the step after them moves.
    before = screen
    pane.send(*unbound)
    pane.send("l")
    screen = pane.wait_for("one step right after %s" % " ".join(unbound),
                           lambda s: shift_mismatch(before, s, 1, 0) or play_mismatch(expect, s))

    for key, dx, dy in KEYPAD_STEPS:
        screen = step_and_check(pane, expect, screen, key, dx, dy)

    os.kill(pane.game_pid(), signal.SIGTSTP)  # the shell brings it back with fg
    deadline = time.monotonic() + WAIT_SECONDS
    while not os.path.exists(pane.status_file + ".stopped"):
        if time.monotonic() > deadline:
            raise Failure("SIGTSTP did not stop the game")
        time.sleep(POLL_SECONDS)
    screen = pane.wait_for("the game back after fg", lambda s: play_mismatch(expect, s))
    screen = step_and_check(pane, expect, screen, "Up", 0, -1)

    pane.send("Q", "echo TYPED AHEAD", "Enter")
    pane.expect_exit_status(0)
    pane.expect_terminal_back("quitting")
    if pane.typed_ahead():
        raise Failure("keys typed after Q reached the shell: %r" % pane.typed_ahead())


def scenario_signal(pane, expect):
    pane.wait_for("the title page", lambda s: title_mismatch(expect, s))
    pane.send("x")
    pane.wait_for("the first intro line",
                  lambda s: expect.row_mismatch(s, 0, expect.message(INTRO[0][0], 15, True)))
    os.kill(pane.game_pid(), signal.SIGTERM)
    pane.expect_exit_status(128 + signal.SIGTERM)
    pane.expect_terminal_back("SIGTERM")


def game_rows_mismatch(want, screen):
    """None when the game's 23 rows show what `want` showed, cell for cell."""
    for row in range(GAME_ROWS):
        for col in range(GAME_COLS):
            if screen.cell(row, col) != want.cell(row, col):
                return "row %d col %d shows %r, expected %r" % (
                    row, col, screen.cell(row, col), want.cell(row, col))
    return None


def status_line_mismatch(screen, text):
    got = screen.text(GAME_ROWS, 0, len(text))
    return None if got == text else "the line below the game shows %r, not %r" % (got, text)


def record_a_short_run(pane, expect):
    """Title, intro, three steps; the play screens after each, in order."""
    pane.wait_for("the title page", lambda s: title_mismatch(expect, s))
    pane.send("x")
    go_through_intro(pane, expect)
    screens = [pane.wait_settled("the first play screen", lambda s: play_mismatch(expect, s, INTRO[6]))]
    for key, dx, dy in STEPS[:3]:
        before = screens[-1]
        pane.send(key)
        screens.append(pane.wait_settled("the world to move after %s" % key,
                                         lambda s: shift_mismatch(before, s, dx, dy)))
    return screens


PAUSE_LINE = re.compile(r"Paused after (\d+) keys, 150 ms a key")
INTRO_KEYS = 14  # the title's key, seven keys -more- ignores, six answers


def scenario_record(pane, expect):
    path = os.path.join(pane.workdir, "run.rec")
    recorder = pane.another("--seed", "4242", "--record", path)
    try:
        screens = record_a_short_run(recorder, expect)
        recorder.send("Q")
        recorder.expect_exit_status(0)
    finally:
        recorder.close()
    again = pane.another("--record", path)
    try:
        if again.wait_for_exit() != 4:
            raise Failure("recording over an existing file did not end with status 4")
    finally:
        again.close()

    player = pane.another("--replay", path)
    try:
        # Paused before the play begins (on the splash, the title or the
        # intro, wherever a busy machine lets the Space land), slowed down
        # twice, then on again: every play screen of the run comes back in
        # order, then the end line.
        player.wait_for("the replayed splash or title", lambda s: None if "vornik presents" in s.dump() else "neither yet")
        player.send("Space")
        paused = player.wait_for("the pause line", lambda s: True if PAUSE_LINE.match(s.text(GAME_ROWS, 0, GAME_COLS))
                                 else "the line below the game shows %r" % s.text(GAME_ROWS, 0, GAME_COLS))
        keys = int(PAUSE_LINE.match(paused.text(GAME_ROWS, 0, GAME_COLS)).group(1))
        if keys > INTRO_KEYS:
            raise Failure("the replay paused after %d keys, in play already" % keys)
        player.send("-", "-")
        player.wait_for("the slower pace", lambda s: status_line_mismatch(
            s, "Paused after %d keys, 400 ms a key" % keys))
        player.send("Space")
        for number, want in enumerate(screens):
            player.wait_for("play screen %d of the run" % number, lambda s: game_rows_mismatch(want, s))
        player.wait_for("the end line", lambda s: status_line_mismatch(
            s, "End of the recording: the game is over. Press a key.")
            or game_rows_mismatch(screens[-1], s))
        player.send("z")
        player.expect_exit_status(0)
        player.expect_terminal_back("the replay")
    finally:
        player.close()

    # The same run with one check value changed stops there, says so below
    # the game and on standard error, and gives the terminal back.
    with open(path) as f:
        lines = f.read().split("\n")
    lines[10] = lines[10][:-1] + ("1" if lines[10][-1] == "0" else "0")
    damaged = os.path.join(pane.workdir, "damaged.rec")
    with open(damaged, "w") as f:
        f.write("\n".join(lines))
    player = pane.another("--replay", damaged)
    try:
        player.wait_for("the stop line", lambda s: status_line_mismatch(
            s, "Stopped at key 8: this recording is damaged. Press a key."))
        player.send("z")
        player.expect_exit_status(4)
        player.expect_terminal_back("the stopped replay")
        if "drowsel: '%s': this recording is damaged" % damaged not in player.tmux("capture-pane", "-p", "-J"):
            raise Failure("no line on standard error for the damaged recording")
    finally:
        player.close()


def scenario_killed(pane, expect):
    path = os.path.join(pane.workdir, "killed.rec")
    recorder = pane.another("--seed", "99", "--record", path)
    try:
        screens = record_a_short_run(recorder, expect)
        os.kill(recorder.game_pid(), signal.SIGKILL)
        recorder.expect_exit_status(128 + signal.SIGKILL)
    finally:
        recorder.close()
    player = pane.another("--replay", path)
    try:
        player.wait_for("the last screen before the kill with the end line", lambda s: status_line_mismatch(
            s, "End of the recording: it was cut short here. Press a key.")
            or game_rows_mismatch(screens[-1], s), timeout=30)
        player.send("z")
        player.expect_exit_status(0)
    finally:
        player.close()


ENGLISH_SEED = "2024"
# Early play typed into both languages alike: steps, ranged attacks, scrolls
# read, a terrain shift and Spaces for whatever "-more-" comes.
ENGLISH_EARLY_KEYS = ("l l l l Space k k a 6 Space a 8 Space g s Space d j j j Space h h a 2 Space "
                      "y u b n Space 5 a 5 Space l l l l l l Space").split()
ENDING_ROW = 4


def texts_only_mismatch(japanese, english):
    """None when `english` shows what `japanese` shows but for its texts:
    rows 1 to 22 alike (on the ending pages all but rows 8 to 10), plain
    ASCII on the message row, "-more-" on both or neither."""
    ending = "YOU HAVE SLAIN" in japanese.text(ENDING_ROW, 0, GAME_COLS)
    own = (8, 9, 10) if ending else (0,)
    for row in range(GAME_ROWS):
        if row in own:
            text = english.text(row, 0, GAME_COLS)
            if any(ord(ch) > 126 for ch in text if ch):
                return "row %d of the English game is not plain ASCII: %r" % (row, text)
            if (japanese.text(row, 0, GAME_COLS).strip() == "") != (text.strip() == ""):
                return "row %d is blank in one language only: %r" % (row, text)
            continue
        for col in range(GAME_COLS):
            if english.cell(row, col) != japanese.cell(row, col):
                return "row %d col %d shows %r in English, %r in Japanese" % (
                    row, col, english.cell(row, col), japanese.cell(row, col))
    if japanese.text(0, 0, GAME_COLS).rstrip().endswith(MORE) != english.text(0, 0, GAME_COLS).rstrip().endswith(MORE):
        return "-more- on the message row of one language only"
    return None


def keys_recorded(path):
    with open(path) as f:
        return sum(1 for line in f if line.startswith("k "))


def both_settled(japanese, english, what, paths=None, typed=0):
    """Both games' screens once they agree, after each has read `typed` keys
    (its recording says so: a key is written the moment it is read)."""
    deadline = time.monotonic() + WAIT_SECONDS
    while paths and any(keys_recorded(path) < typed for path in paths):
        if time.monotonic() > deadline:
            raise Failure("%s: the games have not read key %d" % (what, typed))
        time.sleep(POLL_SECONDS)
    while True:
        ja = japanese.wait_settled(what + " (Japanese)", lambda s: None)
        en = english.wait_settled(what + " (English)", lambda s: None)
        mismatch = texts_only_mismatch(ja, en)
        if mismatch is None:
            return ja, en
        if time.monotonic() > deadline:
            raise Failure("%s: %s\nJapanese:\n%s\nEnglish:\n%s" % (what, mismatch, ja.dump(), en.dump()))


def archmage_or_monster(screen, palette):
    """Offset (dx, dy) from the player of the archmage, or else of the nearest monster."""
    found = []
    for row in MAP_ROWS:
        for col in MAP_COLS:
            cell = screen.cell(row, col)
            dx, dy = col - PLAYER_COL, row - PLAYER_ROW
            if cell.ch == "@" and (dx, dy) != (0, 0) and cell.style == expected_style(13, palette):
                return (dx, dy)
            if cell.ch in MONSTERS:
                found.append((max(abs(dx), abs(dy)), dx, dy))
    return min(found)[1:] if found else None


def keys_towards(screen, target):
    """A shot when the target stands two or three cells away in a line, else
    a step that brings it there, away from fire and creatures."""
    sign = lambda v: (v > 0) - (v < 0)
    key_of = {(dx, dy): key for key, dx, dy in ATTACK_DIRECTIONS}
    ax, ay = target if target else (20, 0)
    in_line = lambda x, y: x == 0 or y == 0 or abs(x) == abs(y)
    distance = max(abs(ax), abs(ay))
    if target and 2 <= distance <= 3 and in_line(ax, ay):
        return ["a", key_of[(sign(ax), sign(ay))]]
    best, best_score = None, None
    for (dx, dy), key in key_of.items():
        cell = screen.cell(PLAYER_ROW + dy, PLAYER_COL + dx)
        if cell.ch == "!" or cell.ch in MONSTERS or cell.ch == "@":
            continue
        nx, ny = ax - dx, ay - dy
        nd = max(abs(nx), abs(ny))
        score = -abs(nd - 3) * 10 - (100 if nd < 2 else 0) + (50 if in_line(nx, ny) and 2 <= nd <= 3 else 0)
        if best_score is None or score > best_score:
            best, best_score = key, score
    if best is None:
        return [key_of[(sign(ax), sign(ay))]] if distance == 1 else ["."]
    return [best]


def scenario_english(pane, expect):
    workdir = pane.workdir
    paths = {lang: os.path.join(workdir, "%s.rec" % lang) for lang in ("ja", "en")}
    japanese = pane.another("--seed", ENGLISH_SEED, "--record", paths["ja"])
    english = pane.another("--seed", ENGLISH_SEED, "--lang", "en", "--record", paths["en"])
    try:
        japanese.wait_for("the title page", lambda s: title_mismatch(expect, s))
        english.wait_for("the title page", lambda s: title_mismatch(expect, s))
        keys = ["x"] + ["Space"] * 6 + ["C-e", "C-o", "C-x"] + ENGLISH_EARLY_KEYS
        screen, typed, mores = None, 0, 0
        while True:
            last_page = screen is not None and screen.text(17, 36, 7) == "The end"
            if last_page:
                if "I thank you." not in english_screen.dump():
                    raise Failure("the last ending page is not in English\n" + english_screen.dump())
                keys = ["x"]
            elif not keys:
                top = screen.text(0, 0, GAME_COLS).rstrip()
                if "YOU HAVE SLAIN" in screen.text(ENDING_ROW, 0, GAME_COLS) or top.endswith(MORE):
                    keys = ["Space"]
                else:
                    target = archmage_or_monster(screen, expect.palette)
                    keys = (["C-x"] if screen.text(KILL_BAR_ROW, 0, 1) != "*" else []) + keys_towards(screen, target)
            key = keys.pop(0)
            typed += 1
            if typed > 3000:
                raise Failure("no victory after 3000 keys\n" + screen.dump())
            japanese.send(key)
            english.send(key)
            if last_page:
                break
            screen, english_screen = both_settled(japanese, english, "the screens after key %d (%s)" % (typed, key),
                                                  paths.values(), typed)
            mores += screen.text(0, 0, GAME_COLS).rstrip().endswith(MORE)
        japanese.expect_exit_status(0)
        english.expect_exit_status(0)
        if mores < 10:
            raise Failure("only %d -more- prompts in %d keys" % (mores, typed))
    finally:
        japanese.close()
        english.close()
    # Each recording replays to its end in the other language.
    for path, lang in ((paths["en"], None), (paths["ja"], "en")):
        player = pane.another("--replay", path, *(("--lang", lang) if lang else ()))
        try:
            player.wait_for("the replayed title", lambda s: None if "vornik presents" in s.dump() else "not yet")
            player.send("+", "+", "+", "+")
            last = player.wait_for("the end of the replay", lambda s: status_line_mismatch(
                s, "End of the recording: the game is over. Press a key."), timeout=240)
            if "The end" not in last.dump() or "I thank you." not in last.dump():
                raise Failure("the replay of %s did not end on the English ending\n%s" % (path, last.dump()))
            player.send("z")
            player.expect_exit_status(0)
        finally:
            player.close()


def run_signals(args, expect, workdir):
    """Each fatal signal gives the terminal back and ends the game by that
    signal; signals ignored at start stay ignored."""
    for sig in (signal.SIGHUP, signal.SIGUSR1, signal.SIGALRM, signal.SIGXCPU, signal.SIGPIPE):
        pane = Pane(args.binary, args.term, args.lang, 80, 24, workdir)
        try:
            pane.wait_for("the title page", lambda s: title_mismatch(expect, s))
            os.kill(pane.game_pid(), sig)
            pane.expect_exit_status(128 + sig)
            pane.expect_terminal_back(sig.name)
        finally:
            pane.close()
    pane = Pane(args.binary, args.term, args.lang, 80, 24, workdir, prelude="trap '' HUP INT")
    try:
        pane.wait_for("the title page", lambda s: title_mismatch(expect, s))
        for sig in (signal.SIGHUP, signal.SIGINT):
            os.kill(pane.game_pid(), sig)
        pane.send("x")  # still there: the intro starts
        pane.wait_for("the first intro line after the ignored signals",
                      lambda s: expect.row_mismatch(s, 0, expect.message(INTRO[0][0], 15, True)))
        os.kill(pane.game_pid(), signal.SIGTERM)
        pane.expect_exit_status(128 + signal.SIGTERM)
    finally:
        pane.close()


def run_refusals(args):
    """A terminal the game cannot serve: one line on standard error, status 3,
    the terminal untouched."""
    cases = [
        ({"TERM": "dumb"}, None, "terminal type 'dumb' cannot move the cursor"),
        ({"TERM": "no-such-terminal"}, None, "unknown terminal type 'no-such-terminal'"),
        ({}, None, "TERM is not set"),
        ({"TERM": "xterm"}, "stdin", "standard input is not a terminal"),
        ({"TERM": "xterm"}, "stdout", "standard output is not a terminal"),
    ]
    for env, piped, wanted in cases:
        master, slave = pty.openpty()
        before = termios.tcgetattr(slave)
        stdin = subprocess.DEVNULL if piped == "stdin" else slave
        stdout = subprocess.PIPE if piped == "stdout" else slave
        try:
            result = subprocess.run([args.binary], stdin=stdin, stdout=stdout,
                                    stderr=subprocess.PIPE, env=dict(env, LANG="C.UTF-8"),
                                    timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            raise Failure("%s %s: the game did not refuse to start" % (env, piped or ""))
        after = termios.tcgetattr(slave)
        os.close(master)
        os.close(slave)
        lines = result.stderr.decode(errors="replace").splitlines()
        if result.returncode != 3 or len(lines) != 1 or not lines[0].startswith("drowsel: " + wanted):
            raise Failure("%s %s: status %d, standard error %r" % (env, piped or "", result.returncode, lines))
        if before != after:
            raise Failure("%s %s changed the terminal's modes" % (env, piped or ""))


def run_failures(args, expect, workdir):
    """With the failure shim preloaded: memory running out in play takes the
    "out of mem!" way out, status 1, terminal back; a system without a
    CP932 converter is refused with a line naming it, status 5."""
    pane = Pane(args.binary, args.term, args.lang, 80, 24, workdir,
                extra_env=["LD_PRELOAD=" + args.shim])
    try:
        pane.wait_for("the title page", lambda s: title_mismatch(expect, s))
        os.kill(pane.game_pid(), signal.SIGUSR2)  # the shim's cue: no more memory
        pane.send("x")
        pane.expect_exit_status(1)
        pane.expect_terminal_back("running out of memory")
        shown = pane.capture()
        if not any("out of mem!" in shown.text(row, 0, shown.width) for row in range(shown.height)):
            raise Failure("no \"out of mem!\" after memory ran out\n" + shown.dump())
    finally:
        pane.close()
    master, slave = pty.openpty()
    result = subprocess.run([args.binary], stdin=slave, stdout=slave, stderr=subprocess.PIPE,
                            env={"TERM": args.term, "LANG": "C.UTF-8", "LD_PRELOAD": args.shim,
                                 "DROWSEL_TEST_NO_CP932": "1"}, timeout=WAIT_SECONDS)
    os.close(master)
    os.close(slave)
    lines = result.stderr.decode(errors="replace").splitlines()
    if result.returncode != 5 or len(lines) != 1 or "no CP932 converter" not in lines[0]:
        raise Failure("without CP932: status %d, standard error %r" % (result.returncode, lines))


SCENARIOS = {"play": scenario_play, "small": scenario_small, "signal": scenario_signal,
             "keys": scenario_keys, "signals": run_signals, "refusals": run_refusals,
             "failures": run_failures, "record": scenario_record, "killed": scenario_killed,
             "english": scenario_english}
# The keys scenario plays a fixed world: one whose ground shows every step
# even without colours (the seed decides the terrain glyphs), with no monster
# in the way.
KEYS_SEED = "1"
# Exported for the keys scenario: the game must use the terminal's real size.
MISLEADING_SIZE = ["LINES=10", "COLUMNS=40"]


def compile_terminfo(term, workdir):
    """A terminal type the base system may lack, built into a private directory."""
    source = os.path.join(HERE, term + ".terminfo")
    if not os.path.exists(source):
        return None
    directory = os.path.join(workdir, "terminfo")
    os.makedirs(directory, exist_ok=True)
    subprocess.run(["tic", "-x", "-o", directory, source], check=True, capture_output=True)
    return directory


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=sorted(SCENARIOS))
    parser.add_argument("--binary", required=True)
    parser.add_argument("--term", default="xterm-256color")
    parser.add_argument("--lang", default="C.UTF-8")
    parser.add_argument("--size", default="80x24")
    parser.add_argument("--palette", help="how colours show when not as `tput colors` says: "
                        "8-bold-grey or plain")
    parser.add_argument("--unbound", default="F2 M-q",
                        help="keys (tmux names) that must do nothing, for the keys scenario")
    parser.add_argument("--shim", help="the failure shim to preload, for the failures scenario")
    args = parser.parse_args()
    args.binary = os.path.abspath(args.binary)

    if shutil.which("tmux") is None:
        print("FAIL: tmux is not installed; the end-to-end tests need it "
              "(sudo apt-get install tmux)")
        return 1
    if not os.access(args.binary, os.X_OK):
        print("FAIL: no game binary at %s" % args.binary)
        return 1

    width, height = (int(n) for n in args.size.split("x"))
    # The shell around a game may still be writing as its pane is closed.
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as workdir:
        terminfo = compile_terminfo(args.term, workdir)
        env = dict(os.environ, TERMINFO=terminfo) if terminfo else os.environ
        colours = subprocess.run(["tput", "-T", args.term, "colors"], env=env,
                                 capture_output=True, text=True).stdout.strip()
        if not colours.lstrip("-").isdigit() or (int(colours) < 8 and args.palette != "plain"):
            print("FAIL: terminal type %s is unknown or has no colours" % args.term)
            return 1
        utf8 = "utf" in args.lang.lower()
        palette = args.palette or ("16" if int(colours) >= 16 else "8")
        expect = Expect(palette, utf8, width, height)
        pane = None
        try:
            if args.scenario == "signals":
                run_signals(args, expect, workdir)
            elif args.scenario == "failures":
                if not args.shim or not os.path.exists(args.shim):
                    raise Failure("the failure shim is missing: give --shim PATH")
                run_failures(args, expect, workdir)
            elif args.scenario == "refusals":
                run_refusals(args)
            else:
                keys = args.scenario == "keys"
                pane = Pane(args.binary, args.term, args.lang, width, height, workdir, terminfo,
                            extra_env=MISLEADING_SIZE if keys else (),
                            args=("--seed", KEYS_SEED) if keys else ())
                if keys:
                    scenario_keys(pane, expect, args.unbound.split())
                else:
                    SCENARIOS[args.scenario](pane, expect)
        except Failure as failure:
            print("FAIL (%s, TERM=%s, LANG=%s, %s): %s" % (
                args.scenario, args.term, args.lang, args.size, failure))
            return 1
        finally:
            if pane:
                pane.close()
    print("PASS (%s, TERM=%s, LANG=%s, %s)" % (args.scenario, args.term, args.lang, args.size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
