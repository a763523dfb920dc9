#!/usr/bin/env bash
# The sanitizer half of CI: installs clang-14 and libFuzzer when missing, builds
# everything in build-fuzz/ with AddressSanitizer and UndefinedBehaviorSanitizer
# (no recovery: the first report fails), runs the whole ctest suite there, then
# each fuzz target for SECONDS (default 30) from its seeds alone.
# Usage: fuzz/check.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

scripts/install-deps.sh clang-14 libclang-rt-14-dev
build=${TACKEDIT_FUZZ_BUILD:-build-fuzz}
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTACKEDIT_FUZZ=ON \
  -DTACKEDIT_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j2
suppressions=$PWD/fuzz/lsan-qt.supp
(cd "$build" && LSAN_OPTIONS=suppressions=$suppressions ctest --output-on-failure -j2)

# A fresh corpus each time; inputs that crash are kept in $build/crashes.
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
failed=()
while read -r target; do
  if TACKEDIT_FUZZ_BUILD=$build TACKEDIT_FUZZ_CORPUS=$corpus fuzz/run.sh "$target" "$seconds" </dev/null >"$corpus/out"; then
    tail -1 "$corpus/out"
  else
    cat "$corpus/out"
    failed+=("$target")
  fi
done <"$build/fuzz/targets.txt"
if [ ${#failed[@]} -gt 0 ]; then
  mkdir -p "$build/crashes"
  cp -r "$corpus/crashes/." "$build/crashes/"
  echo "fuzz targets that crashed: ${failed[*]} (inputs in $build/crashes)" >&2
  exit 1
fi
