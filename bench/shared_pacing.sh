#!/usr/bin/env bash
# Three windows of the desktop program asking one registry at once: does the
# registry see one pace? The shipped desktop program (build/bin/vantrel-desktop)
# runs under Xvfb with a fresh program folder whose TLD table has one row,
# com, on a loopback registry (whois_responder.py, answering after --delay
# ms) with a 500 ms pause; DNS is off. Driven with xdotool as a user does
# (bench/desktop_ui.py finds each control by its caption):
#   1. Tools > "Browse for names" opens the browse window;
#   2. Tools > "Custom List", the list of 40 names typed into the file
#      dialog, Start: the main window's search;
#   3. meanwhile the browse window's address box goes to a served page
#      (127.0.0.1) listing 40 more names, which the window checks;
#   4. meanwhile a right click on the one name of the Saved Domains list,
#      "WHOIS": the WHOIS window asks about it.
# The registry logs every connection (opened, closed, name). Prints from that
# log: the most connections open at once, the smallest gap between two query
# starts, and per window the names asked more than once and never asked.
# PASS: never two open at once, no two starts closer than the pause, every
# name asked once.
#
# --close-mid-lookup: once the browse window's names are being asked, its
# window is closed (WM_DELETE_WINDOW, as its close button does). PASS: the
# program keeps running (and, built with ASan, reports nothing), no query of
# the browse window's names starts after the close, and the other windows'
# names are each asked once. For an ASan build give --build DIR.
# usage: bench/shared_pacing.sh [--close-mid-lookup] [--build DIR]
#                               [--pause MS] [--delay MS]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
close_mid=
build=$PWD/build
pause=500
delay=100
while [ $# -gt 0 ]; do
    case $1 in
    --close-mid-lookup) close_mid=1 ;;
    --build) build=$(realpath "${2:-}"); shift ;;
    --pause) pause=${2:-}; shift ;;
    --delay) delay=${2:-}; shift ;;
    *) fail "unknown argument '$1' (see the usage at the top of the script)" ;;
    esac
    shift
done
[[ $pause =~ ^[1-9][0-9]*$ ]] || fail "--pause takes a positive number of milliseconds"
[[ $delay =~ ^[0-9]+$ ]] || fail "--delay takes a number of milliseconds"
desktop=$build/bin/vantrel-desktop
require_file "$desktop" "vantrel-desktop"
require_tool python3 timeout
need_desktop_tools

work=$(mktemp -d)
responder=
web=
app=
cleanup() {
    [ -z "$app" ] || kill "$app" 2> /dev/null || true
    kill $responder $web 2> /dev/null || true
    stop_desktop_session
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/config/user" "$work/site"

# The names of each window, and the page of the browse window's names.
seq -f 'pacemain%02g.com' 1 40 > "$work/main.txt"
seq -f 'pacebrowse%02g.com' 1 40 > "$work/browse.txt"
echo pacewhois.com > "$work/whois.txt"
python3 - "$work/browse.txt" "$work/site/page.html" <<'PY'
import sys
names = open(sys.argv[1]).read().split()
links = "\n".join(f'<a href="http://www.{name}/">{name}</a><br>' for name in names)
open(sys.argv[2], "w").write(f"<html><head><title>Names</title></head><body>\n{links}\n</body></html>\n")
PY
printf 'pacewhois.com\r\n' > "$work/home/Remembered.txt"

port=$((20000 + RANDOM % 10000))
python3 bench/whois_responder.py "$port" --reply "No match" --delay "$delay" --connections "$work/connections.log" \
    --lifetime 3600 &
responder=$!
wait_for_port "$port" "the loopback registry"
web_port=$((port + 1))
serve_folder "$work/site" "$web_port"
page=http://127.0.0.1:$web_port/page.html
python3 - "$page" "$work/browse.txt" <<'PY' || fail "the served page does not list the browse window's names"
import sys, urllib.request
page = urllib.request.urlopen(sys.argv[1], timeout=5).read().decode()
missing = [name for name in open(sys.argv[2]).read().split() if f"www.{name}/" not in page]
sys.exit(f"missing: {missing}" if missing else 0)
PY
# The registry is checked, then its log starts empty.
python3 - "$port" <<'PY' || fail "the loopback registry does not answer"
import socket, sys
with socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=5) as connection:
    connection.sendall(b"probe.com\r\n")
    sys.exit(0 if b"No match" in connection.makefile("rb").read() else 1)
PY
until [ -s "$work/connections.log" ]; do sleep 0.1; done
: > "$work/connections.log"

printf 'com|127.0.0.1|%d|Enabled|%d|No match\r\n' "$port" "$pause" > "$work/home/TLDs.txt"
printf '[Settings]\nFirstUse=NO\nshowHelp=0\nCheckDnsFirst=0\nHarvestEveryTld=0\nThrottle=%d\nLastTLD=com\nTickedTLDs=com\n' \
    "$pause" > "$work/config/user/Ornisk.ini"

start_desktop_session "$work"
env "${desktop_env[@]}" VANTREL_CONFIG_DIR="$work/config" \
    "$desktop" --home "$work/home" > "$work/desktop.out" 2> "$work/desktop.err" &
app=$!
main_window=' by '
browse_window='^(Browse for Domains|.* - .*)$'
# asked FILE: how many of FILE's names the registry has been asked so far.
asked() { awk '{ print $3 }' "$work/connections.log" | sort -u | grep -c -x -F -f "$1" || true; }

desktop_ui wait --window "$main_window" --role "push button" --name Start --wait 120 ||
    fail "the main window did not show: $(tail -n 5 "$work/desktop.err")"
desktop_ui click --window "$main_window" --role "menu item" --name Tools
desktop_ui click --window . --role "menu item" --name "Browse for names"
desktop_ui wait --window "$browse_window" --role "push button" --name GO

desktop_ui click --window "$main_window" --role "menu item" --name Tools
desktop_ui click --window . --role "menu item" --name "Custom List"
desktop_ui wait --window . --role "push button" --name Open
desktop_ui type --text "$work/main.txt" --enter
desktop_ui click --window "$main_window" --role "push button" --name Start --wait 10
started=$(date +%s.%N)

desktop_ui click --window "$browse_window" --role "combo box" --match '.*'
xdotool key ctrl+a
desktop_ui type --text "$page" --enter

desktop_ui click --window "$main_window" --role "list item|table cell" --name pacewhois.com --right
desktop_ui pick --name WHOIS

closed_at=
if [ -n "$close_mid" ]; then
    tries=0
    until [ "$(asked "$work/browse.txt")" -ge 3 ]; do
        tries=$((tries + 1))
        [ "$tries" -lt 600 ] || fail "the browse window's names were not asked within a minute"
        sleep 0.1
    done
    closed_at=$(date +%s.%N)
    desktop_ui close --window "$browse_window"
    echo "browse window closed at $(asked "$work/browse.txt") of its 40 names asked"
fi

# The run is over when every name that is to be asked has been, or when the
# registry has heard nothing for 15 s.
cat "$work/main.txt" "$work/whois.txt" > "$work/others.txt"
[ -n "$close_mid" ] || cat "$work/browse.txt" >> "$work/others.txt"
expected=$(wc -l < "$work/others.txt")
last=0
quiet_since=$(date +%s)
while [ "$(asked "$work/others.txt")" -lt "$expected" ]; do
    now=$(date +%s)
    count=$(wc -l < "$work/connections.log")
    if [ "$count" -ne "$last" ]; then
        last=$count
        quiet_since=$now
    fi
    [ $((now - quiet_since)) -lt 15 ] || break
    [ $((now - ${started%.*})) -lt 600 ] || break
    kill -0 "$app" 2> /dev/null || break
    sleep 0.5
done
# A window that was closed could still be heard from: give it a few seconds.
[ -z "$close_mid" ] || sleep 3
ended=$(date +%s.%N)

status=0
if kill -0 "$app" 2> /dev/null; then
    echo "the program is running $(python3 -c "print(f'{$ended - $started:.0f}')") s after Start"
else
    echo "the program has ended (it should keep running): $(tail -n 3 "$work/desktop.err")"
    status=2
fi
python3 bench/pacing_report.py "$work/connections.log" --pause-ms "$pause" \
    --caller "main window search=$work/main.txt" --caller "browse window=$work/browse.txt" \
    --caller "WHOIS window=$work/whois.txt" ${close_mid:+--closed "browse window" --closed-at "$closed_at"} ||
    status=2
desktop_ui close --window "$main_window" 2> /dev/null || true
timeout 30 tail --pid="$app" -f /dev/null || true
# An ASan build reports on stderr, at the fault or when the program ends.
asan=$(grep -c 'ERROR: AddressSanitizer\|runtime error:' "$work/desktop.err" || true)
if [ "$asan" -gt 0 ]; then
    echo "sanitizer reports: $asan (the first below, on stderr)"
    grep -A 40 -m 1 'ERROR: AddressSanitizer\|runtime error:' "$work/desktop.err" >&2
    status=2
fi
[ "$status" -eq 0 ] && echo "PASS" || echo "FAIL"
exit "$status"
