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
grep -q $'^1\tKazekiri\t2024-06-15 10:55:25\t0:55:24.5\t0:55:24.5\tOK$' "$tmp/results.txt" || fail "winner: $(cat "$tmp/results.txt")"
"$cli" results "$demo" demo_race.txt --csv | head -1 | grep -qx 'rank,name,finish,elapsed,corrected,status' || fail "csv header"
"$cli" results "$demo" demo_race.txt --json | grep -q '"status": "OK"' || fail "json"
# Boat names a spreadsheet would run as formulas, and a TAB that would split a row.
cp -r "$demo" "$tmp/names"
sed -i -e 's/,Hayate,/,=1+2,/' -e 's/,Shiokaze,/,@SUM(A1),/' -e $'s/,Seagull,/,Sea\tgull,/' "$tmp/names/raceadmin/demo_race.txt"
"$cli" results "$tmp/names" demo_race.txt --csv > "$tmp/results.csv"
grep -qx "[0-9]*,'=1+2,.*" "$tmp/results.csv" || fail "csv formula: $(cat "$tmp/results.csv")"
grep -qx "[0-9]*,'@SUM(A1),.*" "$tmp/results.csv" || fail "csv @: $(cat "$tmp/results.csv")"
"$cli" results "$tmp/names" demo_race.txt > "$tmp/results.txt"
grep -q $'\t\'=1+2\t' "$tmp/results.txt" || fail "tab-separated formula: $(cat "$tmp/results.txt")"
grep -q $'\tSea\\\\x09gull\t' "$tmp/results.txt" || fail "TAB written out: $(cat "$tmp/results.txt")"
[ "$(awk -F'\t' 'NF != 6' "$tmp/results.txt")" = "" ] || fail "six fields a row: $(cat "$tmp/results.txt")"

out=$tmp/replay
"$cli" replay "$demo" "$out" demo_race.txt --no-pictures > "$tmp/said.txt"
grep -qx "$out/index.html" "$tmp/said.txt" || fail "says where the page is"
grep -q '<script src="races/race-1.js"></script>' "$out/index.html" || fail "race script in the page"
grep -q '"file":"demo_race.txt"' "$out/races/race-1.js" || fail "race data"
grep -q '<tr><td>1</td><td>Kazekiri</td>' "$out/results.html" || fail "results page: $(grep Kazekiri "$out/results.html")"
! grep -q 'class="series"' "$out/results.html" || fail "a series of one race"
# Two races: the results page scores the series; a boat missing one is DNC.
grep -av "^BN,seagull" "$tmp/names/raceadmin/demo_race.txt" > "$tmp/names/raceadmin/second.txt"
"$cli" replay "$tmp/names" "$tmp/two" demo_race.txt second.txt --no-pictures > /dev/null
grep -q '<h2><span data-i18n="raceNo"></span> 2: .*second.txt' "$tmp/two/results.html" || fail "race 2 on the page"
grep -q '<tr><td>1</td><td>Kazekiri</td><td>1</td><td>1</td><td>2</td><td>2</td></tr>' "$tmp/two/results.html" ||
  fail "series leader: $(grep Kazekiri "$tmp/two/results.html")"
grep -q '<td>6 DNC</td>' "$tmp/two/results.html" || fail "DNC: $(grep -i gull "$tmp/two/results.html")"
if command -v gmt >/dev/null && [ -d /usr/share/gmt-gshhg ]; then
  grep -q '"land":\[\[' "$out/races/race-1.js" || fail "land from GSHHG"
fi
# Nothing fetched from elsewhere: no address in the page's files but a vendored
# library's one-line banner naming its home.
addresses=$(grep -rnE 'https?://' "$out" --include='*.html' --include='*.js' --include='*.css' |
  grep -vE '^[^:]*/vendor/[^:]*:1:/\*! https?://[^ ]+ \(v[0-9.]+\) \*/$' || true)
[ -z "$addresses" ] || fail "the page names an address: $(echo "$addresses" | grep -oE '^[^:]*:[0-9]+:|https?://[^"]*' | head -6)"

# An existing folder stays unless --replace; a race that does not read leaves nothing.
if "$cli" replay "$demo" "$out" demo_race.txt 2> "$tmp/err.txt"; then fail "replaced without --replace"; fi
grep -q 'already exists' "$tmp/err.txt" || fail "names the folder: $(cat "$tmp/err.txt")"
mkdir -p "$tmp/ws/raceadmin" "$tmp/ws/gpsdat"
printf 'T1,x\r\nST,2024/13/45 10:00:00\r\n' > "$tmp/ws/raceadmin/bad.txt"
if "$cli" replay "$tmp/ws" "$tmp/bad" bad.txt 2> "$tmp/err.txt"; then fail "a bad race built"; fi
grep -q 'bad.txt:2' "$tmp/err.txt" || fail "names the file and line: $(cat "$tmp/err.txt")"
[ ! -e "$tmp/bad" ] && [ -z "$(ls -A "$tmp" | grep building || true)" ] || fail "something was left behind"

# Paths as a user types them, in a copy of the demo (--replace trashes into the scratch folder).
export HOME=$tmp/home XDG_DATA_HOME=$tmp/home/share
cp -r "$demo" "$tmp/w"
cd "$tmp"
rel=$("$cli" check w demo_race.txt; echo "exit $?")
[ "$rel" = "$("$cli" check "$tmp/w" demo_race.txt; echo "exit $?")" ] || fail "check: relative and absolute workspace differ: $rel"
if grep -qi 'picture folder' <<<"$rel"; then fail "check: a picture folder joined twice: $rel"; fi
"$cli" replay w made w/raceadmin/demo_race.txt --no-pictures >/dev/null || fail "RACEFILE as a relative path"
"$cli" results w "$tmp/w/raceadmin/demo_race.txt" >/dev/null || fail "RACEFILE as an absolute path"
"$cli" replay w made/ demo_race.txt --no-pictures --replace >/dev/null || fail "--replace of a replay folder"
cp w/raceadmin/demo_race.txt elsewhere.txt
if "$cli" check w ./elsewhere.txt 2> err.txt; then fail "a race file outside raceadmin/"; fi
grep -q "race files live in $tmp/w/raceadmin/" err.txt || fail "says where race files live: $(cat err.txt)"

# An OUTDIR that would harm the workspace, an input or the user's own files:
# refused with the clash named and nothing moved, --replace or not.
echo mine > file.txt
mkdir folder && echo mine > folder/notes.txt
ln -s w link
mkdir photos
printf 'T1,x\r\nST,2024/06/15 10:00:00\r\nPIC,%s,0\r\n' "$tmp/photos" > w/raceadmin/pics.txt
clash() {  # clash WHAT MESSAGE OUTDIR [RACEFILE]
  local before
  before=$(find . | sort)
  if "$cli" replay w "$3" "${4:-demo_race.txt}" --no-pictures --replace 2> err.txt; then fail "$1: built"; fi
  grep -qF "$2" err.txt || fail "$1: $(cat err.txt)"
  [ "$(find . | sort)" = "$before" ] || fail "$1: something moved"
}
clash "the workspace" "is the workspace $tmp/w" w/
clash "the workspace by another way" "is the workspace" w/../link
clash "gpsdat/" "lies in the workspace's gpsdat/ folder" w/gpsdat/replay
clash "the workspace's parent" "holds the workspace" .
clash "the race file" "lies in the workspace's raceadmin/ folder" w/raceadmin/demo_race.txt
clash "a file" "is a file or link that no replay build wrote" file.txt
clash "a folder of the user's" "is a folder that no replay build wrote" folder
clash "the race's picture folder" "is $tmp/photos" photos pics.txt

# A course naming mark 7 of 3 is not scored; every boat line counts, and a
# note says once a command that the viewer shows the first 80.
mkdir -p "$tmp/ws2/raceadmin"
cp -r "$demo/gpsdat" "$tmp/ws2/"
sed 's/^CRS,.*/CRS,S,1,7,F\r/' "$demo/raceadmin/demo_race.txt" > "$tmp/ws2/raceadmin/course.txt"
if "$cli" results "$tmp/ws2" course.txt > "$tmp/out.txt" 2> "$tmp/err.txt"; then fail "mark 7 of 3 scored"; fi
grep -qx "error: course.txt: no results: the course's entry 3, '7', names no mark: the race has 3 MK lines" \
  "$tmp/err.txt" || fail "names the entry: $(cat "$tmp/err.txt")"
{ cat "$demo/raceadmin/demo_race.txt"; for i in $(seq 1 200); do printf 'BN,umikaze.trb,B%d\r\n' "$i"; done; } \
  > "$tmp/ws2/raceadmin/crowd.txt"
note="note: crowd.txt: 205 boats: the replay, the analysis and the results take them all; the viewer shows only the first 80"
"$cli" results "$tmp/ws2" crowd.txt > "$tmp/out.txt" 2> "$tmp/err.txt"
[ "$(cat "$tmp/err.txt")" = "$note" ] || fail "results note: $(cat "$tmp/err.txt")"
[ "$(wc -l < "$tmp/out.txt")" -gt 205 ] || fail "results cut the crowd: $(wc -l < "$tmp/out.txt") lines"
"$cli" replay "$tmp/ws2" "$tmp/crowd" crowd.txt --no-pictures > /dev/null 2> "$tmp/err.txt"
[ "$(cat "$tmp/err.txt")" = "$note" ] || fail "replay note: $(cat "$tmp/err.txt")"
grep -q 'the viewer shows only the first 80' "$tmp/crowd/races/race-1.js" || fail "the page's note"
echo "cli replay: ok"
