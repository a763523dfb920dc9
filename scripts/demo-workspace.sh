#!/usr/bin/env bash
# Lays out the demo workspace in WORKSPACE: the folders, the demo files (copied
# only where they are newer, so what a user changed there stays) and a few
# photographs of the demo race, made here rather than kept in the tree.
# Usage: scripts/demo-workspace.sh BIN_DIR WORKSPACE
set -euo pipefail
bin=$1
ws=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)

for folder in gpsdat raceadmin winddat attachment coastline pic ctrl distribution help vd HELP_EDITOR; do
  mkdir -p "$ws/$folder"
done
for item in "$source_dir"/demo/*; do
  case "${item##*/}" in README.md | tools) continue ;; esac
  cp -ru "$item" "$ws/"
done
if ! compgen -G "$ws/pic/*.[jJ][pP][gG]" >/dev/null; then
  "$bin/bench/make-pictures" "$ws/pic" 6 1600 1200 85 "2024:06:15 09:55:00" 720
fi
