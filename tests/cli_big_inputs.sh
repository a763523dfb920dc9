#!/usr/bin/env bash
# Big and hostile inputs: each ends normally (exit 0, or 1 with one error line
# naming the file), in memory under 1.5 x the file size + 200 MB.
# Usage: cli_big_inputs.sh PATH/TO/tackedit-cli
set -u
cli=$1
source "$(dirname "$0")/cli_checks.sh"

# measure NAME FILE ARGS...: runs the tool, checks the end and the peak memory.
measure() {
  local name=$1 file=$2
  shift 2
  /usr/bin/time -f '%M %e' -o "$work/time" "$cli" "$@" >"$work/out" 2>"$work/err"
  code=$?
  read -r peak_kb seconds < <(tail -1 "$work/time")
  local size_kb=$(($(stat -c %s "$file") / 1024))
  local budget_kb=$((size_kb * 3 / 2 + 200 * 1024))
  echo "$name: exit $code, peak $((peak_kb / 1024)) MB (budget $((budget_kb / 1024)) MB), ${seconds} s"
  case $code in
    0) passed=$((passed + 1)) ;;
    1) check "$name: error names the file" yes "$([[ $(head -1 "$work/err") == "error: $file"* ]] && echo yes)" ;;
    *) check "$name: ends normally" "0 or 1" "$code" ;;
  esac
  if [ -n "${TACKEDIT_SANITIZED:-}" ]; then
    return  # the sanitizers' shadow memory is not the program's
  fi
  [ "$peak_kb" -lt "$budget_kb" ] && passed=$((passed + 1)) || check "$name: peak memory" "< $budget_kb KB" "$peak_kb KB"
}

# 1 GB of random bytes under each binary and text name (one file, links).
head -c 1G /dev/urandom >"$work/random.gpx"
for ending in log gdb trb tcx kml kmz fit; do ln "$work/random.gpx" "$work/random.$ending"; done
for ending in gpx log gdb tcx kml kmz trb; do
  measure "random .$ending" "$work/random.$ending" dump "$work/random.$ending"
done
check "random .trb refused as too long" "error: $work/random.trb: more than 16000000 track points, more than a track may hold" "$(cat "$work/err")"
measure "random .fit" "$work/random.fit" dump "$work/random.fit"
check "random .fit refused" "error: $work/random.fit: not a FIT file: it does not begin with a FIT file header" "$(cat "$work/err")"
rm -f "$work"/random.*

# KMZ bombs: 1.1 GB of blanks in a 1 MB zip, its size told and hidden.
for kind in told hidden; do
  python3 "$(dirname "$0")/make_kmz_bomb.py" "$work/bomb.kmz" $([ $kind = hidden ] && echo --lie)
  measure "KMZ bomb, size $kind" "$work/bomb.kmz" dump "$work/bomb.kmz"
  check "KMZ bomb, size $kind: refused" \
    "error: $work/bomb.kmz: the KMZ file's doc.kml would inflate to more than 1024 MB; it is refused" "$(cat "$work/err")"
done
rm -f "$work/bomb.kmz"

# A VKX page header and then 1 GB of random bytes: refused where a key or a
# version is not one of the format's, or a time is past the year 9999.
{ printf '\xff\x05\0\0\0\0\0\0'; head -c 1G /dev/urandom; } >"$work/random.vkx"
measure "random .vkx" "$work/random.vkx" dump "$work/random.vkx"
check "random .vkx refused" yes "$(grep -qE "^error: $work/random.vkx: (unknown row key|the page at byte|the time of the row)" "$work/err" && echo yes)"
rm -f "$work/random.vkx"

# One GPX line of 100 MB: 1,600,000 points, none before it ends.
{
  printf '<gpx><trk><trkseg>'
  yes '<trkpt lat="35.5" lon="139.25"><time>2010-05-03T01:02:03Z</time></trkpt>' | head -n 1600000 | tr -d '\n'
  printf '</trkseg></trk></gpx>\n'
} >"$work/line.gpx"
measure "100 MB GPX line" "$work/line.gpx" dump "$work/line.gpx"
check "100 MB GPX line: every point" "count 1600000" "$(head -1 "$work/out")"
rm -f "$work/line.gpx"

# NMEA lines of 10 MB: fields without end, junk, commas; the short sentences count.
{
  for i in 1 2 3; do
    printf '$GPRMC,12351%d,A,4807.038,N,01131.000,E,022.4,084.4,230394,' "$i"
    head -c 10000000 /dev/zero | tr '\0' ','
    printf '\r\n'
    head -c 10000000 /dev/zero | tr '\0' 'x'
    printf '\n'
    head -c 10000000 /dev/zero | tr '\0' ','
    printf '\r$GPRMC,12352%d,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n' "$i"
  done
} >"$work/long.log"
measure "10 MB NMEA lines" "$work/long.log" dump "$work/long.log"
check "10 MB NMEA lines: the six sentences" "count 6" "$(head -1 "$work/out")"
rm -f "$work/long.log"

# A race file of 100,000 boat lines: the first 80 whose files exist are the boats.
mkdir -p "$work/ws/raceadmin" "$work/ws/gpsdat"
for i in $(seq 0 19); do echo x >"$work/ws/gpsdat/boat$i.gpx"; done
{
  printf 'T1,Big\r\nST,2024/06/15 9:30:00\r\nFT,2024/06/15 10:00:00\r\n'
  seq 1 100000 | awk '{ printf "BN,Boat%d.GPX,Boat %d,1.0%d\r\n", $1 % 40, $1, $1 % 10 }'
} >"$work/ws/raceadmin/big.txt"
measure "100,000 BN lines" "$work/ws/raceadmin/big.txt" race "$work/ws" big.txt --write copy.txt
check "100,000 BN lines: 80 boats" 80 "$(grep -c '"BoatGpsFile"' "$work/out")"
check "100,000 BN lines: 80 written" 80 "$(grep -ac '^BN,' "$work/ws/raceadmin/copy.txt")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
