"""The end-to-end scenarios, one shape each, the same shapes given as
tables. Every screen a scenario expects is the headless game's for the same
seed and keys, or for the same recording (game_screens)."""

import math
import os
import pty
import re
import signal
import subprocess
import termios
import time

from game_screens import Dump, key_codes, recorded_keys, tmux_key
from screen_reader import Screen
from tmux_pane import WAIT_SECONDS, Failure, terminal_colours, wait_until


class Game:
    """A game in a pane beside the headless game given the same keys: after
    each step the pane must show the headless game's screen."""

    def __init__(self, ctx, pane, dump):
        self.ctx, self.pane, self.dump = ctx, pane, dump
        self.keys = 0  # the keys the game has read: the headless screen due is the next key's

    def expected(self, screen=None):
        return self.ctx.looks.terminal_screen(screen or self.dump.screens[self.keys], self.pane.width,
                                              self.pane.height)

    def wait(self, what, timeout=WAIT_SECONDS, screen=None):
        want = self.expected(screen)
        return self.pane.wait_for("%s (headless screen %d)" % (what, self.keys), want.mismatch_of, timeout)

    def wait_for_last(self, what, timeout=WAIT_SECONDS):
        """Waits for the headless game's last screen (its end)."""
        self.keys = len(self.dump.screens) - 1
        return self.wait(what, timeout)

    def press(self, *keys, timeout=WAIT_SECONDS):
        self.pane.send(*keys)
        self.keys += len(key_codes(keys, self.ctx.unbound))
        if self.keys < len(self.dump.screens):
            self.wait("the screen after %s" % " ".join(keys), timeout)

    def play(self, steps):
        self.wait("the title page")
        for step in steps:
            if callable(step):
                step(self)
            elif isinstance(step, InTime):
                step.press(self)
            else:
                self.press(*step)


class InTime(tuple):
    """Escape answers -more- as soon as the escape delay is over, well
    before curses' default second."""

    def press(self, game):
        started = time.monotonic()
        game.press(*self, timeout=5.0)
        elapsed = time.monotonic() - started
        print("%s answered -more- in %.0f ms" % (" ".join(self), elapsed * 1000))
        if elapsed >= 0.5:
            raise Failure("%s took %.0f ms to answer -more-" % (" ".join(self), elapsed * 1000))


def dump_of(ctx, seed, steps):
    return Dump(ctx.dump, seed, *key_codes([key for step in steps if not callable(step) for key in step], ctx.unbound))


# ---- Actions within a play-through ---------------------------------------

def resize_and_back(game):
    """Shrink the terminal, see the screen cut with the notice, grow it
    back: the same screen."""
    width, height = game.pane.width, game.pane.height
    game.pane.resize(60, 15)
    game.wait("the screen repainted for 60x15")
    game.pane.resize(width, height)
    game.wait("the screen repainted as before at %dx%d" % (width, height))


def stop_and_continue(game):
    """SIGTSTP stops the game; the shell brings it back with fg."""
    game.pane.kill(signal.SIGTSTP)
    wait_until("SIGTSTP did not stop the game", game.pane.stopped)
    game.wait("the game back after fg")


# ---- Play-throughs: title, keys, quit ------------------------------------

TITLE_KEY = [("x",)]
# Keys other than Space and Escape do not answer -more-: if one did here, the
# pane would run one prompt ahead of the headless game.
NOT_ANSWERING_MORE = [("x", "5", "Enter", "Down", "q", "a", "Q")]
INTRO_ANSWERS = [("Space",), ("Escape",), ("Space",), ("Escape",), ("Space",), ("Escape",)]
STEPS = [("l",), ("Left",), ("k",), ("Down",), ("y",), ("9",), ("b",), ("3",)]
KEYPAD_STEPS = [("KP7",), ("KP8",), ("KP9",), ("KP6",), ("KP3",), ("KP2",), ("KP1",), ("KP4",)]

PLAY = (TITLE_KEY + NOT_ANSWERING_MORE
        + [("Space",), InTime(("Escape",)), ("Space",), resize_and_back, ("Escape",), ("Space",), ("Escape",)]
        # The ranged attack: the prompt waits for a direction only.
        + [("a",), ("Escape", "Q", "4")] + STEPS
        # Control keys reach the game as keys: no interrupt, suspend or freeze.
        + [("C-c", "C-z", "C-s", "C-o", "C-q", "h"), resize_and_back])
# Keys as pressed: sequences the terminal type does not know (UNBOUND, the
# scenario's --unbound), then the keypad, a stop and continue.
UNBOUND = "the keys the terminal type does not know"
KEYS = TITLE_KEY + INTRO_ANSWERS + [(UNBOUND, "l")] + KEYPAD_STEPS + [stop_and_continue, ("Up",)]
# The keys scenario runs with LINES and COLUMNS exported, which must change
# nothing: the game uses the terminal's real size.
PLAY_THROUGHS = {
    "play": dict(seed=1234, steps=PLAY),
    "small": dict(seed=1234, steps=TITLE_KEY + INTRO_ANSWERS),
    "keys": dict(seed=1, steps=KEYS, env=["LINES=10", "COLUMNS=40"]),
}


def play_through(ctx, seed, steps, env=()):
    """The game with a seed from title to quit, screen for screen as the
    headless game; keys typed with the quit never reach the shell, the
    terminal is given back, and the game's screen is gone where it had one
    of its own."""
    steps = [step if callable(step) else type(step)(key for name in step
                                                    for key in (ctx.unbound if name == UNBOUND else [name]))
             for step in steps]
    pane = ctx.pane(extra_env=env, args=("--seed", str(seed)))
    game = Game(ctx, pane, dump_of(ctx, seed, steps))
    game.play(steps)
    last = game.expected()
    pane.send("Q", "echo TYPED AHEAD", "Enter")
    pane.expect_exit_status(0)
    pane.expect_terminal_back("quitting")
    if pane.typed_ahead():
        raise Failure("keys typed after Q reached the shell: %r" % pane.typed_ahead())
    after = pane.capture()
    for row in range(last.height if ctx.alternate_screen else 0):
        if len(last.text(row).strip()) > 1 and last.text(row).strip() in after.dump():
            raise Failure("the game's screen is still shown after it ended\n" + after.dump())


# ---- Games ended from outside: a signal, memory running out ---------------

def ended(ctx, before=(), keys=(), sig=None, status=None, env=(), prelude="", shows=None):
    """The game started as a player starts it (no options), at its title
    page: the signals `before` (ignored ones must change nothing), then
    `keys` and the screen after them, then `sig`. It must end with `status`
    (128 + sig by default) and give the terminal back."""
    pane = ctx.pane(extra_env=env, prelude=prelude)
    game = Game(ctx, pane, ctx.title_and_intro)
    game.wait("the title page")
    for each in before:
        pane.kill(each)
    if keys:
        (game.press if sig else pane.send)(*keys)  # with no signal to come, the keys end the game
    if sig:
        pane.kill(sig)
    pane.expect_exit_status(128 + sig if status is None else status)
    pane.expect_terminal_back(signal.Signals(sig).name if sig else "the game")
    if shows and shows not in pane.tmux("capture-pane", "-p", "-J"):
        raise Failure("no %r after the game ended\n%s" % (shows, pane.capture().dump()))


FATAL = [dict(sig=each) for each in (signal.SIGHUP, signal.SIGUSR1, signal.SIGALRM, signal.SIGXCPU, signal.SIGPIPE)]
IGNORED_AT_START = dict(
    prelude="trap '' HUP INT", before=(signal.SIGHUP, signal.SIGINT), keys=("x",), sig=signal.SIGTERM
)
ENDINGS = {
    "signal": [dict(keys=("x",), sig=signal.SIGTERM)],
    # Each fatal signal gives the terminal back and ends the game by that
    # signal; signals ignored at start stay ignored.
    "signals": FATAL + [IGNORED_AT_START],
    # The failure shim's cue: no more memory; the next key takes the
    # "out of mem!" way out.
    "failures": [dict(env=lambda ctx: ["LD_PRELOAD=" + ctx.shim], before=(signal.SIGUSR2,), keys=("x",), status=1,
                      shows="out of mem!")],
}


# ---- Terminals the game cannot serve --------------------------------------

def refused(ctx, env, wanted, status=3, piped=None):
    """The game on a pseudo-terminal (or with standard input or output
    `piped`): one line on standard error starting with `wanted`, `status`,
    the terminal's modes untouched."""
    master, slave = pty.openpty()
    before = termios.tcgetattr(slave)
    try:
        result = subprocess.run([ctx.binary], stdin=subprocess.DEVNULL if piped == "stdin" else slave,
                                stdout=subprocess.PIPE if piped == "stdout" else slave, stderr=subprocess.PIPE,
                                env=dict(env, LANG="C.UTF-8"), timeout=WAIT_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure("%s %s: the game did not refuse to start" % (env, piped or ""))
    finally:
        after = termios.tcgetattr(slave)
        os.close(master)
        os.close(slave)
    lines = result.stderr.decode(errors="replace").splitlines()
    if result.returncode != status or len(lines) != 1 or not lines[0].startswith("drowsel: " + wanted):
        raise Failure("%s %s: status %d, standard error %r" % (env, piped or "", result.returncode, lines))
    if before != after:
        raise Failure("%s %s changed the terminal's modes" % (env, piped or ""))


REFUSALS = {
    "refusals": [
        dict(env={"TERM": "dumb"}, wanted="terminal type 'dumb' cannot move the cursor"),
        dict(env={"TERM": "no-such-terminal"}, wanted="unknown terminal type 'no-such-terminal'"),
        dict(env={}, wanted="TERM is not set"),
        dict(env={"TERM": "xterm"}, piped="stdin", wanted="standard input is not a terminal"),
        dict(env={"TERM": "xterm"}, piped="stdout", wanted="standard output is not a terminal"),
    ],
    # A system without a CP932 converter (the failure shim hides it).
    "failures": [dict(env=lambda ctx: {"TERM": ctx.term, "LD_PRELOAD": ctx.shim, "DROWSEL_TEST_NO_CP932": "1"},
                      wanted="this system's iconv has no CP932 converter", status=5)],
}


# ---- Recordings -----------------------------------------------------------

RECORDED = TITLE_KEY + NOT_ANSWERING_MORE + INTRO_ANSWERS + STEPS[:3]
KEYS_BEFORE_PLAY = len(key_codes([key for step in TITLE_KEY + NOT_ANSWERING_MORE + INTRO_ANSWERS for key in step]))


def record(ctx, seed, name):
    """A short run recorded with `seed` into `name`: title, intro, three
    steps, each screen the headless game's; the game left running."""
    path = os.path.join(ctx.workdir, name)
    pane = ctx.pane(args=("--seed", str(seed), "--record", path))
    game = Game(ctx, pane, dump_of(ctx, seed, RECORDED + [("Q",)]))
    game.play(RECORDED)
    return path, game


def replayed(ctx, path, *watcher):
    """The headless replay of a recording, with the watcher's keys."""
    return Dump(ctx.dump, "--replay", path, *watcher)


def scenario_record(ctx):
    """A run recorded and replayed: the same screens, the replay's pause
    and pace keys, its end line and exit status; a damaged copy stops where
    it is damaged and says so."""
    path, recorded = record(ctx, 4242, "run.rec")
    recorded.pane.send("Q")
    recorded.pane.expect_exit_status(0)
    # The keys as the terminal read them (Enter among them) are the codes
    # the headless game was given, which the page gives too.
    with open(path, "rb") as f:
        if f.read().decode("latin-1") != recorded.dump.json["recording"]:
            raise Failure("the terminal recorded other key codes than the headless game's for the same keys")
    ctx.pane(args=("--record", path)).expect_exit_status(4)  # nothing is ever written over

    # Paused before the play begins (on the splash, the title or the intro,
    # wherever a busy machine lets the Space land), slowed down twice, then
    # on again: every play screen of the run comes back in order, then the
    # end line.
    pane = ctx.pane(args=("--replay", path))
    pane.wait_for("the replay to draw", lambda s: True if any(s.text(r).strip() for r in range(s.height))
                  else "a blank screen")
    pane.send("Space")
    status_row = len(recorded.dump.screens[0]["bytes"])  # below the game's rows
    paused = pane.wait_for("the pause line", lambda s: True if re.search(r"Paused after \d+", s.text(status_row))
                           else "the line below the game shows %r" % s.text(status_row))
    keys = int(re.search(r"Paused after (\d+)", paused.text(status_row)).group(1))
    if keys > KEYS_BEFORE_PLAY:
        raise Failure("the replay paused after %d keys, in play already" % keys)
    # The headless replay with the same watcher's keys shows each screen of
    # the run after the pause, in order, under its progress line, then the
    # last one under the end line; the pane must show the same.
    watched = Game(ctx, pane, replayed(ctx, path, keys, ord("-"), ord("-")))
    screens = watched.dump.screens
    paused = [i for i, screen in enumerate(screens) if screen["status"].startswith("Paused after")]
    if len(paused) != 3:
        raise Failure("the headless replay shows %d pause lines, not 3" % len(paused))
    ran = [(screen["bytes"], screen["colours"]) for screen in recorded.dump.screens]
    if [(screen["bytes"], screen["colours"]) for screen in screens[paused[-1] + 1:]] != ran[keys + 1:] + ran[-1:]:
        raise Failure("the headless replay does not show the run's screens after key %d in order" % keys)
    watched.keys = paused[0]
    watched.wait("the pause line")
    pane.send("-", "-")
    watched.keys = paused[-1]
    watched.wait("the slower pace")
    pane.send("Space")
    for number in range(max(keys + 1, KEYS_BEFORE_PLAY), len(ran)):
        watched.keys = paused[-1] + number - keys
        watched.wait("play screen %d of the run" % number)
    watched.wait_for_last("the end line")
    pane.send("z")
    pane.expect_exit_status(watched.dump.json["exit"])
    pane.expect_terminal_back("the replay")

    # The same run with one check value changed stops there, says so below
    # the game and on standard error, and gives the terminal back.
    with open(path) as f:
        lines = f.read().split("\n")
    lines[10] = lines[10][:-1] + ("1" if lines[10][-1] == "0" else "0")
    damaged = os.path.join(ctx.workdir, "damaged.rec")
    with open(damaged, "w") as f:
        f.write("\n".join(lines))
    stopped = replayed(ctx, damaged)
    if stopped.json["exit"] != 4 or not stopped.json["problem"]:
        raise Failure("the headless replay of the damaged recording did not stop: %r" % stopped.json)
    pane = ctx.pane(args=("--replay", damaged))
    Game(ctx, pane, stopped).wait_for_last("the stop line")
    pane.send("z")
    pane.expect_exit_status(4)
    pane.expect_terminal_back("the stopped replay")
    line = "drowsel: '%s': %s" % (damaged, stopped.json["problem"])
    if line not in pane.tmux("capture-pane", "-p", "-J"):
        raise Failure("no line %r on standard error for the damaged recording" % line)


def scenario_killed(ctx):
    """A run killed with SIGKILL while recording replays up to its last key."""
    path, recorded = record(ctx, 99, "killed.rec")
    recorded.pane.kill(signal.SIGKILL)
    recorded.pane.expect_exit_status(128 + signal.SIGKILL)
    cut = replayed(ctx, path)
    last, before_kill = cut.screens[-1], recorded.dump.screens[recorded.keys]
    if (last["bytes"], last["colours"]) != (before_kill["bytes"], before_kill["colours"]):
        raise Failure("the headless replay of the killed run does not end on its last screen")
    pane = ctx.pane(args=("--replay", path))
    Game(ctx, pane, cut).wait_for_last("the last screen before the kill with the end line", timeout=30)
    pane.send("z")
    pane.expect_exit_status(cut.json["exit"])


def scenario_resume(ctx):
    """A run recorded and ended from outside, by SIGKILL and by SIGHUP, then
    taken up again with --resume FILE (and one kept in the state folder, by
    --resume alone): the very screen it was left at, more
    keys screen for screen as the headless game, Q; the file is then the
    headless game's recording of all those keys, and --verify passes it as
    one run with every key."""
    more = STEPS[3:6]
    dump = dump_of(ctx, 77, RECORDED + more + [("Q",)])
    # The last run kept in the state folder, by --resume alone.
    for sig, named in ((signal.SIGKILL, True), (signal.SIGHUP, True), (signal.SIGKILL, False)):
        path = os.path.join(ctx.workdir, "resumed-%s.rec" % signal.Signals(sig).name)
        game = Game(ctx, ctx.pane(args=("--seed", "77") + (("--record", path) if named else ())), dump)
        game.play(RECORDED)
        game.pane.kill(sig)
        game.pane.expect_exit_status(128 + sig)
        if not named:
            folder = os.path.join(ctx.workdir, "state", "drowsel")
            kept = os.listdir(folder)
            if len(kept) != 1:
                raise Failure("the state folder holds %r, not the one run played" % kept)
            path = os.path.join(folder, kept[0])
        resumed = Game(ctx, ctx.pane(args=("--resume", path) if named else ("--resume",)), dump)
        resumed.keys = game.keys
        resumed.wait("the screen the run was left at")
        for step in more:
            resumed.press(*step)
        resumed.pane.send("Q")
        resumed.pane.expect_exit_status(0)
        with open(path) as f:
            if f.read() != dump.json["recording"]:
                raise Failure("the resumed file is not the recording of the whole run")
        keys = len(recorded_keys(dump.json["recording"]))
        verified = subprocess.run([ctx.binary, "--verify", path], stdout=subprocess.PIPE, timeout=WAIT_SECONDS)
        if verified.returncode != 0 or (", %d keys," % keys).encode() not in verified.stdout:
            raise Failure("--verify of the resumed run: status %d, %r (%d keys played)" % (
                verified.returncode, verified.stdout, keys))


# ---- The English edition --------------------------------------------------

ENGLISH_SEED = 2024
# Early play: steps, ranged attacks, a scroll read, a terrain shift, Spaces
# for the "-more-" prompts; then the headless winning player takes over,
# through the hidden shortcut to the archmage and the ending pages.
ENGLISH_EARLY_KEYS = ("x Space Space Space Space Space Space l l l l Space k k a 6 Space a 8 Space g s Space "
                      "d j j j Space h h a 2 Space y u b n Space 5 a 5 Space l l l l l l Space").split()
ENDING_PAGES = 7
MORE = b"-more-"


def texts_only_differ(japanese, english):
    """The headless games of one seed and keys in both languages: the same
    recording but for its language line; at every screen rows 1 to 22 alike
    (on the ending pages all rows but the story's 8 to 10), the English
    texts plain ASCII, blank where the Japanese are, "-more-" at the same
    moments."""
    if japanese.json["recording"] != english.json["recording"].replace("\nlang en\n", "\n", 1):
        raise Failure("the English game's recording differs from the Japanese one's but for its language")
    if len(japanese.screens) != len(english.screens):
        raise Failure("%d screens in Japanese, %d in English" % (len(japanese.screens), len(english.screens)))
    mores = endings = 0
    for number, (ja, en) in enumerate(zip(japanese.screens, english.screens)):
        ending = b"YOU HAVE SLAIN" in bytes.fromhex(ja["bytes"][4])
        endings += ending
        own = (8, 9, 10) if ending else (0,)
        for row in range(len(ja["bytes"])):
            ja_row, en_row = bytes.fromhex(ja["bytes"][row]), bytes.fromhex(en["bytes"][row])
            where = "screen %d row %d" % (number, row)
            if row not in own:
                if (ja_row, ja["colours"][row]) != (en_row, en["colours"][row]):
                    raise Failure("%s differs: %r in English, %r in Japanese" % (
                        where, en_row, ja_row.decode("cp932", "replace")))
            elif any(b < 0x20 or b > 0x7E for b in en_row):
                raise Failure("%s of the English game is not plain ASCII: %r" % (where, en_row))
            elif (ja_row.strip() == b"") != (en_row.strip() == b""):
                raise Failure("%s is blank in one language only: %r" % (where, en_row))
        more = bytes.fromhex(ja["bytes"][0]).rstrip().endswith(MORE)
        if more != bytes.fromhex(en["bytes"][0]).rstrip().endswith(MORE):
            raise Failure("screen %d: -more- in one language only" % number)
        mores += more
    if endings != ENDING_PAGES or b"The end" not in bytes.fromhex(english.screens[-1]["bytes"][17]):
        raise Failure("the game ends on %d ending pages, not the %d of a victory" % (endings, ENDING_PAGES))
    if mores < 10:
        raise Failure("only %d -more- prompts in the run" % mores)


def scenario_english(ctx):
    """The same seed and keys in Japanese and with --lang en, the games side
    by side, each pane showing its own language's headless screens, both
    ending with status 0 after the last ending page; then each recording
    replays to its end in the other language."""
    early = key_codes(ENGLISH_EARLY_KEYS)
    options = {"ja": (), "en": ("--lang", "en")}
    dumps = {lang: Dump(ctx.dump, *options[lang], "--win", ENGLISH_SEED, *early) for lang in options}
    texts_only_differ(dumps["ja"], dumps["en"])
    paths = {lang: os.path.join(ctx.workdir, lang + ".rec") for lang in options}
    games = [Game(ctx, ctx.pane(args=("--seed", str(ENGLISH_SEED), *options[lang], "--record", paths[lang])),
                  dumps[lang]) for lang in options]
    for game in games:
        game.wait("the title page")
    keys = [tmux_key(code) for code in recorded_keys(dumps["ja"].json["recording"])]
    for number, key in enumerate(keys, 1):
        for game in games:
            game.pane.send(key)
        for game in games:
            game.keys += 1
            if game.keys < len(game.dump.screens):
                game.wait("the screen after key %d (%s)" % (number, key))
    for game in games:
        game.pane.expect_exit_status(0)

    # The English recording replays in English by itself, the Japanese one
    # with --lang en: both show the English run and its end line. The
    # watcher's + keys quicken the pace (the screens do not depend on it).
    watched = []
    for path, lang in ((paths["en"], ()), (paths["ja"], ("--lang", "en"))):
        dump = Dump(ctx.dump, *lang, "--replay", path)
        if dump.json["exit"] != 0 or dump.screens[-1]["bytes"] != dumps["en"].screens[-1]["bytes"]:
            raise Failure("the headless replay of %s does not end on the English last ending page: status %d, %s" % (
                path, dump.json["exit"], dump.json["problem"]))
        # Counted here from the file's own lines, not by the game's counter.
        with open(path) as f:
            keys = sum(line.startswith("k ") for line in f)
        if not any(screen["status"].startswith("Replay: key %d of %d," % (keys, keys)) for screen in dump.screens):
            raise Failure("the replay of %s never says key %d of %d" % (path, keys, keys))
        pane = ctx.pane(args=("--replay", path, *lang))
        pane.wait_for("the replay to draw", lambda s: True if any(s.text(r).strip() for r in range(s.height))
                      else "a blank screen")
        pane.send("+", "+", "+")
        watched.append(Game(ctx, pane, dump))
    for game in watched:
        game.wait_for_last("the end line of the replay", timeout=180)
        game.pane.send("z")
        game.pane.expect_exit_status(0)


def scenario_follow(ctx):
    """A run watched while it is recorded (--replay FILE --follow): started
    before the player, the follower shows the title; after each key the
    player presses, it shows the player's screen (the game's rows; its own
    line below them says it follows); when the player quits, the follower
    shows the end line, and both end with 0. A player killed is said to have
    left, with status 6; Q (or q) stops a follower waiting for a run to
    begin."""
    path = os.path.join(ctx.workdir, "followed.rec")
    title = Dump(ctx.dump, 4242).screens[0]
    follower = ctx.pane(args=("--replay", path, "--follow"))
    rows = len(title["bytes"])

    def game_rows(screen):
        return Screen(screen.width, rows, screen.cells[:rows])

    def shows(pane, what, screen):
        want = game_rows(ctx.looks.terminal_screen(screen, pane.width, pane.height))
        pane.wait_for(what, lambda shown: want.mismatch_of(game_rows(shown)))

    def says(pane, what, line):
        pane.wait_for(what, lambda shown: True if shown.text(rows).startswith(line) else shown.text(rows))

    shows(follower, "the title before the run begins", title)
    says(follower, "the follower waiting for the run", "Following: waiting for the run to begin")
    player = Game(ctx, ctx.pane(args=("--seed", "4242", "--record", path)), dump_of(ctx, 4242, RECORDED + [("Q",)]))
    player.wait("the title page")
    for step in RECORDED:
        player.press(*step)
        shows(follower, "the followed screen after %s" % " ".join(step), player.dump.screens[player.keys])
    player.pane.send("Q")
    player.pane.expect_exit_status(0)
    says(follower, "the follower's end line", "End of the recording: quit. Press a key.")
    follower.send("z")
    follower.expect_exit_status(0)

    killed = os.path.join(ctx.workdir, "killed.rec")
    player = Game(ctx, ctx.pane(args=("--seed", "99", "--record", killed)), dump_of(ctx, 99, RECORDED))
    player.play(RECORDED[:3])
    follower = ctx.pane(args=("--replay", killed, "--follow"))
    shows(follower, "the killed player's screen", player.dump.screens[player.keys])
    player.pane.kill(signal.SIGKILL)
    says(follower, "the player gone", "End of the recording: the player left at key %d." % (player.keys + 1))
    follower.send("z")
    follower.expect_exit_status(6)

    for waiting, key in ((os.path.join(ctx.workdir, "never.rec"), "Q"), (os.path.join(ctx.workdir, "nor.rec"), "q")):
        follower = ctx.pane(args=("--replay", waiting, "--follow"))
        shows(follower, "the title of a run not begun", title)
        follower.send(key)
        follower.expect_exit_status(0)


# ---- Screen readers and palettes -----------------------------------------

READER_SEED = 39
# With --reader "x" describes (so "z" starts the game); the steps bring
# monsters into sight and next to the player, and one is shot.
READER_KEYS = ("z " + "Space " * 6 + "l " * 6 + "x " + "l " * 15 + "x " + "l " * 6 + "x x l l x a 1 Q").split()
COMPASS = ["east", "south-east", "south", "south-west", "west", "north-west", "north", "north-east"]


def cursor_at(game, what, col, row):
    want, cursor = "%d %d 1" % (min(col, game.pane.width - 1), row), "#{cursor_x} #{cursor_y} #{cursor_flag}"
    wait_until("%s: the cursor not shown at %s but %s" % (what, want, game.pane.info(cursor)),
               lambda: game.pane.info(cursor) == want)


def described(game, what):
    """The description over the top rows: each monster of the screen with
    its steps and nearest compass point, the cursor at its end."""
    shown = game.pane.wait_for(what, lambda got: any(re.search(r"(^| )77\.$", got.text(r).strip())
                                                     for r in range(got.height)) or "no description")
    rows = [shown.text(r).strip() for r in range(shown.height)]
    last = next(r for r, text in enumerate(rows) if re.search(r"(^| )77\.$", text))
    text = " ".join(rows[:last + 1])
    found = re.search(r"monsters?: (.*?)\. (Fire|A scroll|Kills)", text)
    wanted = []
    for row in range(1, 21):
        for col, ch in enumerate(game.expected().text(row)[:79]):
            if ch in "*%":
                dx, dy = col - 39, row - 10
                steps, on_line = max(abs(dx), abs(dy)), dx == 0 or dy == 0 or abs(dx) == abs(dy)
                wanted.append("%d step%s %s%s" % (steps, "s" * (steps > 1), COMPASS[round(math.degrees(
                    math.atan2(dy, dx)) / 45) % 8], ", in range" * (on_line and steps <= 3)))
    described = sorted(found.group(1).split("; ")) if found else None
    if not (wanted and found and text.startswith("Your move. ")) or described != sorted(wanted):
        raise Failure("%s says %r, not the monsters %r" % (what, text, wanted))
    cursor_at(game, what, len(shown.text(last).rstrip()), last)


def scenario_reader(ctx):
    """One seed and keys with --reader and with each palette: with --reader
    every screen the game's, the cursor shown after the newest text, and x
    describing the monsters on screen; with a palette the title's characters
    in none of the terminal's first 16 colours (which a theme may make dark
    blue) on 256 colours. Every recording is the plain game's: x is never
    recorded."""
    keys = [key for key in READER_KEYS if key != "x"]
    dump = Dump(ctx.dump, "--lang", "en", READER_SEED, *key_codes(keys))
    looks = {
        "reader": ("--reader",),
        "contrast": ("--palette", "contrast"),
        "colourblind": ("--palette", "colourblind"),
    }
    paths = {name: os.path.join(ctx.workdir, name + ".rec") for name in looks}
    games = {name: Game(ctx, ctx.pane(args=("--seed", str(READER_SEED), "--lang", "en", "--record", paths[name],
                                            *looks[name])), dump) for name in looks}
    own_colours = (terminal_colours(ctx.term, ctx.terminfo) or 0) >= 256
    for name in ("contrast", "colourblind"):  # the title, then every key at once
        title = games[name].expected()
        games[name].pane.wait_for("the title with --palette " + name, lambda got: next((
            "row %d col %d shows %r in colour %d" % (r, c, got.cells[r][c].ch, got.cells[r][c].style.fg)
            for r in range(got.height) for c in range(got.width) if got.cells[r][c].ch != title.cells[r][c].ch
            or (own_colours and got.cells[r][c].ch.strip() and got.cells[r][c].style.fg < 1016)), None))
        games[name].pane.send(*keys)

    reader = games["reader"]
    for key in ["title"] + READER_KEYS:
        if key == "x":
            reader.pane.send(key)
            described(reader, "x after %d keys" % reader.keys)
            continue
        if key != "title":
            reader.pane.send(key)
            reader.keys += 1
        if reader.keys < len(dump.screens):
            screen = reader.wait("the screen after %d keys" % reader.keys)
            row = 0 if screen.text(0).strip() else max(r for r in range(screen.height) if screen.text(r).strip())
            cursor_at(reader, "the screen after %d keys" % reader.keys, len(screen.text(row).rstrip()), row)
    for name, path in paths.items():
        games[name].pane.expect_exit_status(0)
        with open(path) as f:
            if f.read() != dump.json["recording"]:
                raise Failure("the recording with %s differs from the plain game's" % " ".join(looks[name]))


def run(ctx, name):
    """Runs scenario `name`: its table's rows in order."""
    if name in PLAY_THROUGHS:
        play_through(ctx, **PLAY_THROUGHS[name])
    for row in ENDINGS.get(name, []):
        ended(ctx, **{k: v(ctx) if callable(v) else v for k, v in row.items()})
    for row in REFUSALS.get(name, []):
        refused(ctx, **{k: v(ctx) if callable(v) else v for k, v in row.items()})
    if name == "record":
        scenario_record(ctx)
    if name == "killed":
        scenario_killed(ctx)
    if name == "english":
        scenario_english(ctx)
    if name == "follow":
        scenario_follow(ctx)
    if name == "resume":
        scenario_resume(ctx)
    if name == "reader":
        scenario_reader(ctx)


SCENARIOS = sorted(set(PLAY_THROUGHS) | set(ENDINGS) | set(REFUSALS)
                   | {"record", "killed", "english", "follow", "resume", "reader"})
