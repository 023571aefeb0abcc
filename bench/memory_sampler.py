#!/usr/bin/env python3
"""Samples a process's peak resident memory (VmHWM of /proc/PID/status) and
the names it has done, once a second, for benchmarks. Names done are the
lines written to --lines FILE (a command's rows) or the rows of the history
database --history FILE (a desktop run). Stops when the process ends, when
--total names are done, or after --seconds (0: no limit); then, with
--interrupt, sends the process SIGINT (Ctrl+C) and waits for it to end.

Prints the names done, names/s (from the first sample on) and the peak RSS (and VmHWM at the first
sample, what the process held before the run grew it); when the run ended before
--total names, the peak RSS extrapolated to --total: the least-squares line
of VmHWM against names done over the samples after the first third of the
run, continued from the last sample to --total names.

Exits 2 when the peak (or the extrapolated peak) is over --target-mb.
usage: memory_sampler.py --pid PID --label TEXT (--lines FILE | --history FILE)
                         --total N --target-mb MB [--seconds S] [--interrupt]
"""
import argparse
import os
import signal
import sqlite3
import sys
import time


def peak_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except (FileNotFoundError, ProcessLookupError):
        pass
    return None


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().split(") ")[-1][0] != "Z"
    except FileNotFoundError:
        return False


class LineCounter:
    def __init__(self, path):
        self.path, self.offset, self.count = path, 0, 0

    def __call__(self):
        try:
            with open(self.path, "rb") as source:
                source.seek(self.offset)
                while chunk := source.read(1 << 20):
                    self.count += chunk.count(b"\n")
                    self.offset += len(chunk)
        except FileNotFoundError:
            pass
        return self.count


class HistoryCounter:
    """Rows of the verdicts table; its rowid only grows while a run adds rows."""

    def __init__(self, path):
        self.path, self.count = path, 0

    def __call__(self):
        try:
            with sqlite3.connect(f"file:{self.path}?mode=ro", uri=True, timeout=0.5) as db:
                self.count = db.execute("SELECT coalesce(max(rowid), 0) FROM verdicts").fetchone()[0]
        except sqlite3.Error:
            pass  # not created yet, or busy: the last count stands
        return self.count


def extrapolate(samples, total):
    """(MB at total names, bytes per name) from the samples after the first third."""
    tail = samples[len(samples) // 3:]
    names = [s[1] for s in tail]
    peaks = [s[2] * 1024.0 for s in tail]
    mean_n, mean_p = sum(names) / len(names), sum(peaks) / len(peaks)
    spread = sum((n - mean_n) ** 2 for n in names)
    slope = sum((n - mean_n) * (p - mean_p) for n, p in zip(names, peaks)) / spread if spread else 0.0
    last_names, last_peak = samples[-1][1], samples[-1][2] * 1024.0
    return (last_peak + max(slope, 0.0) * (total - last_names)) / 1e6, slope


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pid", type=int, required=True)
    parser.add_argument("--label", required=True)
    parser.add_argument("--lines")
    parser.add_argument("--history")
    parser.add_argument("--total", type=int, required=True)
    parser.add_argument("--target-mb", type=float, required=True)
    parser.add_argument("--seconds", type=float, default=0)
    parser.add_argument("--interrupt", action="store_true")
    args = parser.parse_args()
    count = LineCounter(args.lines) if args.lines else HistoryCounter(args.history)

    start = time.monotonic()
    samples = []  # (seconds, names done, VmHWM kB)
    while True:
        peak = peak_kb(args.pid)
        if peak is None or not alive(args.pid):
            break
        samples.append((time.monotonic() - start, count(), peak))
        if samples[-1][1] >= args.total or (args.seconds and samples[-1][0] >= args.seconds):
            break
        time.sleep(1.0)
    # The peak while the interrupted process winds down counts; its samples
    # stay out of the line, having no names done.
    closing_peak = 0
    if args.interrupt and alive(args.pid):
        os.kill(args.pid, signal.SIGINT)
        deadline = time.monotonic() + 60
        while alive(args.pid) and time.monotonic() < deadline:
            closing_peak = max(closing_peak, peak_kb(args.pid) or 0)
            time.sleep(0.2)
    if len(samples) < 3:
        print(f"{args.label}: the process ended after {len(samples)} samples", file=sys.stderr)
        return 1
    seconds = max(s[0] for s in samples)
    done = max(count(), samples[-1][1])
    peak_mb = max(closing_peak, *(s[2] for s in samples)) * 1024 / 1e6
    rate = (done - samples[0][1]) / seconds
    print(f"{args.label}: {done:,} of {args.total:,} names in {seconds:.0f} s = {rate:.0f} names/s; "
          f"peak RSS {peak_mb:.1f} MB ({samples[0][2] * 1024 / 1e6:.1f} MB at the first sample)")
    if done >= args.total:
        verdict = "PASS" if peak_mb <= args.target_mb else "FAIL"
        print(f"  the whole run: peak RSS {peak_mb:.1f} MB, target at most {args.target_mb:.0f} MB: {verdict}")
        return 0 if verdict == "PASS" else 2
    working = [s for s in samples if s[1] > 0]
    if len(working) < 6:
        print(f"  too few samples with names done ({len(working)}) to extrapolate")
        return 2
    estimate, slope = extrapolate(working, args.total)
    verdict = "PASS" if estimate <= args.target_mb else "FAIL"
    print(f"  extrapolated to {args.total:,} names: {estimate:.1f} MB (VmHWM grew {slope:.1f} bytes per name: "
          f"least-squares line of VmHWM against names done over the last two thirds of {len(working)} "
          f"one-second samples, continued from {working[-1][1]:,} names at "
          f"{working[-1][2] * 1024 / 1e6:.1f} MB); target at most {args.target_mb:.0f} MB: {verdict}")
    return 0 if verdict == "PASS" else 2


if __name__ == "__main__":
    sys.exit(main())
