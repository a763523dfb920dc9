#!/usr/bin/env bash
# Writes that fail for real: a file-size limit (SIGXFSZ ignored, so the write
# stops half-way with EFBIG as on a full disk), a folder that is a file, a name
# too long. Each time: exit 1, one error line naming the file, the folder's old
# files byte for byte as they were and no temporary file left.
# Usage: cli_write_failures.sh PATH/TO/tackedit-cli
set -u
cli=$1
source "$(dirname "$0")/cli_checks.sh"

snapshot() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }

# expect_failure NAME FOLDER TARGET LIMIT_KB ARGS...: LIMIT_KB 0 for no limit.
expect_failure() {
  local name=$1 folder=$2 target=$3 limit=$4
  shift 4
  local before
  before=$(snapshot "$folder")
  (
    [ "$limit" -gt 0 ] && ulimit -f "$limit"
    trap '' XFSZ
    exec "$cli" "$@"
  ) >"$work/out" 2>"$work/err"
  code=$?
  check "$name: exit" 1 "$code"
  check "$name: names the file" yes "$([[ $(cat "$work/err") == "error: $target: "* ]] && echo yes)"
  check "$name: old files kept, nothing left" "$before" "$(snapshot "$folder")"
}

# 3,000 points: 36 KB as TRB, 300 KB as GPX.
{
  echo '<gpx><trk><trkseg>'
  for i in $(seq 0 2999); do
    printf '<trkpt lat="35.%04d" lon="139.5"><time>2010-05-03T%02d:%02d:%02dZ</time></trkpt>\n' \
      "$i" $((i / 3600)) $((i / 60 % 60)) $((i % 60))
  done
  echo '</trkseg></trk></gpx>'
} >"$work/in.gpx"
mkdir "$work/tracks"
printf 'old track' >"$work/tracks/old.trb"
printf 'old track' >"$work/tracks/old.gpx"

expect_failure "convert, full disk" "$work/tracks" "$work/tracks/old.trb" 8 convert "$work/in.gpx" "$work/tracks/old.trb"
check "convert, full disk: why" yes "$([[ $(cat "$work/err") == *"File too large" ]] && echo yes)"
expect_failure "clean, full disk" "$work/tracks" "$work/tracks/old.gpx" 64 clean "$work/in.gpx" "$work/tracks/old.gpx"
expect_failure "convert into a file" "$work/tracks" "$work/tracks/old.gpx/x.trb" 0 convert "$work/in.gpx" "$work/tracks/old.gpx/x.trb"
long=$(printf 'n%.0s' $(seq 1 300))
expect_failure "convert, name too long" "$work/tracks" "$work/tracks/$long.trb" 0 convert "$work/in.gpx" "$work/tracks/$long.trb"

# race --write: a 3,000-character title makes the file larger than the limit.
ws=$work/ws
mkdir -p "$ws/raceadmin" "$ws/gpsdat"
printf 'T1,%s\r\nST,2024/06/15 9:30:00\r\n' "$(printf 'T%.0s' $(seq 1 3000))" >"$ws/raceadmin/r1.txt"
printf 'T1,old\r\n' >"$ws/raceadmin/r2.txt"
expect_failure "race --write, full disk" "$ws/raceadmin" "$ws/raceadmin/r2.txt" 1 race "$ws" r1.txt --write r2.txt
expect_failure "race --write, name too long" "$ws/raceadmin" "$ws/raceadmin/$long.txt" 0 race "$ws" r1.txt --write "$long.txt"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
