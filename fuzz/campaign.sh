#!/usr/bin/env bash
# Runs fuzz targets one after the other, in rounds of ROUND seconds, until each
# has made EXECS executions in all (counted from runs.tsv, so sessions add up).
# A target that crashes is left out of the later rounds until its fault is fixed.
# While a file named "pause" lies in the corpus folder, no new round starts.
# Usage: fuzz/campaign.sh [EXECS [ROUND [TARGET...]]]   (default 10000000, 600, all)
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
corpus_root=${TACKEDIT_FUZZ_CORPUS:-$(dirname "$repo")/fuzz-corpus}
goal=${1:-10000000}
round=${2:-600}
shift 2 2>/dev/null || shift $#
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <("$repo/fuzz/run.sh" --list)

done_so_far() {  # executions recorded for a target
  awk -F'\t' -v t="$1" '$2 == t { n += $4 } END { print n + 0 }' "$corpus_root/runs.tsv" 2>/dev/null || echo 0
}

declare -A crashed
while :; do
  left=0
  for t in "${targets[@]}"; do
    [ -n "${crashed[$t]:-}" ] && continue
    [ "$(done_so_far "$t")" -ge "$goal" ] && continue
    left=1
    while [ -e "$corpus_root/pause" ]; do sleep 10; done
    nice -n 19 "$repo/fuzz/run.sh" "$t" "$round" | tail -1 || crashed[$t]=1
  done
  [ $left -eq 1 ] || break
done
for t in "${targets[@]}"; do
  printf '%s\t%s executions%s\n' "$t" "$(done_so_far "$t")" "${crashed[$t]:+\tCRASHED}"
done
