#!/usr/bin/env bash
# Writes a 20,000-point GPX (both hemispheres, laps of an hour, odd decimals),
# has gpsbabel convert it, and compares our reading of the result with
# gpsbabel's. Usage: gpsbabel_generated.sh CLI WRITE_FORMAT READ_FORMAT ENDING
set -euo pipefail
cli=$1 write=$2 read=$3 ending=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN {
  print "<?xml version=\"1.0\"?><gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
  for (s = 0; s < 4; s++) {
    printf "<trk><name>leg %d</name><trkseg>\n", s
    for (i = 0; i < 5000; i++) {
      t = s * 7200 + i * 1.4; lat = (s % 2 ? -1 : 1) * (35.28 + i * 0.0000137); lon = (s < 2 ? 1 : -1) * (139.5 + i * 0.0000211)
      printf "<trkpt lat=\"%.7f\" lon=\"%.7f\"><time>2024-06-15T%02d:%02d:%02dZ</time></trkpt>\n", lat, lon,
        int(t / 3600), int(t % 3600 / 60), int(t % 60)
    }
    print "</trkseg></trk>"
  }
  print "</gpx>" }' >"$work/in.gpx"
gpsbabel -i gpx -f "$work/in.gpx" -o "$write" -F "$work/big.$ending"
bash "$(dirname "$0")/gpsbabel_compare.sh" "$cli" "$read" "$work/big.$ending"
