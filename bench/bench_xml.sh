#!/usr/bin/env bash
# Times `tackedit-cli info` on 1,000,000-fix TCX and KML files, which gpsbabel
# writes from the benchmark GPX at run time, against gpsbabel reading the same
# files, and checks the speed ratio and memory targets.
# Usage: bench/bench_xml.sh [RUNS]   (default 5; BABEL_RUNS, default 3; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-5}
babel_runs=${BABEL_RUNS:-3}
points=1000000
bytes_per_point=28
slack=$((32 * 1000 * 1000))
out=bench/out/xml-$points

scripts/install-deps.sh gpsbabel hyperfine time
if [ ! -f build/build.ninja ] || ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-bench-tracks
cli=build/tackedit-cli

# kind  file  gpsbabel writer  gpsbabel reader  ratio target
kinds=$(cat <<EOF2
TCX bench.tcx gtrnctr gtrnctr 20
KML bench.kml kml,track=1,points=0 kml 20
EOF2
)
stamp="points=$points generator=$(sha256sum bench/make_bench_tracks.cpp | cut -d' ' -f1) $(gpsbabel -V | tr -s ' \n' ' ')"
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then
  echo "Reusing the tracks in $out"
else
  echo "Writing $points-fix TCX and KML into $out (gpsbabel takes a few minutes)..."
  rm -rf "$out" "$out.part"
  mkdir -p "$out.part"
  build/bench/make-bench-tracks "$out.part" "$points"
  while read -r _ file writer _ _; do
    gpsbabel -i gpx -f "$out.part/bench.gpx" -o "$writer" -F "$out.part/$file"
  done <<< "$kinds"
  find "$out.part" -type f ! -name 'bench.tcx' ! -name 'bench.kml' -delete
  mv "$out.part" "$out"
  echo "$stamp" > "$out/stamp"
fi

while read -r kind file _ _ _; do
  got=$("$cli" info "$out/$file" | awk '$1 == "count" { print $2 }')
  [ "$got" = "$points" ] || { echo "FAIL: $kind counted '$got' points, expected $points" >&2; exit 1; }
done <<< "$kinds"
cat "$out"/bench.* > /dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ours=() babel=()
while read -r kind file _ reader _; do
  ours+=(-n "$kind" "$cli info $out/$file")
  babel+=(-n "$kind" "gpsbabel -t -i $reader -f $out/$file -o unicsv -F /dev/null")
done <<< "$kinds"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
hyperfine -N --style basic --warmup 1 --runs "$runs" --export-csv "$tmp/ours.csv" "${ours[@]}" > "$tmp/ours.log"
hyperfine -N --style basic --runs "$babel_runs" --export-csv "$tmp/babel.csv" "${babel[@]}" > "$tmp/babel.log"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

median_of() { awk -F, -v n="$2" 'NR > 1 && $1 == n { print $4 }' "$1"; }
peak_kb() {
  local best=0 kb
  for _ in 1 2 3; do
    /usr/bin/time -f %M -o "$tmp/rss" "$cli" info "$1" > /dev/null
    kb=$(tail -n 1 "$tmp/rss")
    ((kb > best)) && best=$kb
  done
  echo "$best"
}

failed=0
echo
echo "XML load benchmark: tackedit-cli info on $points fixes, medians ($runs runs, gpsbabel $babel_runs); MB = 10^6 bytes"
echo "Load average $load_before before, $load_after after (2 cores; above 0.5 the figures are inflated)"
printf '%-5s %8s %9s %7s %11s %7s %7s %9s %9s %6s\n' kind "size MB" "ours ms" "MB/s" "gpsbabel s" ratio target "peak MB" budget result
while read -r kind file _ _ target; do
  size=$(stat -c %s "$out/$file")
  line=$(awk -v k="$kind" -v size="$size" -v o="$(median_of "$tmp/ours.csv" "$kind")" \
             -v b="$(median_of "$tmp/babel.csv" "$kind")" -v t="$target" -v kb="$(peak_kb "$out/$file")" \
             -v budget=$((points * bytes_per_point + slack + size)) 'BEGIN {
    r = b / o; mem = kb * 1024; ok = r >= t && mem <= budget
    printf "%-5s %8.1f %9.1f %7.0f %11.2f %7.1f %7d %9.1f %9.1f %6s\n", k, size / 1e6, o * 1000, size / 1e6 / o,
      b, r, t, mem / 1e6, budget / 1e6, ok ? "PASS" : "FAIL" }')
  echo "$line"
  [[ $line == *PASS ]] || failed=1
done <<< "$kinds"
((failed)) && { echo "Some targets were missed."; exit 1; }
echo "All targets met."
