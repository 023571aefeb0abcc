#!/usr/bin/env bash
# The history at a million verdicts: inserting them through the store,
# looking up 3,000 names one at a time and in batches, the History window's
# first rows and the peak memory (history_bench); how soon
# `vantrel history --verdict available --format csv` prints its first row; and
# a 100,000-name check with RecheckAfterDays=30 whose names are all in the
# history: its seconds and the WHOIS queries a loopback registry counted (the
# target is 0).
# usage: bench/history_run.sh [ROWS]   (default 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
rows=${1:-1000000}
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file build/bench/history_bench "history_bench"
require_tool python3
[ "$rows" -ge 100000 ] || fail "ROWS must be at least 100000 (the check reuses 100,000 of them)"

work=$(mktemp -d)
trap 'kill $registry 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config
mkdir -p "$work/home" "$work/config/user"
printf '[Settings]\nRecheckAfterDays=30\nCheckDnsFirst=0\n' > "$work/config/user/Ornisk.ini"

QT_QPA_PLATFORM=offscreen build/bench/history_bench "$rows" "$work/home" 2> /dev/null

python3 - "$vantrel" "$work/home" <<'PY'
import subprocess, sys, time
start = time.monotonic()
child = subprocess.Popen([sys.argv[1], "--home", sys.argv[2], "history", "--verdict", "available", "--format", "csv"],
                         stdout=subprocess.PIPE)
child.stdout.readline()
child.stdout.readline()
first = time.monotonic() - start
lines = 2 + sum(1 for _ in child.stdout)
child.wait()
print(f"history --verdict available --format csv: first row after {first * 1000:.0f} ms, "
      f"{lines - 1} rows in {time.monotonic() - start:.1f} s")
PY

port=$((20000 + RANDOM % 10000))
seq 0 99999 | sed 's/^/name/; s/$/.com/' > "$work/names.txt"
: > "$work/taken.txt"
python3 bench/rationing_registry.py "$port" --taken "$work/taken.txt" --rate 1000000 > "$work/registry.log" &
registry=$!
sleep 0.5
printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/home/TLDs.txt"
start=$(date +%s.%N)
"$vantrel" --home "$work/home" check --slots 8 --list "$work/names.txt" > "$work/out.txt"
seconds=$(python3 -c "import time; print(f'{time.time() - $start:.2f}')")
kill "$registry"
wait "$registry" 2> /dev/null || true
echo "check of 100000 names, all in the history: ${seconds} s, $(grep -c $'\thistory\t\|\thistory$' "$work/out.txt") from history; $(cat "$work/registry.log")"
