#!/usr/bin/env bash
# tackedit-cli entries on a copy of the demo workspace, as a user runs it.
# Usage: entries_cli_test.sh TACKEDIT-CLI DEMO-WORKSPACE
set -euo pipefail
cli=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
ws=$tmp/ws
cp -r "$2" "$ws"
race=$ws/raceadmin/demo_race.txt
cp "$ws/gpsdat/seagull_phone.gpx" "$ws/gpsdat/jpn-0045_day1.gpx"
cp "$ws/gpsdat/hayate_20240615.gpx" "$ws/gpsdat/Track_2024-06-15 103512.gpx"

# A spreadsheet's semicolon export in Shift-JIS, with a row it cannot use.
printf 'Sail No;Boat;Class;TCF;Track\r\nJPN 45;Seagull;B;0,965;\r\n101;Hayate;A;1.015;\r\n;;;;\r\n102;;A;;KAZEKIRI.log\r\n;;A;;\r\n104;%s;A;1.008;umikaze.trb\r\n105;Nobody;A;;\r\n' \
  "$(printf '海風' | iconv -f utf-8 -t cp932)" > "$tmp/list.csv"
before=$(md5sum < "$race")

"$cli" entries "$ws" "$tmp/list.csv" demo_race.txt --json > "$tmp/out.json" 2> "$tmp/err" || fail "--json exit $?"
grep -q 'line 6: no sail number and no boat name' "$tmp/err" || fail "row problem: $(cat "$tmp/err")"
python3 - "$tmp/out.json" <<'PY' || fail "json: $(cat "$tmp/out.json")"
import json, sys
raw = open(sys.argv[1]).read()
a = json.loads(raw)
assert list(a) == ["matches", "entries_without_track", "tracks_without_entry", "conflicts"], list(a)
assert all(list(m) == ["sail", "boat", "file", "reason"] for m in a["matches"]), a["matches"]
got = {m["sail"]: (m["file"], m["reason"]) for m in a["matches"]}
assert got["JPN 45"] == ("jpn-0045_day1.gpx", "sail number in file name"), got
assert got["101"] == ("hayate_20240615.gpx", "boat name in file name"), got
assert got["102"] == ("KAZEKIRI.LOG", "file column"), got
assert got["104"] == ("umikaze.trb", "file column"), got
assert got["105"] == (None, None), got
assert a["entries_without_track"] == [{"sail": "105", "boat": "Nobody"}], a
race_day = ["2024-06-16-09-31-05.fit", "3970_20240616.nmea", "AKATSUKI_0616.gpx", "JPN4512.vkx",
            "Track_2024-06-16 093012.gpx", "nagisa.dtr", "seagull_0616.gpx", "tobiuo_0616.trb"]
assert sorted(a["tracks_without_entry"]) == sorted(["Track_2024-06-15 103512.gpx", "demo_jumps.gpx", "seagull_phone.gpx", "shiokaze.dtr"] + race_day), a
assert a["conflicts"] == [], a
assert "海風" in raw or "\\u6d77" in raw
PY
"$cli" entries "$ws" "$tmp/list.csv" demo_race.txt > "$tmp/table" 2>/dev/null
grep -q $'^105\tNobody\tA\t-\t-$' "$tmp/table" || fail "table: $(cat "$tmp/table")"
[ "$(md5sum < "$race")" = "$before" ] || fail "written without --write"

# --write: the boats and classes from the list, everything else kept.
"$cli" entries "$ws" "$tmp/list.csv" demo_race.txt --write > /dev/null 2> "$tmp/err" || fail "--write exit $?"
grep -q '1 entries without a track are not in the race file' "$tmp/err" || fail "note: $(cat "$tmp/err")"
iconv -f cp932 -t utf-8 "$race" > "$tmp/race.utf8" || fail "not Shift-JIS"
grep -q $'\r$' "$race" || fail "not CR LF"
for line in 'CLSSEP,1' 'CLSN,B' 'BN,jpn-0045_day1.gpx,Seagull,0.965' 'CLSN,A' 'BN,umikaze.trb,海風,1.008' \
            'BN,KAZEKIRI.LOG,102' 'CRS,S,1,2,1,F' 'WF,wind_2024-06-15.csv' 'T2,相模湾サマーレガッタ 第1レース'; do
  grep -qxF "$line"$'\r' "$tmp/race.utf8" || fail "missing line $line: $(cat "$tmp/race.utf8")"
done
[ "$(grep -c '^BN,' "$tmp/race.utf8")" = 4 ] || fail "boat lines: $(grep '^BN' "$tmp/race.utf8")"
"$cli" race "$ws" demo_race.txt | python3 -c '
import json, sys
r = json.load(sys.stdin)
assert r["ClassNames"] == ["B", "A"], r["ClassNames"]
assert [b["BoatName"] for b in r["Boats"]] == ["Seagull", "Hayate", "102", "海風"], r["Boats"]
' || fail "the written race does not read back"

# A name Shift-JIS cannot hold: an error, and the file stays as it was.
written=$(md5sum < "$race")
printf 'Sail No,Boat,File\n101,Hayate \xf0\x9f\x90\x9d,hayate_20240615.gpx\n' > "$tmp/emoji.csv"
if "$cli" entries "$ws" "$tmp/emoji.csv" demo_race.txt --write > /dev/null 2> "$tmp/err"; then fail "emoji written"; fi
grep -q '^error: .*Shift-JIS\|^error: .*cannot' "$tmp/err" || fail "emoji error: $(cat "$tmp/err")"
[ "$(md5sum < "$race")" = "$written" ] || fail "race file changed after an error"

# Past 80 entries every boat is written, and a note says the viewer shows 80.
{ echo 'Sail No,Boat,Track'; for i in $(seq 1 85); do echo "$i,Boat $i,seagull_phone.gpx"; done; } > "$tmp/many.csv"
for i in $(seq 1 85); do cp "$ws/gpsdat/seagull_phone.gpx" "$ws/gpsdat/boat$i.gpx"; done
sed -i 's/,seagull_phone.gpx$//; s/^\([0-9]*\),\(Boat [0-9]*\)$/\1,\2,boat\1.gpx/' "$tmp/many.csv"
"$cli" entries "$ws" "$tmp/many.csv" demo_race.txt --write > /dev/null 2> "$tmp/err" || fail "80 exit $?"
grep -q '85 boats: .*the viewer shows only the first 80' "$tmp/err" || fail "80 note: $(cat "$tmp/err")"
[ "$(grep -c '^BN,' "$race")" = 85 ] || fail "not 85 boats"

# What is no entry list: a clear error, no race file changed.
written=$(md5sum < "$race")
for bad in "$ws/gpsdat/umikaze.trb" "$ws/raceadmin/demo_race.txt"; do
  if "$cli" entries "$ws" "$bad" demo_race.txt --write > /dev/null 2> "$tmp/err"; then fail "$bad taken as a list"; fi
  grep -q '^error: .*not an entry list' "$tmp/err" || fail "bad list error: $(cat "$tmp/err")"
done
[ "$(md5sum < "$race")" = "$written" ] || fail "race file changed by a bad list"
if "$cli" entries "$ws" "$tmp/list.csv" > /dev/null 2>&1; then fail "two arguments accepted"; fi
echo "entries cli: ok"
