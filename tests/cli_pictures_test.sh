#!/usr/bin/env bash
# photo-time, pictures and distribute as a user sees them.
# Usage: cli_pictures_test.sh PATH/TO/tackedit-cli PATH/TO/make-pictures
set -u
cli=$1
make_pictures=$2
source "$(dirname "$0")/cli_checks.sh"

ws=$work/ws
mkdir -p "$ws/raceadmin" "$ws/gpsdat" "$ws/photos" "$ws/help" "$ws/vd"
# The race starts at 10:00 and shows 3 minutes before it: pictures from 09:40:50
# on are kept. Four a minute apart from 09:45 (little- and big-endian Exif by
# turns) are kept, one at 09:30 is not.
"$make_pictures" "$ws/photos" 1 320 240 90 "2024:06:15 09:30:00" 60
mv "$ws/photos/IMG_0001.JPG" "$ws/photos/early.jpg"
"$make_pictures" "$ws/photos" 4 320 240 90 "2024:06:15 09:45:00" 60
printf 'not a picture' >"$ws/photos/text.jpg"
printf 'x' >"$ws/gpsdat/a.gpx"
printf 'T1,Cup\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nBN,a.gpx,A\r\nPIC,%s,-35,200\r\n' "$ws/photos" >"$ws/raceadmin/r1.txt"
printf 'T1,Two\r\nBN,a.gpx,A\r\n' >"$ws/raceadmin/r2.txt"

run photo-time "$ws/photos/IMG_0002.JPG"
check "photo-time" "2024/06/15 09:46:00" "$out"
check "photo-time exit" 0 "$code"
run photo-time "$ws/photos/text.jpg"
check "photo-time of no picture" "" "$out"
check "photo-time of no picture exit" 0 "$code"
check "photo-time of no picture: one line" 1 "$(wc -l <"$work/out")"
run photo-time "$ws/photos/none.jpg"
check "photo-time missing exit" 1 "$code"
check "photo-time missing message" "error: $ws/photos/none.jpg: no such file" "$err"
run photo-time
check "photo-time usage" 2 "$code"

run pictures "$ws" R1.TXT
check "pictures exit" 0 "$code"
check "pictures lines" "$(printf 'IMG_0001.JPG,2024/06/15 09:45:00\nIMG_0002.JPG,2024/06/15 09:46:00\nIMG_0003.JPG,2024/06/15 09:47:00\nIMG_0004.JPG,2024/06/15 09:48:00')" "$(tail -n +2 "$work/out")"
check "pictures count" "4 / 6 Pictures" "$(head -1 "$work/out" | sed 's/  (.*//')"
# A line break in a name stays inside its quoted CSV cell; a leading "=" is no formula.
mv "$ws/photos/IMG_0004.JPG" "$ws/photos/=IMG"$'\n'"4.JPG"
run pictures "$ws" r1.txt
check "pictures: a line break quoted" "$(printf '"\047=IMG\n4.JPG",2024/06/15 09:48:00')" "$(tail -n +2 "$work/out" | grep -A1 IMG$)"
mv "$ws/photos/=IMG"$'\n'"4.JPG" "$ws/photos/IMG_0004.JPG"
run pictures "$ws" none.txt
check "pictures missing race" 1 "$code"

run distribute "$ws" cup r1.txt r2.txt --quality 40
check "distribute exit" 0 "$code"
check "distribute prints the folder" "$ws/distribution/cup" "$out"
check "distribute pictures" "datetime.csv s_IMG_0001.JPG s_IMG_0002.JPG s_IMG_0003.JPG s_IMG_0004.JPG" "$(ls "$ws/distribution/cup/pic/r1" | tr '\n' ' ' | sed 's/ $//')"
check "distribute PIC line: the folder written" "PIC,PIC\\r1,-35,200" "$(tail -1 "$ws/distribution/cup/raceadmin/r1.txt" | tr -d '\r')"
check "distribute: the old PIC line dropped" 1 "$(grep -c '^PIC,' "$ws/distribution/cup/raceadmin/r1.txt")"
check "distribute: a race without pictures copied as it is" same "$(cmp -s "$ws/raceadmin/r2.txt" "$ws/distribution/cup/raceadmin/r2.txt" && echo same)"
run pictures "$ws/distribution/cup" r1.txt
check "pictures inside the distribution" "$ws/distribution/cup/pic/r1/: 4" \
  "$ws/distribution/cup/pic/r1/: $(head -1 "$work/out" | sed -n 's|^[0-9]* / \([0-9]*\) Pictures.*|\1|p')"
check "distribute quiet on a pipe" "" "$err"

echo old >"$ws/distribution/cup/old.txt"
run distribute "$ws" Cup r2.txt
check "existing folder exit" 1 "$code"
check "existing folder untouched" "old" "$(cat "$ws/distribution/cup/old.txt")"
export XDG_DATA_HOME=$work/data
mkdir -p "$XDG_DATA_HOME"
run distribute "$ws" cup r2.txt --replace --no-pictures --no-help
check "replace exit" 0 "$code"
check "replace trashed the old folder" "old" "$(cat "$XDG_DATA_HOME/Trash/files/cup/old.txt")"
check "replace: no pictures" "" "$(ls "$ws/distribution/cup/pic" 2>&1 | grep -v 'No such')"
{ printf 'T1,Crowd\r\n'; for i in $(seq 1 90); do printf 'BN,a.gpx,B%d\r\n' "$i"; done; } >"$ws/raceadmin/crowd.txt"
run distribute "$ws" crowd crowd.txt --no-pictures --no-help
check "distribute: boat lines past the 80th told once" \
  "note: crowd.txt: 10 boat lines past the 80th are left out: a race holds at most 80 boats" "$err"
run distribute "$ws" cup2 r1.txt r1.txt
check "race named twice" 2 "$code"
run distribute "$ws" "a|b" r1.txt
check "bad folder name exit" 1 "$code"
check "bad folder name message" "error: 'a|b' contains '|', which a folder name cannot hold." "$err"
run distribute "$ws" cup3 gone.txt
check "missing race file" 1 "$code"
run distribute "$ws" cup4 r1.txt --quality 0
check "bad quality" 2 "$code"
[ -e "$ws/distribution/cup4" ] && check "bad quality builds nothing" "absent" "present"

# PIC folders reaching outside the workspace: ".." is refused like a missing
# folder, a bare name is never looked up in the current folder, an absolute
# folder is packed and named.
mkdir -p "$work/outside/pics" "$ws/pic"
"$make_pictures" "$work/outside/pics" 2 64 48 90 "2024:06:15 10:15:00" 60
mkdir -p "$work/cwd/pics" && cp "$work/outside/pics/"* "$work/cwd/pics/"
printf 'ST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nBN,a.gpx,A\r\nPIC,..\\..\\outside\\pics,0\r\n' >"$ws/raceadmin/up.txt"
printf 'ST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nBN,a.gpx,A\r\nPIC,pics,0\r\n' >"$ws/raceadmin/bare.txt"
printf 'ST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nBN,a.gpx,A\r\nPIC,%s,0\r\n' "$work/outside/pics" >"$ws/raceadmin/abs.txt"
pushd "$work/cwd" >/dev/null
for race in up bare; do
  run pictures "$ws" $race.txt
  check "pictures of $race.txt" "0 / 0 Pictures" "$out"
  run distribute "$ws" "d$race" $race.txt
  check "distribute $race.txt: no pictures packed" absent "$([ -e "$ws/distribution/d$race/pic" ] && echo present || echo absent)"
done
popd >/dev/null
run distribute "$ws" dabs abs.txt
check "absolute folder: packed" "datetime.csv s_IMG_0001.JPG s_IMG_0002.JPG" "$(ls "$ws/distribution/dabs/pic/abs" | tr '\n' ' ' | sed 's/ $//')"
check "absolute folder: named" "note: pictures from outside the workspace: abs.txt: $work/outside/pics" "$err"
run check "$ws" abs.txt
check "check names the absolute folder" yes "$(grep -q "picture folder $work/outside/pics is outside the workspace" "$work/out" && echo yes)"

# Pictures declaring 65,535 x 65,535 pixels (12 GB decoded; past the JPEG
# library's own limit) and 60,000 x 60,000 (past ours) are refused by name
# before anything that size is allocated.
huge=$work/huge
mkdir -p "$huge/raceadmin" "$huge/gpsdat" "$huge/photos"
printf 'x' >"$huge/gpsdat/a.gpx"
printf 'ST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nBN,a.gpx,A\r\nPIC,%s,0,200\r\n' "$huge/photos" >"$huge/raceadmin/r.txt"
for side in '\xff\xff' '\xea\x60'; do
  "$make_pictures" "$huge/photos" 1 32 24 90 "2024:06:15 09:45:00" 60
  sof=$(LC_ALL=C grep -obUaP '\xFF\xC0' "$huge/photos/IMG_0001.JPG" | head -1 | cut -d: -f1)
  printf "$side$side" | dd of="$huge/photos/IMG_0001.JPG" bs=1 seek=$((sof + 5)) conv=notrunc status=none
  /usr/bin/time -f '%M' -o "$work/peak" "$cli" distribute "$huge" cup r.txt --replace >"$work/out" 2>"$work/err"
  check "huge picture $side: exit" 1 "$?"
  check "huge picture $side: refused by name" yes "$(grep -q "IMG_0001.JPG: cannot decode the picture" "$work/err" && echo yes)"
  check "huge picture $side: small peak" yes "$([ "$(tail -1 "$work/peak")" -lt 200000 ] && echo yes)"
done

# A 314-byte progressive picture declaring 12,247 x 12,247 pixels (under the
# pixel limit; 900 MB to decode in full) is left out by name within the
# memory limit; the folder is built without it.
"$make_pictures" "$huge/photos" 1 16 16 90 "2024:06:15 09:45:00" 60 1 progressive
sof=$(LC_ALL=C grep -obUaP '\xFF\xC2' "$huge/photos/IMG_0001.JPG" | head -1 | cut -d: -f1)
printf '\x2f\xd7\x2f\xd7' | dd of="$huge/photos/IMG_0001.JPG" bs=1 seek=$((sof + 5)) conv=notrunc status=none
/usr/bin/time -f '%M' -o "$work/peak" "$cli" distribute "$huge" cup r.txt --replace >"$work/out" 2>"$work/err"
check "progressive: exit" 1 "$?"
check "progressive: the folder built" "$huge/distribution/cup" "$(cat "$work/out")"
check "progressive: counted" yes "$(grep -q "1 picture left out of the distribution (1 too large to decode):" "$work/err" && echo yes)"
check "progressive: named" yes "$(grep -q "IMG_0001.JPG: cannot decode the picture: 12247 x 12247" "$work/err" && echo yes)"
check "progressive: no line" 0 "$(wc -c <"$huge/distribution/cup/pic/r/datetime.csv")"
check "progressive: peak under 200 MB" yes "$([ "$(tail -1 "$work/peak")" -lt 200000 ] && echo yes)"
echo "progressive: peak $(tail -1 "$work/peak") KB"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
