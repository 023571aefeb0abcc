#!/usr/bin/env bash
# The desktop program beside `vantrel search` on the same list, registry and
# settings. The desktop program runs under Xvfb with its real main window,
# banner and lookup session (desktop_bench picks the search type in the Tools
# menu, answers the list's file dialog and clicks Start); each run gets a
# fresh program folder and settings. Each side runs ROUNDS times in turn, as
# a busy machine makes single runs vary. Prints every run's seconds, the best
# desktop time as a multiple of the best command time, and the most
# CPU-seconds the desktop process used in one run.
#
# Scenarios (the first argument):
#   two-letter  "All Two Letter" (676 names) against a loopback registry that
#               answers at once (whois_responder.py), pause 0, DNS off, one
#               slot each.
#   rationing   a custom list of NAMES (default 3000) dictionary .com names
#               against the registry of bench/realistic_run.sh: 5 answers/s
#               per client, 85% of the names delegated in its DNS responder,
#               DNS first, default slots and Parallel lookups. Every name's
#               verdict is judged against the truth (lost, wrong, left
#               without a verdict). Needs root for 127.0.0.1:53.
# usage: bench/desktop_run.sh [SCENARIO [ROUNDS [NAMES]]]
#        (default two-letter 3; rationing defaults to 1 round)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
scenario=${1:-two-letter}
rounds=${2:-}
names=${3:-3000}
[ -n "$rounds" ] || { [ "$scenario" = rationing ] && rounds=1 || rounds=3; }
[[ $rounds =~ ^[1-9][0-9]*$ ]] || fail "ROUNDS must be a positive number"
vantrel=$PWD/build/bin/vantrel
driver=$PWD/build/bench/desktop_bench
require_file "$vantrel" "vantrel"
require_file "$driver" "desktop_bench"
require_tool python3 xvfb-run timeout

work=$(mktemp -d)
responder=
trap 'kill $responder 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"

# fresh NAME: a fresh program folder and settings for one run.
fresh() {
    rm -rf "${work:?}/$1"
    mkdir -p "$work/$1/home" "$work/$1/config/user"
    printf '[Settings]\nFirstUse=NO\nshowHelp=0\n%s' "$settings" > "$work/$1/config/user/Ornisk.ini"
    cp "$work/TLDs.txt" "$work/$1/home/TLDs.txt"
}

# judge LABEL OUT: every name's verdict in OUT (name<TAB>verdict...) against the truth.
judge() {
    local counts lost wrong unanswered
    counts=$(verdict_counts "$work" "$2")
    read -r lost wrong unanswered <<< "$counts"
    echo "$1: lost $lost, wrong $wrong, left without a verdict $unanswered"
}

# Each scenario sets: the search type, the settings both sides share, the
# TLD table (registry), the options of `vantrel search` and, for a list
# search, the list (and the truth to judge the answers by).
list=
case $scenario in
two-letter)
    type="All Two Letter"
    settings=$'Throttle=0\nCheckDnsFirst=0\nParallelLookups=1\n'
    search_options=(--no-dns --slots 1)
    port=$((20000 + RANDOM % 10000))
    python3 bench/whois_responder.py "$port" --reply "No match" --lifetime 3600 &
    responder=$!
    ;;
rationing)
    [ "$(id -u)" -eq 0 ] || fail "the DNS responder needs root to listen on 127.0.0.1:53"
    require_file /usr/share/dict/words "the word list (Debian's wamerican)"
    type="Custom List"
    settings=$'CheckDnsFirst=1\n'
    list=$work/names.txt
    search_options=(--list "$list")
    export VANTREL_DNS_SERVER=127.0.0.1
    start_rationing_registry "$work" "$names"
    responder=$registry
    ;;
*)
    fail "unknown scenario '$scenario' (two-letter, rationing)"
    ;;
esac
printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/TLDs.txt"
wait_for_port "$port" "the loopback registry"

for round in $(seq "$rounds"); do
    fresh command
    start=$(date +%s.%N)
    VANTREL_CONFIG_DIR=$work/command/config "$vantrel" --home "$work/command/home" search --type "$type" \
        --start 1 --quiet "${search_options[@]}" > "$work/command.txt"
    end=$(date +%s.%N)
    seconds=$(python3 -c "print(f'{$end - $start:.2f}')")
    echo "vantrel search: $(wc -l < "$work/command.txt") names in $seconds s" | tee -a "$work/runs.txt"
    [ -z "$list" ] || { judge "vantrel search" "$work/command.txt"; registry_phase "$work"; }

    fresh desktop
    VANTREL_CONFIG_DIR=$work/desktop/config QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$work/runtime \
        timeout 900 xvfb-run -a -s "-screen 0 1280x800x24" \
        "$driver" --home "$work/desktop/home" --type "$type" ${list:+--list "$list" --rows "$work/rows.txt"} \
        > "$work/desktop.txt" 2> "$work/desktop.err" ||
        fail "the desktop run failed: $(tail -n 5 "$work/desktop.err")"
    tee -a "$work/runs.txt" < "$work/desktop.txt"
    [ -z "$list" ] || { judge "desktop" "$work/rows.txt"; registry_phase "$work"; }
done
python3 - "$work/runs.txt" <<'PY'
import re, sys
runs = open(sys.argv[1]).read().splitlines()
best = lambda side: min(float(re.search(r"in ([0-9.]+) s", r).group(1)) for r in runs if r.startswith(side))
cpu = max(float(re.search(r"([0-9.]+) CPU-s", r).group(1)) for r in runs if r.startswith("desktop"))
print(f"best: desktop {best('desktop'):.2f} s, vantrel search {best('vantrel'):.2f} s = "
      f"{best('desktop') / best('vantrel'):.1f}x; desktop CPU at most {cpu:.2f} CPU-s per run")
PY
