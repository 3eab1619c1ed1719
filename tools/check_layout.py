#!/usr/bin/env python3
"""Checks the include rules of src/: the arrows between its folders point one
way, and each platform header stays in the folders that own that platform.
Prints every broken rule as file:line: reason and exits 1 if there is any.
Usage: check_layout.py [SRC]  (SRC defaults to the src/ beside tools/)."""
import os
import re
import sys

GAME = {"game", "world", "creatures", "screen", "text"}
OUTSIDE_GAME = {"backends", "recording", "programs"}
# System headers and the folders (or files) of src/ that may include them.
PLATFORM = [
    (re.compile(r"(n?curses|term)\.h$|^ncursesw?/"), ("backends/curses/",), "curses"),
    (re.compile(r"^emscripten(\.h$|/)"), ("backends/browser/", "programs/web_main.cpp"), "Emscripten"),
    (re.compile(r"^(termios\.h|csignal|signal\.h|sys/ioctl\.h)$"), ("backends/", "programs/"),
     "POSIX terminal or signal"),
    (re.compile(r"^iconv\.h$"), ("text/iconv/",), "iconv"),
    # Files on disk are the terminal program's (and its backends'): the game
    # and recording/ take bytes from wherever a program keeps them.
    (re.compile(r"^(fcntl\.h|unistd\.h|dirent\.h|sys/(stat|file|types|mman)\.h)$"), ("backends/", "programs/"),
     "POSIX file"),
]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def violation(path, inc, system):
    """Why `path` (relative to src/) may not include `inc`, or None."""
    if system:
        for pattern, owners, what in PLATFORM:
            if pattern.search(inc) and not path.startswith(owners):
                return f"the {what} header <{inc}> belongs in {' or '.join(owners)}"
        return None
    top, target = path.split("/")[0], inc.split("/")
    if top in GAME and target[0] in OUTSIDE_GAME:
        return f"the game's {top}/ includes {inc} from {target[0]}/"
    if top == "recording" and target[0] in {"backends", "programs"}:
        return f"recording/ includes {inc} from {target[0]}/"
    if top == "backends":
        own = path.split("/")[1]
        if target[0] == "backends" and len(target) > 2 and target[1] != own:
            return f"backend {own} includes another backend's {inc}"
        if target[0] in {"game", "world", "creatures", "recording", "programs"}:
            return f"backend {own} includes {inc} from {target[0]}/"
    return None


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    broken = 0
    for folder, _, files in sorted(os.walk(root)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".in")):
                continue
            full = os.path.join(folder, name)
            path = os.path.relpath(full, root).replace(os.sep, "/")
            with open(full, encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    inc = match.group(2)
                    if match.group(1) == '"' and inc.startswith("."):
                        inc = os.path.relpath(os.path.normpath(os.path.join(folder, inc)), root)
                    reason = violation(path, inc.replace(os.sep, "/"), match.group(1) == "<")
                    if reason:
                        print(f"{os.path.normpath(full)}:{number}: {reason}")
                        broken += 1
    if broken:
        print(f"{broken} include rule(s) broken", file=sys.stderr)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
