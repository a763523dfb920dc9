#!/usr/bin/env bash
# Fails when a source file includes one of ours from a higher layer, or when
# core code (below the screens) includes Qt. Lowest layer first; folders on
# one line share a layer.
# Usage: layering_test.sh SOURCE_DIR
set -u
cd "$1" || exit 2
layers=(
  "base"
  "platform"
  "track track/formats"
  "editor"
  "race"
  "pictures"
  "check entries"
  "replay analysis"
  "distribution external"
  "screens platform/qt"
  "shell cli standin_viewer"
)
declare -A layer
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do layer[$folder]=$i; done
done
screens=${layer[screens]}
problems=0
while IFS= read -r file; do
  folder=${file%/*}
  [ -n "${layer[$folder]+x}" ] || { echo "no layer for $folder/ ($file): add it to $0"; problems=$((problems + 1)); continue; }
  own=${layer[$folder]}
  while IFS= read -r line; do
    included=$(sed -E 's/^#include "(.*)"/\1/' <<<"$line")
    if [[ $line == '#include <Q'* ]]; then
      [ "$own" -ge "$screens" ] || { echo "$file: Qt below the screens: $line"; problems=$((problems + 1)); }
      continue
    fi
    dir=${included%/*}
    [ "$dir" != "$included" ] || continue
    [ -n "${layer[$dir]+x}" ] || continue  # not one of ours
    if [ "${layer[$dir]}" -gt "$own" ]; then
      echo "$file: includes $included from a higher layer (${layers[${layer[$dir]}]} over ${layers[$own]})"
      problems=$((problems + 1))
    fi
  done < <(grep -E '^#include ("|<Q)' "$file")
done < <({ git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | sed 's#^\./##'; } |
         grep -Ev '^(tests|fuzz|bench|build[^/]*)/')
[ "$problems" -eq 0 ] && echo "layering: ok"
exit $((problems > 0))
