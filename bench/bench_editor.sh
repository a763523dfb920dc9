#!/usr/bin/env bash
# Times the track editor on a 1,000,000-point track: a full redraw (map and time
# line into off-screen pictures), one hover search with its close-up, and one
# automatic editing run; medians of RUNS runs against the targets.
# Usage: bench/bench_editor.sh [RUNS] [BUILD_DIR]   (default 9 and build; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
build=${2:-build}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_editor.sh [RUNS] [BUILD_DIR]   (RUNS a positive whole number, default 9)" >&2
  exit 2
fi
points=1000000

# A Debug tree would time the wrong thing, so reconfigure unless it is RelWithDebInfo.
if [ ! -f "$build/build.ninja" ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target bench-editor

out=$(QT_QPA_PLATFORM=offscreen "$build/bench/bench-editor" "$points" "$runs")
echo "$out" | head -n 1

failed=0
echo
echo "Editor benchmark, $points points, $runs runs, milliseconds"
printf '%-10s %8s %8s %8s %8s %6s\n' step median min max target result
while read -r name target; do
  read -r median min max < <(echo "$out" | awk -v n="$name" '$1 == n { print $2, $3, $4 }')
  result=$(awk -v m="$median" -v t="$target" 'BEGIN { print (m <= t) ? "PASS" : "FAIL" }')
  [ "$result" = PASS ] || failed=1
  printf '%-10s %8s %8s %8s %8s %6s\n' "$name" "$median" "$min" "$max" "$target" "$result"
done <<'TARGETS'
redraw 150
hover 10
autoedit 100
TARGETS

if ((failed)); then
  echo "Some targets were missed."
  exit 1
fi
echo "All targets met."
