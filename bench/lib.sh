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

# serve_folder DIR PORT: a web server for the files of DIR on
# 127.0.0.1:PORT (pid in $web), listening when this returns.
serve_folder() {
    python3 -m http.server "$2" --bind 127.0.0.1 --directory "$1" > /dev/null 2>&1 &
    web=$!
    wait_for_port "$2" "the page server"
}

# need_package PACKAGE CHECK...: when the command CHECK fails, installs the
# Debian package PACKAGE with apt-get (as root), else stops with what to
# install.
need_package() {
    local package=$1
    shift
    "$@" > /dev/null 2>&1 && return
    [ "$(id -u)" -eq 0 ] || fail "needs the package $package (apt-get install $package)"
    echo "$(basename "$0"): installing $package" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$package" > /dev/null 2>&1 ||
        fail "apt-get could not install $package"
    "$@" > /dev/null 2>&1 || fail "$package is installed but '$*' still fails"
}

# need_desktop_tools: what driving the desktop program under Xvfb takes:
# Xvfb, xdotool, a session bus and the accessibility tree's client library
# for Debian's own Python (bench/desktop_ui.py finds the controls through
# it; a python3 of pyenv or a venv earlier on PATH does not see apt's
# packages).
need_desktop_tools() {
    need_package xvfb command -v Xvfb
    need_package xdotool command -v xdotool
    need_package dbus command -v dbus-daemon
    need_package at-spi2-core test -x /usr/libexec/at-spi-bus-launcher
    need_package python3 test -x /usr/bin/python3
    need_package python3-gi /usr/bin/python3 -c 'import gi'
    need_package gir1.2-atspi-2.0 /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")'
}

# desktop_ui ARGS...: bench/desktop_ui.py on Debian's Python, for the
# program of process $app.
desktop_ui() {
    /usr/bin/python3 bench/desktop_ui.py "$@" --pid "$app"
}

# start_desktop_session WORK: an Xvfb screen of 1280x800 and a session bus of
# its own (DISPLAY and DBUS_SESSION_BUS_ADDRESS exported) with the
# accessibility bus started on it: the program joins that bus only when it
# is there before the program starts. stop_desktop_session ends them all.
start_desktop_session() {
    local work=$1 tries=0
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.err" &
    xvfb_pid=$!
    until [ -s "$work/display" ]; do
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || fail "Xvfb did not start: $(tail -n 3 "$work/xvfb.err")"
        sleep 0.1
    done
    DISPLAY=:$(head -n 1 "$work/display")
    export DISPLAY
    dbus-daemon --session --fork --print-address=3 --print-pid=4 3> "$work/bus.address" 4> "$work/bus.pid" ||
        fail "the session bus did not start"
    bus_pid=$(head -n 1 "$work/bus.pid")
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
    a11y_address=$(dbus-send --session --dest=org.a11y.Bus --print-reply=literal /org/a11y/bus \
        org.a11y.Bus.GetAddress) || fail "the accessibility bus (at-spi-bus-launcher) did not start"
    a11y_address=$(echo $a11y_address)
    mkdir -p "$work/runtime"
    chmod 700 "$work/runtime"
    export XDG_RUNTIME_DIR=$work/runtime
}

# bus_peer BUS NAME: the process id of the connection that owns NAME on BUS.
bus_peer() {
    dbus-send --bus="$1" --dest=org.freedesktop.DBus --print-reply=literal /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID "string:$2" 2> /dev/null | awk '{ print $2 }'
}

# descendants PID: the ids of PID's children, grandchildren and so on.
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" || true); do
        descendants "$child"
        echo "$child"
    done
}

# The bus launcher and the registry leave the session bus's process tree, so
# they are found by the names they own.
stop_desktop_session() {
    local pids launcher registry
    if [ -n "${bus_pid:-}" ]; then
        registry=$(bus_peer "${a11y_address:-}" org.a11y.atspi.Registry)
        launcher=$(bus_peer "$DBUS_SESSION_BUS_ADDRESS" org.a11y.Bus)
        pids="$registry ${launcher:+$(descendants "$launcher") $launcher} $(descendants "$bus_pid") $bus_pid"
        # shellcheck disable=SC2086 # a list of process ids
        kill $pids 2> /dev/null || true
    fi
    [ -z "${xvfb_pid:-}" ] || kill "$xvfb_pid" 2> /dev/null || true
    bus_pid=
    xvfb_pid=
}

# The environment of the desktop program under start_desktop_session (for
# env): WebEngine's sandbox off (root has none), and its browser sent to a
# proxy that is not there for every address but the loopback's (which
# Chromium never proxies), so no page leaves the machine. desktop_env adds
# the accessibility tree that bench/desktop_ui.py reads; user_env is
# without it, as a user runs the program.
user_env=(QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--proxy-server=127.0.0.1:9)
desktop_env=("${user_env[@]}" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
