#!/usr/bin/env bash
# Installs what is missing, builds, and starts the player; with no film named
# it plays the built-in demo film.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup-deps.sh"
"$ROOT/scripts/build.sh"
BUILD="${TESMIRA_BUILD_DIR:-$ROOT/build}"
BIN="$BUILD/src/tesmira"
DEMO="$BUILD/demo/demo.MOV"
if [ $# -eq 0 ]; then
    set -- "$DEMO"
fi
exec "$BIN" "$@"
