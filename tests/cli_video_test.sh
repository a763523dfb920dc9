#!/usr/bin/env bash
# tackedit-cli video on the demo race: a short real render read back with
# ffprobe, and the inputs that must fail before any work, leaving no file.
# Usage: cli_video_test.sh TACKEDIT-CLI DEMO-WORKSPACE
set -euo pipefail
cli=$1
demo=$2
tmp=$(mktemp -d)
# The browser's profile goes here too, so its processes are ours to find.
export TMPDIR=$tmp
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
leftovers() { ls "$tmp" | grep -E '\.mp4$|tmp-' || true; }

# 20 race seconds at 10x and 10 fps: 2 s of video, 20 frames. The boat's name
# in another case still finds it; a name that ffmpeg would take for its pipe
# protocol is a file all the same.
out=$tmp/pipe:1.mp4
(cd "$tmp" && "$cli" video "$demo" demo_race.txt pipe:1.mp4 --from 10:10:00 --to 10:10:20 --speed 10 --fps 10 \
  --size 640x360 --follow kazekiri > "$tmp/said.txt")
grep -qxF "pipe:1.mp4" "$tmp/said.txt" || fail "says where the video is: $(cat "$tmp/said.txt")"
probe=$(ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=codec_name,width,height,pix_fmt,nb_read_frames -of csv=p=0 "$out")
[ "$probe" = "h264,640,360,yuv420p,20" ] || fail "codec, size, pixels, frames: $probe"
# +faststart: the index comes before the pictures, so a phone starts playing at once.
order=$(grep -obaE 'moov|mdat' "$out" | head -2 | cut -d: -f2 | tr '\n' ' ')
[ "$order" = "moov mdat " ] || fail "moov after mdat: $order"
for n in 0 19; do
  ffmpeg -v error -i "$out" -vf "select=eq(n\,$n)" -frames:v 1 -f rawvideo -pix_fmt gray "$tmp/frame$n.raw"
done
[ "$(stat -c %s "$tmp/frame0.raw")" = 230400 ] && [ "$(stat -c %s "$tmp/frame19.raw")" = 230400 ] ||
  fail "first and last frames not read"
! cmp -s "$tmp/frame0.raw" "$tmp/frame19.raw" || fail "the boats did not move"
rm "$out" "$tmp"/*.raw
[ -z "$(ls "$tmp" | grep tackedit-video || true)" ] || fail "scratch folder left: $(ls "$tmp")"

# refuse EXPECTED-TEXT ARGS...: exit status 1, the message, no video and nothing beside it.
refuse() {
  local expected=$1
  shift
  local status=0
  "$@" 2> "$tmp/err.txt" > /dev/null || status=$?
  [ "$status" -eq 1 ] || fail "exit status $status for $*: $(cat "$tmp/err.txt")"
  grep -qF -- "$expected" "$tmp/err.txt" || fail "expected '$expected' for $*: $(cat "$tmp/err.txt")"
  [ -z "$(leftovers)" ] || fail "left behind for $*: $(leftovers)"
}
mkdir "$tmp/only-ffmpeg" "$tmp/only-chromium"
ln -s "$(command -v ffmpeg)" "$tmp/only-ffmpeg/ffmpeg"
ln -s "$(command -v chromium)" "$tmp/only-chromium/chromium"
refuse "apt install chromium" env PATH="$tmp/only-ffmpeg" "$cli" video "$demo" demo_race.txt "$out"
refuse "apt install ffmpeg" env PATH="$tmp/only-chromium" "$cli" video "$demo" demo_race.txt "$out"
refuse "outside the race" "$cli" video "$demo" demo_race.txt "$out" --from 07:00:00
refuse "outside the race" "$cli" video "$demo" demo_race.txt "$out" --to 23:00:00
refuse "before it starts" "$cli" video "$demo" demo_race.txt "$out" --from 10:30:00 --to 10:20:00
refuse 'no boat "Nobody"' "$cli" video "$demo" demo_race.txt "$out" --follow Nobody
refuse "--size 641x360" "$cli" video "$demo" demo_race.txt "$out" --size 641x360
refuse "--fps 0" "$cli" video "$demo" demo_race.txt "$out" --fps 0
refuse "--speed -2" "$cli" video "$demo" demo_race.txt "$out" --speed -2
refuse "end in .mp4" "$cli" video "$demo" demo_race.txt "$tmp/short.avi"

# An encoder that fails: the render says so and leaves nothing.
mkdir "$tmp/bad-ffmpeg"
printf '#!/bin/sh\necho "no encoder here" >&2\nexit 1\n' > "$tmp/bad-ffmpeg/ffmpeg"
chmod +x "$tmp/bad-ffmpeg/ffmpeg"
refuse "$out" env PATH="$tmp/bad-ffmpeg:$PATH" "$cli" video "$demo" demo_race.txt "$out" --size 640x360 --fps 10

# Stopped midway (as Ctrl+C or a shutdown does): no video, no part of it, no
# browser or encoder left running.
"$cli" video "$demo" demo_race.txt "$out" --size 640x360 --fps 10 --speed 2 > /dev/null 2> "$tmp/err.txt" &
pid=$!
for _ in $(seq 600); do
  [ -n "$(ls "$tmp" | grep 'tmp-.*\.mp4$' || true)" ] && [ -s "$tmp/$(ls "$tmp" | grep 'tmp-.*\.mp4$')" ] && break
  sleep 0.2
done
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -ne 0 ] || fail "a stopped render succeeded"
grep -q "stopped" "$tmp/err.txt" || fail "says it stopped: $(cat "$tmp/err.txt")"
[ -z "$(leftovers)" ] || fail "left behind when stopped: $(leftovers)"
for _ in $(seq 50); do
  pgrep -f -- "$tmp" > /dev/null || break
  sleep 0.2
done
! pgrep -af -- "$tmp" || fail "children still running"
echo "ok"
