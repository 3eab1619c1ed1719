#!/usr/bin/env python3
"""Watching a run while it is played: in tmux, one terminal records a seeded
game, another follows the recording with --replay FILE --follow. After every
key the player presses, the follower shows the player's screen; when the
player quits, the follower shows the end line and both end with status 0.

    follow_e2e.py --binary PATH/TO/drowsel

Exits 77 (skipped) when tmux is missing."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

GAME_ROWS = 23
SKIPPED = 77
WAIT_SECONDS = 30


class Failure(Exception):
    pass


class Terminals:
    """Sessions of 80x24 on a private tmux server."""

    def __init__(self, binary, workdir):
        self.binary = binary
        self.workdir = workdir
        self.socket = "drowsel-follow-%d" % os.getpid()

    def tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.socket] + list(args), capture_output=True, text=True)

    def start(self, name, *args):
        status = os.path.join(self.workdir, name + ".status")
        command = "cd %s && env TERM=xterm-256color LANG=C.UTF-8 %s %s; echo $? > %s; sleep 600" % (
            self.workdir, self.binary, " ".join(args), status)
        result = self.tmux("new-session", "-d", "-s", name, "-x", "80", "-y", "24", command)
        if result.returncode != 0:
            raise Failure("tmux could not start %s: %s" % (name, result.stderr))

    def rows(self, name):
        return self.tmux("capture-pane", "-p", "-t", name).stdout.split("\n")

    def send(self, name, *keys):
        self.tmux("send-keys", "-t", name, *keys)

    def wait_for(self, what, condition, timeout=WAIT_SECONDS):
        deadline = time.monotonic() + timeout
        while True:
            result = condition()
            if result:
                return result
            if time.monotonic() > deadline:
                raise Failure("waited in vain for " + what)
            time.sleep(0.1)

    def settled(self, name):
        """The screen once it has stopped changing for half a second."""
        last, since = None, time.monotonic()
        while True:
            rows = self.rows(name)
            if rows != last:
                last, since = rows, time.monotonic()
            elif time.monotonic() - since > 0.5:
                return rows
            time.sleep(0.1)

    def exit_status(self, name):
        def read():
            try:
                with open(os.path.join(self.workdir, name + ".status")) as f:
                    text = f.read().strip()
                    return text if text else None
            except OSError:
                return None
        return int(self.wait_for(name + " to end", read))

    def close(self):
        self.tmux("kill-server")


def follow(terminals):
    terminals.start("player", "--seed", "4242", "--record", "run.rec")
    terminals.wait_for("the player's title", lambda: any("Press any key" in r for r in terminals.rows("player")))
    terminals.start("follower", "--replay", "run.rec", "--follow")
    # The title, the intro's "-more-" prompts, a few steps: after each key
    # the follower catches up with the player's screen.
    keys = ["x"] + ["Space"] * 13 + ["6", "6", "2", "4", "8", "9"]
    for number, key in enumerate(keys):
        terminals.send("player", key)
        want = terminals.settled("player")[:GAME_ROWS]
        terminals.wait_for("the follower to show the player's screen after key %d (%s)" % (number + 1, key),
                           lambda: terminals.rows("follower")[:GAME_ROWS] == want)
    terminals.send("player", "Q")
    if terminals.exit_status("player") != 0:
        raise Failure("the player's game did not end with status 0")
    end_line = "End of the recording: quit. Press a key."
    terminals.wait_for("the follower's end line",
                       lambda: terminals.rows("follower")[GAME_ROWS].startswith(end_line))
    terminals.send("follower", "z")
    status = terminals.exit_status("follower")
    if status != 0:
        raise Failure("the follower ended with status %d, not 0" % status)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--binary", required=True)
    args = parser.parse_args()
    if shutil.which("tmux") is None:
        print("SKIP: tmux is missing: apt-get install tmux")
        return SKIPPED
    workdir = tempfile.mkdtemp(prefix="drowsel-follow-")
    terminals = Terminals(os.path.abspath(args.binary), workdir)
    try:
        follow(terminals)
    except Failure as failure:
        print("FAIL: %s" % failure)
        for name in ("player", "follower"):
            print("--- %s ---\n%s" % (name, "\n".join(terminals.rows(name))))
        return 1
    finally:
        terminals.close()
        shutil.rmtree(workdir, ignore_errors=True)
    print("PASS: the follower showed every screen of the player and ended with it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
