#!/usr/bin/env bash
# Times tackedit-cli check on a race of 80 boats with 10,800-point tracks (GPX,
# NMEA logs and TRB, built afresh in a scratch folder), against gpsbabel merely
# reading the same GPX and NMEA files; medians against the 1 s target.
# Usage: bench/bench_check.sh [RUNS] [BUILD_DIR]   (default 9 and build; exits 1 when the target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
build=${2:-build}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_check.sh [RUNS] [BUILD_DIR]   (RUNS a positive whole number, default 9)" >&2
  exit 2
fi
boats=80
points=10800
target=1.0

scripts/install-deps.sh gpsbabel

# A Debug tree would time the wrong thing, so reconfigure unless it is RelWithDebInfo.
if [ ! -f "$build/build.ninja" ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target tackedit-cli make-check-workspace
cli=$build/tackedit-cli

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ws=$tmp/ws
"$build/bench/make-check-workspace" "$ws" "$boats" "$points"
echo "Workspace: $boats boats x $points points, $(du -sm "$ws" | cut -f1) MB in $ws"

# The check must have looked at every boat: one note per boat, the shifted clock
# of boat 7 found (exit 1) and boat 21's wild positions.
set +e
"$cli" check "$ws" bench_race.txt >"$tmp/findings"
code=$?
set -e
notes=$(grep -c $'^info\tBoat ' "$tmp/findings" || true)
if [ "$code" != 1 ] || [ "$notes" != "$boats" ] ||
   ! grep -q $'^error\tBoat 7\t.*times look 9 hours late' "$tmp/findings" ||
   ! grep -q $'^warning\tBoat 21\t4 points jump' "$tmp/findings"; then
  echo "FAIL: unexpected findings (exit $code, $notes boat notes):" >&2
  cat "$tmp/findings" >&2
  exit 1
fi
echo "ok: $notes boats checked, boat 7's clock and boat 21's jumps found"

gpsbabel_args=()
for f in "$ws"/gpsdat/*.gpx; do gpsbabel_args+=(-i gpx -f "$f"); done
for f in "$ws"/gpsdat/*.log; do gpsbabel_args+=(-i nmea -f "$f"); done

seconds() {  # COMMAND...: prints the wall time; any exit code but 0 or 1 fails the run
  local start end code=0
  start=$(date +%s%N)
  "$@" >/dev/null 2>"$tmp/err" || code=$?
  end=$(date +%s%N)
  if [ "$code" -gt 1 ]; then
    echo "FAIL: $* exited $code:" >&2
    cat "$tmp/err" >&2
    exit 1
  fi
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) / 1e9 }'
}

cat "$ws"/gpsdat/* >/dev/null  # both sides read from the page cache
echo "Timing $runs runs each (seconds):" >&2
for ((run = 1; run <= runs; run++)); do
  if ((run % 2)); then order="ours gpsbabel"; else order="gpsbabel ours"; fi
  for who in $order; do
    if [ "$who" = ours ]; then
      t=$(seconds "$cli" check "$ws" bench_race.txt)
    else
      t=$(seconds gpsbabel "${gpsbabel_args[@]}" -o unicsv -F /dev/null)
    fi
    echo "$t" >>"$tmp/$who"
    echo "  run $run $who $t" >&2
  done
done

median() {  # FILE
  sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
ours=$(median "$tmp/ours")
theirs=$(median "$tmp/gpsbabel")
result=$(awk -v o="$ours" -v t="$target" 'BEGIN { print (o <= t) ? "PASS" : "FAIL" }')
echo
echo "Race check benchmark, $boats boats x $points points, $runs runs, medians; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-44s %8s\n' "tackedit-cli check (all $boats boats)" "$ours s"
printf '%-44s %8s\n' "gpsbabel reading the GPX and NMEA files only" "$theirs s"
printf '%-44s %8s %s\n' "target" "$target s" "$result"
[ "$result" = PASS ]
