#!/usr/bin/env bash
# Several workers on one shared queue, as on several machines: a loopback
# "registry" that answers at most 5 WHOIS queries per second per client
# address, a loopback DNS responder whose zone holds 85% of the names, and a
# throwaway PostgreSQL server. Prints, for each run, the seconds, names/s and
# how many names were lost, done twice, wrong or left unanswered:
#   1. one worker, then four (each --bind on its own address), on NAMES names;
#   2. four workers, one of them killed with SIGKILL in the middle;
#   3. four workers while the server is stopped and started again;
#   4. the time `history --format csv` takes to print its first row over ROWS rows.
# usage: bench/scale_out.sh [NAMES] [ROWS]   (default 6000 and 1000000; root,
# for UDP port 53; the server runs as nobody)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-6000}
rows=${2:-1000000}
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file /usr/share/dict/words "the word list (Debian's wamerican)"
require_tool python3 runuser
[ "$(id -u)" -eq 0 ] || fail "the DNS responder needs root to listen on 127.0.0.1:53"
pgbin=$(dirname "$(command -v initdb || ls -d /usr/lib/postgresql/*/bin/initdb | sort -V | tail -n 1)")
[ -x "$pgbin/pg_ctl" ] || fail "needs the PostgreSQL server (apt-get install postgresql)"

work=$(mktemp -d)
chmod 755 "$work"
registry=
workers=()
trap 'kill $registry "${workers[@]}" 2>/dev/null || true; as_nobody "$pgbin/pg_ctl" -D "$work/pg/data" -m immediate stop > /dev/null 2>&1 || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config

as_nobody() { runuser -u nobody -- "$@"; }

mkdir "$work/pg"
chown nobody "$work/pg"
as_nobody "$pgbin/initdb" -D "$work/pg/data" -U vantrel -A trust --no-sync > /dev/null
pg_start() {
    as_nobody "$pgbin/pg_ctl" -D "$work/pg/data" -l "$work/pg/log" -w \
        -o "-c listen_addresses='' -k $work/pg -c max_connections=50" start > /dev/null
}
pg_start
sql() { psql -h "$work/pg" -U vantrel -d "$1" -qAt -c "$2"; }
url() { echo "postgresql://vantrel@/$1?host=$work/pg"; }

start_rationing_registry "$work" "$names"
# The registry's rationing is known here, as a user enters it in Setup: a
# throttle of 200 ms keeps each worker at 5 queries a second without
# refusals, so the runs measure how the work is shared rather than how fast
# the pacing finds the limit (THROTTLE=0 leaves that to the pacing).
printf 'com|127.0.0.1|%d|Enabled|%d|No match\r\n' "$port" "${THROTTLE:-200}" > "$work/home/TLDs.txt"

# queue DB: a new database holding every name in its queue.
queue() {
    sql postgres "CREATE DATABASE $1"
    "$vantrel" --home "$work/home" queue add --db "$(url "$1")" --list "$work/names.txt" > /dev/null
}

# start_workers DB N [OPTIONS...]: N workers, on 127.0.0.2 and up.
start_workers() {
    local db=$1 count=$2 i
    shift 2
    workers=()
    for ((i = 2; i < count + 2; i++)); do
        # A program folder each: the profile files mirror one worker's run.
        mkdir -p "$work/home$i"
        cp "$work/home/TLDs.txt" "$work/home$i/"
        "$vantrel" --home "$work/home$i" work --db "$(url "$db")" --slots 4 --dns-server 127.0.0.1 --quiet \
            --bind "127.0.0.$i" "$@" > /dev/null 2> "$work/worker$i.log" &
        workers+=($!)
    done
}

wait_workers() {
    local pid
    for pid in "${workers[@]}"; do
        wait "$pid" 2> /dev/null || true
    done
}

# judge LABEL DB START: the history of DB against the truth.
judge() {
    local label=$1 db=$2 start=$3 end
    end=$(date +%s.%N)
    "$vantrel" --home "$work/home" history --db "$(url "$db")" > "$work/history.txt"
    sql "$db" "SELECT state, count(*) FROM queue GROUP BY state ORDER BY 1" | tr '\n' ' ' > "$work/states.txt"
    python3 - "$label" "$start" "$end" "$work/names.txt" "$work/taken.txt" "$work/history.txt" \
        "$work/states.txt" <<'PY'
import collections, sys
label, start, end, names, taken, history, states = sys.argv[1:]
names = [n.strip() for n in open(names) if n.strip()]
taken = {n.strip() for n in open(taken) if n.strip()}
rows = collections.defaultdict(list)
for line in open(history):
    fields = line.rstrip("\n").split("\t")
    rows[fields[0]].append(fields[1])
lost = sum(1 for n in names if n not in rows)
twice = sum(1 for n in names if len(rows.get(n, [])) > 1)
unanswered = sum(1 for n in names if any(v not in ("available", "registered") for v in rows.get(n, [])))
wrong = sum(1 for n in names for v in rows.get(n, [])
            if v in ("available", "registered") and v != ("registered" if n in taken else "available"))
seconds = float(end) - float(start)
print(f"{label}: {len(names)} names in {seconds:.1f} s = {len(names) / seconds:.1f} names/s; "
      f"lost {lost}, done twice {twice}, wrong {wrong}, unanswered {unanswered}; queue: {open(states).read()}")
PY
}

queue one
start=$(date +%s.%N)
start_workers one 1
wait_workers
judge "1 worker " one "$start" | tee "$work/one.txt"

queue four
start=$(date +%s.%N)
start_workers four 4
wait_workers
judge "4 workers" four "$start" | tee "$work/four.txt"
python3 - "$work/one.txt" "$work/four.txt" <<'PY'
import re, sys
rate = lambda path: float(re.search(r"= ([0-9.]+) names/s", open(path).read()).group(1))
print(f"4 workers are {rate(sys.argv[2]) / rate(sys.argv[1]):.2f}x 1 worker")
PY

# A worker killed in the middle: its names come back after the lease (10 s).
queue killed
start=$(date +%s.%N)
start_workers killed 4 --lease 10
sleep 15
kill -9 "${workers[0]}"
wait "${workers[0]}" 2> /dev/null || true
victim="%@127.0.0.2"
sql killed "SELECT name FROM queue WHERE worker LIKE '$victim' AND state = 'leased'" > "$work/held.txt"
echo "killed the worker on 127.0.0.2 while it held $(wc -l < "$work/held.txt") leased names"
wait_workers
judge "kill -9  " killed "$start"
echo "the names it held, now: $(sql killed "SELECT state || ' by another worker: ' || count(*) FROM queue WHERE
    name = ANY(string_to_array('$(paste -sd, "$work/held.txt")', ',')) AND worker NOT LIKE '$victim' GROUP BY state")"

# The server stopped for 10 s in the middle of a run.
queue restart
start=$(date +%s.%N)
start_workers restart 4
sleep 10
as_nobody "$pgbin/pg_ctl" -D "$work/pg/data" -m fast -w stop > /dev/null
echo "server stopped"
sleep 10
pg_start
echo "server started again"
wait_workers
judge "restart  " restart "$start"
grep -h "waiting for the database\|connected to the database again" "$work"/worker*.log | sort | uniq -c

kill "$registry"
wait "$registry" 2>/dev/null || true
cat "$work/registry.log"

# The history command over many rows: the time to its first row.
sql postgres "CREATE DATABASE big"
"$vantrel" --home "$work/home" history --db "$(url big)" > /dev/null
sql big "INSERT INTO verdicts SELECT 'name' || i || '.com', 'com', CASE WHEN i % 7 = 0 THEN 'available' ELSE
    'registered' END, 'whois.example', 'phrase:No match', to_char(timestamp '2026-01-01' + i * interval '1 second',
    'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), 'bench' FROM generate_series(1, $rows) AS i; ANALYZE verdicts"
[ "$(sql big "SELECT count(*) FROM verdicts")" -eq "$rows" ] || fail "the big history was not filled"
python3 - "$vantrel" "$work/home" "$(url big)" "$rows" <<'PY'
import subprocess, sys, time
vantrel, home, url, rows = sys.argv[1:]
start = time.monotonic()
process = subprocess.Popen([vantrel, "--home", home, "history", "--db", url, "--format", "csv"],
                           stdout=subprocess.PIPE)
process.stdout.readline()
header = time.monotonic() - start
first = process.stdout.readline()
first_at = time.monotonic() - start
count = 1 + sum(1 for _ in process.stdout)
process.wait()
print(f"history --format csv over {int(rows):,} rows: first row after {first_at:.3f} s "
      f"(header {header:.3f} s), {count:,} rows in {time.monotonic() - start:.1f} s; first: {first.decode().strip()}")
PY
