#!/usr/bin/env bash
# Installs every Debian package Tesmira needs to build, test and run.
# Does nothing when all of them are present.
set -euo pipefail

PACKAGES=(
    g++ cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
    qt6-image-formats-plugins libgl-dev
    libmpv-dev mpv ffmpeg
    xvfb xauth fonts-dejavu-core fonts-liberation
    fonts-wqy-microhei  # the Chinese menu items and language texts
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    gpsbabel hyperfine
    libjs-leaflet
    qt6-svg-dev  # the icon writer's SVG
    desktop-file-utils appstream  # the install test validates the desktop entry and metainfo
    dpkg-dev  # dpkg-shlibdeps, for the package's Depends
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "setup-deps: missing ${missing[*]}; run this script as root or install sudo" >&2
        exit 1
    fi
    SUDO=(sudo)
fi
echo "setup-deps: installing ${missing[*]}" >&2
"${SUDO[@]}" apt-get update -qq >&2
# Through env: sudo resets the environment, and an asking debconf would stall the install.
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >&2
