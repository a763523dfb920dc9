#!/usr/bin/env bash
# Times `tackedit-cli info` loading a 1,000,000-fix FIT file against gpsbabel
# reading the same file, and checks the speed and memory targets. The FIT file
# is gpsbabel's own conversion of the load benchmark's GPX track.
# Usage: bench/bench_fit.sh [RUNS]   (default 11; exits 1 when a target is missed)
# The machine should be quiet: the script prints the load average it saw.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-11}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_fit.sh [RUNS]   (RUNS a positive whole number, default 11)" >&2
  exit 2
fi

points=1000000
bytes_per_point=28    # the store: three doubles and an int per point
slack=$((32 * 1000 * 1000))
ratio_target=30
out=bench/out/fit-$points
stamp=$out/stamp

scripts/install-deps.sh gpsbabel hyperfine time

if [ ! -f build/build.ninja ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-bench-tracks
cli=build/tackedit-cli

generator_sum=$(sha256sum bench/make_bench_tracks.cpp | cut -d' ' -f1)
want_stamp="points=$points generator=$generator_sum gpsbabel=$(gpsbabel -V | tr -d '\n')"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want_stamp" ]; then
  echo "Reusing $out/bench.fit"
else
  echo "Writing a $points-fix GPX track and converting it to FIT with gpsbabel into $out..."
  rm -rf "$out" "$out.part"
  mkdir -p "$out.part"
  build/bench/make-bench-tracks "$out.part" "$points"
  gpsbabel -i gpx -f "$out.part/bench.gpx" -o garmin_fit -F "$out.part/bench.fit"
  find "$out.part" -type f ! -name bench.fit -delete
  mv "$out.part" "$out"
  echo "$want_stamp" > "$stamp"
fi
file=$out/bench.fit

got=$("$cli" info "$file" | awk '$1 == "count" { print $2 }')
if [ "$got" != "$points" ]; then
  echo "FAIL: $cli info $file counted '$got' points, expected $points" >&2
  exit 1
fi
cat "$file" > /dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
babel_runs=${BABEL_RUNS:-3}
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Timing: $runs runs of ours, $babel_runs of gpsbabel (load average $load_before)"
hyperfine -N --style basic --warmup 2 --runs "$runs" --export-csv "$tmp/ours.csv" -n FIT "$cli info $file" \
  > "$tmp/ours.log"
hyperfine -N --style basic --runs "$babel_runs" --export-csv "$tmp/babel.csv" -n FIT \
  "gpsbabel -i garmin_fit -f $file -o unicsv -F /dev/null" > "$tmp/babel.log"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

best=0
for _ in 1 2 3; do
  /usr/bin/time -v -o "$tmp/rss" "$cli" info "$file" > /dev/null
  kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$tmp/rss")
  ((kb > best)) && best=$kb
done

median_of() { awk -F, 'NR > 1 { print $4 }' "$1"; }
size=$(stat -c %s "$file")
echo
echo "FIT load benchmark: tackedit-cli info on $points fixes, medians; MB = 10^6 bytes"
echo "Load average $load_before before, $load_after after (2 cores; above 0.5 the figures are inflated)"
echo "memory budget = the store ($bytes_per_point bytes a point) + 32 MB + the file"
printf '%-5s %8s %9s %9s %11s %8s %7s %9s %9s %6s\n' \
  kind "size MB" "ours ms" "MB/s" "gpsbabel s" ratio target "peak MB" "budget" result
line=$(awk -v size="$size" -v o="$(median_of "$tmp/ours.csv")" -v b="$(median_of "$tmp/babel.csv")" \
           -v rt="$ratio_target" -v kb="$best" -v budget=$((points * bytes_per_point + slack + size)) 'BEGIN {
  r = b / o; mem = kb * 1024
  ok = r >= rt && mem <= budget
  printf "%-5s %8.1f %9.1f %9.0f %11.2f %8.1f %7d %9.1f %9.1f %6s\n", "FIT", size / 1e6, o * 1000,
    size / 1e6 / o, b, r, rt, mem / 1e6, budget / 1e6, ok ? "PASS" : "FAIL" }')
echo "$line"
[[ $line == *PASS ]]
