#!/usr/bin/env bash
# Installs what is missing, builds, and shows the demo workspace's sample track
# through the command-line tool (the editor window comes next).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target tackedit-cli

for f in demo/gpsdat/*; do
  echo "== $f"
  build/tackedit-cli dump "$f" | head -n 12
done
