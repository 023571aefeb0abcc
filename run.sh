#!/usr/bin/env bash
# Installs what is missing, builds, and starts vantrel with the given arguments;
# without any, vantrel starts the desktop program built beside it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build.sh >&2
if [ "$(id -u)" -eq 0 ]; then
    # The embedded browser refuses to start as root with its sandbox on.
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec ./build/bin/vantrel "$@"
