# Shared by the benchmark scripts: stop before measuring anything when an
# input is missing, and let a failure inside $(...) stop the script too.
shopt -s inherit_errexit

fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# require_file PATH WHAT: PATH must exist (a built binary, a word list...).
require_file() {
    [ -e "$1" ] || fail "$2 not found at $1 (build first: ./scripts/build.sh)"
}

# require_tool NAME...: each NAME must be on PATH.
require_tool() {
    local tool
    for tool in "$@"; do
        command -v "$tool" > /dev/null || fail "needs '$tool' (install it with apt-get)"
    done
}

# write_tld_table FILE PORT...: a TLD table with one enabled row per port,
# t0, t1, ... on 127.0.0.1, throttle 0, "No match" as the available phrase.
write_tld_table() {
    local file=$1 i=0 port
    shift
    : > "$file"
    for port in "$@"; do
        printf 't%d|127.0.0.1|%d|Enabled|0|No match\r\n' "$i" "$port" >> "$file"
        i=$((i + 1))
    done
}

# start_rationing_registry WORK NAMES [nodns]: NAMES dictionary-word .com
# names in WORK/names.txt, the first 85% of them taken (WORK/taken.txt); a
# loopback registry on $port (pid in $registry) that answers at most 5 WHOIS
# queries a second per client address, with its DNS responder on
# 127.0.0.1:53 holding the taken names (needs root; not with "nodns");
# WORK/home/TLDs.txt sends .com to it.
start_rationing_registry() {
    local work=$1 names=$2 dns=--dns
    [ "${3:-}" != nodns ] || dns=
    grep -E '^[a-z]{3,12}$' /usr/share/dict/words | sort -u |
        shuf -n "$names" --random-source=<(yes) | sed 's/$/.com/' > "$work/names.txt"
    [ "$(wc -l < "$work/names.txt")" -eq "$names" ] || fail "the word list has fewer than $names usable words"
    head -n $((names * 85 / 100)) "$work/names.txt" > "$work/taken.txt"
    port=$((20000 + RANDOM % 10000))
    python3 bench/rationing_registry.py "$port" --taken "$work/taken.txt" --rate 5 $dns > "$work/registry.log" &
    registry=$!
    wait_for_port "$port" "the loopback registry (is port 53 free?)"
    mkdir -p "$work/home"
    printf 'com|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$work/home/TLDs.txt"
}

# verdict_counts WORK OUT: how OUT (name<TAB>verdict...) answered the names
# of start_rationing_registry, as "LOST WRONG UNANSWERED": names it has no
# row for, available/registered against the truth, and blocked, timeout or
# error rows.
verdict_counts() {
    python3 - "$1/names.txt" "$1/taken.txt" "$2" <<'PY'
import sys
names, taken, out = sys.argv[1:]
names = [n.strip() for n in open(names) if n.strip()]
taken = {n.strip() for n in open(taken) if n.strip()}
got = {}
for line in open(out):
    fields = line.rstrip("\n").split("\t")
    if len(fields) >= 2:
        got[fields[0]] = fields[1]
lost = sum(1 for n in names if n not in got)
unanswered = sum(1 for n in names if got.get(n) in ("blocked", "timeout", "error"))
wrong = sum(1 for n in names if got.get(n) in ("available", "registered")
            and got[n] != ("registered" if n in taken else "available"))
print(lost, wrong, unanswered)
PY
}

# registry_phase WORK: the figures the registry of start_rationing_registry
# counted since the last call (names answered per second, queries refused).
registry_phase() {
    local before tries=0
    before=$(grep -c '^registry phase' "$1/registry.log" || true)
    kill -USR1 "$registry"
    until [ "$(grep -c '^registry phase' "$1/registry.log" || true)" -gt "$before" ]; do
        tries=$((tries + 1))
        [ "$tries" -lt 50 ] || fail "the loopback registry did not report its phase"
        sleep 0.1
    done
    grep '^registry phase' "$1/registry.log" | tail -n 1 | sed 's/^/    /'
}

# wait_for_port PORT [WHAT]: up to 10 s until something listens on
# 127.0.0.1:PORT; a loopback server started in the background may take a
# while on a busy machine, and a run that finds it closed waits for time-outs.
wait_for_port() {
    local tries=0
    until (: < /dev/tcp/127.0.0.1/"$1") 2> /dev/null; do
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || fail "${2:-the loopback server} is not listening on port $1"
        sleep 0.1
    done
}
