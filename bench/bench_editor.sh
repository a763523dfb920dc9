#!/usr/bin/env bash
# Times the track editor on a 1,000,000-point track logged at 1 Hz and on a
# 10,000,000-point track logged at 10 Hz: a full redraw (map, the hover's index,
# time line), a hover search with its close-up, automatic editing and a restore
# (each with the recount of the deletions); medians of RUNS runs against the
# targets. "restore+redraw" adds the redraw that follows a restore (no target).
# Usage: bench/bench_editor.sh [RUNS] [BUILD_DIR]   (default 9 and build; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
build=${2:-build}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_editor.sh [RUNS] [BUILD_DIR]   (RUNS a positive whole number, default 9)" >&2
  exit 2
fi

# A Debug tree would time the wrong thing, so reconfigure unless it is RelWithDebInfo.
if [ ! -f "$build/build.ninja" ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target bench-editor

failed=0
for size in "1000000 1" "10000000 10"; do
  read -r points hz <<< "$size"
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  out=$(QT_QPA_PLATFORM=offscreen "$build/bench/bench-editor" "$points" "$runs" "$hz" 2>/dev/null)
  echo
  echo "$out" | head -n 1
  echo "Editor benchmark, $points points at $hz Hz, $runs runs, milliseconds (load average $load)"
  printf '%-15s %8s %8s %8s %8s %6s\n' step median min max target result
  while read -r name target; do
    read -r median min max < <(echo "$out" | awk -v n="$name" '$1 == n { print $2, $3, $4 }')
    result=-
    if [ "$target" != - ]; then
      result=$(awk -v m="$median" -v t="$target" 'BEGIN { print (m <= t) ? "PASS" : "FAIL" }')
      [ "$result" = PASS ] || failed=1
    fi
    printf '%-15s %8s %8s %8s %8s %6s\n' "$name" "$median" "$min" "$max" "$target" "$result"
  done <<'TARGETS'
redraw 150
hover 2
autoedit 300
restore 100
restore+redraw -
TARGETS
done

if ((failed)); then
  echo "Some targets were missed."
  exit 1
fi
echo "All targets met."
