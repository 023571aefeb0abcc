#!/usr/bin/env bash
# Peak memory of a search over "All Four Letter" in com, net and org
# (456,976 words x 3 = 1,370,928 names) against a loopback registry that
# answers every query at once, DNS off, each side from a fresh program folder
# and settings:
#   vantrel search --type "All Four Letter" --tld com --tld net --tld org --no-dns
#     (its rows counted as they are written; target: at most 120 MB)
#   the desktop program (build/bin/vantrel-desktop) under Xvfb, the search
#     type, the TLD and the ticked com, net and org restored from its
#     settings, Start clicked with xdotool (names counted in its history;
#     target: at most 250 MB, the program's own process; its WebEngine helper
#     processes are shown apart).
# The peak resident memory is VmHWM of /proc/PID/status, sampled every
# second (bench/memory_sampler.py). A side that does not finish within the
# time limit is stopped there and its peak extrapolated to the whole run: the
# least-squares line of VmHWM against names done over the last two thirds of
# the samples, continued to 1,370,928 names (the script says so beside the
# figure).
# usage: bench/memory_run.sh [--seconds S | --whole] [--side command|desktop]
#                            [--registered] [--build DIR]
#   --seconds S   stop each side after S seconds (default 180)
#   --whole       run each side to the end of the list instead
#   --side        only one side
#   --registered  the registry answers every name with a registration record
#                 (default: "No match", every name available)
#   --build DIR   the build whose bin/ holds the programs (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
seconds=180
sides="command desktop"
build=$PWD/build
reply="No match"
while [ $# -gt 0 ]; do
    case $1 in
    --seconds) seconds=${2:-}; shift ;;
    --whole) seconds=0 ;;
    --side) sides=${2:-}; shift ;;
    --registered) reply=$'Domain Name: EXAMPLE.COM\r\nRegistrar: Example Registrar\r\n' ;;
    --build) build=$(realpath "${2:-}"); shift ;;
    *) fail "unknown argument '$1' (see the usage at the top of the script)" ;;
    esac
    shift
done
[[ $seconds =~ ^[0-9]+$ ]] || fail "--seconds takes a whole number of seconds"
[[ $sides =~ ^(command|desktop|command\ desktop)$ ]] || fail "--side takes command or desktop"
vantrel=$build/bin/vantrel
desktop=$build/bin/vantrel-desktop
words=$build/share/vantrel/program/wordlists/AllFourLetter.txt
require_file "$vantrel" "vantrel"
require_file "$words" "the All Four Letter list"
require_tool python3 timeout
[[ $sides != *desktop* ]] || { require_file "$desktop" "vantrel-desktop"; need_desktop_tools; }
type="All Four Letter"
word_count=$(wc -l < "$words")
[ "$word_count" -eq 456976 ] || fail "$words holds $word_count words, not the 456,976 of aaaa to zzzz"
total=$((word_count * 3))

work=$(mktemp -d)
responders=()
app=
cleanup() {
    [ -z "$app" ] || kill "$app" 2> /dev/null || true
    [ ${#responders[@]} -eq 0 ] || kill "${responders[@]}" 2> /dev/null || true
    stop_desktop_session
    rm -rf "$work"
}
trap cleanup EXIT

# One responder process per TLD, so the registry's side is not what limits
# the rate; every row names the same host, as their pace is per host.
port=$((20000 + RANDOM % 10000))
: > "$work/TLDs.txt"
for tld in com net org; do
    python3 bench/whois_responder.py "$port" --reply "$reply" --lifetime 100000 &
    responders+=($!)
    wait_for_port "$port" "the loopback registry of .$tld"
    printf '%s|127.0.0.1|%d|Enabled|0|No match\r\n' "$tld" "$port" >> "$work/TLDs.txt"
    port=$((port + 1))
done
python3 - "$work/TLDs.txt" "$reply" <<'PY' || fail "a loopback registry does not answer as it should"
import socket, sys
rows, reply = open(sys.argv[1]).read().split("\r\n")[:-1], sys.argv[2]
for row in rows:
    tld, host, port = row.split("|")[:3]
    with socket.create_connection((host, int(port)), timeout=5) as connection:
        connection.sendall(f"abcd.{tld}\r\n".encode())
        got = connection.makefile("rb").read().decode("latin-1")
    if got != reply:
        sys.exit(f".{tld}: {got!r}")
PY

# fresh NAME: a fresh program folder and settings for one side.
fresh() {
    mkdir -p "$work/$1/home" "$work/$1/config/user"
    printf '[Settings]\nFirstUse=NO\nshowHelp=0\nCheckDnsFirst=0\nThrottle=0\nLastTLD=com\nTickedTLDs=com net org\nLastSearchType=%s\n' \
        "$type" > "$work/$1/config/user/Ornisk.ini"
    cp "$work/TLDs.txt" "$work/$1/home/TLDs.txt"
}

# the_tlds_asked TSV: the TLDs of the names of a run, with their counts.
the_tlds_asked() {
    python3 -c '
import collections, sqlite3, sys
path = sys.argv[1]
if path.endswith(".sqlite"):
    rows = sqlite3.connect(path).execute("SELECT tld, count(*) FROM verdicts GROUP BY tld").fetchall()
else:
    counts = collections.Counter(line.split("\t")[0].rsplit(".", 1)[-1] for line in open(path) if "\t" in line)
    rows = sorted(counts.items())
print(", ".join(f"{tld} {count:,}" for tld, count in rows))' "$1"
}

status=0
limit_text() { [ "$seconds" -gt 0 ] && echo "stopped after $seconds s" || echo "the whole list"; }

if [[ $sides == *command* ]]; then
    fresh command
    VANTREL_CONFIG_DIR=$work/command/config "$vantrel" --home "$work/command/home" search --type "$type" \
        --tld com --tld net --tld org --no-dns --quiet > "$work/command.tsv" 2> "$work/command.err" &
    pid=$!
    echo "vantrel search --type \"$type\" --tld com --tld net --tld org --no-dns ($(limit_text)):"
    python3 bench/memory_sampler.py --pid "$pid" --label "  vantrel search" --lines "$work/command.tsv" \
        --total "$total" --target-mb 120 --seconds "$seconds" --interrupt || status=2
    wait "$pid" || true
    [ -s "$work/command.tsv" ] || fail "vantrel search printed no rows: $(tail -n 5 "$work/command.err")"
    echo "  names per TLD: $(the_tlds_asked "$work/command.tsv")"
fi

# start_desktop NAME ENV...: the desktop program on the program folder and
# settings of NAME, with the environment ENV; its id in $app.
start_desktop() {
    local name=$1
    shift
    env "$@" VANTREL_CONFIG_DIR="$work/$name/config" \
        "$desktop" --home "$work/$name/home" > "$work/$name.out" 2> "$work/$name.err" &
    app=$!
}

# end_desktop: closes the main window as its close button does; the program
# ends.
end_desktop() {
    desktop_ui close --window "$main_window" || true
    timeout 30 tail --pid="$app" -f /dev/null || kill "$app" 2> /dev/null || true
    app=
}

if [[ $sides == *desktop* ]]; then
    main_window=' by '
    start_desktop_session "$work"
    # Where Start is: found through the accessibility tree in a first start
    # on a copy of the settings; the measured start runs without that tree,
    # as a user's does, and has the same layout.
    fresh layout
    start_desktop layout "${desktop_env[@]}"
    desktop_ui wait --window "$main_window" --role "push button" --name Start --enabled --wait 120 ||
        fail "the main window did not offer Start: $(tail -n 5 "$work/layout.err")"
    read -r start_x start_y < <(desktop_ui locate --window "$main_window" --role "push button" --name Start)
    end_desktop

    fresh desktop
    start_desktop desktop "${user_env[@]}"
    timeout 120 xdotool search --sync --all --onlyvisible --pid "$app" --name "$main_window" > /dev/null ||
        fail "the main window did not show: $(tail -n 5 "$work/desktop.err")"
    echo "the desktop program, \"$type\" in com, net and org, Start clicked ($(limit_text)):"
    history=$work/desktop/home/history.sqlite
    # Start is enabled a moment after the window shows: clicked until the run
    # has filed names (a click on it while it is off does nothing).
    tries=0
    until [ -s "$history" ] && [ "$(python3 -c 'import sqlite3, sys
print(sqlite3.connect(sys.argv[1]).execute("SELECT count(*) FROM verdicts").fetchone()[0])' "$history" 2> /dev/null)" != 0 ]; do
        tries=$((tries + 1))
        [ "$tries" -lt 60 ] || fail "Start at $start_x,$start_y did not start the run"
        xdotool mousemove --sync "$start_x" "$start_y" click 1
        sleep 1
    done
    python3 bench/memory_sampler.py --pid "$app" --label "  vantrel-desktop" \
        --history "$history" --total "$total" --target-mb 250 --seconds "$seconds" || status=2
    helpers_mb=$(for child in $(descendants "$app"); do
        awk '/^VmRSS:/ { print $2 }' "/proc/$child/status" 2> /dev/null || true
    done | awk '{ kb += $1 } END { printf "%.1f", kb * 1024 / 1e6 }')
    echo "  its helper processes (WebEngine) held $helpers_mb MB resident at the end, not counted above"
    end_desktop
    echo "  names per TLD: $(the_tlds_asked "$history")"
fi
exit "$status"
