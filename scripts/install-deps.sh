#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, run and test.
# Run as root (or through sudo). Safe to run again: apt skips what is there.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libsdl2-dev
  # Qt's own dialogs and buttons in the user's language
  qt6-translations-l10n
  # fonts for the Japanese texts, and the metric-compatible faces metafile
  # text asks for (Arial, Times New Roman, Courier New)
  fonts-ipafont-gothic fonts-liberation2
  # real-window tests (an X client library and pictures for the driver), and
  # a window manager that honours the title-bar hints, to check them under it
  xvfb openbox xdotool python3 python3-xlib python3-pil metacity
  # the start-up benchmark and screenshots
  x11-utils imagemagick
  # the native Wayland platform, for desktops without XWayland, and a
  # headless compositor to test it on
  qt6-wayland weston
  # remaking the pictures
  librsvg2-bin
  # checking the installed desktop entry and AppStream metainfo
  appstream desktop-file-utils
  # fuzzing and sanitizers
  clang libclang-rt-14-dev
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: every package is already installed"
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
