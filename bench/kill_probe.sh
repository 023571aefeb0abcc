#!/usr/bin/env bash
# Nothing lost to kill -9: `vantrel search --type custom --slots 8` on NAMES
# names against a loopback registry that answers at once (every fifth name
# taken) is killed with SIGKILL KILLS times at random moments, each time
# resumed from its stored position, and then run to its end. Prints how far
# each killed run got, then the names with no verdict in history.sqlite
# (missing), the names with more than one (duplicates), the available names
# in no profile file (unfiled) and the verdicts that are wrong. The target is
# 0 for all four.
# usage: bench/kill_probe.sh [NAMES [KILLS]]   (default 20000 and 30)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-20000}
kills=${2:-30}
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file bench/rationing_registry.py "the loopback registry"
require_tool python3 shuf
[ "$names" -ge 1000 ] || fail "NAMES must be at least 1000"
[ "$kills" -ge 1 ] || fail "KILLS must be at least 1"

work=$(mktemp -d)
registry=
trap 'kill $registry 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config
mkdir -p "$work/home" "$work/config/user"
seq -f 'probe%06g.com' 1 "$names" > "$work/names.txt"
awk 'NR % 5 == 0' "$work/names.txt" > "$work/taken.txt"

port=$((20000 + RANDOM % 10000))
python3 bench/rationing_registry.py "$port" --taken "$work/taken.txt" --rate 1000000 --lifetime 3600 \
    > "$work/registry.log" &
registry=$!
sleep 0.5
kill -0 "$registry" 2>/dev/null || fail "the loopback registry did not start"
printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/home/TLDs.txt"

search=("$vantrel" --home "$work/home" search --type custom --list "$work/names.txt" --slots 8 --no-dns --quiet)
# The stored resume position of the custom list (1 before the first save).
position() {
    local value
    value=$(grep -rhs '^CustWordNum=' "$work/config" | tail -n 1 | cut -d= -f2) || true
    echo "${value:-1}"
}

# Each kill lands at a random moment; the delays follow the speed of the
# runs so far, so that the kills spread over the whole list.
startup_ms=150
target_ms=600
moved=0
moving_ms=0
for kill in $(seq 1 "$kills"); do
    before=$(position)
    "${search[@]}" > /dev/null 2>> "$work/stderr.txt" &
    pid=$!
    ms=$(shuf -i $((target_ms / 2))-$((target_ms * 3 / 2)) -n 1)
    sleep "$((ms / 1000)).$(printf '%03d' $((ms % 1000)))"
    kill -0 "$pid" 2>/dev/null || fail "run $kill ended before it was killed; use more NAMES"
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    after=$(position)
    echo "kill $kill after $ms ms: position $before -> $after"
    moved=$((moved + after - before))
    moving_ms=$((moving_ms + (ms > startup_ms ? ms - startup_ms : 0)))
    if [ "$moved" -gt 0 ]; then
        share=$(((names + 1 - after) / (kills - kill + 1)))
        target_ms=$((startup_ms + share * moving_ms / moved))
    else
        target_ms=$((target_ms + 200))
    fi
    [ "$target_ms" -ge 200 ] || target_ms=200
done
status=0
"${search[@]}" > /dev/null 2>> "$work/stderr.txt" || status=$?
echo "last run: exit status $status, position $(position)"
[ -s "$work/stderr.txt" ] && sed 's/^/stderr: /' "$work/stderr.txt" | sort | uniq -c
kill "$registry"
wait "$registry" 2>/dev/null || true
registry=

python3 - "$work/names.txt" "$work/taken.txt" "$work/home" <<'PY'
import pathlib, sqlite3, sys
names = [line.strip() for line in open(sys.argv[1]) if line.strip()]
taken = {line.strip() for line in open(sys.argv[2]) if line.strip()}
home = pathlib.Path(sys.argv[3])
rows = {}
for name, verdict in sqlite3.connect(home / "history.sqlite").execute("SELECT name, verdict FROM verdicts"):
    rows.setdefault(name, []).append(verdict)
filed = set()
for path in home.rglob("*Profile*.txt"):
    filed.update(line.strip() for line in path.read_text(encoding="latin-1").splitlines() if line.strip())
missing = sum(1 for n in names if n not in rows)
duplicates = sum(1 for n in names if len(rows.get(n, [])) > 1)
unfiled = sum(1 for n in names if n not in taken and n not in filed)
wrong = sum(1 for n in names if any(v != ("registered" if n in taken else "available") for v in rows.get(n, [])))
print(f"{len(names)} names, {sum(len(v) for v in rows.values())} history rows: missing {missing}, "
      f"duplicates {duplicates}, unfiled {unfiled}, wrong {wrong}")
PY
