#!/usr/bin/env bash
# The command-line interface as a user sees it: output, exit codes, stderr.
# Usage: cli_test.sh PATH/TO/tackedit-cli DATA_DIR
set -u
cli=$1
source "$(dirname "$0")/cli_checks.sh"

printf '<gpx><trk><trkseg>\n<trkpt lat="35.5" lon="139.25"><time>2010-05-03T01:02:03Z</time></trkpt>\n<trkpt lat="-33.25" lon="-151.5"><time>2010-05-03T01:02:13.5Z</time></trkpt>\n</trkseg></trk></gpx>\n' >"$work/a.gpx"
printf '$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n$GPRMC,000001.00,A,3512.3456,S,13945.6789,W,0.0,0.0,010210,,\r\n' >"$work/b.log"

run dump "$work/a.gpx"
check "dump gpx" "$(printf 'count 2\ninterval 5\n1\t2010-05-03 01:02:03\t2130\t8355\n2\t2010-05-03 01:02:13\t-1995\t-9090')" "$out"
check "dump gpx exit" 0 "$code"

# The interval spans 84 years backwards: the span in single precision gives
# -1327601896.875 where doubles would give -1327601859.
run dump "$work/b.log"
check "dump nmea" "$(printf 'count 2\ninterval -1327601897\n1\t2094-03-23 12:35:19\t2887.038\t691\n2\t2010-02-01 00:00:01\t-2112.3456\t-8385.6789')" "$out"

# info: a look at a track without its points; there and back a minute of latitude.
printf '<trkpt lat="35.5" lon="139.25"><time>2010-05-03T01:02:03Z</time></trkpt>\n<trkpt lat="35.516666666666667" lon="139.25"><time>2010-05-03T01:02:13Z</time></trkpt>\n<trkpt lat="35.5" lon="139.25"><time>2010-05-03T01:02:23Z</time></trkpt>\n' >"$work/i.gpx"
run info "$work/i.gpx"
check "info" "$(printf 'count 3\ninterval 7\nfirst 2010-05-03 01:02:03\nlast 2010-05-03 01:02:23\nsouth 35.500000\nnorth 35.516667\nwest 139.250000\neast 139.250000\ndistance 2.00')" "$out"
run info "$work/missing.gpx"
check "info missing" "1 error: $work/missing.gpx: no such file" "$code $err"

run convert "$work/a.gpx" "$work/c.TRB"
check "convert to trb" "wrote 2 points" "$out"
check "trb size" 24 "$(stat -c %s "$work/c.TRB")"
run dump "$work/c.TRB"
check "trb read back" "$(printf 'count 2\ninterval 5\n1\t2010-05-03 01:02:03\t2130\t8355\n2\t2010-05-03 01:02:13\t-1995\t-9090')" "$out"

run convert "$work/c.TRB" "$work/d.Gpx"
check "convert to gpx" "wrote 2 points" "$out"
check "gpx line ends" 6 "$(grep -c $'\r$' "$work/d.Gpx")"
run dump "$work/d.Gpx"
check "gpx read back" "$(printf 'count 2\ninterval 5\n1\t2010-05-03 01:02:03\t2130\t8355\n2\t2010-05-03 01:02:13\t-1995\t-9090')" "$out"

# Faster than a fix a second: each writer keeps the first fix of each second as
# it writes the time (TRB rounds, GPX cuts the fraction), and says what it left out.
printf 'H DEG\nT N1.0 E1.0 2010/05/03 01:00:00.0 x\nT N2.0 E1.0 2010/05/03 01:00:00.6 x\nT N3.0 E1.0 2010/05/03 01:00:01.2 x\n' >"$work/fast.trk"
declare -A kept
for ending in trb gpx; do
    run convert "$work/fast.trk" "$work/fast_s.$ending"
    check "fast to $ending" "wrote 2 points|note: $work/fast_s.$ending: left out 1 point logged within the same second as the point before (the file holds whole seconds)" "$out|$err"
    run dump "$work/fast_s.$ending"
    kept[$ending]=$(cut -f3 <<<"$out" | tail -2 | tr '\n' ' ')
done
check "fast kept by each writer's second" "60 120 |60 180 " "${kept[trb]}|${kept[gpx]}"

run dump "$work/missing.gpx"
check "missing exit" 1 "$code"
check "missing message" "error: $work/missing.gpx: no such file" "$err"
check "missing stdout" "" "$out"

printf '$GPRMC,000001,A,3512.3,N,13945.6,E,0,0,010210\n$GPRMC,000002,A,35x2.3,N,13945.6,E,0,0,010210\n' >"$work/bad.log"
run dump "$work/bad.log"
check "conversion error exit" 1 "$code"
check "conversion error stdout" "" "$out"
check "conversion error line" "error: $work/bad.log:2: 'N35x2.3' is not a valid latitude" "$err"

# A file no reader takes is said, not read as an empty track; .nmea is a log.
printf 'not a track\n' >"$work/notes.txt"
run info "$work/notes.txt"
check "unknown ending" "1 error: $work/notes.txt is not a track file the editor reads: their names end in gpx, log, nmea, nma, nme, dtr, trk, gdb, trl, trb, fit, vkx, tcx, kml or kmz." "$code $err"
cp "$work/b.log" "$work/b.nmea"
run info "$work/b.nmea"
check "nmea ending" "count 2" "$(head -1 <<<"$out")"

printf '<gpx><wpt lat="35" lon="139"/></gpx>\n' >"$work/w.gpx"
run info "$work/w.gpx"
check "no point says why" "0 warning: $work/w.gpx holds no track point: the file holds only waypoints." "$code $err"

# A race timer's events follow the track's lines, in file order.
run info "$2/vkx/race_timer.vkx"
check "vkx events" "$(printf 'pin 2024-06-15 00:54:00 35.300098 139.480103\nboat 2024-06-15 00:54:10 35.300400 139.482193\nrace_start 2024-06-15 01:00:00\nrace_end 2024-06-15 01:01:00')" "$(tail -4 <<<"$out")"
check "vkx info exit" 0 "$code"

run convert "$work/a.gpx" "$work/x.txt"
check "bad ending exit" 2 "$code"
[ -e "$work/x.txt" ] && check "bad ending writes nothing" "absent" "present"

run convert "$work/bad.log" "$work/y.trb"
check "failed convert exit" 1 "$code"
check "failed convert writes nothing" "" "$(ls "$work" | grep '^y')"

# race: the race record as JSON, and written back as Save Data writes it.
ws=$work/ws
mkdir -p "$ws/raceadmin" "$ws/gpsdat"
cp "$work/a.gpx" "$ws/gpsdat/Boat1.GPX"
printf 'T1,Cup\r\nST,2024/06/15 9:30:00\r\nFT,2024/06/15 10:00:00\r\nbn,boat1.gpx,Alpha,0.9,300,1\r\nBN,gone.gpx,X\r\nMK,1.5,2\r\n' >"$ws/raceadmin/r1.txt"
run race "$ws" R1.TXT --write r2.txt --minimize
check "race exit" 0 "$code"
check "race title" '  "Title1": "Cup",' "$(grep '"Title1"' "$work/out")"
check "race start" '  "StartTime": "2024-06-15 09:30:00",' "$(grep '"StartTime"' "$work/out")"
check "race start-up values kept" '  "Loa": 4.7,' "$(grep '"Loa"' "$work/out")"
check "race boat" '      "BoatGpsFile": "boat1.gpx",' "$(grep '"BoatGpsFile"' "$work/out")"
check "race replay" '  "ReplayTo": 1830' "$(grep '"ReplayTo"' "$work/out")"
check "race written, options kept" "BN,boat1.trb,Alpha,0.9,300,1" "$(grep -a '^BN' "$ws/raceadmin/r2.txt" | tr -d '\r')"
check "race minimized copy" 24 "$(stat -c %s "$ws/gpsdat/boat1.trb")"
run race "$ws" r2.txt --japanese
check "race japanese maps" '    "jcoast"' "$(grep -A1 '"MapNames"' "$work/out" | tail -1)"

printf 'T1,Cup\r\nLG,long\r\n' >"$ws/raceadmin/bad.txt"
run race "$ws" bad.txt
check "race bad number exit" 1 "$code"
check "race bad number message" "error: $ws/raceadmin/bad.txt:2: 'long' is not a valid number" "$err"
check "race bad number stdout" "" "$out"
printf 'T1,Cup\r\nTD,30\r\n' >"$ws/raceadmin/zone.txt"
run race "$ws" zone.txt
check "race time difference" "error: $ws/raceadmin/zone.txt:2: '30' is not a time difference from -14 to +14 hours" "$err"
run race "$ws" r1.txt --write noext
check "race write adds .txt" "noext.txt" "$(ls "$ws/raceadmin" | grep noext)"
{ for i in $(seq 1 200); do printf 'BN,boat1.gpx,B%d\r\n' "$i"; done; } >"$ws/raceadmin/crowd.txt"
run race "$ws" crowd.txt
check "race: boat lines past the 80th told once" \
  "note: crowd.txt: 120 boat lines past the 80th are left out: a race holds at most 80 boats" "$err"
run race "$ws" none.txt
check "race missing exit" 1 "$code"
run race "$ws" ../raceadmin/r1.txt
check "race outside exit" 1 "$code"
run race "$ws" r1.txt --write ../evil.txt
check "race write outside exit" 1 "$code"
[ -e "$work/evil.txt" ] && check "race write outside file" "absent" "present"
run race "$ws" r1.txt --minimize
check "minimize without write" 2 "$code"
run race "$ws"
check "race without name" 2 "$code"

run
check "no arguments exit" 2 "$code"
case "$err" in Usage:*) passed=$((passed + 1)) ;; *) failed=$((failed + 1)); echo "FAIL usage text: $err" ;; esac
run dump
check "dump without file" 2 "$code"
run frobnicate x
check "unknown command" 2 "$code"
check "unknown command named" "error: unknown command 'frobnicate'" "$(head -1 "$work/err")"
for flag in --help -h help; do
  run $flag
  check "$flag exit" 0 "$code"
  case "$out" in Usage:*dump*) passed=$((passed + 1)) ;; *) failed=$((failed + 1)); echo "FAIL $flag usage: $out" ;; esac
done
version=$(sed -n 's/^project(tackedit VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
run --version
check "version" "tackedit-cli $version" "$out"
check "version exit" 0 "$code"
editor=$(dirname "$cli")/tackedit
if [ -x "$editor" ]; then
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$editor" --version 2>&1)
  check "editor version without a display" "tackedit $version" "$out"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
