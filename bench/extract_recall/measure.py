#!/usr/bin/env python3
"""Recall and junk of `vantrel extract` (list builder) and `vantrel extract
--browsed` (browse window) on pages whose visible result sites are known.

usage: measure.py VANTREL HOME PAGES_TSV:FOLDER...
A junk name is not a host name, or starts with a scheme's or an attribute's
leftovers ("http", "href", "x22", "x3d"...).
"""
import re
import subprocess
import sys

HOST = re.compile(r"^([a-z0-9]([a-z0-9-]*[a-z0-9])?\.)+[a-z]{2,}$", re.I)
LEFTOVER = re.compile(r"^(https?|href|src|x22|x3d|x2f|u00|quot|amp)|(x22|x3d|u003d|href)", re.I)


def is_junk(name):
    return not HOST.match(name) or bool(LEFTOVER.search(name))


def extract(vantrel, home, path, browsed):
    args = [vantrel, "--home", home, "extract"] + (["--browsed"] if browsed else []) + [path]
    result = subprocess.run(args, capture_output=True, check=True)
    return [line for line in result.stdout.decode("latin-1").split("\n") if line]


def main():
    vantrel, home, sources = sys.argv[1], sys.argv[2], sys.argv[3:]
    rows = []
    for source in sources:
        table, folder = source.split(":", 1)
        for line in open(table, encoding="utf-8"):
            if line.startswith("#") or not line.strip():
                continue
            label, file, visible = line.rstrip("\n").split("\t")
            rows.append((label, f"{folder}/{file}", visible.split()))
    print("| Page | Visible | List builder found / junk | Browse window found / junk |")
    print("|---|---|---|---|")
    totals = {False: [0, 0, 0], True: [0, 0, 0]}  # found, junk, filed
    visible_total = 0
    for label, path, visible in rows:
        cells = []
        for browsed in (False, True):
            names = extract(vantrel, home, path, browsed)
            found = {name.strip().lower() for name in names}
            hits = sum(1 for site in visible if site in found)
            junk = [name for name in names if is_junk(name)]
            totals[browsed][0] += hits
            totals[browsed][1] += len(junk)
            totals[browsed][2] += len(names)
            cells.append(f"{hits} / +{len(junk)} of {len(names)}")
            if junk and "-v" in sys.argv[0:0] + sys.argv:
                print("   junk:", junk, file=sys.stderr)
        visible_total += len(visible)
        print(f"| {label} | {len(visible)} | {cells[0]} | {cells[1]} |")
    summary = []
    for browsed in (False, True):
        found, junk, filed = totals[browsed]
        summary.append(f"{100.0 * found / visible_total:.1f}% found, junk {100.0 * junk / max(filed, 1):.1f}% "
                       f"of {filed} filed")
    print(f"| All | {visible_total} | {summary[0]} | {summary[1]} |")


main()
