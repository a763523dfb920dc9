#!/usr/bin/env bash
# What ./run.sh does where no window can open (a server, a container, a remote
# shell): checks the demo race, builds its replay beside the workspace's folders
# and prints the results and where the replay is.
# Usage: scripts/headless-demo.sh BIN_DIR WORKSPACE
set -euo pipefail
bin=$(cd "$1" && pwd)
ws=$(cd "$2" && pwd)
cli=$bin/tackedit-cli
race=demo_race.txt
replay=$ws/replay-demo

echo "No display (DISPLAY and WAYLAND_DISPLAY are unset), so the window cannot open."
echo "Here is the demo race as tackedit-cli sees it."
echo
echo "== Check of $race"
# Findings are the point of a check: its exit status says whether it found an
# error, which the demo race is there to show, not a failure of this script.
"$cli" check "$ws" "$race" || true
echo
echo "== Replay"
# Our own output of the previous run: replaced, not kept.
rm -rf "$replay"
"$cli" replay "$ws" "$replay" "$race" --quiet >/dev/null
echo "Built $replay/index.html"
echo "Open it in a browser:  file://$replay/index.html"
echo "or serve the folder:   python3 -m http.server --directory '$replay' 8000  (then http://localhost:8000/)"
echo
echo "== Results"
"$cli" results "$ws" "$race"
echo
echo "On a desktop, ./run.sh opens the editor window on this workspace ($bin/tackedit)."
