#!/usr/bin/env bash
# Reading a 1,000,000-line name list written in UTF-8 against the same list in
# Latin-1: by position as a search run reads it, and whole as check --list
# reads it. Best of seven runs each; the UTF-8 list should stay within 10%.
# usage: bench/list_encoding_bench.sh   (needs a build in ./build)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
require_file build/bench/wordfile_bench "wordfile_bench"
require_tool python3 iconv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Words with a letter outside ASCII every few lines, as a German or French
# list has them: "bücher12", "café345", "straße678", ...
python3 - "$work/utf8.txt" <<'PY'
import sys
stems = ["bücher", "café", "straße", "garçon", "shop", "cloud", "über", "naïve", "plain", "data"]
with open(sys.argv[1], "w", encoding="utf-8", newline="") as out:
    for i in range(1_000_000):
        out.write(f"{stems[i % len(stems)]}{i}\r\n")
PY
iconv -f UTF-8 -t LATIN1 "$work/utf8.txt" > "$work/latin1.txt"

# The inputs must be what they claim: a million lines each, one valid UTF-8
# with letters beyond ASCII, the other not UTF-8 at all.
[ "$(wc -l < "$work/utf8.txt")" -eq 1000000 ] || fail "the UTF-8 list has not 1,000,000 lines"
[ "$(wc -l < "$work/latin1.txt")" -eq 1000000 ] || fail "the Latin-1 list has not 1,000,000 lines"
iconv -f UTF-8 -t UTF-8 "$work/utf8.txt" > /dev/null 2>&1 || fail "the UTF-8 list is not valid UTF-8"
! iconv -f UTF-8 -t UTF-8 "$work/latin1.txt" > /dev/null 2>&1 || fail "the Latin-1 list reads as UTF-8"
grep -q 'bücher0' "$work/utf8.txt" || fail "the UTF-8 list lacks its 8-bit letters"

# Both lists must read as the same words.
for list in utf8 latin1; do
    ./build/bench/wordfile_bench "$work/$list.txt" > "$work/$list.check"
done
[ "$(grep -o '([0-9]* characters)' "$work/utf8.check" | head -1)" = \
  "$(grep -o '([0-9]* characters)' "$work/latin1.check" | head -1)" ] || fail "the lists read differently"

# Runs alternate between the two lists, so a busy machine weighs on both alike.
runs=7
for _ in $(seq $runs); do
    for list in latin1 utf8; do
        ./build/bench/wordfile_bench "$work/$list.txt" | grep -o '[0-9]* ms' | cut -d' ' -f1 | paste -sd' ' >> "$work/$list.times"
    done
done
best() { # best LIST FIELD: the least ms of the runs, by position (1) or whole (2)
    cut -d' ' -f"$2" "$work/$1.times" | sort -n | head -1
}
for mode in 1 2; do
    label=$([ "$mode" = 1 ] && echo "by position (search)" || echo "whole (check --list)")
    latin1=$(best latin1 "$mode")
    utf8=$(best utf8 "$mode")
    echo "$label: Latin-1 ${latin1} ms, UTF-8 ${utf8} ms ($(python3 -c "print(f'{($utf8 / $latin1 - 1) * 100:+.1f}')")%)," \
        "best of $runs"
done
