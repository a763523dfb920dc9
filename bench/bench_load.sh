#!/usr/bin/env bash
# Times tackedit-cli loading a million-point GPX and a two-million-line NMEA log
# against gpsbabel reading the same files, and checks the speed and memory targets.
# Usage: bench/bench_load.sh [RUNS]   (default 5; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-5}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_load.sh [RUNS]   (RUNS a positive whole number, default 5)" >&2
  exit 2
fi

gpx_points=1000000
nmea_lines=2000000
nmea_points=$((nmea_lines / 2))  # one RMC per GGA
bytes_per_point=28                # three doubles and an int
min_speedup=10
out=bench/out
gpx=$out/bench-$gpx_points.gpx
nmea=$out/bench-$nmea_lines.log
stamp=$out/bench-tracks.stamp

tmp=$(mktemp -d)
trap 'rm -rf "$tmp" "$gpx.part" "$nmea.part"' EXIT

# gtest too: the default configure builds the tests.
scripts/install-deps.sh gpsbabel time

# A Debug tree would time the wrong thing, so reconfigure unless it is RelWithDebInfo.
if [ ! -f build/build.ninja ] ||
   ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-bench-tracks
cli=build/tackedit-cli

# The stamp ties the files to the point counts and to the generator that wrote
# them, and its sizes catch a file cut short or edited since.
mkdir -p "$out"
generator_sum=$(sha256sum bench/make_bench_tracks.cpp | cut -d' ' -f1)
stamp_of() {
  echo "gpx_points=$gpx_points nmea_lines=$nmea_lines generator=$generator_sum" \
       "gpx_bytes=$(stat -c %s "$gpx") nmea_bytes=$(stat -c %s "$nmea")"
}
if [ -f "$gpx" ] && [ -f "$nmea" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(stamp_of)" ]; then
  echo "Reusing $gpx and $nmea"
else
  echo "Writing $gpx ($gpx_points points) and $nmea ($nmea_lines lines)..."
  rm -f "$stamp"
  # Written beside the final names so an interrupted run leaves nothing that looks finished.
  build/bench/make-bench-tracks "$gpx.part" "$gpx_points" "$nmea.part" "$nmea_lines"
  mv "$gpx.part" "$gpx"
  mv "$nmea.part" "$nmea"
  stamp_of > "$stamp"
fi

# The count line alone could be right while points are lost on the way out, so
# the point lines after it are counted too.
check_dump() {  # FILE EXPECTED
  local result
  if ! result=$("$cli" dump "$1" 2>"$tmp/dump.err" |
                awk 'NR == 1 { head = $0 } NR > 2 { n++ } END { print head "|" n + 0 }'); then
    echo "FAIL: $cli dump $1 failed:" >&2
    cat "$tmp/dump.err" >&2
    return 1
  fi
  if [ "$result" != "count $2|$2" ]; then
    echo "FAIL: $cli dump $1 printed '${result%|*}' and ${result#*|} point lines;" \
         "expected 'count $2' and $2" >&2
    return 1
  fi
  echo "ok: $cli dump $1 printed count $2 and $2 points"
}
check_dump "$gpx" "$gpx_points"
check_dump "$nmea" "$nmea_points"

# Both sides read from the page cache, not the disk.
cat "$gpx" "$nmea" > /dev/null

timed() {  # LABEL-FILE COMMAND...: appends "seconds kilobytes" to LABEL-FILE
  local record=$1
  shift
  if ! /usr/bin/time -f '%e %M' -o "$tmp/time" "$@" > /dev/null 2> "$tmp/err"; then
    echo "FAIL: $* exited non-zero:" >&2
    cat "$tmp/err" "$tmp/time" >&2
    exit 1
  fi
  tail -n 1 "$tmp/time" >> "$tmp/$record"
  echo "  $record $(tail -n 1 "$tmp/time")" >&2
}

# Alternating, and swapping who goes first each run, spreads any drift of the
# machine over both programs alike.
echo "Timing $runs runs each (seconds, peak KiB):" >&2
for ((run = 1; run <= runs; run++)); do
  echo "run $run/$runs" >&2
  for fmt in gpx nmea; do
    if [ "$fmt" = gpx ]; then file=$gpx; else file=$nmea; fi
    if ((run % 2)); then order="ours gpsbabel"; else order="gpsbabel ours"; fi
    for who in $order; do
      if [ "$who" = ours ]; then
        timed "$fmt.ours" "$cli" dump "$file"
      else
        timed "$fmt.gpsbabel" gpsbabel -i "$fmt" -f "$file" -o unicsv -F /dev/null
      fi
    done
  done
done

median() {  # COLUMN FILE
  cut -d' ' -f"$1" "$2" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
largest() {  # COLUMN FILE
  cut -d' ' -f"$1" "$2" | sort -g | tail -n 1
}

failed=0
echo
echo "Load benchmark, $runs runs each, medians; MB = 10^6 bytes, RSS = peak resident set"
echo "budget = 2 x points x $bytes_per_point bytes + file size; targets: ours >= ${min_speedup}x faster, ours RSS (every run) < budget"
printf '%-6s %8s %8s %8s %10s %8s %8s %8s %11s %8s %8s %8s\n' \
  format "size MB" points "ours s" "gpsbabel s" ratio "ours MB" "max MB" "gpsbabel MB" "budget MB" speed memory
for fmt in gpx nmea; do
  if [ "$fmt" = gpx ]; then file=$gpx points=$gpx_points; else file=$nmea points=$nmea_points; fi
  size=$(stat -c %s "$file")
  ours_s=$(median 1 "$tmp/$fmt.ours")
  theirs_s=$(median 1 "$tmp/$fmt.gpsbabel")
  ours_kib=$(median 2 "$tmp/$fmt.ours")
  ours_max_kib=$(largest 2 "$tmp/$fmt.ours")
  theirs_kib=$(median 2 "$tmp/$fmt.gpsbabel")
  budget=$((2 * points * bytes_per_point + size))
  # %e has 10 ms steps; a zero would mean the file was not read at all.
  read -r ratio speed memory < <(awk -v o="$ours_s" -v t="$theirs_s" -v m="$ours_max_kib" \
      -v b="$budget" -v want="$min_speedup" 'BEGIN {
    r = o > 0 ? t / o : 0
    printf "%.1f %s %s\n", r, (o > 0 && r >= want) ? "PASS" : "FAIL", (m * 1024 < b) ? "PASS" : "FAIL" }')
  [ "$speed" = PASS ] && [ "$memory" = PASS ] || failed=1
  awk -v f="${fmt^^}" -v size="$size" -v p="$points" -v o="$ours_s" -v t="$theirs_s" -v r="$ratio" \
      -v ok="$ours_kib" -v mk="$ours_max_kib" -v tk="$theirs_kib" -v b="$budget" \
      -v s="$speed" -v m="$memory" 'BEGIN {
    printf "%-6s %8.1f %8d %8.2f %10.2f %8s %8.1f %8.1f %11.1f %8.1f %8s %8s\n",
      f, size / 1e6, p, o, t, r, ok * 1024 / 1e6, mk * 1024 / 1e6, tk * 1024 / 1e6, b / 1e6, s, m }'
done

if ((failed)); then
  echo "Some targets were missed."
  exit 1
fi
echo "All targets met."
