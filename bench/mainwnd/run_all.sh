#!/usr/bin/env bash
# The whole player with its main window, under Xvfb: start-up to the first frame and to the
# map page, CPU of the player and its browser helpers against mpv over 60 s of a 1080p30
# film, and resident size after 1, 10 and 30 films played one after another.
# Usage: bench/mainwnd/run_all.sh [BUILD_DIR]   (films are made once into BUILD_DIR/bench-films)
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
WORK="$BUILD/bench-films"
TESMIRA="$BUILD/src/tesmira"
WRITER="$BUILD/tools/tesmira-filmwriter"
PROCESS_BENCH="$BUILD/bench/mainwnd/mainwnd_process_bench"
MEMORY_BENCH="$BUILD/bench/mainwnd/mainwnd_memory_bench"

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$BUILD"
fi
for tool in ffmpeg mpv "$TESMIRA" "$WRITER" "$PROCESS_BENCH" "$MEMORY_BENCH"; do
    command -v "$tool" >/dev/null || { echo "run_all: missing $tool" >&2; exit 1; }
done
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
mkdir -p "$WORK"

# One record per second: a slow drive north-east from Shenzhen with a fix throughout.
track() {  # $1 rows, $2 output
    [ -s "$2" ] && return
    awk -v n="$1" 'BEGIN {
        print "status,latitude,lat_hemisphere,longitude,lon_hemisphere,speed_kmh,course,day,month,year,hour,minute,second,gsensor_x,gsensor_y,gsensor_z"
        for (i = 0; i < n; i++) {
            lat = 22.54 + i * 0.0002; lon = 114.05 + i * 0.0003
            t = 8 * 3600 + i
            printf "A,%.6f,N,%.6f,E,%.1f,%.1f,8,12,2026,%d,%d,%d,%d,%d,384\n",
                int(lat) * 100 + (lat - int(lat)) * 60, int(lon) * 100 + (lon - int(lon)) * 60,
                40 + 20 * sin(i / 9), (45 + i) % 360, int(t / 3600) % 24, int(t / 60) % 60, t % 60,
                256 + i % 7 - 3, 256 + i % 5 - 2
        }
    }' >"$2"
}
# A camera's film: H.264 picture and PCM sound in a .MOV, records in the sound track.
film() {  # $1 output, $2 size, $3 seconds
    local out="$1"
    if [ -s "$out" ] && [ "$out" -nt "$WRITER" ]; then return; fi
    track "$3" "$WORK/track-$3.csv"
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=$2:rate=30" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -t "$3" \
        -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p -c:a pcm_s16le -ac 1 \
        -f mov "$out.input.MOV"
    "$WRITER" --track "$WORK/track-$3.csv" --input "$out.input.MOV" --output "$out.tmp" \
        --type 50 >/dev/null
    rm -f "$out.input.MOV"
    mv "$out.tmp" "$out"
}

LONG="$WORK/mainwnd-1080p30-66s.MOV"
film "$LONG" 1920x1080 66
SHORT="$WORK/mainwnd-short"
mkdir -p "$SHORT"
film "$SHORT/source.mov" 640x360 2
shorts=()
for i in $(seq -w 1 30); do
    [ -s "$SHORT/film$i.MOV" ] || cp "$SHORT/source.mov" "$SHORT/film$i.MOV"
    shorts+=("$SHORT/film$i.MOV")
done

echo "== start-up (process start to milestone, Xvfb, 1080p30 film)"
"$PROCESS_BENCH" startup "$TESMIRA" "$LONG" 7
echo "== CPU over 60 s of the 1080p30 film, every pane running"
"$PROCESS_BENCH" cpu "$TESMIRA" "$LONG" 60
echo "== resident size while 30 films play one after another"
# The engine's messages for each film (no sound device here) go to a log.
"$MEMORY_BENCH" "${shorts[@]}" 2>"$WORK/mainwnd-memory.log" ||
    { tail -20 "$WORK/mainwnd-memory.log" >&2; exit 1; }
