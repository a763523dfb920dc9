#!/usr/bin/env bash
# tackedit-cli replay and results on the demo workspace, as a user runs them.
# Usage: cli_replay_test.sh TACKEDIT-CLI DEMO-WORKSPACE
set -euo pipefail
cli=$1
demo=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The demo race finishes on its second line after the course S,1,2,1,F.
"$cli" results "$demo" demo_race.txt > "$tmp/results.txt"
[ "$(wc -l < "$tmp/results.txt")" -eq 6 ] || fail "five boats and a header: $(cat "$tmp/results.txt")"
grep -q $'^1\tKazekiri\t2024-06-15 10:55:24\t0:55:24.5\t0:55:24.5\tOK$' "$tmp/results.txt" || fail "winner: $(cat "$tmp/results.txt")"
"$cli" results "$demo" demo_race.txt --csv | head -1 | grep -qx 'rank,name,finish,elapsed,corrected,status' || fail "csv header"
"$cli" results "$demo" demo_race.txt --json | grep -q '"status": "OK"' || fail "json"

out=$tmp/replay
"$cli" replay "$demo" "$out" demo_race.txt --no-pictures > "$tmp/said.txt"
grep -qx "$out/index.html" "$tmp/said.txt" || fail "says where the page is"
grep -q '<script src="races/race-1.js"></script>' "$out/index.html" || fail "race script in the page"
grep -q '"file":"demo_race.txt"' "$out/races/race-1.js" || fail "race data"
if command -v gmt >/dev/null && [ -d /usr/share/gmt-gshhg ]; then
  grep -q '"land":\[\[' "$out/races/race-1.js" || fail "land from GSHHG"
fi
# Nothing fetched from elsewhere: no address in the page's files.
if grep -rqE 'https?://' "$out" --include='*.html' --include='*.js' --include='*.css'; then
  fail "the page names an address: $(grep -rnoE 'https?://[^"]*' "$out" | head -3)"
fi

# An existing folder stays unless --replace; a race that does not read leaves nothing.
if "$cli" replay "$demo" "$out" demo_race.txt 2> "$tmp/err.txt"; then fail "replaced without --replace"; fi
grep -q 'already exists' "$tmp/err.txt" || fail "names the folder: $(cat "$tmp/err.txt")"
mkdir -p "$tmp/ws/raceadmin" "$tmp/ws/gpsdat"
printf 'T1,x\r\nST,2024/13/45 10:00:00\r\n' > "$tmp/ws/raceadmin/bad.txt"
if "$cli" replay "$tmp/ws" "$tmp/bad" bad.txt 2> "$tmp/err.txt"; then fail "a bad race built"; fi
grep -q 'bad.txt:2' "$tmp/err.txt" || fail "names the file and line: $(cat "$tmp/err.txt")"
[ ! -e "$tmp/bad" ] && [ -z "$(ls -A "$tmp" | grep building || true)" ] || fail "something was left behind"

# A course naming mark 7 of 3 is not scored; boat lines past the 80th are told once a command.
mkdir -p "$tmp/ws2/raceadmin"
cp -r "$demo/gpsdat" "$tmp/ws2/"
sed 's/^CRS,.*/CRS,S,1,7,F\r/' "$demo/raceadmin/demo_race.txt" > "$tmp/ws2/raceadmin/course.txt"
if "$cli" results "$tmp/ws2" course.txt > "$tmp/out.txt" 2> "$tmp/err.txt"; then fail "mark 7 of 3 scored"; fi
grep -qx "error: course.txt: no results: the course's entry 3, '7', names no mark: the race has 3 MK lines" \
  "$tmp/err.txt" || fail "names the entry: $(cat "$tmp/err.txt")"
{ cat "$demo/raceadmin/demo_race.txt"; for i in $(seq 1 200); do printf 'BN,umikaze.trb,B%d\r\n' "$i"; done; } \
  > "$tmp/ws2/raceadmin/crowd.txt"
note="note: crowd.txt: 125 boat lines past the 80th are left out: a race holds at most 80 boats"
"$cli" results "$tmp/ws2" crowd.txt > /dev/null 2> "$tmp/err.txt"
[ "$(cat "$tmp/err.txt")" = "$note" ] || fail "results note: $(cat "$tmp/err.txt")"
"$cli" replay "$tmp/ws2" "$tmp/crowd" crowd.txt --no-pictures > /dev/null 2> "$tmp/err.txt"
[ "$(cat "$tmp/err.txt")" = "$note" ] || fail "replay note: $(cat "$tmp/err.txt")"
grep -q '125 boat lines past the 80th' "$tmp/crowd/races/race-1.js" || fail "the page's note"
echo "cli replay: ok"
