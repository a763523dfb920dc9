#!/usr/bin/env bash
# Times tackedit-cli video on a race of 80 boats with 3-hour tracks (the
# replay benchmark's workspace): a 5-minute stretch at 10x, 30 s of video at
# 30 fps, at 1280x720 (target: at most 90 s, median) and at 1920x1080
# (measured). Reports seconds of work per second of video and the load.
# Usage: bench/bench_video.sh [RUNS]   (default 3; exits 1 when the target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-3}
scripts/install-deps.sh hyperfine chromium ffmpeg
if [ ! -f build/build.ninja ] || ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-check-workspace
cli=build/tackedit-cli

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ws=$tmp/ws
build/bench/make-check-workspace "$ws" 80 10800 1
cat "$ws"/gpsdat/* >/dev/null
seconds_of_video=30
ok=1
for size in 1280x720 1920x1080; do
  load_before=$(cut -d' ' -f1-3 /proc/loadavg)
  hyperfine -N --style basic --runs "$runs" --export-csv "$tmp/$size.csv" -n "video $size" \
    "$cli video $ws bench_race.txt $tmp/$size.mp4 --from 10:30:00 --to 10:35:00 --speed 10 --fps 30 --size $size" \
    > "$tmp/log"
  load_after=$(cut -d' ' -f1-3 /proc/loadavg)
  frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 \
    "$tmp/$size.mp4")
  median=$(awk -F, 'NR == 2 { print $4 }' "$tmp/$size.csv")
  echo "Video $size: $frames frames, median of $runs runs; load average $load_before before, $load_after after (2 cores)"
  if [ "$size" = 1280x720 ]; then
    awk -v m="$median" -v v="$seconds_of_video" 'BEGIN {
      printf "  %.1f s, %.2f s per second of video (target 90 s)  %s\n", m, m / v, m <= 90 ? "PASS" : "FAIL"
      exit m <= 90 ? 0 : 1 }' || ok=0
  else
    awk -v m="$median" -v v="$seconds_of_video" 'BEGIN {
      printf "  %.1f s, %.2f s per second of video (measured)\n", m, m / v }'
  fi
done
[ "$ok" = 1 ]
