#!/usr/bin/env bash
# Remakes the metafiles in tests/fixtures/metafiles/libreoffice/ from the
# drawing beside them, with LibreOffice Draw's own EMF and WMF export (which
# writes a placeable WMF). LibreOffice is needed only here, so this script
# installs it rather than scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/../tests/fixtures/metafiles/libreoffice"
if ! command -v soffice >/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends libreoffice-draw
fi
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
for kind in emf wmf; do
  HOME=$profile soffice --headless --convert-to "$kind" drawing.svg >/dev/null
done
ls -l drawing.emf drawing.wmf
