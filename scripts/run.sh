#!/usr/bin/env bash
# Installs what is needed, builds, and starts the coach.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec ./build/app/TT04K0007
