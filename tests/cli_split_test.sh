#!/usr/bin/env bash
# tackedit-cli split on a copy of the demo: the day's races differ from the
# source in their ST and FT lines alone; every refusal writes nothing.
# Usage: cli_split_test.sh TACKEDIT-CLI DEMO-WORKSPACE
set -euo pipefail
cli=$1
demo=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
cp -r "$demo" "$tmp/ws"
admin=$tmp/ws/raceadmin
source=$admin/demo_race.txt
grep -q $'^ST,2024/06/15 10:00:00\r$' "$source" || fail "the demo's start changed"

out=$("$cli" split "$tmp/ws" demo_race.txt --starts 10:00,10:45:30 --finish-after 30) || fail "split exit $?"
[ "$out" = $'demo_race-R1.txt\ndemo_race-R2.txt' ] || fail "printed: $out"
# expect FILE ST FT: those two lines, and every other byte as in the source.
expect() {
  [ "$(grep -c $'^ST,'"$2"$'\r$' "$1")" = 1 ] || fail "$1: ST is not $2: $(grep ^ST "$1")"
  [ "$(grep -c $'^FT,'"$3"$'\r$' "$1")" = 1 ] || fail "$1: FT is not $3: $(grep ^FT "$1")"
  cmp -s <(grep -av '^[SF]T,' "$source") <(grep -av '^[SF]T,' "$1") || fail "$1: other lines changed"
  [ "$(wc -l < "$1")" = "$(wc -l < "$source")" ] || fail "$1: line count"
}
# The first ends at --finish-after before the next start; the last at --finish-after.
expect "$admin/demo_race-R1.txt" "2024/06/15 10:00:00" "2024/06/15 10:30:00"
expect "$admin/demo_race-R2.txt" "2024/06/15 10:45:30" "2024/06/15 11:15:30"
"$cli" race "$tmp/ws" demo_race-R2.txt > /dev/null || fail "R2 does not read back"

# Default 60 minutes, cut at the next start; a path to the file as RACEFILE.
mkdir "$tmp/ws2" && cp -r "$demo"/. "$tmp/ws2"
"$cli" split "$tmp/ws2" "$tmp/ws2/raceadmin/demo_race.txt" --starts "9:55, 10:40" > /dev/null || fail "default exit $?"
source=$tmp/ws2/raceadmin/demo_race.txt
expect "$tmp/ws2/raceadmin/demo_race-R1.txt" "2024/06/15 9:55:00" "2024/06/15 10:40:00"
expect "$tmp/ws2/raceadmin/demo_race-R2.txt" "2024/06/15 10:40:00" "2024/06/15 11:40:00"

# Refusals: exit 1, an error, and no new file. demo_race-R2.txt exists in ws,
# so a split there into three must not write R1 or R3 either.
rm "$admin/demo_race-R1.txt"
before=$(ls "$admin")
refuse() {
  local why=$1; shift
  local code=0
  "$cli" split "$tmp/ws" demo_race.txt "$@" > /dev/null 2> "$tmp/err" || code=$?
  [ "$code" = 1 ] || fail "$why: exit $code"
  grep -q '^error: ' "$tmp/err" || fail "$why: no error: $(cat "$tmp/err")"
  [ "$(ls "$admin")" = "$before" ] || fail "$why: wrote $(ls "$admin")"
}
refuse "existing file" --starts 10:00,10:20,10:40
refuse "badly typed" --starts 10:00,10:6
refuse "hour 24" --starts 24:00
refuse "fraction" --starts 10:00:00.5
refuse "not increasing" --starts 10:40,10:20
refuse "same start twice" --starts 10:00,10:00
refuse "finish-after 0" --starts 10:00 --finish-after 0
refuse "finish-after text" --starts 10:00 --finish-after soon
refuse "outside every track" --starts 10:00,14:00
grep -q 'outside every' "$tmp/err" || fail "outside: $(cat "$tmp/err")"
# Neither or both of --starts and --detect: bad usage.
for args in "" "--starts 10:00 --detect"; do
  code=0
  "$cli" split "$tmp/ws" demo_race.txt $args > /dev/null 2>&1 || code=$?
  [ "$code" = 2 ] || fail "usage with '$args': exit $code"
done

# --detect: the demo has no race timer, so the fleet leaving the line after
# its 10:00 gun gives the start; a note says how it was found.
mkdir "$tmp/ws3" && cp -r "$demo"/. "$tmp/ws3"
source=$tmp/ws3/raceadmin/demo_race.txt
out=$("$cli" split "$tmp/ws3" demo_race.txt --detect 2> "$tmp/err") || fail "detect exit $?: $(cat "$tmp/err")"
[ "$out" = demo_race-R1.txt ] || fail "detect printed: $out"
grep -q '^note: start 2024/06/15 10:00:00: estimated' "$tmp/err" || fail "detect said: $(cat "$tmp/err")"
expect "$tmp/ws3/raceadmin/demo_race-R1.txt" "2024/06/15 10:00:00" "2024/06/15 11:00:00"
# Without a start line there is nothing to find: an error that says so, no file.
rm "$tmp/ws3/raceadmin/demo_race-R1.txt"
listed=$(ls "$tmp/ws3/raceadmin")
grep -av '^LN,' "$source" > "$tmp/noline" && cp "$tmp/noline" "$source"
code=0
"$cli" split "$tmp/ws3" demo_race.txt --detect > /dev/null 2> "$tmp/err" || code=$?
[ "$code" = 1 ] && grep -q '^error: .*no start line' "$tmp/err" || fail "no line: exit $code: $(cat "$tmp/err")"
[ "$(ls "$tmp/ws3/raceadmin")" = "$listed" ] || fail "no line: wrote $(ls "$tmp/ws3/raceadmin")"
echo "cli split: ok"
