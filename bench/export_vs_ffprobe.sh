#!/usr/bin/env bash
# Whole-process timing: `tesmira --export json` on a one-hour film (3600 records)
# of each type (type 50, type 60, and GoPro-style GPMF telemetry with GPS5 at
# 18 Hz and ACCL at 200 Hz in a "gpmd" track) against `ffprobe -v error -show_format` on the same file, warm cache.
# Usage: bench/export_vs_ffprobe.sh [BUILD_DIR] [WORK_DIR]
# Needs ffmpeg, ffprobe, hyperfine and a build with tesmira and tesmira-filmwriter.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
WORK="${2:-$BUILD/bench-films}"
TESMIRA="$BUILD/src/tesmira"
WRITER="$BUILD/tools/tesmira-filmwriter"
SECONDS_LONG=3600

for tool in ffmpeg ffprobe hyperfine "$TESMIRA" "$WRITER"; do
    command -v "$tool" >/dev/null || { echo "export_vs_ffprobe: missing $tool" >&2; exit 1; }
done
mkdir -p "$WORK"

# One row per second: a slow drive north-east from Shenzhen with a fix throughout.
track="$WORK/track-$SECONDS_LONG.csv"
if [ ! -s "$track" ]; then
    awk -v n="$SECONDS_LONG" 'BEGIN {
        print "status,latitude,lat_hemisphere,longitude,lon_hemisphere,speed_kmh,course,day,month,year,hour,minute,second,gsensor_x,gsensor_y,gsensor_z"
        for (i = 0; i < n; i++) {
            lat = 22.54 + i * 0.00005; lon = 114.05 + i * 0.00007
            t = 8 * 3600 + i
            printf "A,%.6f,N,%.6f,E,%.1f,%.1f,8,12,2026,%d,%d,%d,%d,%d,384\n",
                int(lat) * 100 + (lat - int(lat)) * 60, int(lon) * 100 + (lon - int(lon)) * 60,
                40 + 20 * sin(i / 9), (45 + i) % 360, int(t / 3600) % 24, int(t / 60) % 60, t % 60,
                256 + i % 7 - 3, 256 + i % 5 - 2
        }
    }' >"$track"
fi

# Tiny picture, one frame a second and 8 kHz sound keep the one-hour films quick to make.
make_input() {  # $1 output, $2 "audio" or "video"
    [ -s "$1" ] && return
    local args=(-f lavfi -i "testsrc2=size=32x32:rate=1")
    [ "$2" = audio ] && args+=(-f lavfi -i "sine=frequency=440:sample_rate=8000")
    args+=(-t "$SECONDS_LONG" -c:v libx264 -preset ultrafast -pix_fmt yuv420p)
    [ "$2" = audio ] && args+=(-c:a pcm_s16le -ac 1)
    ffmpeg -nostdin -v error -y "${args[@]}" -f mov "$1.tmp"
    mv "$1.tmp" "$1"
}
make_film() {  # $1 type, $2 input, further arguments go to the writer
    local out="$WORK/hour-type$1.MOV"
    if [ ! -s "$out" ] || [ "$out" -ot "$WRITER" ]; then
        "$WRITER" --track "$track" --input "$2" --output "$out.tmp" --type "$1" "${@:3}" >&2
        mv "$out.tmp" "$out"
    fi
    echo "$out"
}
make_input "$WORK/input-audio.MOV" audio
make_input "$WORK/input-video.MOV" video
film50="$(make_film 50 "$WORK/input-audio.MOV")"
film60="$(make_film 60 "$WORK/input-video.MOV")"
filmgpmf="$(make_film gpmf "$WORK/input-video.MOV" --gpmf-gps-rate 18 --gpmf-accel-rate 200)"

for film in "$film50" "$film60" "$filmgpmf"; do
    count="$("$TESMIRA" --export json "$film" | grep -c '"index"')"
    if [ "$count" -ne "$SECONDS_LONG" ]; then
        echo "export_vs_ffprobe: $film gave $count samples, expected $SECONDS_LONG" >&2
        exit 1
    fi
    echo "== $(basename "$film"): $(du -h "$film" | cut -f1), $count records"
    hyperfine --warmup 3 --min-runs 20 -N --export-json "$film.bench.json" \
        -n "tesmira --export json" "$(printf "%q --export json %q -o /dev/null" "$TESMIRA" "$film")" \
        -n "ffprobe -show_format" "$(printf "ffprobe -v error -show_format -o /dev/null %q" "$film")"
done
