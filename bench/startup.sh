#!/usr/bin/env bash
# Process start to both windows shown, and peak memory, for the coach and for
# a bare Qt window, under a private Xvfb.  Usage: bench/startup.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
coach=$build/app/TT04K0007
bare=$build/bench/bare_window
display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=$display QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
work=$(mktemp -d)
cp "$coach" "$work/"

measure() { # name command window-names...
  local name=$1 cmd=$2; shift 2
  local total=0 peak=0 runs=5
  for _ in $(seq $runs); do
    local start=$(date +%s%N)
    "$cmd" >/dev/null 2>&1 &
    local pid=$!
    for w in "$@"; do
      until xdotool search --onlyvisible --name "$w" >/dev/null 2>&1; do sleep 0.01; done
    done
    local end=$(date +%s%N)
    local hwm=$(awk '/VmHWM/{print $2}' /proc/$pid/status)
    kill $pid; wait $pid 2>/dev/null || true
    total=$((total + (end - start) / 1000000))
    peak=$((hwm > peak ? hwm : peak))
  done
  printf '%-12s start to windows shown: %4d ms (mean of %d)   peak memory: %6d KiB\n' \
    "$name" $((total / runs)) $runs "$peak"
  shown_ms=$((total / runs)) peak_kib=$peak
}
measure "coach" "$work/TT04K0007" "設定パネル" "トトラ"
coach_ms=$shown_ms coach_kib=$peak_kib
measure "bare Qt" "$bare" "bare"
# The lines scripts/bench.sh gathers into its table.
printf 'figure\tstart-up: process start to both windows shown\t%d ms\ta bare Qt window %d ms\n' \
  "$coach_ms" "$shown_ms"
awk -v c="$coach_kib" -v b="$peak_kib" \
  'BEGIN { printf "figure\tstart-up: peak memory\t%.1f MB\ta bare Qt window %.1f MB\n", c / 1024, b / 1024 }'
rm -rf "$work"
