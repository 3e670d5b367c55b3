#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test; exits non-zero on any
# failure. The release build in ./build runs the real-window tests (Xvfb and
# openbox, and a headless weston) and the install check; the sanitizer build in
# ./build-sanitize runs the unit tests and the real-window tests again, then
# each fuzz target for a short while. The unit tests are built only there,
# where they run with more checks: building them twice added a third to the
# run's time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DTT_BUILD_UNIT_TESTS=OFF
ctest --test-dir build --output-on-failure --parallel 2 --timeout 300
scripts/sanitize.sh "${TT_FUZZ_SECONDS:-20}"
