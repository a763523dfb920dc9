#!/usr/bin/env bash
# tackedit-cli analyse on the demo workspace, as a user runs it.
# Usage: cli_analyse_test.sh TACKEDIT-CLI DEMO-WORKSPACE
set -euo pipefail
cli=$1
demo=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
boats=$(grep -c '^BN,' "$demo/raceadmin/demo_race.txt")

"$cli" analyse "$demo" demo_race.txt --json > "$tmp/a.json" || fail "--json exit $?"
python3 - "$tmp/a.json" "$boats" <<'PY' || fail "json: $(head -c 600 "$tmp/a.json")"
import json, sys
a = json.load(open(sys.argv[1]))
assert a["race"]["course"] == ["S", "1", "2", "1", "F"], a["race"]
assert a["race"]["gun"] == "2024-06-15T01:00:00Z", a["race"]["gun"]
assert isinstance(a["notes"], list)
assert len(a["boats"]) == int(sys.argv[2]), len(a["boats"])
codes = {"finished", "ocs", "nsc", "dnf", "dns", "unscored"}
def times(o):
    if isinstance(o, dict):
        for k, v in o.items():
            if k in ("gun", "crossed", "at") and v is not None:
                yield v
            yield from times(v)
    elif isinstance(o, list):
        for v in o:
            yield from times(v)
for b in a["boats"]:
    assert b["status"] in codes, b["status"]
    assert b["name"] and b["file"], b
    assert b["status"] != "finished" or (b["finish"] and len(b["roundings"]) == 3), b
seen = list(times(a))
assert len(seen) > len(a["boats"]) and all(t.endswith("Z") for t in seen), seen
assert any(b["status"] == "finished" for b in a["boats"]), [b["status"] for b in a["boats"]]
PY

# One row per boat and per rounding, after the header.
"$cli" analyse "$demo" demo_race.txt --csv > "$tmp/a.csv"
head -1 "$tmp/a.csv" | grep -q '^row,boat,status,' || fail "csv header: $(head -1 "$tmp/a.csv")"
roundings=$(python3 -c 'import json,sys; print(sum(len(b["roundings"]) for b in json.load(sys.stdin)["boats"]))' < "$tmp/a.json")
[ "$(grep -c '^boat,' "$tmp/a.csv")" -eq "$boats" ] || fail "a row per boat: $(cat "$tmp/a.csv")"
[ "$(grep -c '^rounding,' "$tmp/a.csv")" -eq "$roundings" ] || fail "a row per rounding: $(cat "$tmp/a.csv")"
[ "$(wc -l < "$tmp/a.csv")" -eq $((1 + boats + roundings)) ] || fail "nothing else: $(cat "$tmp/a.csv")"

# The table: ten fields a boat line; a relative RACEFILE path as the shell completes it.
cd "$demo/.."
"$cli" analyse "$(basename "$demo")" "$(basename "$demo")/raceadmin/demo_race.txt" > "$tmp/a.txt" 2>/dev/null ||
  fail "relative RACEFILE"
[ "$(sed -n "2,$((boats + 1))p" "$tmp/a.txt" | awk -F'\t' 'NF != 10')" = "" ] || fail "table: $(cat "$tmp/a.txt")"
grep -q $'\tKazekiri\tfinished\t' "$tmp/a.txt" || fail "Kazekiri finished: $(cat "$tmp/a.txt")"

if "$cli" analyse "$demo" no_such_race.txt > /dev/null 2> "$tmp/err.txt"; then fail "a missing race file analysed"; else
  [ $? -eq 1 ] || fail "exit code for a missing race"
fi
grep -q 'no_such_race.txt' "$tmp/err.txt" || fail "names the missing file: $(cat "$tmp/err.txt")"
echo ok
