#!/usr/bin/env bash
# Two runs on one registry, the second right after the first, as a user who
# checks one list and then the next: `vantrel check --no-dns --slots 8` of
# NAMES dictionary-word .com names (default 600) against
# rationing_registry.py, a loopback registry that answers at most 5 WHOIS
# queries a second per client and a limit notice beyond that. The second run
# starts while the registry still counts the first one's queries. Then a
# third run, right after the second, with the registry's limit in the program
# folder's registry/limits.txt. Prints for each run the seconds, names/s and
# how many names were lost, wrong or left blocked, and the registry phase as
# the registry counted it: names answered per second from its first query to
# its last answer, and the queries it refused.
# Targets: every run at 4.25 names/s or more (85% of the 5 allowed), at most
# 2 refusals per 1,000 names, and 0 refusals in the run with the limits file.
# usage: bench/back_to_back.sh [NAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-600}
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file /usr/share/dict/words "the word list (Debian's wamerican)"
require_tool python3

work=$(mktemp -d)
registry=
trap 'kill $registry 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config
start_rationing_registry "$work" "$names" nodns

# run LABEL: one check of every name, judged against the truth, then the
# registry's own count of the run.
run() {
    local label=$1 start end counts lost wrong blocked
    start=$(date +%s.%N)
    "$vantrel" --home "$work/home" check --no-dns --slots 8 --quiet --list "$work/names.txt" > "$work/out.txt" || true
    end=$(date +%s.%N)
    counts=$(verdict_counts "$work" "$work/out.txt")
    read -r lost wrong blocked <<< "$counts"
    python3 -c 'import sys; label, start, end, names = sys.argv[1:]; seconds = float(end) - float(start)
print(f"{label}: {names} names in {seconds:.1f} s = {int(names) / seconds:.2f} names/s; ", end="")' \
        "$label" "$start" "$end" "$names"
    echo "lost $lost, wrong $wrong, left blocked $blocked"
    registry_phase "$work"
}
run "first run          "
run "right after it     "
mkdir -p "$work/home/registry"
echo "bench 127.0.0.1 5/s address $(date +%F) bench/rationing_registry.py" > "$work/home/registry/limits.txt"
run "with its limit file"
