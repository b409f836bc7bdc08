#!/usr/bin/env bash
# Drift of the panes from the film's second over MINUTES of a 1080p30 film, while BUSY
# processes spin on the CPU. The film is made once into BUILD_DIR/bench-films.
# Usage: bench/mainwnd/drift.sh [MINUTES=10] [SPEED=1] [BUSY=2] [BUILD_DIR]
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
MINUTES="${1:-10}"
SPEED="${2:-1}"
BUSY="${3:-2}"
BUILD="$(cd "${4:-$ROOT/build}" && pwd)"
WORK="$BUILD/bench-films"
WRITER="$BUILD/tools/tesmira-filmwriter"
BENCH="$BUILD/bench/mainwnd/mainwnd_drift_bench"

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$MINUTES" "$SPEED" "$BUSY" "$BUILD"
fi
for tool in ffmpeg "$WRITER" "$BENCH"; do
    command -v "$tool" >/dev/null || { echo "drift: missing $tool" >&2; exit 1; }
done
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
mkdir -p "$WORK"
SECONDS_LONG=$((MINUTES * 60))
FILM="$WORK/drift-1080p30-${SECONDS_LONG}s.MOV"
if [ ! -s "$FILM" ]; then
    awk -v n="$SECONDS_LONG" 'BEGIN {
        print "status,latitude,lat_hemisphere,longitude,lon_hemisphere,speed_kmh,course,day,month,year,hour,minute,second,gsensor_x,gsensor_y,gsensor_z"
        for (i = 0; i < n; i++) {
            lat = 22.54 + i * 0.0002; lon = 114.05 + i * 0.0003; t = 8 * 3600 + i
            printf "%s,%.6f,N,%.6f,E,%.1f,%.1f,8,12,2026,%d,%d,%d,256,256,384\n",
                (i % 17 == 5) ? "V" : "A",
                int(lat) * 100 + (lat - int(lat)) * 60, int(lon) * 100 + (lon - int(lon)) * 60,
                40 + 20 * sin(i / 9), (45 + i) % 360, int(t / 3600) % 24, int(t / 60) % 60, t % 60
        }
    }' >"$WORK/drift-track.csv"
    ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -t "$SECONDS_LONG" \
        -c:v libx264 -preset ultrafast -crf 28 -pix_fmt yuv420p -c:a pcm_s16le -ac 1 \
        -f mov "$FILM.input.MOV"
    "$WRITER" --track "$WORK/drift-track.csv" --input "$FILM.input.MOV" --output "$FILM.tmp" \
        --type 50 >/dev/null
    rm -f "$FILM.input.MOV"
    mv "$FILM.tmp" "$FILM"
fi

# The other processes that keep the machine busy, ended with the run.
busy=()
for _ in $(seq 1 "$BUSY"); do
    (while :; do :; done) &
    busy+=("$!")
done
trap 'kill "${busy[@]}" 2>/dev/null || true' EXIT
echo "== drift over ${MINUTES} min of 1080p30 at ${SPEED}x with ${BUSY} busy processes"
"$BENCH" "$FILM" "$SPEED" 2>"$WORK/drift.log" || { tail -20 "$WORK/drift.log" >&2; exit 1; }
