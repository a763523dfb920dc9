#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo workspace beside the editor
# (with our stand-in for the tackvue viewer as build/tackvue.exe) and starts it there.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target tackedit tackedit-cli tackvue-standin make-pictures

# The workspace is the editor's own folder.
scripts/demo-workspace.sh build build

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
  exec scripts/headless-demo.sh build build
fi
exec build/tackedit
