#!/usr/bin/env bash
# tackedit-cli check and shift as a user runs them: output, exit codes, files.
# Usage: check_cli_test.sh PATH/TO/tackedit-cli
set -u
cli=$1
source "$(dirname "$0")/../cli_checks.sh"

# Every 10 s from 00:55 to 01:35 UTC; the race is 10:00 to 10:30 JST.
gpx() {  # HOURS_LATE
  echo '<gpx><trk><trkseg>'
  for s in $(seq 0 10 2400); do
    t=$((55 * 60 + s))
    printf '<trkpt lat="35.3" lon="139.%04d"><time>2024-06-15T%02d:%02d:%02dZ</time></trkpt>\n' \
      "$s" $((t / 3600 + $1)) $((t / 60 % 60)) $((t % 60))
  done
  echo '</trkseg></trk></gpx>'
}
ws=$work/ws
mkdir -p "$ws/gpsdat" "$ws/raceadmin"
touch "$ws/tackvue.exe"
gpx 0 >"$ws/gpsdat/a.gpx"
gpx 9 >"$ws/gpsdat/phone.gpx"
# Ten years (three leap days) early and eight hours late; 1024 weeks early.
gpx 8 | sed 's/2024-06-15/2014-06-15/' >"$ws/gpsdat/decade.gpx"
gpx 0 | sed 's/2024-06-15/2004-10-30/' >"$ws/gpsdat/rolled.gpx"
race() {  # NAME BOAT-LINES...
  local name=$1
  shift
  { printf 'ST,2024/06/15 10:00:00\r\nFT,2024/06/15 10:30:00\r\nTD,9\r\n'; printf '%s\r\n' "$@"; } >"$ws/raceadmin/$name"
}

race clean.txt "BN,a.gpx,Alpha"
run check "$ws" clean.txt
check "clean exit" 0 "$code"
check "clean lines" "info	race
info	Alpha" "$(cut -f1,2 <<<"$out")"

race twice.txt "BN,a.gpx,Alpha" "BN,A.GPX,Bravo"
run check "$ws" twice.txt
check "warnings only exit" 3 "$code"
check "same file" "warning	race	Boats 1 and 2 use the same GPS file a.gpx" "$(grep '^warning' <<<"$out")"

race phone.txt "BN,a.gpx,Alpha" "BN,phone.gpx,Phone" "BN,lost.gpx,Lost"
run check "$ws" phone.txt --json
check "error exit" 1 "$code"
keys=$(grep -oE '^ *"[a-z_]+"' "$work/out" | tr -d ' "' | sort -u | tr '\n' ' ')
check "json keys" "backward boats coverage file findings first fix jumps largest_gap last message name points severity shift_seconds subject zero_points " "$keys"
check "json shift" '      "shift_seconds": -32400' "$(grep -m1 '^      "shift_seconds": -' "$work/out")"
check "json finding fix" '"fix":{"shift_seconds":-32400}' \
  "$(tr -d ' \n' <"$work/out" | grep -o '"subject":"Phone","message":"[^"]*","fix":{"shift_seconds":[0-9-]*}' |
    grep -o '"fix".*')"
check "json missing boat" '      "first": null,' "$(grep -A4 '"name": "Lost"' "$work/out" | grep first)"

race clocks.txt "BN,decade.gpx,Decade" "BN,rolled.gpx,Rolled"
run check "$ws" clocks.txt --json
fixes=$(tr -d ' \n' <"$work/out" | grep -o '"fix":{"shift_seconds":[0-9-]*}' | tr '\n' ' ')
check "json year and rollover fixes" '"fix":{"shift_seconds":315590400} "fix":{"shift_seconds":619315200} ' "$fixes"
run shift "$ws/gpsdat/decade.gpx" "$ws/gpsdat/decade_shifted.gpx" --seconds 315590400
race mended.txt "BN,decade_shifted.gpx,Decade"
run check "$ws" mended.txt
check "shifted by the fix" 0 "$code"

run check "$ws" none.txt
check "missing race exit" 1 "$code"
check "missing race stdout" "" "$out"
check "missing race stderr" "error: $ws/raceadmin/none.txt: no such race file" "$(cat "$work/err")"

# A NUL in a file name is shown, and the message goes on after it.
printf 'BN,lost\0.gpx,Lost\r\n' >"$ws/raceadmin/nul.txt"
run check "$ws" nul.txt
check "nul escaped" "error	Lost	Line 1 of the race file is left out: the GPS file lost\x00.gpx is not in gpsdat/" \
  "$(grep '^error	Lost' <<<"$out")"

# 100,000 boat lines past the 80th: counted once, none of them a boat of the check.
{ for i in $(seq 1 100080); do printf 'BN,a.gpx,B%d\r\n' "$i"; done; } >"$ws/raceadmin/crowd.txt"
run check "$ws" crowd.txt
check "crowd count" "warning	race	The race file has 100000 boat lines past the 80th boat: the viewer and the window leave them out (the replay, the analysis and the results take them all)" \
  "$(grep 'past the 80th' <<<"$out")"
check "crowd boats" 80 "$(grep -c '^info	B' <<<"$out")"
check "crowd same file" "Boats 1, 2," "$(grep -o '^warning	race	Boats 1, 2,' <<<"$out" | cut -f3)"
check "crowd last boat named" "79 and 80 use the same GPS file a.gpx" "$(grep -o '79 and 80 use.*' <<<"$out")"
run check "$ws"
check "usage exit" 2 "$code"
run check "$ws" phone.txt --yaml
check "unknown option exit" 2 "$code"

run shift "$ws/gpsdat/phone.gpx" "$ws/gpsdat/fixed.TRB" --hours -9
check "shift output" "wrote 241 points" "$out"
check "shift exit" 0 "$code"
run dump "$ws/gpsdat/fixed.TRB"
check "shifted first point" "2024-06-15 00:55:00" "$(sed -n 3p <<<"$out" | cut -f2)"
run shift "$ws/gpsdat/a.gpx" "$work/later.gpx" --seconds 90
check "shift to gpx" "<time>2024-06-15T00:56:30Z</time>" "$(grep -m1 -o '<time>[^<]*</time>' "$work/later.gpx")"
run shift "$ws/gpsdat/fixed.TRB" "$work/far.trb" --weeks 1024
check "unholdable time exit" 1 "$code"
check "unholdable time writes nothing" "" "$(ls "$work" | grep far)"
run shift "$ws/gpsdat/a.gpx" "$work/x.trb" --days 1
check "shift bad option" 2 "$code"
run shift "$ws/gpsdat/a.gpx" "$work/x.txt" --hours 1
check "shift bad ending" 2 "$code"

# A track cleaned in the editor beside a boat's file is offered as its fix.
gpx 0 >"$ws/gpsdat/a_s.gpx"
run check "$ws" clean.txt --json
check "cleaned file exit" 3 "$code"
check "json cleaned file fix" '"fix":{"use_file":"a_s.gpx"}' "$(tr -d ' \n' <"$work/out" | grep -o '"fix":{"use_file":[^}]*}')"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
