#!/usr/bin/env bash
# The FIT reader against gpsbabel's: the fixtures, and a 6,000-point track that
# gpsbabel writes here, south and across the antimeridian and midnight.
# Usage: gpsbabel_fit.sh PATH/TO/tackedit-cli DATA_DIR
set -euo pipefail
cli=$1 data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN {
  print "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\"><trk><trkseg>"
  start = 1710113400  # 2024-03-10 23:30:00 UTC
  for (i = 0; i < 6000; i++) {
    lat = -45.5 + i * 0.0000371; lon = 179.9 + i * 0.0000533
    if (lon > 180) lon -= 360
    printf "<trkpt lat=\"%.7f\" lon=\"%.7f\"><time>%s</time></trkpt>\n", lat, lon,
      strftime("%Y-%m-%dT%H:%M:%SZ", start + i + int(i / 1000), 1)
  }
  print "</trkseg></trk></gpx>" }' >"$work/antimeridian.gpx"
gpsbabel -i gpx -f "$work/antimeridian.gpx" -o garmin_fit -F "$work/antimeridian.fit"
exec bash "$(dirname "$0")/gpsbabel_compare.sh" "$cli" garmin_fit \
  "$data/gpsbabel/sample.fit" "$data/gpsbabel/south_west.fit" "$work/antimeridian.fit"
