#!/usr/bin/env bash
# Time from starting the desktop program to its main window being shown, on a
# second start (no first-use message, no help), under Xvfb. Needs xdotool.
# usage: bench/launch_bench.sh   (needs a build in ./build)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
require_file build/bin/vantrel "vantrel"
require_tool xvfb-run xdotool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/config/user" "$work/runtime"
chmod 700 "$work/runtime"
printf '[Settings]\nFirstUse=NO\nshowHelp=0\n' > "$work/config/user/Ornisk.ini"
cat > "$work/measure.sh" <<INNER
for run in 1 2 3; do
    start=\$(date +%s%N)
    $PWD/build/bin/vantrel --home "$work/home" &
    pid=\$!
    xdotool search --sync --onlyvisible --name "by " > /dev/null
    echo "launch to main window: \$(( (\$(date +%s%N) - start) / 1000000 )) ms"
    kill \$pid; wait \$pid 2> /dev/null || true
done
INNER
VANTREL_CONFIG_DIR=$work/config QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$work/runtime \
    xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/measure.sh" 2> /dev/null
