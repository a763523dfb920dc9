#!/usr/bin/env bash
# Times "Minimize GPS file size" for a big race: 80 boats, each a 10,800-point
# GPX file (three hours at 1 Hz), converted to TRB with the progress label
# repainted for every boat; the median of RUNS runs against the target.
# Usage: bench/bench_minimize.sh [RUNS]   (default 7; exits 1 when the target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-7}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_minimize.sh [RUNS]   (RUNS a positive whole number, default 7)" >&2
  exit 2
fi
boats=80
points=10800
target=1500
workspace=bench/out/race-$boats

if [ ! -f build/build.ninja ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target make-bench-tracks bench-minimize

generator_sum=$(sha256sum bench/make_bench_tracks.cpp | cut -d' ' -f1)
want_stamp="boats=$boats points=$points generator=$generator_sum"
if [ -f "$workspace/stamp" ] && [ "$(cat "$workspace/stamp")" = "$want_stamp" ]; then
  echo "Reusing the boats' tracks in $workspace"
else
  echo "Writing $boats tracks of $points points into $workspace..."
  rm -rf "$workspace" "$workspace.part"
  build/bench/make-bench-tracks --race "$workspace.part" "$boats" "$points"
  mv "$workspace.part" "$workspace"
  echo "$want_stamp" > "$workspace/stamp"
fi
cat "$workspace"/gpsdat/*.gpx > /dev/null

load=$(cut -d' ' -f1-3 /proc/loadavg)
out=$(QT_QPA_PLATFORM=offscreen build/bench/bench-minimize "$workspace" "$boats" "$runs" 2>/dev/null)
echo "$out" | head -n 1
read -r median min max < <(echo "$out" | awk '$1 == "minimize" { print $2, $3, $4 }')
size=$(du -sm "$workspace/gpsdat" --exclude='*.trb' | cut -f1)
echo
echo "MinimizeGpsFiles, $boats boats x $points points (GPX, $size MB), $runs runs, milliseconds (load average $load)"
printf '%8s %8s %8s %8s %6s\n' median min max target result
result=$(awk -v m="$median" -v t="$target" 'BEGIN { print (m <= t) ? "PASS" : "FAIL" }')
printf '%8s %8s %8s %8s %6s\n' "$median" "$min" "$max" "$target" "$result"
[ "$result" = PASS ]
