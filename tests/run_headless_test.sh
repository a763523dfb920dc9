#!/usr/bin/env bash
# ./run.sh without a display: the demo workspace laid out, the headless job
# done twice (the second replaces the first replay), exit 0 both times, the
# results and the replay's address printed.
# Usage: run_headless_test.sh BIN_DIR
set -u
bin=$1
here=$(cd "$(dirname "$0")/.." && pwd)
ws=$(mktemp -d)
trap 'rm -rf "$ws"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$here/scripts/demo-workspace.sh" "$bin" "$ws" || fail "demo-workspace.sh exited $?"
for run in 1 2; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$here/scripts/headless-demo.sh" "$bin" "$ws" 2>&1)
  rc=$?
  [ "$rc" -eq 0 ] || fail "run $run exited $rc: $out"
  case "$out" in *"file://$ws/replay-demo/index.html"*) ;; *) fail "run $run: no file:// address: $out" ;; esac
  grep -qP '^1\t[^\t]+\t.*\tOK$' <<<"$out" || fail "run $run: no results with a winner: $out"
  [ -f "$ws/replay-demo/index.html" ] && compgen -G "$ws/replay-demo/races/*.js" >/dev/null ||
    fail "run $run: no replay in $ws/replay-demo"
done
compgen -G "$ws/pic/*.jpg" >/dev/null || compgen -G "$ws/pic/*.JPG" >/dev/null || fail "no demo pictures"
[ "$failures" -eq 0 ] && echo "run.sh headless: ok"
exit $((failures > 0))
