#!/usr/bin/env bash
# Does the main window keep answering while a run works the history on
# PostgreSQL? A throwaway PostgreSQL server (initdb and pg_ctl into a
# temporary folder, on a loopback TCP port; as root it runs as "nobody") holds
# the history. `vantrel check` first files half of NAMES names (default 3000)
# into it; then the desktop program (desktop_bench: its real main window,
# lookup session and history under Xvfb) searches all NAMES as a custom list
# with RecheckAfterDays=30, so every name is looked up in the history, half
# are answered from it and half are asked of a loopback registry that answers
# at once (DNS off). From Start to the end of the run a 10 ms timer ticks on
# the window's thread; prints the longest gap between two ticks and how many
# gaps were over 100 ms (target: none), beside the run's seconds.
# usage: bench/event_loop_probe.sh [NAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-3000}
[[ $names =~ ^[0-9]+$ ]] && [ "$names" -ge 100 ] || fail "NAMES must be 100 or more"
vantrel=$PWD/build/bin/vantrel
driver=$PWD/build/bench/desktop_bench
require_file "$vantrel" "vantrel"
require_file "$driver" "desktop_bench"
require_tool python3 xvfb-run timeout psql
pg_bin=$(dirname "$(command -v initdb || ls -d /usr/lib/postgresql/*/bin/initdb 2> /dev/null | sort -V | tail -n 1)")
[ -x "$pg_bin/initdb" ] && [ -x "$pg_bin/pg_ctl" ] || fail "needs a PostgreSQL server (apt-get install postgresql)"

work=$(mktemp -d)
pg_dir=$(mktemp -d)
responder=
pg_started=
# as_server COMMAND...: runs a server tool as the folder's owner (nobody when root).
as_server() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- "$@"
    else
        "$@"
    fi
}
cleanup() {
    kill $responder 2> /dev/null || true
    [ -z "$pg_started" ] || as_server "$pg_bin/pg_ctl" -D "$pg_dir/data" -m fast -w stop > /dev/null 2>&1 || true
    rm -rf "$work" "$pg_dir"
}
trap cleanup EXIT
if [ "$(id -u)" -eq 0 ]; then
    require_tool runuser
    chown nobody "$pg_dir"
fi

pg_port=$((20000 + RANDOM % 10000))
as_server "$pg_bin/initdb" -D "$pg_dir/data" -U vantrel -A trust --no-sync -E UTF8 > "$pg_dir/initdb.log" 2>&1 ||
    fail "initdb failed: $(tail -n 3 "$pg_dir/initdb.log")"
as_server "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w \
    -o "-c listen_addresses=127.0.0.1 -p $pg_port -k $pg_dir -c fsync=off" start > /dev/null ||
    fail "the PostgreSQL server did not start: $(tail -n 3 "$pg_dir/server.log")"
pg_started=1
psql -h 127.0.0.1 -p "$pg_port" -U vantrel -d postgres -q -c "CREATE DATABASE vantrel_probe" ||
    fail "cannot create the history database"
history_url="postgresql://vantrel@127.0.0.1:$pg_port/vantrel_probe"
rows() { psql -h 127.0.0.1 -p "$pg_port" -U vantrel -d vantrel_probe -tA -c "SELECT count(*) FROM verdicts"; }

seq -f 'loopprobe%05g.com' 1 "$names" > "$work/names.txt"
head -n $((names / 2)) "$work/names.txt" > "$work/known.txt"
port=$((pg_port + 1))
python3 bench/whois_responder.py "$port" --reply "No match" --lifetime 3600 &
responder=$!
wait_for_port "$port" "the loopback registry"

mkdir -p "$work/home" "$work/config/user" "$work/runtime"
chmod 700 "$work/runtime"
printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/home/TLDs.txt"
printf '[Settings]\nFirstUse=NO\nshowHelp=0\nCheckDnsFirst=0\nThrottle=0\nRecheckAfterDays=30\nHistoryDatabase=%s\n' \
    "$history_url" > "$work/config/user/Ornisk.ini"

VANTREL_CONFIG_DIR=$work/config "$vantrel" --home "$work/home" check --list "$work/known.txt" --quiet \
    > /dev/null 2> "$work/check.err" || fail "vantrel check failed: $(tail -n 3 "$work/check.err")"
known=$(rows)
[ "$known" -eq $((names / 2)) ] ||
    fail "the history holds $known verdicts after checking $((names / 2)) names (is it on PostgreSQL?)"
echo "history on PostgreSQL (127.0.0.1:$pg_port): $known verdicts filed by vantrel check"

VANTREL_CONFIG_DIR=$work/config QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$work/runtime \
    timeout 900 xvfb-run -a -s "-screen 0 1280x800x24" \
    "$driver" --home "$work/home" --type "Custom List" --list "$work/names.txt" --rows "$work/rows.txt" --probe \
    > "$work/desktop.txt" 2> "$work/desktop.err" || fail "the desktop run failed: $(tail -n 5 "$work/desktop.err")"
cat "$work/desktop.txt"
filed=$(wc -l < "$work/rows.txt")
from_history=$(python3 - "$work/rows.txt" "$work/known.txt" <<'PY'
import sys
known = set(open(sys.argv[2]).read().split())
print(sum(1 for line in open(sys.argv[1]) if line.split("\t")[0] in known))
PY
)
echo "names filed: $filed of $names ($from_history of them filed earlier by vantrel check); history rows now: $(rows)"
[ "$filed" -eq "$names" ] || fail "the run filed $filed of $names names"
stalls=$(sed -n 's/.*gaps over 100 ms: \([0-9]*\) of.*/\1/p' "$work/desktop.txt")
[ "$stalls" = 0 ] && echo "PASS" || { echo "FAIL"; exit 2; }
