#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exit status is the tests'.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
JOBS="${TESMIRA_JOBS:-$(nproc)}"
BUILD="${TESMIRA_BUILD_DIR:-$ROOT/build}"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"

"$ROOT/scripts/setup-deps.sh" || exit 1

# Full build with every test.
"$ROOT/scripts/build.sh" || exit 1
# A build tree without tests is a failure, not a pass.
(cd "$BUILD" && ctest --output-on-failure --no-tests=error -j "$JOBS")
status=$?

# The Qt-free libraries again, under AddressSanitizer and UndefinedBehaviorSanitizer.
SAN="$ROOT/build-sanitize"
cmake -S "$ROOT" -B "$SAN" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTESMIRA_WITH_QT=OFF -DTESMIRA_SANITIZE=ON -DTESMIRA_BUILD_BENCH=OFF >/dev/null || exit 1
cmake --build "$SAN" -j "$JOBS" || exit 1
(cd "$SAN" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --no-tests=error -j "$JOBS")
san_status=$?

[ $status -ne 0 ] && exit $status
exit $san_status
