#!/usr/bin/env bash
# `vantrel check --slots 8` on 100,000 names that are all available (every
# one is filed into a profile file), with its peak memory; then the same
# command on 8 names whose server never answers, which must end on its own.
# usage: bench/available_bench.sh [NAMES]   (default 100000; needs a build in ./build)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-100000}
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file bench/whois_responder.py "the loopback responder"
require_tool python3 awk seq
[[ "$names" =~ ^[0-9]+$ ]] && [ "$names" -gt 0 ] || fail "NAMES must be a positive number, not '$names'"
work=$(mktemp -d)
responders=()
trap 'kill "${responders[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config

base=$((20000 + RANDOM % 10000))
ports=$(seq "$base" $((base + 7)))
silent_port=$((base + 8))
python3 bench/whois_responder.py $ports --reply $'No match for this name\r\n' --lifetime 900 &
responders+=($!)
python3 bench/whois_responder.py "$silent_port" --silent --lifetime 900 &
responders+=($!)
sleep 0.5

mkdir -p "$work/home"
write_tld_table "$work/home/TLDs.txt" $ports
printf 'mute|127.0.0.1|%d|Enabled|0|No match\r\n' "$silent_port" >> "$work/home/TLDs.txt"

seq 1 "$names" | awk '{ printf "name%d.t%d\n", $1, $1 % 8 }' > "$work/names.txt"
python3 - "$vantrel" "$work" "$names" <<'PY'
import resource, subprocess, sys, time
vantrel, work, names = sys.argv[1], sys.argv[2], int(sys.argv[3])
start = time.monotonic()
done = subprocess.run([vantrel, "--home", work + "/home", "check", "--slots", "8", "--list", work + "/names.txt"],
                      stdout=subprocess.PIPE, check=True)
seconds = time.monotonic() - start
available = done.stdout.count(b"\tavailable\t")
if available != names:
    sys.exit(f"only {available} of {names} names came back available")
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
print(f"check, {names} names, all available, 8 slots: {seconds:.1f}s = {names / seconds:.0f} names/s, "
      f"peak memory {peak:.0f} MB")

start = time.monotonic()
silent = subprocess.run([vantrel, "--home", work + "/home", "check", "--slots", "8", "--tld", "mute"] +
                        [f"quiet{i}" for i in range(8)], stdout=subprocess.PIPE)
print(f"check, 8 names, server never answers, 8 slots: ended after {time.monotonic() - start:.1f}s "
      f"with exit status {silent.returncode}, {silent.stdout.count(b'timeout')} timeouts")
PY
