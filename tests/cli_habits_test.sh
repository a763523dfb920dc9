#!/usr/bin/env bash
# Each command's --help, --quiet, and progress only on a terminal.
# Usage: cli_habits_test.sh PATH/TO/tackedit-cli PATH/TO/make-pictures DEMO_WORKSPACE
set -u
cli=$1
make_pictures=$2
demo=$3
source "$(dirname "$0")/cli_checks.sh"

commands="dump info convert race clean check shift photo-time pictures distribute replay results"
for command in $commands; do
  run "$command" --help
  check "$command --help" "0 Usage: tackedit-cli $command" "$code $(head -1 "$work/out" | cut -d' ' -f1-3)"
done
# The flag after arguments, and help before a command, say the same.
run dump x.gpx -h
first=$out
run help dump
check "dump -h after an argument, help dump" "0 $first" "$code $out"
run help frobnicate
check "help of an unknown command" 2 "$code"
# Bad usage shows the command's own usage.
run convert only-one.gpx
check "bad usage: its own usage" "2 Usage: tackedit-cli convert IN OUT [--quiet]" "$code $(head -1 "$work/err")"

# --quiet: no notes on stderr and no summary on stdout, anywhere after the
# command; the file is still written and errors still print.
# Two fixes within a second: the whole-second file leaves one out, with a note.
printf 'H DEG\nT N1.0 E1.0 2010/05/03 01:00:00.0 x\nT N2.0 E1.0 2010/05/03 01:00:00.6 x\nT N3.0 E1.0 2010/05/03 01:00:01.2 x\n' >"$work/n.trk"
run convert "$work/n.trk" "$work/n.gpx"
check "convert says its summary and notes" "wrote 2 points note:" "$out $(cut -d" " -f1 <<<"$err" | sort -u)"
rm "$work/n.gpx"
run convert --quiet "$work/n.trk" "$work/n.gpx"
check "convert --quiet" "0||" "$code|$out|$err"
check "convert --quiet wrote the file" "count 2" "$(head -1 <("$cli" dump "$work/n.gpx"))"
run clean "$work/n.trk" "$work/c.trb" --max-speed 30 --quiet
check "clean --quiet" "0||" "$code|$out|$err"
run shift "$work/n.trk" "$work/s.trb" --hours 9 -q
check "shift -q" "0||" "$code|$out|$err"
run dump "$work/missing.gpx" --quiet
check "errors print with --quiet" "1 error: $work/missing.gpx: no such file" "$code $err"

# Long work: a workspace with a race that has pictures, and a big track.
ws=$work/ws
cp -r "$demo" "$ws"
mkdir -p "$ws/photos"
"$make_pictures" "$ws/photos" 3 320 240 90 "2024:06:15 10:10:00" 60
sed 's|^PIC,.*||' "$ws/raceadmin/demo_race.txt" >"$ws/raceadmin/pics.txt"
printf 'PIC,%s,0,200\r\n' "$ws/photos" >>"$ws/raceadmin/pics.txt"
awk 'BEGIN { for (i = 0; i < 300000; ++i)
  printf "$GPRMC,%02d%02d%02d,A,3512.%04d,N,13945.6000,E,5.0,90.0,150624,,\r\n", int(i / 3600) % 24, int(i / 60) % 60, i % 60, i % 10000 }' >"$work/big.log"
[ "$(stat -c %s "$work/big.log")" -gt $((16 << 20)) ] || check "big track above 16 MB" yes no

on_terminal() {  # on_terminal ARGS...: runs the tool on a pty, sets tty (all it printed)
  tty=$(script -qec "$(printf '%q ' "$cli" "$@")" /dev/null | tr '\r' '\n' | sed 's/ *$//')
}
# Each: the command's arguments, then what its progress line says at the end.
jobs=(
  "distribute $ws cup pics.txt|distribute: pics.txt: pictures 3/3"
  "replay $ws $work/replay pics.txt|replay: race 1/1: pics.txt"
  "check $ws pics.txt|check: boat 5/5"
  "convert $work/big.log $work/big.trb|convert: writing $work/big.trb (300000 points)"
)
for job in "${jobs[@]}"; do
  read -ra job_args <<<"${job%%|*}"
  shown=${job#*|}
  name=${job_args[0]}
  rm -rf "$ws/distribution/cup" "$work/replay"
  on_terminal "${job_args[@]}"
  check "$name: progress on a terminal" yes "$(grep -qxF "$shown" <<<"$tty" && echo yes)"
  rm -rf "$ws/distribution/cup" "$work/replay"
  on_terminal "${job_args[@]}" --quiet
  check "$name --quiet: no progress on a terminal" "" "$(grep -F "$name: " <<<"$tty")"
  rm -rf "$ws/distribution/cup" "$work/replay"
  run "${job_args[@]}"
  check "$name: no progress into a file" "" "$(grep -F "$name: " "$work/err")"
  [ "$code" -le 3 ] || check "$name exit" "0 to 3" "$code"
done
# A small file converts without a word of progress even on a terminal.
on_terminal convert "$work/n.trk" "$work/n2.trb"
check "convert of a small file: no progress" "" "$(grep -F "convert: " <<<"$tty")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
