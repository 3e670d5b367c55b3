#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test (unit tests headless,
# real-window tests under their own Xvfb). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure --parallel 2 --timeout 300
