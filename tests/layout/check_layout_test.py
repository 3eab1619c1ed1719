#!/usr/bin/env python3
"""The include check passes on src/ and fails, naming file and line, on a
tree where each rule is broken once beside includes that are allowed."""
import os
import subprocess
import sys
import tempfile

check, src = sys.argv[1], sys.argv[2]
tree = {
    "game/turn.cpp": '#include "game/state.h"\n#include "backends/curses/terminal_restore.h"\n',
    "text/iconv/conv.cpp": '#include <iconv.h>\n#include "recording/recording.h"\n',
    "screen/drawing.cpp": '#include "../programs/options.h"\n#include <curses.h>\n',
    "creatures/monsters.cpp": "#include <csignal>\n",
    "world/map.cpp": "#include <emscripten/html5.h>\n",
    "backends/curses/keys.cpp": '#include <curses.h>\n#include <termios.h>\n#include "screen/console.h"\n'
                                '#include "backends/headless/headless_terminal.h"\n',
    "backends/browser/web.cpp": '#include <emscripten.h>\n#include "text/encoding.h"\n#include "game/state.h"\n',
    "backends/headless/headless.cpp": "#include <term.h>\n#include \"recording/recording.h\"\n",
    "backends/cast/cast.cpp": '#include "screen/row_walk.h"\n#include <iconv.h>\n#include "recording/replay.h"\n',
    "recording/replay.cpp": '#include "game/state.h"\n#include "programs/options.h"\n#include <fcntl.h>\n',
    "programs/web_main.cpp": '#include <emscripten.h>\n#include <signal.h>\n#include "backends/browser/web.h"\n',
    "programs/main.cpp": "#include <emscripten.h>\n",
}
expected = {"game/turn.cpp:2", "text/iconv/conv.cpp:2", "screen/drawing.cpp:1", "screen/drawing.cpp:2",
            "creatures/monsters.cpp:1", "world/map.cpp:1", "backends/curses/keys.cpp:4",
            "backends/browser/web.cpp:3", "backends/headless/headless.cpp:1", "backends/headless/headless.cpp:2",
            "backends/cast/cast.cpp:2", "backends/cast/cast.cpp:3",
            "recording/replay.cpp:2", "recording/replay.cpp:3", "programs/main.cpp:1"}
failed = False
real = subprocess.run([sys.executable, check, src], capture_output=True, text=True)
if real.returncode != 0:
    print("FAIL: the rules are broken in src/:\n" + real.stdout)
    failed = True
with tempfile.TemporaryDirectory() as root:
    for path, text in tree.items():
        os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
        with open(os.path.join(root, path), "w") as f:
            f.write(text)
    bad = subprocess.run([sys.executable, check, root], capture_output=True, text=True)
    found = set()
    for line in bad.stdout.splitlines():
        path, number = line.split(": ", 1)[0].rsplit(":", 1)
        found.add(f"{os.path.relpath(path, root)}:{number}")
    if bad.returncode == 0 or found != expected:
        print(f"FAIL: exit {bad.returncode}; missed {sorted(expected - found)}, wrongly {sorted(found - expected)}")
        print(bad.stdout)
        failed = True
sys.exit(1 if failed else 0)
