#!/usr/bin/env bash
# Times tackedit-cli replay on a race of 80 boats with 3-hour tracks at 1 Hz
# (GPX, NMEA logs and TRB, built afresh in a scratch folder), measures the
# bytes a fix takes in the folder, then opens the page in headless Chromium at
# 1920 x 1080: its start (median of 5 loads) and the main thread's work per
# frame playing at 10x (bench/replay_page.js). Targets: at most 1 s (median),
# 6 bytes a fix and the analysis at most 10 % more, the page ready within 1.5 s; with 5-minute tails a frame's
# work at most 6 ms (median) and 10 ms (95th percentile), 40 ms (95th
# percentile) with the CPU slowed 4x; whole-race tails 2.5 h in at most 16 ms a
# frame; 10x playing at 10x (at least 9.5x). Auto view is on throughout; speed
# colours and manoeuvre marks are timed in two more runs against the same targets.
# Usage: bench/bench_replay.sh [RUNS]   (default 9; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
boats=80
points=10800
scripts/install-deps.sh hyperfine chromium
if [ ! -f build/build.ninja ] || ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-check-workspace
cli=build/tackedit-cli

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ws=$tmp/ws
build/bench/make-check-workspace "$ws" "$boats" "$points" 1  # with a course, for the analysis
cat "$ws"/gpsdat/* >/dev/null
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
hyperfine -N --style basic --warmup 1 --runs "$runs" --prepare "rm -rf $tmp/out" --export-csv "$tmp/t.csv" \
  -n replay "$cli replay $ws $tmp/out bench_race.txt --no-pictures" > "$tmp/log"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
"$cli" replay "$ws" "$tmp/out" bench_race.txt --no-pictures --replace >/dev/null 2>&1 || {
  rm -rf "$tmp/out"
  "$cli" replay "$ws" "$tmp/out" bench_race.txt --no-pictures >/dev/null
}
median=$(awk -F, 'NR == 2 { print $4 }' "$tmp/t.csv")
fixes=$(grep -o '"fixes":[0-9]*' "$tmp/out/races/race-1.js" | awk -F: '{ n += $2 } END { print n }')
folder=$(du -sb "$tmp/out" | cut -f1)
script=$(stat -c %s "$tmp/out/races/race-1.js")
# The bytes the analysis and its results add to the race script.
analysis=$(node -e 'const s = require("fs").readFileSync(process.argv[1], "utf8");
  const d = JSON.parse(s.slice(s.indexOf(".push(") + 6, s.lastIndexOf(")")));
  console.log(JSON.stringify(d.analysis).length + JSON.stringify(d.results).length)' "$tmp/out/races/race-1.js")
echo "Replay build: $boats boats x $points fixes ($fixes fixes kept), median of $runs runs"
echo "Load average $load_before before, $load_after after (2 cores)"
page=$(node bench/replay_page.js "$tmp/out" 5)
field() { echo "$page" | node -e 'let s = ""; process.stdin.on("data", (c) => s += c).on("end", () => {
  const v = process.argv[1].split(".").reduce((o, k) => o[k], JSON.parse(s)); console.log(v); })' "$1"; }
echo "Page: $page"
awk -v m="$median" -v f="$fixes" -v d="$folder" -v s="$script" -v an="$analysis" -v r="$(field ready_ms)" \
    -v t5m="$(field tails5.median_ms)" -v t5p="$(field tails5.p95_ms)" -v rate="$(field tails5.rate)" \
    -v wm="$(field whole.max_ms)" -v wp="$(field whole.p95_ms)" -v ws="$(field whole.first_after_seek_ms)" \
    -v sp="$(field slow4x.p95_ms)" -v c5m="$(field speed5.median_ms)" -v c5p="$(field speed5.p95_ms)" \
    -v cwm="$(field speedWhole.max_ms)" -v cwp="$(field speedWhole.p95_ms)" 'BEGIN {
  ok = 1
  printf "build %.3f s (target 1 s)  %s\n", m, m <= 1 ? "PASS" : "FAIL"; ok = ok && m <= 1
  printf "race script %.2f bytes a fix, folder %.2f bytes a fix (target 6)  %s\n", s / f, d / f, d / f <= 6 ? "PASS" : "FAIL"
  ok = ok && d / f <= 6
  printf "the analysis adds %.1f %% to the rest of the folder (target 10)  %s\n", 100 * an / (d - an), an / (d - an) <= 0.1 ? "PASS" : "FAIL"
  ok = ok && an / (d - an) <= 0.1
  printf "page ready in %d ms (target 1500)  %s\n", r, r <= 1500 ? "PASS" : "FAIL"; ok = ok && r <= 1500
  printf "5-min tails: %.2f ms a frame median (target 6), %.2f ms p95 (target 10)  %s\n", t5m, t5p, t5m <= 6 && t5p <= 10 ? "PASS" : "FAIL"
  ok = ok && t5m <= 6 && t5p <= 10
  printf "5-min tails, CPU slowed 4x: %.2f ms p95 (target 40)  %s\n", sp, sp <= 40 ? "PASS" : "FAIL"; ok = ok && sp <= 40
  printf "whole-race tails at 2.5 h: %.2f ms p95, %.2f ms at most (target 16); %.0f ms to draw them after a seek  %s\n", wp, wm, ws, wm <= 16 ? "PASS" : "FAIL"
  ok = ok && wm <= 16
  printf "speed colours, 5-min tails: %.2f ms median, %.2f ms p95 (targets 6, 10)  %s\n", c5m, c5p, c5m <= 6 && c5p <= 10 ? "PASS" : "FAIL"
  ok = ok && c5m <= 6 && c5p <= 10
  printf "speed colours, whole-race tails: %.2f ms p95, %.2f ms at most (target 16)  %s\n", cwp, cwm, cwm <= 16 ? "PASS" : "FAIL"
  ok = ok && cwm <= 16
  printf "10x plays at %.2fx (target 9.5)  %s\n", rate, (rate >= 9.5 ? "PASS" : "FAIL"); ok = ok && rate >= 9.5
  exit !ok }'
