#!/usr/bin/env python3
"""The exit statuses of src/screen/exit_status.h are the ones the manual
page's EXIT STATUS section and the README's paragraph on them list."""
import re
import sys

root = sys.argv[1]


def read(path):
    return open(f"{root}/{path}", encoding="utf-8").read()


header = {int(n) for n in re.findall(r"constexpr int EXIT_\w+ = (\d+);", read("src/screen/exit_status.h"))}
manual = read("docs/drowsel.6").split(".SH EXIT STATUS", 1)[1].split("\n.SH", 1)[0]
listed = {int(a or b) for a, b in re.findall(r"^\.TP\n\.B (\d+)$|(\d+) plus its number", manual, re.M)}
readme = re.search(r"It exits with status.*?given back first\.", read("README.md"), re.S).group(0)
told = {int(n) for n in re.findall(r"(?<![\w.])(\d+)(?![\w.])", readme)}
failed = False
for where, statuses in (("the manual page", listed), ("the README", told)):
    if statuses != header:
        print(f"FAIL: {where} lists {sorted(statuses)}, exit_status.h {sorted(header)}")
        failed = True
sys.exit(1 if failed else 0)
