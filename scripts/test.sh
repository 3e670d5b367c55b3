#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the unit tests headless
# and the real-window tests under their own Xvfb, in the release build; then
# all of them again with the sanitizers, and each fuzz target for a short while.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure --parallel 2 --timeout 300
scripts/sanitize.sh "${TT_FUZZ_SECONDS:-20}"
