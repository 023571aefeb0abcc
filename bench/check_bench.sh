#!/usr/bin/env bash
# Throughput of `vantrel check` against loopback WHOIS responders that answer
# a registered reply at once (TLD throttle 0), compared with a shell loop of
# Debian's whois client, and the peak memory of a 100,000-name check.
# usage: bench/check_bench.sh [NAMES]   (default 5000; needs a build in ./build)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-5000}
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_tool python3 whois
work=$(mktemp -d)
trap 'kill $responder 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config

base=$((20000 + RANDOM % 10000))
ports=$(seq "$base" $((base + 7)))
python3 bench/whois_responder.py $ports --lifetime 900 &
responder=$!
sleep 0.5

mkdir -p "$work/home"
write_tld_table "$work/home/TLDs.txt" $ports

seq 1 "$names" | sed 's/$/.t0/; s/^/name/' > "$work/one.txt"
seq 1 "$names" | awk '{ printf "name%d.t%d\n", $1, $1 % 8 }' > "$work/eight.txt"

rate() { python3 -c "print(f'{$1 / $2:.0f}')"; }
seconds() { local start=$(date +%s.%N); "$@" > /dev/null; python3 -c "print(f'{$(date +%s.%N) - $start:.3f}')"; }

one=$(seconds "$vantrel" --home "$work/home" check --list "$work/one.txt")
eight=$(seconds "$vantrel" --home "$work/home" check --slots 8 --list "$work/eight.txt")
whois_loop() { while read -r name; do whois -h 127.0.0.1 -p "$base" "$name"; done < "$work/one.txt"; }
client=$(seconds whois_loop)

echo "check, 1 slot:  $names names in ${one}s = $(rate "$names" "$one") names/s"
echo "check, 8 slots: $names names in ${eight}s = $(rate "$names" "$eight") names/s ($(python3 -c "print(f'{$one / $eight:.1f}')")x one slot)"
echo "whois loop:     $names names in ${client}s = $(rate "$names" "$client") names/s (check 1 slot is $(python3 -c "print(f'{$client / $one:.1f}')")x faster)"

seq 1 100000 | awk '{ printf "name%d.t%d\n", $1, $1 % 8 }' > "$work/big.txt"
peak=$(python3 - "$vantrel" "$work" <<'PY'
import resource, subprocess, sys
vantrel, work = sys.argv[1], sys.argv[2]
subprocess.run([vantrel, "--home", work + "/home", "check", "--slots", "8", "--list", work + "/big.txt"],
               stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss // 1024)
PY
)
echo "check, 100000 names, 8 slots: peak memory ${peak} MB"
