#!/usr/bin/env bash
# Smoke test of the viewer stand-in, run by ctest: lays out a copy of the demo
# workspace with the program in it, renders the window offscreen for the demo
# race in both modes and for the failures it must explain in its window, with
# a stand-in browser that notes the page it was asked to open.
# usage: smoke_test.sh VIEWER DEMO_FOLDER
set -u
viewer=$1
demo=$2
ws=$(mktemp -d)
trap 'rm -rf "$ws"' EXIT
cp -r "$demo"/. "$ws"/
cp "$viewer" "$ws/tackvue.exe"
mkdir -p "$ws/ctrl"
export QT_QPA_PLATFORM=offscreen
failures=0
bin="$ws/bin"
mkdir -p "$bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.txt"\n' "$ws" >"$bin/browser"
chmod +x "$bin/browser"
export BROWSER="$bin/browser"

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

handoff() { printf '%s\r\n' "$1" >"$ws/ctrl/editfile.edt"; }

# render CASE EXPECTED [MIN_WIDTH]: the status line must contain EXPECTED and
# the PNG be at least MIN_WIDTH pixels wide (the race map makes it wide).
render() {
    local png="$ws/$1.png" out rc width
    out=$(TACKVUE_STANDIN_RENDER="$png" "$ws/tackvue.exe" 2>/dev/null)
    rc=$?
    echo "$1: $out"
    [ "$rc" -eq 0 ] || fail "$1: exit code $rc"
    if [ "$(head -c 4 "$png" 2>/dev/null | od -An -c | tr -d ' ')" != '211PNG' ]; then
        fail "$1: no PNG written"
        return
    fi
    width=$(od -An -tu1 -j16 -N4 "$png" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
    [ "$width" -ge "${3:-1}" ] || fail "$1: picture only $width pixels wide"
    case "$out" in
    *"$2"*) ;;
    *) fail "$1: status line lacks '$2'" ;;
    esac
}

boats=$(grep -c '^BN,' "$ws/raceadmin/demo_race.txt")
handoff demo_race.txt
render edit "demo_race.txt: Edit mode, $boats boats, $boats with track points between start and finish" 900
handoff demo_race.txt_b
render normal "demo_race.txt: Normal mode, $boats boats" 900

# The browser was handed the replay of the race, built in ctrl/replay.
for _ in $(seq 600); do [ "$(wc -l <"$ws/opened.txt" 2>/dev/null)" = 2 ] && break; sleep 0.1; done
[ "$(sort -u "$ws/opened.txt" 2>/dev/null)" = "file://$ws/ctrl/replay/index.html" ] ||
    fail "the browser was not handed ctrl/replay/index.html twice: $(cat "$ws/opened.txt" 2>/dev/null)"
grep -q '"file":"demo_race.txt"' "$ws/ctrl/replay/races/"*.js 2>/dev/null || fail "ctrl/replay does not hold the race"
out=$(BROWSER= TACKVUE_STANDIN_RENDER="$ws/nobrowser.png" "$ws/tackvue.exe" 2>/dev/null)
case "$out" in
*"No browser opened the replay $ws/ctrl/replay/index.html; the picture below stays."*) ;;
*) fail "no browser: '$out'" ;;
esac

# One boat's track cannot be read, the other's file name differs in case.
printf 'T N3515.1 E13928 2024/06/15 01:00:00 0\r\n' >"$ws/gpsdat/broken.dtr"
printf 'T1,Two boats\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nTD,9\r\n%s\r\n%s\r\n' \
    'BN,broken.dtr,Broken' 'BN,UMIKAZE.TRB,Upper' \
    >"$ws/raceadmin/two.txt"
handoff two.txt
render one_unreadable "two.txt: Edit mode, 2 boats, 1 with track points between start and finish" 900

printf 'T1,Bad\r\nFT,tomorrow\r\n' >"$ws/raceadmin/bad.txt"
handoff bad.txt
render unreadable_race "bad.txt:2: 'tomorrow' is not a valid date-time"
handoff missing.txt
render missing_race "raceadmin/missing.txt not found"
handoff ""
render empty_handoff "names no race"
rm "$ws/ctrl/editfile.edt"
render no_handoff "editfile.edt is missing"

handoff demo_race.txt
if TACKVUE_STANDIN_RENDER="$ws/no/such/folder/x.png" "$ws/tackvue.exe" >/dev/null 2>&1; then
    fail "unwritable picture: reported success"
fi

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
