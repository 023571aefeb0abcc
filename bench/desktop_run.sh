#!/usr/bin/env bash
# The desktop program beside `vantrel search` on the same list, registry and
# settings, one slot each. The desktop program runs under Xvfb with its real
# main window, banner and lookup session (desktop_bench picks the search type
# in the Tools menu and clicks Start); each side gets a fresh program folder
# and settings. Prints both runs' seconds, the desktop's time as a multiple
# of the command's, and the CPU-seconds the desktop process used in its run.
#
# Scenarios (the first argument):
#   two-letter  "All Two Letter" (676 names) against a loopback registry that
#               answers at once (whois_responder.py), pause 0, DNS off.
# usage: bench/desktop_run.sh [SCENARIO]   (default two-letter)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
scenario=${1:-two-letter}
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

# side NAME: a fresh program folder and settings for one side of the comparison.
side() {
    mkdir -p "$work/$1/home" "$work/$1/config/user"
    printf '[Settings]\nFirstUse=NO\nshowHelp=0\n%s' "$settings" > "$work/$1/config/user/Ornisk.ini"
    cp "$work/TLDs.txt" "$work/$1/home/TLDs.txt"
}

# Each scenario sets: the search type, the settings both sides share, the
# TLD table (registry) and the options of `vantrel search`.
case $scenario in
two-letter)
    type="All Two Letter"
    settings=$'Throttle=0\nCheckDnsFirst=0\n'
    search_options=(--no-dns)
    port=$((20000 + RANDOM % 10000))
    python3 bench/whois_responder.py "$port" --reply "No match" --lifetime 900 &
    responder=$!
    printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/TLDs.txt"
    ;;
*)
    fail "unknown scenario '$scenario' (two-letter)"
    ;;
esac
sleep 0.5
kill -0 "$responder" 2> /dev/null || fail "the loopback registry did not start"
side desktop
side command

start=$(date +%s.%N)
VANTREL_CONFIG_DIR=$work/command/config "$vantrel" --home "$work/command/home" search --type "$type" --start 1 \
    --quiet "${search_options[@]}" > "$work/command.txt"
end=$(date +%s.%N)
command_s=$(python3 -c "print(f'{$end - $start:.2f}')")
echo "vantrel search: $(wc -l < "$work/command.txt") names in $command_s s"

VANTREL_CONFIG_DIR=$work/desktop/config QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$work/runtime \
    timeout 900 xvfb-run -a -s "-screen 0 1280x800x24" \
    "$driver" --home "$work/desktop/home" --type "$type" > "$work/desktop.txt" 2> "$work/desktop.err" ||
    fail "the desktop run failed: $(tail -n 5 "$work/desktop.err")"
cat "$work/desktop.txt"
python3 - "$work/desktop.txt" "$command_s" <<'PY'
import re, sys
seconds = float(re.search(r"in ([0-9.]+) s", open(sys.argv[1]).read()).group(1))
print(f"desktop / vantrel search: {seconds / float(sys.argv[2]):.1f}x")
PY
