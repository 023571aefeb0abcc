#!/usr/bin/env bash
# readWord over the whole four-letter list, and a 2,000-name search run that
# starts deep in a long list compared with one that starts at position 1.
# usage: bench/search_bench.sh   (needs a build in ./build)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file build/bench/wordfile_bench "wordfile_bench"
require_file build/share/vantrel/program/wordlists/AllFourLetter.txt "the four-letter list"
require_tool python3
work=$(mktemp -d)
trap 'kill $responder 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config

./build/bench/wordfile_bench build/share/vantrel/program/wordlists/AllFourLetter.txt

port=$((20000 + RANDOM % 10000))
python3 bench/whois_responder.py "$port" --lifetime 600 &
responder=$!
sleep 0.5
mkdir -p "$work/home"
printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/home/TLDs.txt"
seq 1 452000 | sed 's/^/name/; s/$/\r/' > "$work/long.txt"
seq 1 2000 | sed 's/^/name/; s/$/\r/' > "$work/short.txt"

seconds() { local start=$(date +%s.%N); "$@" > /dev/null; python3 -c "print(f'{$(date +%s.%N) - $start:.3f}')"; }
deep=$(seconds "$vantrel" --home "$work/home" search --type "Custom List" --list "$work/long.txt" --start 450001)
first=$(seconds "$vantrel" --home "$work/home" search --type "Custom List" --list "$work/short.txt" --start 1)
echo "2000 names from position 450001: ${deep}s; from position 1: ${first}s ($(python3 -c "print(f'{($deep / $first - 1) * 100:+.1f}')")%)"
