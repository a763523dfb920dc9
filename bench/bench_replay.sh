#!/usr/bin/env bash
# Times tackedit-cli replay on a race of 80 boats with 3-hour tracks at 1 Hz
# (GPX, NMEA logs and TRB, built afresh in a scratch folder), measures the
# bytes a fix takes in the folder, then opens the page in headless Chromium:
# its start (median of 5 loads) and frame rate (10 s of play at 10x with
# 5-minute tails, 1280 x 800). Targets: at most 1 s (median), 6 bytes a fix, the
# page ready within 1.5 s, at least 50 frames a second.
# Usage: bench/bench_replay.sh [RUNS]   (default 9; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
boats=80
points=10800
scripts/install-deps.sh hyperfine chromium
if [ ! -f build/build.ninja ] || ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-check-workspace
cli=build/tackedit-cli

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ws=$tmp/ws
build/bench/make-check-workspace "$ws" "$boats" "$points"
cat "$ws"/gpsdat/* >/dev/null
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
hyperfine -N --style basic --warmup 1 --runs "$runs" --prepare "rm -rf $tmp/out" --export-csv "$tmp/t.csv" \
  -n replay "$cli replay $ws $tmp/out bench_race.txt --no-pictures" > "$tmp/log"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
"$cli" replay "$ws" "$tmp/out" bench_race.txt --no-pictures --replace >/dev/null 2>&1 || {
  rm -rf "$tmp/out"
  "$cli" replay "$ws" "$tmp/out" bench_race.txt --no-pictures >/dev/null
}
median=$(awk -F, 'NR == 2 { print $4 }' "$tmp/t.csv")
fixes=$(grep -o '"fixes":[0-9]*' "$tmp/out/races/race-1.js" | awk -F: '{ n += $2 } END { print n }')
folder=$(du -sb "$tmp/out" | cut -f1)
script=$(stat -c %s "$tmp/out/races/race-1.js")
echo "Replay build: $boats boats x $points fixes ($fixes fixes kept), median of $runs runs"
echo "Load average $load_before before, $load_after after (2 cores)"
page=$(node bench/replay_page.js "$tmp/out" 5)
ready=$(echo "$page" | sed -n 's/.*"ready_ms":\([0-9.]*\).*/\1/p')
fps=$(echo "$page" | sed -n 's/.*"fps":\([0-9.]*\).*/\1/p')
awk -v m="$median" -v f="$fixes" -v d="$folder" -v s="$script" -v r="$ready" -v p="$fps" 'BEGIN {
  printf "build %.3f s (target 1 s)  %s\n", m, m <= 1 ? "PASS" : "FAIL"
  printf "race script %.2f bytes a fix, folder %.2f bytes a fix (target 6)  %s\n", s / f, d / f, d / f <= 6 ? "PASS" : "FAIL"
  printf "page ready in %d ms (target 1500)  %s\n", r, r <= 1500 ? "PASS" : "FAIL"
  printf "%.1f frames a second (target 50)  %s\n", p, (p >= 50) ? "PASS" : "FAIL"
  exit !(m <= 1 && d / f <= 6 && r <= 1500 && (p >= 50)) }'
