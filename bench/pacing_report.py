#!/usr/bin/env python3
"""Reads the connection log of whois_responder.py --connections ("OPENED
CLOSED NAME" per connection) and prints what one registry saw of several
callers: the most connections open at once, the smallest gap between two
query starts, the names asked more than once and the names never asked, per
caller. Each caller is CAPTION=FILE, FILE holding its names one per line.

With --closed CAPTION --closed-at T (wall-clock seconds) that caller's window
was closed at T: its names may go unasked, and the queries of its names that
started after T are counted instead (the target is none).

Exits 0 when every target is met, 2 when one is missed.
usage: pacing_report.py LOG --caller CAPTION=FILE... [--pause-ms 500]
                        [--closed CAPTION --closed-at T]
"""
import argparse
import collections
import sys

# Accept times are the responder's, a little after the caller's connect: a
# gap this much under the pause still counts as the pause.
TOLERANCE_S = 0.010


def read_log(path):
    rows = []
    for line in open(path):
        opened, closed, name = line.split()
        rows.append((float(opened), float(closed), name.lower()))
    return sorted(rows)


def most_open(rows):
    events = [(opened, 1) for opened, _, _ in rows] + [(closed, -1) for _, closed, _ in rows]
    events.sort(key=lambda event: (event[0], event[1]))  # a close before an open at the same time
    now = most = 0
    for _, step in events:
        now += step
        most = max(most, now)
    return most


def smallest_gap(rows):
    gaps = [(b[0] - a[0], a[2], b[2]) for a, b in zip(rows, rows[1:])]
    return min(gaps) if gaps else None


def listed(names, limit=8):
    names = sorted(names)
    more = f" and {len(names) - limit} more" if len(names) > limit else ""
    return ", ".join(names[:limit]) + more


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("log")
    parser.add_argument("--caller", action="append", required=True)
    parser.add_argument("--pause-ms", type=float, default=500)
    parser.add_argument("--closed")
    parser.add_argument("--closed-at", type=float)
    args = parser.parse_args()
    callers = {}
    for caller in args.caller:
        caption, path = caller.split("=", 1)
        callers[caption] = {line.strip().lower() for line in open(path) if line.strip()}
    rows = read_log(args.log)
    asked = collections.Counter(name for _, _, name in rows)
    good = True

    most = most_open(rows)
    print(f"queries logged: {len(rows)}; most connections open at once: {most} (target 1)")
    good &= most <= 1
    gap = smallest_gap(rows)
    if gap:
        seconds, first, second = gap
        short = sum(1 for a, b in zip(rows, rows[1:]) if b[0] - a[0] < args.pause_ms / 1000 - TOLERANCE_S)
        print(f"smallest gap between two query starts: {seconds * 1000:.0f} ms, {first} then {second} "
              f"(target at least {args.pause_ms:.0f} ms); gaps under it: {short} of {len(rows) - 1}")
        good &= seconds >= args.pause_ms / 1000 - TOLERANCE_S
    for caption, names in callers.items():
        twice = {name: asked[name] for name in names if asked[name] > 1}
        never = {name for name in names if asked[name] == 0}
        closed = caption == args.closed
        print(f"{caption}: {len(names)} names, {sum(1 for n in names if asked[n])} asked; "
              f"asked more than once: {len(twice)}{' (' + listed(f'{n} x{c}' for n, c in twice.items()) + ')' if twice else ''}; "
              f"never asked: {len(never)}{' (' + listed(never) + ')' if never else ''}"
              f"{' (closed mid-lookup: unasked names are expected)' if closed and never else ''}")
        good &= not twice and (closed or not never)
        if closed:
            late = [(opened, name) for opened, _, name in rows if name in names and opened > args.closed_at]
            print(f"{caption} closed: queries of its names started after the close: {len(late)}"
                  f"{' (' + listed(f'{n} +{(t - args.closed_at) * 1000:.0f} ms' for t, n in late) + ')' if late else ''}"
                  " (target 0)")
            good &= not late
    strangers = sorted(set(asked) - set().union(*callers.values()))
    if strangers:
        print(f"names no caller asked for: {len(strangers)} ({listed(strangers)})")
        good = False
    return 0 if good else 2


if __name__ == "__main__":
    sys.exit(main())
