#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build.sh
cd build
# Widget tests draw offscreen; the embedded-browser tests need an X display.
runtime_dir=$(mktemp -d)
trap 'rm -rf "$runtime_dir"' EXIT
XDG_RUNTIME_DIR=$runtime_dir xvfb-run -a -s "-screen 0 1280x800x24" ctest --output-on-failure -j"$(nproc)"
