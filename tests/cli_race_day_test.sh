#!/usr/bin/env bash
# The demo's race day as a committee runs it, on a copy: the entry list sets
# the boats and finds their day-long logs, split makes the three races, series
# scores them. The expected standing is what demo/tools/make_demo_day.py made
# happen: Akatsuki OCS in race 1, Nagisa retires in race 2, Tobiuo goes home
# before race 3; Hayate and Kazekiri tie on 6 (Hayate has two wins), Nagisa and
# Tobiuo on 22 with the same scores (the last race decides).
# Usage: cli_race_day_test.sh TACKEDIT-CLI DEMO-WORKSPACE
set -euo pipefail
cli=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
ws=$tmp/ws
cp -r "$2" "$ws"
admin=$ws/raceadmin

"$cli" entries "$ws" "$admin/entries_2024-06-16.csv" race_day.txt --json > "$tmp/entries.json" 2>/dev/null ||
  fail "entries exit $?"
python3 - "$tmp/entries.json" <<'PY' || fail "entries: $(cat "$tmp/entries.json")"
import json, sys
a = json.load(open(sys.argv[1]))
got = {m["boat"]: (m["file"], m["reason"]) for m in a["matches"]}
assert got == {
    "Hayate": ("JPN4512.vkx", "sail number in file name"),
    "Kazekiri": ("3970_20240616.nmea", "sail number in file name"),
    "Shiokaze": ("2024-06-16-09-31-05.fit", "device 3987654321"),
    "海風": ("Track_2024-06-16 093012.gpx", "file column"),
    "Seagull": ("seagull_0616.gpx", "covers the race"),  # not the 15 June seagull_phone.gpx
    "Tobiuo": ("tobiuo_0616.trb", "boat name in file name"),
    "Nagisa": ("nagisa.dtr", "boat name in file name"),
    "Akatsuki": ("AKATSUKI_0616.gpx", "boat name in file name"),
}, got
assert a["entries_without_track"] == [] and a["conflicts"] == [], a
PY
"$cli" entries "$ws" "$admin/entries_2024-06-16.csv" race_day.txt --write > /dev/null 2>&1 || fail "--write exit $?"
out=$("$cli" split "$ws" race_day.txt --starts 10:00,11:30,13:00) || fail "split exit $?"
[ "$out" = $'race_day-R1.txt\nrace_day-R2.txt\nrace_day-R3.txt' ] || fail "split printed: $out"
# Left in race 3, Tobiuo has no fixes after its gun (DNS); the committee takes
# its line out, as a boat that did not come out scores DNC.
sed -i '/^BN,tobiuo_0616.trb,/d' "$admin/race_day-R3.txt"

races=(race_day-R1.txt race_day-R2.txt race_day-R3.txt)
"$cli" series "$ws" "${races[@]}" --json > "$tmp/s.json" 2>/dev/null || fail "series exit $?"
"$cli" series "$ws" "${races[@]}" --json --discards 1 > "$tmp/d.json" 2>/dev/null || fail "--discards exit $?"
python3 - "$tmp/s.json" "$tmp/d.json" <<'PY' || fail "series: $(cat "$tmp/s.json")"
import json, sys
def standing(path):
    return [(b["boat"], [s["points"] for s in b["scores"]], [s["code"] for s in b["scores"]],
             b["total"], b["nett"], b["rank"]) for b in json.load(open(path))["boats"]]
o = None
assert standing(sys.argv[1]) == [
    ("Hayate", [1, 4, 1], [o, o, o], 6, 6, 1),
    ("Kazekiri", [2, 1, 3], [o, o, o], 6, 6, 2),
    ("Shiokaze", [3, 2, 2], [o, o, o], 7, 7, 3),
    ("海風", [4, 5, 5], [o, o, o], 14, 14, 4),
    ("Akatsuki", [9, 3, 4], ["OCS", o, o], 16, 16, 5),
    ("Seagull", [5, 6, 7], [o, o, o], 18, 18, 6),
    ("Nagisa", [7, 9, 6], [o, "DNF", o], 22, 22, 7),
    ("Tobiuo", [6, 7, 9], [o, o, "DNC"], 22, 22, 8),
], standing(sys.argv[1])
# With one discard Akatsuki drops its OCS and passes 海風.
assert [(b[0], b[4], b[5]) for b in standing(sys.argv[2])] == [
    ("Hayate", 2, 1), ("Kazekiri", 3, 2), ("Shiokaze", 4, 3), ("Akatsuki", 7, 4), ("海風", 9, 5),
    ("Seagull", 11, 6), ("Nagisa", 13, 7), ("Tobiuo", 13, 8)], standing(sys.argv[2])
PY
echo "cli race day: ok"
