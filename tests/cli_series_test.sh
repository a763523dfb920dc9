#!/usr/bin/env bash
# tackedit-cli series on the demo race given twice, scored against what
# results says of it; the rows for a scoring program; a race that cannot be
# scored.
# Usage: cli_series_test.sh TACKEDIT-CLI DEMO-WORKSPACE
set -euo pipefail
cli=$1
demo=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cli" results "$demo" demo_race.txt --json > "$tmp/r.json" || fail "results exit $?"
"$cli" series "$demo" demo_race.txt demo_race.txt --json > "$tmp/s.json" 2>/dev/null || fail "series --json exit $?"
"$cli" series "$demo" demo_race.txt demo_race.txt --json --discards 1 > "$tmp/d.json" 2>/dev/null ||
  fail "series --discards exit $?"
python3 - "$tmp/r.json" "$tmp/s.json" "$tmp/d.json" <<'PY' || fail "json: $(head -c 800 "$tmp/s.json")"
import json, sys
results = json.load(open(sys.argv[1]))
series = json.load(open(sys.argv[2]))
discarded = json.load(open(sys.argv[3]))
assert list(series) == ["races", "boats"], list(series)
assert series["races"] == ["demo_race.txt", "demo_race.txt"], series["races"]
assert len(series["boats"]) == len(results) > 2, series["boats"]
entries = len(results)
ranks = []
for b in series["boats"]:
    assert list(b) == ["sail", "boat", "class", "scores", "total", "nett", "rank"], list(b)
    assert b["sail"] == "" and b["class"] is None, b
    assert [list(s) for s in b["scores"]] == [["race", "points", "code", "discarded"]] * 2, b["scores"]
    r = next(r for r in results if r["name"] == b["boat"])
    place = r["rank"] if r["status"] == "OK" else entries + 1
    code = None if r["status"] == "OK" else r["status"]
    assert all(s["points"] == place and s["code"] == code and not s["discarded"] for s in b["scores"]), (b, r)
    assert b["total"] == b["nett"] == 2 * place, b
    ranks.append(b["rank"])
assert ranks == sorted(ranks) and ranks[0] == 1, ranks
for b in discarded["boats"]:
    assert [s["discarded"] for s in b["scores"]] == [True, False], b
    assert b["nett"] == b["total"] / 2, b
PY

# A second race: Seagull's track sailed as Albatross, and Late, whose own gun
# comes after it crossed the line: over at its gun and never back, OCS. Seven
# entries: no boat in a race, or OCS, scores 8; Albatross and Seagull tie on 12 and the last race decides.
cp -r "$demo" "$tmp/ws"
sed -e 's/^BN,seagull_phone.gpx,Seagull,/BN,seagull_phone.gpx,Albatross,/' "$demo/raceadmin/demo_race.txt" \
  > "$tmp/ws/raceadmin/race2.txt"
printf 'BN,hayate_20240615.gpx,Late,1,300\r\n' >> "$tmp/ws/raceadmin/race2.txt"
"$cli" series "$tmp/ws" demo_race.txt race2.txt --json > "$tmp/2.json" 2>/dev/null || fail "two races exit $?"
python3 - "$tmp/2.json" <<'PY' || fail "two races: $(cat "$tmp/2.json")"
import json, sys
boats = {b["boat"]: b for b in json.load(open(sys.argv[1]))["boats"]}
assert len(boats) == 7, list(boats)
late = boats["Late"]
assert [(s["points"], s["code"]) for s in late["scores"]] == [(8, "DNC"), (8, "OCS")], late
assert late["total"] == 16 and late["rank"] == 7, late
assert boats["Seagull"]["scores"][1]["code"] == "DNC" and boats["Seagull"]["total"] == 12, boats["Seagull"]
assert boats["Albatross"]["total"] == 12, boats["Albatross"]
assert (boats["Albatross"]["rank"], boats["Seagull"]["rank"]) == (5, 6), (boats["Albatross"], boats["Seagull"])
PY

# The sheet: a score a race, the discarded one in parentheses.
"$cli" series "$tmp/ws" demo_race.txt race2.txt --csv --discards 1 > "$tmp/s.csv" 2>/dev/null
[ "$(head -1 "$tmp/s.csv")" = "Rank,Sail No,Boat,Class,Helm,Club,R1,R2,Total,Nett" ] || fail "csv header: $(head -1 "$tmp/s.csv")"
grep -qx '1,,Kazekiri,,,,(1),1,2,1' "$tmp/s.csv" || fail "csv rows: $(cat "$tmp/s.csv")"
grep -qx '7,,Late,,,,(8 DNC),8 OCS,16,8' "$tmp/s.csv" || fail "codes in the sheet: $(cat "$tmp/s.csv")"

# An entry list: Kazekiri's sail, helm (quoted, a comma inside) and club fill
# its columns; Ghost sailed no race, scores DNC in both and counts as an entry
# (8 entries: 9 points). The two races share the same hour: a note says so.
printf 'Sail No,Boat,Helm,Club\r\nJPN 7,kazekiri,"Sato, Ken",Hayama YC\r\nJPN 9,Ghost,Ito,\r\n' > "$tmp/entries.csv"
"$cli" series "$tmp/ws" demo_race.txt race2.txt --csv --entries "$tmp/entries.csv" > "$tmp/e.csv" 2> "$tmp/e.err" ||
  fail "--entries exit $?: $(cat "$tmp/e.err")"
grep -qx '1,JPN 7,Kazekiri,,"Sato, Ken",Hayama YC,1,1,2,2' "$tmp/e.csv" || fail "entry columns: $(cat "$tmp/e.csv")"
grep -qx '7,JPN 9,Ghost,,Ito,,9 DNC,9 DNC,18,18' "$tmp/e.csv" || fail "an absent entry: $(cat "$tmp/e.csv")"
grep -qx '7,,Late,,,,9 DNC,9 OCS,18,18' "$tmp/e.csv" || fail "entries count for DNC: $(cat "$tmp/e.csv")"
grep -q 'note: races 1 (demo_race.txt) and 2 (race2.txt) overlap in time and share 4 boats' "$tmp/e.err" ||
  fail "overlap note: $(cat "$tmp/e.err")"
"$cli" results "$demo" demo_race.txt --for-scoring --entries "$tmp/entries.csv" > "$tmp/sail.csv"
grep -q '^1,,JPN 7,Kazekiri,10:00:00,' "$tmp/sail.csv" || fail "SailNo for scoring: $(cat "$tmp/sail.csv")"
"$cli" series "$demo" demo_race.txt demo_race.txt > "$tmp/s.txt" 2>/dev/null
[ "$(awk -F'\t' 'NF != 8' "$tmp/s.txt")" = "" ] || fail "table: $(cat "$tmp/s.txt")"

# One row per boat and race for a scoring program, local times.
boats=$(python3 -c 'import json,sys; print(len(json.load(sys.stdin)))' < "$tmp/r.json")
"$cli" results "$demo" demo_race.txt --csv --for-scoring > "$tmp/one.csv"
"$cli" series "$demo" demo_race.txt demo_race.txt --for-scoring > "$tmp/two.csv" 2>/dev/null
header=RaceNo,Class,SailNo,Boat,Start,Finish,Elapsed,Code,Place
[ "$(head -1 "$tmp/one.csv")" = $header ] || fail "for-scoring header: $(head -1 "$tmp/one.csv")"
[ "$(wc -l < "$tmp/one.csv")" -eq $((boats + 1)) ] || fail "a row a boat: $(cat "$tmp/one.csv")"
[ "$(wc -l < "$tmp/two.csv")" -eq $((2 * boats + 1)) ] || fail "a row a boat and race: $(cat "$tmp/two.csv")"
[ "$(grep -c '^2,' "$tmp/two.csv")" -eq "$boats" ] || fail "race numbers: $(cat "$tmp/two.csv")"
grep -qx '1,,,Kazekiri,10:00:00,1[01]:[0-5][0-9]:[0-5][0-9],0[01]:[0-5][0-9]:[0-5][0-9],,[1-9]' "$tmp/one.csv" ||
  fail "Kazekiri's row: $(cat "$tmp/one.csv")"
"$cli" results "$tmp/ws" race2.txt --csv --for-scoring > "$tmp/late.csv"
grep -qx '1,,,Late,10:05:00,,,OCS,' "$tmp/late.csv" || fail "a row with a code: $(cat "$tmp/late.csv")"
"$cli" results "$demo" demo_race.txt --json --for-scoring > /dev/null 2>&1 && fail "--for-scoring with --json"

# A race without its course cannot be scored: the command fails and names it.
sed '/^CRS,/d' "$demo/raceadmin/demo_race.txt" > "$tmp/ws/raceadmin/no_course.txt"
if "$cli" series "$tmp/ws" demo_race.txt no_course.txt > "$tmp/out.txt" 2> "$tmp/err.txt"; then
  fail "a race without a course scored: $(cat "$tmp/out.txt")"
fi
grep -q 'error: no_course.txt: the race cannot be scored: ' "$tmp/err.txt" || fail "names the race: $(cat "$tmp/err.txt")"
[ ! -s "$tmp/out.txt" ] || fail "output despite the error: $(cat "$tmp/out.txt")"
"$cli" series "$demo" demo_race.txt demo_race.txt --discards 2 > /dev/null 2> "$tmp/err.txt" && fail "2 discards of 2 races"
grep -q 'leave no race to count' "$tmp/err.txt" || fail "says why: $(cat "$tmp/err.txt")"
echo ok
