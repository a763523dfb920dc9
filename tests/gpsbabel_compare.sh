#!/usr/bin/env bash
# Reads each FILE with tackedit-cli and with gpsbabel and compares the tracks
# point by point: the same UTC second and positions within 2e-6 degree. Prints
# one line per file, "FILE: N of M points equal to gpsbabel", and every point
# that differs. Exits 1 when a count or a point differs, unless the file is
# listed with the number of points expected to differ (FILE=N).
# Usage: gpsbabel_compare.sh CLI BABEL_FORMAT FILE[=N]...
set -uo pipefail
cli=$1 format=$2
shift 2
command -v gpsbabel >/dev/null || { echo "gpsbabel is not installed" >&2; exit 1; }
status=0
for arg in "$@"; do
  file=${arg%=*} allowed=0
  [ "$file" != "$arg" ] && allowed=${arg##*=}
  ours=$("$cli" dump "$file") || { echo "$file: tackedit-cli cannot read it" >&2; status=1; continue; }
  # unicsv ends its lines with CR LF; a CR left on "Time" would hide the column.
  theirs=$(TZ=UTC gpsbabel -t -i "$format" -f "$file" -o unicsv -F - | tr -d '\r') || {
    echo "$file: gpsbabel cannot read it" >&2; status=1; continue; }
  # Ours: index, "yyyy-mm-dd hh:mm:ss", minutes of arc. Theirs: a header naming
  # the columns, degrees, "yyyy/mm/dd" and "hh:mm:ss[.fff]".
  awk -F'\t' -v file="$file" -v allowed="$allowed" '
    FNR == NR { if (NF == 4) { ot[++n] = $2; olat[n] = $3 / 60; olon[n] = $4 / 60 } next }
    { sub(/\r$/, "") }  # unicsv lines end in CR LF
    FNR == 1 { FS = ","; $0 = $0; for (i = 1; i <= NF; i++) col[$i] = i; next }
    # A point without a time (a KML line) is no track point here.
    $col["Date"] == "" { untimed++; next }
    { m++; t = $col["Date"] " " substr($col["Time"], 1, 8); gsub("/", "-", t)
      tt[m] = t; tlat[m] = $col["Latitude"]; tlon[m] = $col["Longitude"] }
    function abs(x) { return x < 0 ? -x : x }
    END {
      equal = 0
      for (i = 1; i <= (n > m ? n : m); i++) {
        if (i <= n && i <= m && ot[i] == tt[i] && abs(olat[i] - tlat[i]) <= 2e-6 && abs(olon[i] - tlon[i]) <= 2e-6) {
          equal++
        } else if (shown++ < 10) {
          printf "  point %d: ours %s %.7f %.7f, gpsbabel %s %.7f %.7f\n", i, ot[i], olat[i], olon[i], tt[i], tlat[i], tlon[i]
        }
      }
      printf "%s: %d of %d points equal to gpsbabel (%d ours)%s\n", file, equal, m, n,
        untimed ? sprintf(", %d of its points without a time left out", untimed) : ""
      exit ((n > m ? n : m) - equal > allowed)
    }' <(printf '%s\n' "$ours") <(printf '%s\n' "$theirs") || status=1
done
exit $status
