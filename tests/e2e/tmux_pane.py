"""The terminal driver: the game alone in a pane of a private tmux server,
keys typed with send-keys, the screen read back with capture-pane -e. Every
wait is on screen content or a file the shell writes, with a generous
timeout."""

import os
import subprocess
import time
import uuid

from screen_reader import Screen

HERE = os.path.dirname(os.path.abspath(__file__))
WAIT_SECONDS = 20.0
POLL_SECONDS = 0.01


class Failure(Exception):
    pass


def compile_terminfo(term, workdir):
    """A terminal type the base system may lack, built into a private directory."""
    source = os.path.join(HERE, term + ".terminfo")
    if not os.path.exists(source):
        return None
    directory = os.path.join(workdir, "terminfo")
    os.makedirs(directory, exist_ok=True)
    subprocess.run(["tic", "-x", "-o", directory, source], check=True, capture_output=True)
    return directory


def tput(term, terminfo, capability):
    """What `tput` says of a capability of the terminal type, or None."""
    env = dict(os.environ, TERMINFO=terminfo) if terminfo else os.environ
    result = subprocess.run(["tput", "-T", term, capability], env=env, capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def terminal_colours(term, terminfo):
    """`tput colors` for the terminal type, or None when it is unknown."""
    colours = tput(term, terminfo, "colors") or ""
    return int(colours) if colours.lstrip("-").isdigit() else None


def wait_until(what, done, timeout=WAIT_SECONDS):
    deadline = time.monotonic() + timeout
    while not done():
        if time.monotonic() > deadline:
            raise Failure(what)
        time.sleep(POLL_SECONDS)


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
        self.status_file = os.path.join(workdir, "exit-status-" + self.socket)
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("TMUX")}
        self.env.update(LANG="C.UTF-8", LC_ALL="C.UTF-8")  # tmux itself needs UTF-8
        game = ["env", "-u", "TERMINFO", "TERM=" + term, "LANG=" + lang, "LC_ALL=" + lang, *extra_env]
        if terminfo_dir:
            game.append("TERMINFO=" + terminfo_dir)
        game += [binary, *args]
        script = (prelude + '\nset -m; "$@"; s=$?; while [ $s = 148 ]; do '
                  'echo >> "$STATUS.stopped"; fg > /dev/null; s=$?; done; '
                  'stty -a > "$STATUS.stty"; echo $s > "$STATUS.new"; '
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
        return Screen.captured(self.tmux("capture-pane", "-p", "-e", "-t", "game"), self.width, self.height)

    def send(self, *keys):
        self.tmux("send-keys", "-t", "game", *keys)

    def resize(self, width, height):
        self.tmux("resize-window", "-t", "game", "-x", str(width), "-y", str(height))
        self.width, self.height = width, height

    def info(self, fmt):
        return self.tmux("display-message", "-p", "-t", "game", fmt).strip()

    def wait_for(self, what, predicate, timeout=WAIT_SECONDS):
        """Polls the screen until predicate(screen) is None or True; else it
        says what is wrong."""
        deadline = time.monotonic() + timeout
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

    def exit_status(self):
        """The game's exit status (128 + n after signal n), or None while it runs."""
        try:
            with open(self.status_file) as f:
                return int(f.read())
        except FileNotFoundError:
            return None

    def expect_exit_status(self, wanted):
        wait_until("the game did not end", lambda: self.exit_status() is not None)
        status = self.exit_status()
        if status != wanted:
            raise Failure("the game ended with status %d, not %d\n%s" % (status, wanted, self.capture().dump()))

    def stopped(self):
        """Whether the shell has seen the game stop (and brought it back)."""
        return os.path.exists(self.status_file + ".stopped")

    def kill(self, sig):
        os.kill(self.game_pid(), sig)

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
        wait_until("the shell after the game did not finish reading",
                   lambda: os.path.exists(self.status_file + ".typed"))
        with open(self.status_file + ".typed") as f:
            return f.read().strip()

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], env=self.env, capture_output=True)
