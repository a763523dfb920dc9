#!/usr/bin/env bash
# Times `tackedit-cli info` on a race timer's VKX log of 1,000,000 fixes, made
# at run time by bench/make_vkx_track.cpp, and checks the speed (1 GB/s) and
# memory (the store + 32 MB + the file) targets. gpsbabel has no VKX reader, so
# there is nothing of it to time beside ours.
# Usage: bench/bench_vkx.sh [RUNS]   (default 11; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-11}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_vkx.sh [RUNS]   (RUNS a positive whole number, default 11)" >&2
  exit 2
fi

points=1000000
bytes_per_point=28    # the store: three doubles and an int per point
slack=$((32 * 1000 * 1000))
target_mb_s=1000
out=bench/out/vkx-$points
file=$out/bench.vkx

scripts/install-deps.sh hyperfine time

if [ ! -f build/build.ninja ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-vkx-track
cli=build/tackedit-cli

# The stamp ties the file to the point count and to the code that wrote it.
want_stamp="points=$points generator=$(cat bench/make_vkx_track.cpp tests/vkx_encoder.h | sha256sum | cut -d' ' -f1)"
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$want_stamp" ]; then
  echo "Reusing $file"
else
  echo "Writing $file..."
  rm -rf "$out"
  mkdir -p "$out"
  build/bench/make-vkx-track "$file.part" "$points"
  mv "$file.part" "$file"
  echo "$want_stamp" > "$out/stamp"
fi

got=$("$cli" info "$file" | awk '$1 == "count" { print $2 }')
if [ "$got" != "$points" ]; then
  echo "FAIL: $cli info $file counted '$got' points, expected $points" >&2
  exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat "$file" > /dev/null
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
hyperfine -N --style basic --warmup 2 --runs "$runs" --export-csv "$tmp/ours.csv" -n VKX "$cli info $file" \
  > "$tmp/ours.log"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
best=0
for _ in 1 2 3; do
  /usr/bin/time -f %M -o "$tmp/rss" "$cli" info "$file" > /dev/null
  kb=$(tail -n 1 "$tmp/rss")
  ((kb > best)) && best=$kb
done

size=$(stat -c %s "$file")
median=$(awk -F, 'NR == 2 { print $4 }' "$tmp/ours.csv")
echo
echo "VKX benchmark: tackedit-cli info on $points fixes, $runs runs, median; MB = 10^6 bytes"
echo "Load average $load_before before, $load_after after (2 cores; above 0.5 the figures are inflated)"
echo "gpsbabel: no VKX reader, not timed"
awk -v size="$size" -v o="$median" -v t=$target_mb_s -v kb="$best" \
    -v budget=$((points * bytes_per_point + slack + size)) 'BEGIN {
  rate = size / 1e6 / o
  mem = kb * 1024
  ok = rate >= t && mem <= budget
  printf "%-5s %8s %9s %7s %7s %9s %9s %6s\n", "kind", "size MB", "ours ms", "MB/s", "target", "peak MB", "budget", "result"
  printf "%-5s %8.1f %9.1f %7.0f %7d %9.1f %9.1f %6s\n", "VKX", size / 1e6, o * 1000, rate, t, mem / 1e6, budget / 1e6,
    ok ? "PASS" : "FAIL"
  exit ok ? 0 : 1 }'
