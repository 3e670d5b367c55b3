#!/usr/bin/env bash
# Builds the program, the unit and real-window tests and the fuzz targets with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang) in ./build-sanitize,
# runs every test there (each quit of the program ends with a leak check), then
# runs each fuzz target for a bounded time. Any finding fails the run.
#   scripts/sanitize.sh [SECONDS_PER_FUZZ_TARGET]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-sanitize
flags="-O1 -gline-tables-only"
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Sanitize -DCMAKE_C_FLAGS_SANITIZE="$flags" -DCMAKE_CXX_FLAGS_SANITIZE="$flags" \
  -DTT_SANITIZE=ON -DTT_BUILD_FUZZ=ON -DTT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
# The install check is about packaging, which the sanitizers do not change.
ctest --test-dir "$build" --output-on-failure --parallel 2 --timeout 300 -LE install
scripts/fuzz.sh "$build" "${1:-20}"
