#!/usr/bin/env bash
# Times `tackedit-cli info` loading the same 1,000,000-fix track in every format
# the loader reads, as loggers and handheld units write them, against gpsbabel
# reading the GPX and the NMEA logs (with RMC, and GGA and ZDA only), and checks the speed and memory targets.
# Usage: bench/bench_load.sh [RUNS]   (default 11; exits 1 when a target is missed)
# The machine should be quiet: the script prints the load average it saw.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-11}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_load.sh [RUNS]   (RUNS a positive whole number, default 11)" >&2
  exit 2
fi

points=1000000
bytes_per_point=28    # the store: three doubles and an int per point
slack=$((32 * 1000 * 1000))
out=bench/out/load-$points
stamp=$out/stamp

scripts/install-deps.sh gpsbabel hyperfine time

# A Debug tree would time the wrong thing, so reconfigure unless it is RelWithDebInfo.
if [ ! -f build/build.ninja ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-bench-tracks load-floor
cli=build/tackedit-cli
floor=build/bench/load-floor

# kind  file  speed target (MB/s)  gpsbabel reader ("-" none)  ratio target  points the reader finds
# record length for load-floor ("-" none)
# The gdb scan never finds the first point of a track of 65,536 points or more:
# the bytes before it hold the point count, which is not zero there.
kinds=$(cat <<EOF
GPX      bench.gpx      1500 gpx  30  $points -
NMEA     bench.log      800  nmea 100 $points -
NMEA-fix bench_fixes.log 300 nmea 30 $points -
text-DM  bench_dm.dtr   1000 -    -   $points -
text-DEG bench_deg.dtr  1000 -    -   $points -
text-DMS bench_dms.dtr  1000 -    -   $points -
gdb      bench.gdb      1000 -    -   $((points - 1)) -
trl      bench.trl      2000 -    -   $points 20
TRB      bench.trb      2000 -    -   $points 12
EOF
)

# The stamp ties the files to the point count and to the generator that wrote them.
generator_sum=$(sha256sum bench/make_bench_tracks.cpp | cut -d' ' -f1)
want_stamp="points=$points generator=$generator_sum"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want_stamp" ]; then
  echo "Reusing the tracks in $out"
else
  echo "Writing $points-fix tracks into $out..."
  rm -rf "$out" "$out.part"
  mkdir -p "$out.part"
  # Written beside the final folder so an interrupted run leaves nothing that looks finished.
  build/bench/make-bench-tracks "$out.part" "$points"
  mv "$out.part" "$out"
  echo "$want_stamp" > "$stamp"
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every file must load completely before it is timed.
while read -r kind file _ _ _ expect _; do
  got=$("$cli" info "$out/$file" | awk '$1 == "count" { print $2 }')
  if [ "$got" != "$expect" ]; then
    echo "FAIL: $cli info $out/$file counted '$got' points, expected $expect" >&2
    exit 1
  fi
done <<< "$kinds"
echo "ok: every file loads with its expected point count"

# Both sides read from the page cache, not the disk.
cat "$out"/* > /dev/null

# Without a shell, hyperfine times the program alone; gpsbabel takes seconds a
# run, so it runs fewer times (BABEL_RUNS, default 3).
babel_runs=${BABEL_RUNS:-3}
ours=()
babel=()
# load-floor does only what any load of fixed records must (map the file, fill
# the three arrays on huge pages, add up the legs), timed in the same run: what
# this machine allows at best.
while read -r kind file _ reader _ _ record; do
  ours+=(-n "$kind" "$cli info $out/$file")
  [ "$reader" = - ] || babel+=(-n "$kind" "gpsbabel -i $reader -f $out/$file -o unicsv -F /dev/null")
  [ "$record" = - ] || ours+=(-n "$kind-floor" "$floor $out/$file $record")
done <<< "$kinds"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Timing: $runs runs of ours, $babel_runs of gpsbabel (load average $load_before)"
hyperfine -N --style basic --warmup 2 --runs "$runs" --export-csv "$tmp/ours.csv" "${ours[@]}" > "$tmp/ours.log"
hyperfine -N --style basic --runs "$babel_runs" --export-csv "$tmp/babel.csv" "${babel[@]}" > "$tmp/babel.log"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# Peak resident memory, the largest of three loads.
peak_kb() {
  local best=0 kb
  for _ in 1 2 3; do
    /usr/bin/time -f %M -o "$tmp/rss" "$cli" info "$1" > /dev/null
    kb=$(tail -n 1 "$tmp/rss")
    ((kb > best)) && best=$kb
  done
  echo "$best"
}

median_of() {  # CSV NAME: the median in seconds
  awk -F, -v n="$2" 'NR > 1 && $1 == n { print $4 }' "$1"
}

failed=0
echo
echo "Load benchmark: tackedit-cli info on $points fixes, medians; MB = 10^6 bytes"
echo "Load average $load_before before, $load_after after (2 cores; above 0.5 the figures are inflated)"
echo "memory budget = the store ($bytes_per_point bytes a point) + 32 MB + the file"
printf '%-9s %8s %9s %9s %7s %11s %8s %7s %9s %9s %9s %6s\n' \
  kind "size MB" "ours ms" "MB/s" target "gpsbabel s" ratio target "floor ms" "peak MB" "budget" result
while read -r kind file target reader ratio_target expect record; do
  size=$(stat -c %s "$out/$file")
  ours_s=$(median_of "$tmp/ours.csv" "$kind")
  babel_s=-
  [ "$reader" = - ] || babel_s=$(median_of "$tmp/babel.csv" "$kind")
  floor_s=-
  [ "$record" = - ] || floor_s=$(median_of "$tmp/ours.csv" "$kind-floor")
  kb=$(peak_kb "$out/$file")
  line=$(awk -v k="$kind" -v size="$size" -v o="$ours_s" -v t="$target" -v b="$babel_s" -v rt="$ratio_target" \
             -v f="$floor_s" -v kb="$kb" -v budget=$((expect * bytes_per_point + slack + size)) 'BEGIN {
    rate = size / 1e6 / o
    ok = rate >= t
    ratio = "-"
    if (b != "-") { r = b / o; ratio = sprintf("%.1f", r); ok = ok && r >= rt }
    mem = kb * 1024
    ok = ok && mem <= budget
    printf "%-9s %8.1f %9.1f %9.0f %7d %11s %8s %7s %9s %9.1f %9.1f %6s\n", k, size / 1e6, o * 1000, rate, t,
      (b == "-" ? "-" : sprintf("%.2f", b)), ratio, rt, (f == "-" ? "-" : sprintf("%.1f", f * 1000)),
      mem / 1e6, budget / 1e6, ok ? "PASS" : "FAIL" }')
  echo "$line"
  [[ $line == *PASS ]] || failed=1
done <<< "$kinds"

if ((failed)); then
  echo "Some targets were missed."
  exit 1
fi
echo "All targets met."
