#!/usr/bin/env bash
# The desktop program's search beside `vantrel search` on the same 3,000-name
# custom list, against the same rationing registry (5 answers/s per client)
# and DNS responder as bench/realistic_run.sh. The desktop run is the real
# main window and lookup session, offscreen, driven through Tools > Custom
# List and Start (build/bin/desktop_bench). Prints for each run the seconds,
# names/s and how many names were lost, wrong or left without a verdict, then
# the desktop run's time as a multiple of the command's.
# usage: bench/desktop_run.sh [NAMES]   (default 3000; root, for UDP port 53)
# DESKTOP_BENCH=path runs another build's desktop_bench (an older engine) instead.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-3000}
vantrel=$PWD/build/bin/vantrel
desktop=${DESKTOP_BENCH:-$PWD/build/bench/desktop_bench}
require_file "$vantrel" "vantrel"
require_file "$desktop" "desktop_bench"
require_file /usr/share/dict/words "the word list (Debian's wamerican)"
require_tool python3
[ "$(id -u)" -eq 0 ] || fail "the DNS responder needs root to listen on 127.0.0.1:53"

work=$(mktemp -d)
registry=
trap 'kill $registry 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config VANTREL_DNS_SERVER=${DNS_SERVER:-127.0.0.1}
grep -E '^[a-z]{3,12}$' /usr/share/dict/words | sort -u |
    shuf -n "$names" --random-source=<(yes) | sed 's/$/.com/' > "$work/names.txt"
[ "$(wc -l < "$work/names.txt")" -eq "$names" ] || fail "the word list has fewer than $names usable words"
head -n $((names * 85 / 100)) "$work/names.txt" > "$work/taken.txt"

port=$((20000 + RANDOM % 10000))
python3 bench/rationing_registry.py "$port" --taken "$work/taken.txt" --rate 5 --dns > "$work/registry.log" &
registry=$!
sleep 1
kill -0 "$registry" 2>/dev/null || fail "the loopback registry did not start (is port 53 free?)"

# judge LABEL SECONDS OUT: every name's verdict against the truth.
judge() {
    python3 - "$1" "$2" "$work/names.txt" "$work/taken.txt" "$3" <<'PY'
import sys
label, seconds, names, taken, out = sys.argv[1:]
names = [n.strip() for n in open(names) if n.strip()]
taken = {n.strip() for n in open(taken) if n.strip()}
got = {}
for line in open(out):
    fields = line.rstrip("\n").split("\t")
    if len(fields) >= 2:
        got[fields[0]] = fields[1]
lost = sum(1 for n in names if n not in got)
blocked = sum(1 for n in names if got.get(n) in ("blocked", "timeout", "error"))
wrong = sum(1 for n in names if got.get(n) in ("available", "registered")
            and got[n] != ("registered" if n in taken else "available"))
seconds = float(seconds)
print(f"{label}: {len(names)} names in {seconds:.1f} s = {len(names) / seconds:.1f} names/s; "
      f"lost {lost}, wrong {wrong}, left blocked {blocked}")
PY
}

# Each run on a fresh program folder: no history, no resume position.
fresh_home() {
    rm -rf "$work/home" "$work/config"
    mkdir -p "$work/home"
    printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/home/TLDs.txt"
}

fresh_home
start=$(date +%s.%N)
"$vantrel" --home "$work/home" search --type custom --quiet --dns-server 127.0.0.1 \
    --list "$work/names.txt" > "$work/cli.txt"
cli_s=$(python3 -c "import time; print(time.time() - $start)")
judge "vantrel search " "$cli_s" "$work/cli.txt" | tee "$work/cli.line"

fresh_home
start=$(date +%s.%N)
"$desktop" "$work/home" "$work/names.txt" ${PARALLEL:-} > "$work/desktop.txt" 2> "$work/desktop.err" ||
    { cat "$work/desktop.err" >&2; fail "the desktop run failed"; }
desktop_s=$(python3 -c "import time; print(time.time() - $start)")
judge "desktop window " "$desktop_s" "$work/desktop.txt"
python3 -c "print(f'desktop / command: {$desktop_s / $cli_s:.2f}x the time')"
kill "$registry"; wait "$registry" 2>/dev/null || true
cat "$work/registry.log"
