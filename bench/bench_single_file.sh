#!/usr/bin/env bash
# The one-file replay against the folder: build time (median) and bytes, for the
# demo race, the demo race with 12 photographs of 3000 x 2000, and 80 boats with
# 3-hour tracks at 1 Hz (bench_replay.sh's workspace). Target: the file at most
# 1.1 times the folder's bytes.
# Usage: bench/bench_single_file.sh [RUNS]   (default 9; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
scripts/install-deps.sh hyperfine
if [ ! -f build/build.ninja ] || ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-check-workspace make-pictures
cli=$PWD/build/tackedit-cli

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -r demo "$tmp/demo"
cp -r demo "$tmp/photos"
mkdir "$tmp/photos/photos"
build/bench/make-pictures "$tmp/photos/photos" 12 3000 2000 90 "2024:06:15 10:05:00" 240 >/dev/null
printf 'PIC,%s,0\r\n' "$tmp/photos/photos" >> "$tmp/photos/raceadmin/demo_race.txt"
build/bench/make-check-workspace "$tmp/fleet" 80 10800 1 >/dev/null
cat "$tmp"/fleet/gpsdat/* >/dev/null
echo "Load average $(cut -d' ' -f1-3 /proc/loadavg) before (2 cores); medians of $runs runs"

ok=1
# measure NAME WORKSPACE RACEFILE
measure() {
  local name=$1 ws=$2 race=$3
  hyperfine -N --style basic --warmup 1 --runs "$runs" --export-csv "$tmp/t.csv" \
    --prepare "rm -rf $tmp/out $tmp/out.html" \
    -n folder "$cli replay $ws $tmp/out $race" \
    -n one-file "$cli replay $ws $tmp/out.html $race --single-file" > "$tmp/log"
  rm -rf "$tmp/out" "$tmp/out.html"
  "$cli" replay "$ws" "$tmp/out" "$race" >/dev/null
  "$cli" replay "$ws" "$tmp/out.html" "$race" --single-file >/dev/null
  local folder_bytes one_bytes
  folder_bytes=$(find "$tmp/out" -type f -printf '%s\n' | awk '{ n += $1 } END { print n }')
  one_bytes=$(stat -c %s "$tmp/out.html")
  awk -F, -v name="$name" -v fb="$folder_bytes" -v ob="$one_bytes" '
    NR == 2 { f = $4 } NR == 3 { o = $4 }
    END { r = ob / fb
      printf "%-28s folder %.3f s %9d bytes | one file %.3f s %9d bytes | %.3f x the bytes (target 1.1)  %s\n",
        name, f, fb, o, ob, r, r <= 1.1 ? "PASS" : "FAIL"
      exit r > 1.1 }' "$tmp/t.csv" || ok=0
  rm -rf "$tmp/out" "$tmp/out.html"
}
measure "demo (5 boats, 1 h)" "$tmp/demo" demo_race.txt
measure "demo with 12 photographs" "$tmp/photos" demo_race.txt
measure "80 boats x 3 h" "$tmp/fleet" bench_race.txt
[ "$ok" = 1 ]
