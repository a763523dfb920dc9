#!/usr/bin/env bash
# Times tackedit-cli analyse on a race of 80 boats x 3 h at one fix a second
# against tackedit-cli check of the same race, and the analysis of 200 boats x
# 1 h at 10 fixes a second (GPX, NMEA logs and TRB, built afresh under
# bench/out/). A race file holds 80 boats, so the 200 are three race files
# read by bench-analyse, which analyses their boats as one fleet. Medians with
# the load average; the targets: 80 boats in 0.5 s and at most 3 times the
# check, 200 boats in 3 s.
# Usage: bench/bench_analyse.sh [RUNS] [BUILD_DIR]   (default 9 and build; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
build=${2:-build}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_analyse.sh [RUNS] [BUILD_DIR]   (RUNS a positive whole number, default 9)" >&2
  exit 2
fi

# A Debug tree would time the wrong thing, so reconfigure unless it is RelWithDebInfo.
if [ ! -f "$build/build.ninja" ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target tackedit-cli make-check-workspace bench-analyse
cli=$build/tackedit-cli

out=bench/out/analyse
rm -rf "$out"
mkdir -p "$out"
"$build/bench/make-check-workspace" "$out/ws80" 80 10800 1
"$build/bench/make-check-workspace" "$out/ws200" 200 3600 10
echo "Workspaces: 80 boats x 3 h at 1 Hz, $(du -sm "$out/ws80" | cut -f1) MB;" \
     "200 boats x 1 h at 10 Hz, $(du -sm "$out/ws200" | cut -f1) MB (in $out)"

# Every boat analysed, and some of them sailed the course.
"$cli" analyse "$out/ws80" bench_race.txt --csv >"$out/a80.csv" 2>/dev/null
rows=$(grep -c '^boat,' "$out/a80.csv" || true)
finished=$(grep -c '^boat,[^,]*,finished,' "$out/a80.csv" || true)
fleet=$("$build/bench/bench-analyse" "$out/ws200" bench_race.txt bench_race_2.txt bench_race_3.txt)
if [ "$rows" != 80 ] || [ "$finished" -lt 1 ] || [[ $fleet != "200 boats"* ]] || [[ $fleet != *finished* ]]; then
  echo "FAIL: unexpected analysis: $rows boat rows, $finished finished; 200-boat fleet: $fleet" >&2
  exit 1
fi
echo "ok: 80 boats analysed, $finished finished; $fleet"

seconds() {  # COMMAND...: prints the wall time; any exit code but 0 or 1 fails the run
  local start end code=0
  start=$(date +%s%N)
  "$@" >/dev/null 2>"$out/err" || code=$?
  end=$(date +%s%N)
  if [ "$code" -gt 1 ]; then
    echo "FAIL: $* exited $code:" >&2
    cat "$out/err" >&2
    exit 1
  fi
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) / 1e9 }'
}

cat "$out"/ws*/gpsdat/* >/dev/null  # every run reads from the page cache
echo "Timing $runs runs each (seconds):" >&2
: >"$out/analyse80"; : >"$out/check80"; : >"$out/analyse200"
for ((run = 1; run <= runs; run++)); do
  if ((run % 2)); then order="analyse80 check80 analyse200"; else order="analyse200 check80 analyse80"; fi
  for what in $order; do
    case $what in
      analyse80) t=$(seconds "$cli" analyse "$out/ws80" bench_race.txt --json) ;;
      check80) t=$(seconds "$cli" check "$out/ws80" bench_race.txt) ;;
      analyse200) t=$(seconds "$build/bench/bench-analyse" "$out/ws200" bench_race.txt bench_race_2.txt bench_race_3.txt) ;;
    esac
    echo "$t" >>"$out/$what"
    echo "  run $run $what $t" >&2
  done
done

median() {  # FILE
  sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
a80=$(median "$out/analyse80")
c80=$(median "$out/check80")
a200=$(median "$out/analyse200")
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t) ? "PASS" : "FAIL" }'; }
r1=$(verdict "$a80" 0.5)
ratio=$(awk -v a="$a80" -v c="$c80" 'BEGIN { printf "%.2f", (c > 0) ? a / c : 0 }')
r2=$(verdict "$ratio" 3)
r3=$(verdict "$a200" 3)
echo
echo "Race analysis benchmark, $runs runs, medians; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-52s %8s   %s\n' "tackedit-cli analyse, 80 boats x 3 h at 1 Hz" "$a80 s" "target 0.5 s: $r1"
printf '%-52s %8s\n' "tackedit-cli check, the same race" "$c80 s"
printf '%-52s %8s   %s\n' "analyse / check" "$ratio x" "target 3 x: $r2"
printf '%-52s %8s   %s\n' "200 boats x 1 h at 10 Hz (bench-analyse)" "$a200 s" "target 3 s: $r3"
[ "$r1" = PASS ] && [ "$r2" = PASS ] && [ "$r3" = PASS ]
