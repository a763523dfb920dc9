#!/usr/bin/env bash
# The picture and distribution targets, each against its peer in the same run:
#  1. 100 camera-like 4000 x 3000 JPEGs (quality 90, with Exif) reduced to size
#     500 at quality 30: tackedit-cli distribute against vipsthumbnail; ours must
#     take at most half its time and stay under 200 MB of peak memory.
#  2. The capture times of 1000 such pictures: tackedit-cli pictures against
#     exiv2 -g Exif.Photo.DateTimeOriginal; ours must be no slower.
#  3. A distribution of 10 races x 20 boats of 10,000-point tracks without
#     pictures: under 1 s with TRB tracks (what "Minimize GPS file size" leaves);
#     the same with GPX tracks is shown for comparison.
# Usage: bench/bench_pictures.sh [RUNS]   (default 5; exits 1 when a target is missed)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-5}
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bench/bench_pictures.sh [RUNS]" >&2
  exit 2
fi

scripts/install-deps.sh libvips-tools exiv2 time
if [ ! -f build/build.ninja ] || ! grep -qx 'CMAKE_BUILD_TYPE:STRING=RelWithDebInfo' build/CMakeCache.txt; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2 --target tackedit-cli make-pictures make-bench-tracks
cli=$PWD/build/tackedit-cli
out=$PWD/bench/out/pictures
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

race_file() {  # FILE PICTURE-FOLDER: a race whose window holds every picture made below
  printf 'T1,Bench\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 14:00:00\r\nPIC,%s,0,500\r\n' "$2" >"$1"
}

# Made once; the stamp names what made them.
stamp="count=100+1000 generator=$(cat bench/make_pictures.cpp tests/picture_fixtures.cpp | sha256sum | cut -c1-16)"
if [ "$(cat "$out/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "Writing the pictures (about 4 GB) under $out ..."
  rm -rf "$out"
  mkdir -p "$out/reduce/raceadmin" "$out/reduce/pic" "$out/index/raceadmin" "$out/index/pic"
  build/bench/make-pictures "$out/reduce/pic" 100 4000 3000 90 "2024:06:15 10:00:00" 60
  build/bench/make-pictures "$out/index/pic" 1000 4000 3000 90 "2024:06:15 10:00:00" 10 100
  race_file "$out/reduce/raceadmin/race.txt" "$out/reduce/pic"
  race_file "$out/index/raceadmin/race.txt" "$out/index/pic"
  for format in trb gpx; do
    ws=$out/dist-$format
    mkdir -p "$ws/raceadmin" "$ws/gpsdat"
    mkdir -p "$tmp/tracks"
    build/bench/make-bench-tracks "$tmp/tracks" 10000 >/dev/null
    "$cli" convert "$tmp/tracks/bench.gpx" "$tmp/track.$format" >/dev/null
    for r in $(seq -w 1 10); do
      {
        printf 'T1,Race %s\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\n' "$r"
        for b in $(seq -w 1 20); do
          cp "$tmp/track.$format" "$ws/gpsdat/r${r}_b$b.$format"
          printf 'BN,r%s_b%s.%s,Boat %s\r\n' "$r" "$b" "$format" "$b"
        done
      } >"$ws/raceadmin/r$r.txt"
    done
  done
  echo "$stamp" >"$out/stamp"
fi
races=$(cd "$out/dist-trb/raceadmin" && ls r*.txt | tr '\n' ' ')

# Everything read from the page cache, not the disk.
cat "$out"/reduce/pic/* "$out"/index/pic/* >/dev/null

timed() {  # RECORD COMMAND...: appends "seconds peak-KiB cpu-seconds" to RECORD
  local record=$1
  shift
  if ! /usr/bin/time -f '%e %M %U %S' -o "$tmp/time" "$@" >"$tmp/out" 2>"$tmp/err"; then
    echo "FAIL: $* exited non-zero:" >&2
    cat "$tmp/err" >&2
    exit 1
  fi
  tail -n 1 "$tmp/time" | awk '{ print $1, $2, $3 + $4 }' >>"$tmp/$record"
}

echo "Timing $runs runs each (load before: $(cut -d' ' -f1-3 /proc/loadavg))" >&2
for ((run = 1; run <= runs; run++)); do
  echo "run $run/$runs" >&2
  rm -rf "$out/reduce/distribution" "$tmp/vips"
  mkdir -p "$tmp/vips"
  if ((run % 2)); then order="ours peer"; else order="peer ours"; fi
  for who in $order; do
    if [ $who = ours ]; then
      timed reduce.ours "$cli" distribute "$out/reduce" bench race.txt --no-help --quality 30
      timed index.ours "$cli" pictures "$out/index" race.txt
    else
      timed reduce.peer vipsthumbnail -s 500 -o "$tmp/vips/s_%s.jpg[Q=30,strip]" "$out"/reduce/pic/*.JPG
      timed index.peer exiv2 -g Exif.Photo.DateTimeOriginal "$out"/index/pic/*.JPG
    fi
  done
  for format in trb gpx; do
    rm -rf "$out/dist-$format/distribution"
    # shellcheck disable=SC2086
    timed "dist.$format" "$cli" distribute "$out/dist-$format" bench $races --no-pictures
  done
done

# The work was really done.
made=$(ls "$out/reduce/distribution/bench/pic/race" | grep -c '^s_')
[ "$made" = 100 ] || { echo "FAIL: $made reduced pictures instead of 100" >&2; exit 1; }
"$cli" pictures "$out/index" race.txt >"$tmp/index.txt"
kept=$(head -1 "$tmp/index.txt")
[ "${kept%% Pictures*}" = "1000 / 1000" ] || { echo "FAIL: indexed '$kept'" >&2; exit 1; }
boats=$(ls "$out/dist-trb/distribution/bench/gpsdat" | wc -l)
[ "$boats" = 200 ] || { echo "FAIL: $boats boat files in the distribution" >&2; exit 1; }

median() {  # COLUMN RECORD
  cut -d' ' -f"$1" "$tmp/$2" | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
largest() { cut -d' ' -f"$1" "$tmp/$2" | sort -g | tail -n 1; }

failed=0
verdict() {  # NAME CONDITION: sets NAME to PASS or FAIL
  if awk "BEGIN { exit !($2) }"; then printf -v "$1" PASS; else printf -v "$1" FAIL; failed=1; fi
}
ratio() { awk "BEGIN { printf \"%.2f\", ($2 > 0) ? $1 / $2 : 0 }"; }
r_ours=$(median 1 reduce.ours) r_peer=$(median 1 reduce.peer) r_mem=$(largest 2 reduce.ours)
i_ours=$(median 1 index.ours) i_peer=$(median 1 index.peer)
d_trb=$(median 1 dist.trb) d_gpx=$(median 1 dist.gpx)
verdict r_speed "$r_ours <= 0.5 * $r_peer"
verdict r_memory "$r_mem * 1024 < 200e6"
verdict i_speed "$i_ours <= $i_peer"
verdict d_speed "$d_trb < 1"
echo
echo "Picture benchmarks, $runs runs each, medians in seconds (load after: $(cut -d' ' -f1-3 /proc/loadavg))"
printf '%-46s %8s %8s %6s  %s\n' "" ours peer ratio target
printf '%-46s %8s %8s %6s  %s %s\n' "reduce 100 x 4000x3000 to 500 (vipsthumbnail)" "$r_ours" "$r_peer" \
  "$(ratio "$r_ours" "$r_peer")" "<= 0.5" "$r_speed"
printf '%-46s %8s %8s %6s  %s\n' "  processor time, user + system (s)" "$(median 3 reduce.ours)" \
  "$(median 3 reduce.peer)" "$(ratio "$(median 3 reduce.ours)" "$(median 3 reduce.peer)")" "(shown only)"
printf '%-46s %8s %8s %6s  %s %s\n' "  peak memory of ours, largest run (MB)" \
  "$(awk "BEGIN { printf \"%.0f\", $r_mem * 1024 / 1e6 }")" "" "" "< 200" "$r_memory"
printf '%-46s %8s %8s %6s  %s %s\n' "index 1000 x 4000x3000 (exiv2 -g)" "$i_ours" "$i_peer" \
  "$(ratio "$i_ours" "$i_peer")" "<= 1" "$i_speed"
printf '%-46s %8s %8s %6s  %s %s\n' "distribution 10 races x 20 boats, TRB" "$d_trb" "" "" "< 1 s" "$d_speed"
printf '%-46s %8s %8s %6s  %s\n' "distribution 10 races x 20 boats, GPX" "$d_gpx" "" "" "(shown only)"
if ((failed)); then
  echo "Some targets were missed."
  exit 1
fi
echo "All targets met."
