#!/usr/bin/env bash
# Installs what is missing, builds, and starts vantrel with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build.sh >&2
exec ./build/bin/vantrel "$@"
