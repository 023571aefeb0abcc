#!/usr/bin/env bash
# A run as on the real internet: a loopback "registry" that answers at most 5
# WHOIS queries per second per client (a limit notice beyond that) and a
# loopback DNS responder whose zone holds 85% of the names. Checks 3,000
# dictionary-word .com names with DNS first and with --no-dns; prints for each
# the seconds, names/s, and how many names were lost, wrong or left blocked,
# and the registry phase as the registry saw it: the names it answered per
# second from its first query to its last answer, and the queries it refused.
# Then, against a responder that does not ration, `check --slots 8` beside
# `xargs -P 8 whois` on the same names.
# usage: bench/realistic_run.sh [NAMES]   (default 3000; root, for UDP port 53)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
names=${1:-3000}
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file /usr/share/dict/words "the word list (Debian's wamerican)"
require_tool python3 whois xargs
[ "$(id -u)" -eq 0 ] || fail "the DNS responder needs root to listen on 127.0.0.1:53"

work=$(mktemp -d)
registry=
plain=
trap 'kill $registry $plain 2>/dev/null || true; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config
start_rationing_registry "$work" "$names"

# run LABEL [OPTIONS...]: one check of every name, judged against the truth.
run() {
    local label=$1
    shift
    local start end
    start=$(date +%s.%N)
    "$vantrel" --home "$work/home" check --slots 8 --quiet "$@" --list "$work/names.txt" > "$work/out.txt"
    end=$(date +%s.%N)
    local counts lost wrong blocked
    counts=$(verdict_counts "$work" "$work/out.txt")
    read -r lost wrong blocked <<< "$counts"
    python3 -c 'import sys; label, start, end, names = sys.argv[1:]; seconds = float(end) - float(start)
print(f"{label}: {names} names in {seconds:.1f} s = {int(names) / seconds:.1f} names/s; ", end="")' \
        "$label" "$start" "$end" "$(wc -l < "$work/names.txt")"
    echo "lost $lost, wrong $wrong, left blocked $blocked"
}
run "DNS first" --dns-server 127.0.0.1 | tee "$work/dns.txt"
registry_phase "$work"
run "--no-dns " --no-dns | tee "$work/nodns.txt"
registry_phase "$work"
python3 - "$work/dns.txt" "$work/nodns.txt" <<'PY'
import re, sys
rate = lambda path: float(re.search(r"= ([0-9.]+) names/s", open(path).read()).group(1))
print(f"DNS first is {rate(sys.argv[1]) / rate(sys.argv[2]):.1f}x the --no-dns run")
PY
kill "$registry"; wait "$registry" 2>/dev/null || true
cat "$work/registry.log"

# Without rationing: check on 8 slots beside 8 parallel whois clients.
plain_port=$((port + 1))
python3 bench/whois_responder.py "$plain_port" --lifetime 900 &
plain=$!
sleep 0.5
printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$plain_port" > "$work/home/TLDs.txt"
start=$(date +%s.%N)
"$vantrel" --home "$work/home" check --slots 8 --quiet --no-dns --list "$work/names.txt" > /dev/null
check_s=$(python3 -c "import time; print(time.time() - $start)")
start=$(date +%s.%N)
xargs -P 8 -n 1 whois -h 127.0.0.1 -p "$plain_port" < "$work/names.txt" > /dev/null
whois_s=$(python3 -c "import time; print(time.time() - $start)")
python3 -c "print(f'no rationing: check --slots 8 {$check_s:.2f} s, xargs -P 8 whois {$whois_s:.2f} s ({$whois_s / $check_s:.1f}x)')"
