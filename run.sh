#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo workspace beside the editor
# (with our stand-in for the tackvue viewer as build/tackvue.exe) and starts it there.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target tackedit tackedit-cli tackvue-standin make-pictures

# The workspace is the editor's own folder. Demo files are copied only where
# they are newer, so what a user changed there stays.
for folder in gpsdat raceadmin winddat attachment coastline pic ctrl distribution help vd HELP_EDITOR; do
  mkdir -p "build/$folder"
done
for item in demo/*; do
  case "$item" in demo/README.md | demo/tools) continue ;; esac
  cp -ru "$item" build/
done
# A few photographs of the demo race for its picture folder (pic/), made here
# rather than kept in the tree.
if ! compgen -G 'build/pic/*.[jJ][pP][gG]' >/dev/null; then
  build/bench/make-pictures build/pic 6 1600 1200 85 "2024:06:15 09:55:00" 720
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): the editor is built as build/tackedit."
  echo "Start it from a desktop session, or try the batch tool:"
  for f in build/gpsdat/*; do
    echo "== $f"
    build/tackedit-cli dump "$f" | head -n 5
  done
  exit 0
fi
exec build/tackedit
