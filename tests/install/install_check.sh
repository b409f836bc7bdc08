#!/usr/bin/env bash
# install_check.sh layout|validate CMAKE BUILD_DIR PREFIX APP_ID VERSION MODULE_DIR
#   layout:   installs BUILD_DIR into PREFIX, checks the files and runs the installed player
#   validate: checks the installed desktop entry and AppStream data with their validators
#             (exit 77, "skipped", when one of them is missing)
set -uo pipefail
mode=$1 cmake=$2 build=$3 prefix=$4 id=$5 version=$6 moduledir=$7
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

layout() {
    rm -rf "$prefix"
    "$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: install" >&2; exit 1; }

    local expected=(
        bin/tesmira
        "$moduledir/tesmira-player.so"
        "share/applications/$id.desktop"
        "share/metainfo/$id.metainfo.xml"
        share/man/man1/tesmira.1
        "share/icons/hicolor/scalable/apps/$id.svg"
    )
    for size in 16 22 24 32 48 64 128 256; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
    done
    for file in "${expected[@]}"; do
        [ -s "$prefix/$file" ] || fail "$file is not installed"
    done
    [ -x "$prefix/bin/tesmira" ] || fail "bin/tesmira is not executable"
    # Each PNG holds the size its folder names.
    for size in 16 48 256; do
        local png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
        local dims
        dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
        [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
    done
    # What a file manager's "Open with" relies on.
    local entry="$prefix/share/applications/$id.desktop"
    for line in 'Exec=tesmira %F' 'MimeType=video/mp4;video/quicktime;video/x-msvideo;' "Icon=$id" \
        'Categories=AudioVideo;Video;Player;'; do
        grep -qxF "$line" "$entry" || fail "the desktop entry lacks '$line'"
    done
    grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || fail "the SVG icon is no SVG"
    # Build-time helpers and the demo film stay out.
    local extra
    extra=$(find "$prefix" \( -name '*filmwriter*' -o -name '*iconwriter*' -o -iname '*.mov' \
        -o -name '*_test' \) -print)
    [ -z "$extra" ] || fail "installed but not for users: $extra"

    local out
    out=$("$prefix/bin/tesmira" --version) || fail "--version exits with $?"
    [ "$out" = "tesmira $version" ] || fail "--version prints '$out'"
    "$prefix/bin/tesmira" --help | grep -q '^Usage: tesmira' || fail "--help prints no usage"

    # Without a display the window module is loaded and then refuses to start: its own
    # message shows that the installed executable found the installed module.
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
        "$prefix/bin/tesmira" film.mp4 2>&1)
    local status=$?
    [ $status -eq 1 ] || fail "the player without a display exits with $status"
    grep -q 'no display to play on' <<<"$out" || fail "the installed module was not run: $out"

    # An executable whose module is missing says so instead of finding another one.
    local lone="$prefix/lone"
    mkdir -p "$lone/bin" && cp "$prefix/bin/tesmira" "$lone/bin/"
    out=$(env -u DISPLAY "$lone/bin/tesmira" film.mp4 2>&1)
    grep -q 'player window cannot be loaded' <<<"$out" || fail "a lone executable says: $out"
    rm -rf "$lone"
}

validate() {
    local skipped=0
    if command -v desktop-file-validate >/dev/null; then
        # It exits 0 on some errors ("will be fatal in the future"): any remark fails.
        local remarks
        remarks=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1)
        [ $? -eq 0 ] && [ -z "$remarks" ] || fail "desktop entry: $remarks"
    else
        echo "desktop-file-validate is missing (desktop-file-utils): desktop entry not validated"
        skipped=1
    fi
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
    else
        echo "appstreamcli is missing (appstream): metainfo not validated"
        skipped=1
    fi
    [ $failures -eq 0 ] && [ $skipped -eq 1 ] && exit 77
}

case $mode in
    layout) layout ;;
    validate) validate ;;
    *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
[ $failures -eq 0 ]
