#!/usr/bin/env bash
# Configures and builds the player into build/ (shared by run.sh and test.sh).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${TESMIRA_BUILD_DIR:-$ROOT/build}"
JOBS="${TESMIRA_JOBS:-$(nproc)}"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$BUILD" -j "$JOBS"
