#!/usr/bin/env bash
# Makes the Debian package from a Release build: tesmira_<version>_<arch>.deb in the
# working folder. Its Depends are read from the built binaries by dpkg-shlibdeps.
#   scripts/package.sh [CMAKE_OPTION...]
# TESMIRA_PACKAGE_BUILD_DIR (default build-release/) and TESMIRA_JOBS as for build.sh.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${TESMIRA_PACKAGE_BUILD_DIR:-$ROOT/build-release}"
JOBS="${TESMIRA_JOBS:-$(nproc)}"
OUT="$PWD"

"$ROOT/scripts/setup-deps.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTESMIRA_BUILD_TESTS=OFF -DTESMIRA_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build "$BUILD" -j "$JOBS"
rm -f "$BUILD"/tesmira_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
package=$(cd "$BUILD" && ls tesmira_*.deb)
mv "$BUILD/$package" "$OUT/"
dpkg-deb --field "$OUT/$package" Package Version Architecture Depends Recommends
echo "$OUT/$package"
