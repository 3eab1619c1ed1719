#!/usr/bin/env python3
"""End-to-end tests of the drowsel binary in a real terminal (tmux), each
screen compared with the headless game's.

Usage: drowsel_e2e.py SCENARIO --binary PATH --dump DUMP_SCREENS [options]
  play      the whole path from title to quit at 80x24
  small     a terminal smaller than the game's screen (--size WxH)
  keys      unbound escape sequences, the keypad, stop and continue, typed-ahead
            keys (--unbound: keys that must do nothing on this terminal type)
  signal    SIGTERM during play gives the terminal back
  signals   each fatal signal gives the terminal back; ignored ones stay so
  refusals  terminals the game cannot serve: one line, status 3
  failures  memory running out, no CP932 converter (--shim: the failure shim)
  record    a short run recorded and replayed: the same screens, the
            replay's keys, its last line and exit status
  killed    a run killed with SIGKILL while recording replays up to its
            last key
  english   the same seed and keys in Japanese and with --lang en, early
            play and a victory: the same game but for its texts; each
            recording replays to its end in the other language
  follow    a run watched while it is recorded (--replay FILE --follow):
            started before the file exists the follower shows the title,
            then each of the player's screens, then the end; a player
            killed is said to have left; Q stops a follower at any moment
  reader    --reader and --palette beside each other: the cursor after each
            message, x describing the monsters, the recordings the same
Ends with status 77 (skipped) when tmux is missing.
"""

import argparse
import os
import shutil
import sys
import tempfile

import scenarios
from game_screens import Dump, Looks
from tmux_pane import Failure, Pane, compile_terminfo, terminal_colours, tput


class Context:
    """What every scenario is given: the programs, the terminal's type,
    locale and size, and how it shows the game's screens."""

    def __init__(self, args, workdir):
        self.binary, self.dump, self.shim = args.binary, args.dump, args.shim
        self.term, self.lang = args.term, args.lang
        self.width, self.height = (int(n) for n in args.size.split("x"))
        self.unbound = args.unbound.split()
        self.workdir = workdir
        self.terminfo = compile_terminfo(args.term, workdir)
        colours = terminal_colours(args.term, self.terminfo)
        if colours is None or (colours < 8 and args.palette != "plain"):
            raise Failure("terminal type %s is unknown or has no colours" % args.term)
        palette = args.palette or ("16" if colours >= 16 else "8")
        self.looks = Looks(palette, "utf" in args.lang.lower())
        # Where the game plays on a screen of its own, the shell's comes back after it.
        self.alternate_screen = tput(args.term, self.terminfo, "smcup") is not None
        # The title page and the first line of the intro, the same whatever the seed.
        self.title_and_intro = Dump(self.dump, 1, ord("x"))
        self.panes = []

    def pane(self, extra_env=(), prelude="", args=()):
        # Every game keeps its run in its state folder: here, never the real home's.
        state = ("XDG_STATE_HOME=" + os.path.join(self.workdir, "state"),)
        pane = Pane(self.binary, self.term, self.lang, self.width, self.height, self.workdir, self.terminfo,
                    extra_env=state + tuple(extra_env), prelude=prelude, args=args)
        self.panes.append(pane)
        return pane


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scenario", choices=scenarios.SCENARIOS)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--dump", required=True, help="the headless screen dump (dump_screens)")
    parser.add_argument("--term", default="xterm-256color")
    parser.add_argument("--lang", default="C.UTF-8")
    parser.add_argument("--size", default="80x24")
    parser.add_argument("--palette", help="how colours show when not as `tput colors` says: 8-bold-grey or plain")
    parser.add_argument(
        "--unbound", default="F2 M-q", help="keys (tmux names) that must do nothing, for the keys scenario")
    parser.add_argument("--shim", help="the failure shim to preload, for the failures scenario")
    args = parser.parse_args()

    if shutil.which("tmux") is None:
        print("SKIP: tmux is missing: apt-get install tmux")
        return 77
    for program in (args.binary, args.dump) + ((args.shim,) if args.scenario == "failures" else ()):
        if not program or not os.path.exists(program):
            print("FAIL: %s is missing" % program)
            return 1
    args.binary = os.path.abspath(args.binary)

    where = "%s, TERM=%s, LANG=%s, %s" % (args.scenario, args.term, args.lang, args.size)
    # The shell around a game may still be writing as its pane is closed.
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as workdir:
        ctx = None
        try:
            ctx = Context(args, workdir)
            scenarios.run(ctx, args.scenario)
        except (Failure, RuntimeError) as failure:  # RuntimeError: the headless game failed
            print("FAIL (%s): %s" % (where, failure))
            return 1
        finally:
            for pane in ctx.panes if ctx else []:
                pane.close()
    print("PASS (%s)" % where)
    return 0


if __name__ == "__main__":
    sys.exit(main())
