#!/usr/bin/env python3
"""The page's files made at build time, beside the program in the page's folder:
the icons of the web app manifest (PNG, drawn here), the page's own Japanese
font (a subset of a Debian font holding the characters of the game's texts,
as WOFF2, its licence beside it), and the service worker, whose cache is named
after a hash of every file it keeps.

    page_assets.py --source SOURCE_DIR --page PAGE_DIR
"""
import argparse
import glob
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import zlib

# The player's "@" in the screen's light green, on black: 7 x 7 cells.
GLYPH = ["..###..",
         ".#...#.",
         "#..##.#",
         "#.#.#.#",
         "#..###.",
         ".#.....",
         "..####."]
GREEN = (0x55, 0xFF, 0x55)


def png(size):
    """A square PNG of `size` pixels: the glyph scaled, with a margin."""
    cell = size // 11
    left = (size - cell * 7) // 2
    rows = []
    for y in range(size):
        row = bytearray(b"\0")  # no filter
        gy = (y - left) // cell if y >= left else -1
        for x in range(size):
            gx = (x - left) // cell if x >= left else -1
            on = 0 <= gy < 7 and 0 <= gx < 7 and GLYPH[gy][gx] == "#"
            row += bytes(GREEN) if on else b"\0\0\0"
        rows.append(bytes(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) +
            chunk(b"IEND", b""))


def write_if_changed(path, data):
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    with open(path, "wb") as f:
        f.write(data)


# Free Japanese fonts of Debian packages, smallest first: the font file, its
# number inside a collection, and its licence.
FONTS = [
    ("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf", 0,
     "/usr/share/doc/fonts-ipafont-gothic/copyright"),
    ("/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf", 0,
     "/usr/share/doc/fonts-ipaexfont-gothic/copyright"),
    ("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 0,
     "/usr/share/doc/fonts-noto-cjk/copyright"),
]
FONT_FILE = "drowsel-jp.woff2"
FONT_LICENCE = "drowsel-jp-LICENSE.txt"


def game_characters(source):
    """Every character beyond ASCII in the string literals of the game's
    sources (the texts it can show: its phrases, messages and pages) and
    every Japanese character of the page's own files (the language switch)."""
    chars = set()
    literal = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
    for path in sorted(glob.glob(os.path.join(source, "src", "**", "*.*"), recursive=True)):
        if not path.endswith((".cpp", ".h")):
            continue
        with open(path, encoding="utf-8") as f:
            for line in f:
                for text in literal.findall(line):
                    chars.update(c for c in text if ord(c) > 0x7E)
    for path in sorted(glob.glob(os.path.join(source, "web", "*.*"))):
        if path.endswith((".html", ".js")):
            with open(path, encoding="utf-8") as f:
                chars.update(c for c in f.read() if 0x3000 <= ord(c) <= 0x9FFF)
    # The screen's ASCII and the blank of its layers (screen.js) too, so
    # that the grid's text is shaped with the page's font at once.
    chars.update(chr(c) for c in range(0x20, 0x7F))
    chars.add("\u00a0")
    return "".join(sorted(chars))


def make_font(source, page):
    for font, number, licence in FONTS:
        if os.path.exists(font) and os.path.exists(licence):
            break
    else:
        return "no Japanese font: install the Debian package fonts-ipafont-gothic"
    try:
        import fontTools.subset  # noqa: F401
        import brotli  # noqa: F401
    except ImportError:
        return "no font subsetter: install the Debian packages python3-fonttools and python3-brotli"
    chars = game_characters(source)
    out = os.path.join(page, FONT_FILE)
    subprocess.run([sys.executable, "-m", "fontTools.subset", font, f"--font-number={number}", f"--text={chars}",
                    "--flavor=woff2", "--layout-features=", "--no-hinting", "--desubroutinize",
                    f"--output-file={out}.new"], check=True)
    os.replace(out + ".new", out)
    shutil.copyfile(licence, os.path.join(page, FONT_LICENCE))
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--page", required=True)
    args = parser.parse_args()
    page = args.page

    write_if_changed(os.path.join(page, "icon-192.png"), png(192))
    write_if_changed(os.path.join(page, "icon-512.png"), png(512))
    problem = make_font(args.source, page)
    if problem:
        # The page falls back to the fonts of the machine it runs on.
        print(f"page_assets: the page goes without its own Japanese font ({problem})")
        for name in (FONT_FILE, FONT_LICENCE):
            if os.path.exists(os.path.join(page, name)):
                os.remove(os.path.join(page, name))

    # Every file of the page but the worker itself, hashed in name order.
    files = sorted(n for n in os.listdir(page) if os.path.isfile(os.path.join(page, n)) and n != "sw.js"
                   and not n.endswith(".new"))
    digest = hashlib.sha256()
    for name in files:
        with open(os.path.join(page, name), "rb") as f:
            digest.update(name.encode() + b"\0" + f.read())
    with open(os.path.join(args.source, "web", "sw.js"), encoding="utf-8") as f:
        worker = f.read()
    worker = worker.replace("@BUILD@", digest.hexdigest()[:16]).replace("'@FILES@'", ", ".join(f"'{n}'" for n in files))
    write_if_changed(os.path.join(page, "sw.js"), worker.encode())


if __name__ == "__main__":
    main()
