#!/usr/bin/env bash
# The browse window on a served page of NAMES names (default 2000), under
# Xvfb with its real browser, checker and lookup session (browse_bench). The
# page is served from 127.0.0.1; every name goes to a loopback WHOIS
# responder that logs each query. Prints: the time to check every name and
# how often the registry was asked (each name once); then, with the
# registry's pause at PAUSE ms (default 25), "Stop Checking" and "Clear"
# each pressed midway through the page found again, with how long the
# checking went on and the queries that reached the registry afterwards.
# DNS is off: the names are made up and the responder is their registry.
# usage: bench/browse_check.sh [NAMES [PAUSE]]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-2000}
pause=${2:-25}
[[ $names =~ ^[0-9]+$ ]] && [ "$names" -ge 200 ] || fail "NAMES must be 200 or more"
[[ $pause =~ ^[1-9][0-9]*$ ]] || fail "PAUSE must be a positive number of milliseconds"
driver=$PWD/build/bench/browse_bench
require_file "$driver" "browse_bench"
require_tool python3 xvfb-run timeout

work=$(mktemp -d)
responder=
web=
trap 'kill $responder $web 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/runtime" "$work/site" "$work/home" "$work/config/user"
chmod 700 "$work/runtime"

python3 - "$work/site/page.html" "$names" <<'PY'
import sys
path, count = sys.argv[1], int(sys.argv[2])
links = "\n".join(f'<a href="http://www.browsed{n:05d}.com/">site {n}</a><br>' for n in range(1, count + 1))
open(path, "w").write(f"<html><head><title>Names</title></head><body>\n{links}\n</body></html>\n")
PY
[ "$(grep -c 'browsed[0-9]*\.com' "$work/site/page.html")" -eq "$names" ] || fail "the page does not hold $names names"

port=$((20000 + RANDOM % 10000))
python3 bench/whois_responder.py "$port" --reply "No match" --log "$work/queries.log" --lifetime 3600 &
responder=$!
wait_for_port "$port" "the loopback WHOIS responder"
web_port=$((port + 1))
serve_folder "$work/site" "$web_port"
printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/home/TLDs.txt"
printf '[Settings]\nFirstUse=NO\nshowHelp=0\nCheckDnsFirst=0\n' > "$work/config/user/Ornisk.ini"

VANTREL_CONFIG_DIR=$work/config QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$work/runtime \
    timeout 900 xvfb-run -a -s "-screen 0 1280x800x24" \
    "$driver" --home "$work/home" --page "http://127.0.0.1:$web_port/page.html" --log "$work/queries.log" \
    --names "$names" --pause "$pause" 2> "$work/browse.err" || {
    status=$?
    tail -n 5 "$work/browse.err" >&2
    exit "$status"
}
