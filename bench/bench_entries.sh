#!/usr/bin/env bash
# Times tackedit-cli entries: an 80-boat entry list against 200 tracks of
# 10,800 fixes in gpsdat/ (GPX, NMEA logs and TRB), named as loggers and
# phones name them. Twenty boats are found by the file column, twenty by the
# sail number and twenty by the boat name in the file name, and twenty have
# two files with their sail number, one from the day before, so the race's
# time must decide; 120 files belong to no entry. Median against 1 s.
# Usage: bench/bench_entries.sh [RUNS] [BUILD_DIR]   (default 9 and build; exits 1 when the target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
build=${2:-build}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_entries.sh [RUNS] [BUILD_DIR]   (RUNS a positive whole number, default 9)" >&2
  exit 2
fi
target=1.0

if [ ! -f "$build/build.ninja" ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target tackedit-cli make-check-workspace
cli=$build/tackedit-cli

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ws=$tmp/ws
"$build/bench/make-check-workspace" "$ws" 200 10800 1 >/dev/null
g=$ws/gpsdat
file_of() { ls "$g" | grep -E "^boat0*$1\.[a-z]+$"; }
ext() { echo "${1##*.}"; }
words=(alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike november oscar papa quebec romeo sierra tango)
list=$tmp/entries.csv
echo 'Sail No,Boat,Class,Helm,TCF,Track' > "$list"
for i in $(seq 1 80); do
  sail=$((100 + i)) b=$i name="Boat $i" track=""
  [ "$i" -ge 7 ] && b=$((i + 1))  # boat 7's clock is wrong: leave it to no entry
  f=$(file_of "$b")
  if [ "$i" -le 20 ]; then
    track=$f
  elif [ "$i" -le 40 ]; then
    mv "$g/$f" "$g/jpn-0$sail"_day1."$(ext "$f")"
  elif [ "$i" -le 60 ]; then
    name="Sea ${words[i - 41]}"
    mv "$g/$f" "$g/Sea_${words[i - 41]^}.$(ext "$f")"
  else
    mv "$g/$f" "$g/GBR$sail.$(ext "$f")"
    # The day before: another boat's track a day early.
    other=$(file_of $((i + 40)))
    "$cli" shift "$g/$other" "$g/GBR-$sail""_prev.gpx" --hours -24 -q
    rm "$g/$other"
  fi
  nation=GBR
  [ "$i" -gt 20 ] && [ "$i" -le 40 ] && nation=JPN
  printf '%s %s,%s,%s,Helm %s,1.0%02d,%s\n' "$nation" "$sail" "$name" "$([ $((i % 2)) = 0 ] && echo A || echo B)" "$i" "$i" "$track" >> "$list"
done
files=$(ls "$g" | wc -l)
echo "Workspace: 80 entries, $files files, $(du -sm "$g" | cut -f1) MB in gpsdat/"
[ "$files" = 200 ] || { echo "FAIL: $files files in gpsdat/, not 200" >&2; exit 1; }

"$cli" entries "$ws" "$list" bench_race.txt --json > "$tmp/out.json"
python3 - "$tmp/out.json" <<'PY' || { echo "FAIL: unexpected matches" >&2; exit 1; }
import collections, json, sys
a = json.load(open(sys.argv[1]))
reasons = collections.Counter(m["reason"] for m in a["matches"])
want = {"file column": 20, "sail number in file name": 20, "boat name in file name": 20, "covers the race": 20}
assert reasons == want, reasons
assert all(not m["file"].endswith("_prev.gpx") for m in a["matches"])
assert len(a["tracks_without_entry"]) == 120 and not a["conflicts"] and not a["entries_without_track"], a
PY
echo "ok: 80 entries matched (20 by each rule), 120 tracks without an entry"

seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>"$tmp/err" || { echo "FAIL: $* exited $?:" >&2; cat "$tmp/err" >&2; exit 1; }
  end=$(date +%s%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) / 1e9 }'
}
cat "$g"/* >/dev/null  # from the page cache
echo "Timing $runs runs (seconds):" >&2
for ((run = 1; run <= runs; run++)); do
  t=$(seconds "$cli" entries "$ws" "$list" bench_race.txt)
  echo "$t" >>"$tmp/times"
  echo "  run $run $t" >&2
done
median=$(sort -g "$tmp/times" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
result=$(awk -v o="$median" -v t="$target" 'BEGIN { print (o <= t) ? "PASS" : "FAIL" }')
echo
echo "Entries benchmark, 80 entries x 200 files, $runs runs, median; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-44s %8s\n' "tackedit-cli entries" "$median s"
printf '%-44s %8s %s\n' "target" "$target s" "$result"
[ "$result" = PASS ]
