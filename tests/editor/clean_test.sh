#!/usr/bin/env bash
# tackedit-cli clean as a user runs it: output, exit codes, the written file.
# Usage: clean_test.sh PATH/TO/tackedit-cli
set -u
cli=$1
source "$(dirname "$0")/../cli_checks.sh"

# 30 points two seconds apart sailing north at 6 knots; point 11 jumps 5 miles.
{
  echo '<gpx><trk><trkseg>'
  for i in $(seq 0 29); do
    lat=$(awk -v i="$i" 'BEGIN { l = 35 + i * 2 * 6 / 3600 / 60; if (i == 10) l += 5 / 60; printf "%.9f", l }')
    printf '<trkpt lat="%s" lon="139.5"><time>2010-05-03T01:%02d:%02dZ</time></trkpt>\n' \
      "$lat" $(((i * 2) / 60)) $(((i * 2) % 60))
  done
  echo '</trkseg></trk></gpx>'
} >"$work/in.gpx"

run clean "$work/in.gpx" "$work/out.gpx" --max-speed 12
check "speed only" "kept 29 of 30" "$out"
check "speed only exit" 0 "$code"
run dump "$work/out.gpx"
check "jump gone" "count 29" "$(head -1 <<<"$out")"

# Every tenth point (20 s at 2 s) and the last; the jump goes first.
run clean "$work/in.gpx" "$work/out.TRB" --interval 20 --max-speed 12
check "both" "kept 4 of 30" "$out"
check "trb size" 48 "$(stat -c %s "$work/out.TRB")"

run clean "$work/in.gpx" "$work/copy.gpx"
check "no pass" "kept 30 of 30" "$out"

run clean "$work/in.gpx" "$work/x.gpx" --interval
check "missing value" 2 "$code"
run clean "$work/in.gpx" "$work/x.gpx" --interval ten
check "bad value" 2 "$code"
check "bad value names it" "tackedit-cli: --interval: 'ten' is not a number" "$(head -1 <<<"$err")"
run clean "$work/in.gpx" "$work/x.txt" --interval 10
check "bad ending" 2 "$code"
run clean "$work/in.gpx"
check "one argument" 2 "$code"
run clean "$work/missing.gpx" "$work/x.gpx"
check "missing input" "error: $work/missing.gpx: no such file" "$err"
check "missing input exit" 1 "$code"
run clean "$work/in.gpx" "$work/nofolder/x.gpx"
check "unwritable exit" 1 "$code"
check "unwritable names it" yes "$([[ $err == "error: $work/nofolder/x.gpx: "* ]] && echo yes)"
[ -e "$work/x.gpx" ] && check "nothing written on a usage error" "absent" "present"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
