#!/usr/bin/env bash
# Runs one fuzz target with AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: fuzz/run.sh TARGET SECONDS [libFuzzer options...]
#        fuzz/run.sh --list
# Builds build-fuzz/ (clang-14, TACKEDIT_FUZZ=ON) when needed. The corpus grows
# outside the repository, in $TACKEDIT_FUZZ_CORPUS/TARGET (default: fuzz-corpus/
# beside the repository), starting from the seeds of tests/data and those the
# target's own code makes; inputs that crash land in .../crashes/TARGET. Each
# run appends its executions and coverage to $TACKEDIT_FUZZ_CORPUS/runs.tsv.
# Exit status: 0 when no crash was found, 1 otherwise.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${TACKEDIT_FUZZ_BUILD:-$repo/build-fuzz}
corpus_root=${TACKEDIT_FUZZ_CORPUS:-$(dirname "$repo")/fuzz-corpus}

configure() {
  if [ ! -f "$build/build.ninja" ]; then
    "$repo/scripts/install-deps.sh" clang-14 libclang-rt-14-dev
    CC=clang-14 CXX=clang++-14 cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTACKEDIT_FUZZ=ON >/dev/null
  fi
}

if [ "${1:-}" = "--list" ]; then
  configure
  cat "$build/fuzz/targets.txt"
  exit 0
fi
if [ $# -lt 2 ]; then
  echo "usage: fuzz/run.sh TARGET SECONDS [libFuzzer options...] | fuzz/run.sh --list" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2

configure
if ! grep -qx "$target" "$build/fuzz/targets.txt"; then
  echo "fuzz/run.sh: no target '$target'; targets: $(tr '\n' ' ' <"$build/fuzz/targets.txt")" >&2
  exit 2
fi
cmake --build "$build" -j2 --target "fuzz_$target" >/dev/null
binary=$build/fuzz/fuzz_$target

seeds=$build/fuzz/seeds/$target
TACKEDIT_FUZZ_SEEDS=$seeds "$binary" >/dev/null 2>&1
corpus=$corpus_root/$target
crashes=$corpus_root/crashes/$target
mkdir -p "$corpus" "$crashes"
options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" -timeout=25 -rss_limit_mb=2048)
[ -f "$repo/fuzz/$target.dict" ] && options+=(-dict="$repo/fuzz/$target.dict")

log=$(mktemp)
trap 'rm -f "$log"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
set +e
"$binary" "${options[@]}" "$@" "$corpus" "$seeds" 2>&1 | tee "$log" |
  grep -aE '^(#[0-9]+[[:space:]]+(DONE|INITED)|==|SUMMARY|artifact_prefix|Test unit written|Base64|property failed|stat::)|runtime error|^ +#[0-9]+ 0x'
status=${PIPESTATUS[0]}
set -e

# The last status line carries the coverage; the final stats the executions.
execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
printf '%s\t%s\t%ss\t%s\t%s\t%s\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$target" "$seconds" "${execs:-0}" \
  "${cov:-none}" "$([ "$status" -eq 0 ] && echo ok || echo CRASH)" >>"$corpus_root/runs.tsv"
echo "$target: ${execs:-0} executions, ${cov:-no coverage line}, $([ "$status" -eq 0 ] && echo 'no crash' || echo "CRASH (input in $crashes)")"
[ "$status" -eq 0 ] || exit 1
