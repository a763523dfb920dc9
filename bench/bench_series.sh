#!/usr/bin/env bash
# Times tackedit-cli series of 10 races x 80 boats: the analysis benchmark's
# race (a course round two marks between two lines; tracks of 70 minutes at
# one fix a second in GPX, NMEA logs and TRB) under ten names, so that every
# race reads and analyses all 80 tracks. Median with the load average; the
# target: 2 s.
# Usage: bench/bench_series.sh [RUNS] [BUILD_DIR]   (default 9 and build; exits 1 when the target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
build=${2:-build}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_series.sh [RUNS] [BUILD_DIR]   (RUNS a positive whole number, default 9)" >&2
  exit 2
fi
races=10
boats=80
target=2.0

# A Debug tree would time the wrong thing, so reconfigure unless it is RelWithDebInfo.
if [ ! -f "$build/build.ninja" ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target tackedit-cli make-check-workspace
cli=$build/tackedit-cli

out=bench/out/series
rm -rf "$out"
mkdir -p "$out"
ws=$out/ws
"$build/bench/make-check-workspace" "$ws" "$boats" 4200 1
names=()
for ((r = 1; r <= races; r++)); do
  name=$(printf 'race%02d.txt' "$r")
  cp "$ws/raceadmin/bench_race.txt" "$ws/raceadmin/$name"
  names+=("$name")
done
echo "Workspace: $boats boats x 70 min at 1 Hz, $(du -sm "$ws" | cut -f1) MB, $races race files (in $out)"

# Every boat scored in every race, and some of them finished.
"$cli" series "$ws" "${names[@]}" --csv >"$out/series.csv" 2>/dev/null
rows=$(($(wc -l <"$out/series.csv") - 1))
columns=$(head -1 "$out/series.csv" | awk -F, '{ print NF }')
won=$(grep -c '^1,,Boat [0-9]*,,,,1,1,1,1,1,1,1,1,1,1,10,10$' "$out/series.csv" || true)
if [ "$rows" != "$boats" ] || [ "$columns" != $((8 + races)) ] || [ "$won" -lt 1 ]; then
  echo "FAIL: unexpected series: $rows rows, $columns columns, $won winners:" >&2
  head -5 "$out/series.csv" >&2
  exit 1
fi
echo "ok: $rows boats scored in $races races; $(grep -c ',[0-9]*,[0-9]*$' "$out/series.csv") rows"

cat "$ws"/gpsdat/* >/dev/null  # every run reads from the page cache
echo "Timing $runs runs (seconds):" >&2
: >"$out/times"
for ((run = 1; run <= runs; run++)); do
  start=$(date +%s%N)
  "$cli" series "$ws" "${names[@]}" --json >/dev/null 2>"$out/err" || {
    echo "FAIL: series exited $?:" >&2
    cat "$out/err" >&2
    exit 1
  }
  end=$(date +%s%N)
  t=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) / 1e9 }')
  echo "$t" >>"$out/times"
  echo "  run $run $t" >&2
done

median=$(sort -g "$out/times" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
verdict=$(awk -v v="$median" -v t="$target" 'BEGIN { print (v <= t) ? "PASS" : "FAIL" }')
echo
echo "Series benchmark, $runs runs, median; load: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores"
printf '%-52s %8s   %s\n' "tackedit-cli series, $races races x $boats boats" "$median s" "target $target s: $verdict"
[ "$verdict" = PASS ]
