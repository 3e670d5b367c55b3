#!/usr/bin/env bash
# Installs what is needed, builds, runs every benchmark and prints one table of
# their headline figures. Each benchmark's whole output is kept in
# build/bench-logs/. Takes about a minute; run it on an otherwise idle machine,
# since the door runs measure real time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >/dev/null
scripts/build.sh >/dev/null
build=build
logs=$build/bench-logs
mkdir -p "$logs"
export SDL_AUDIODRIVER=dummy

# name, then the command; the unit benchmarks draw offscreen.
benchmarks=(
  "startup|bench/startup.sh $build"
  "front_door|env QT_QPA_PLATFORM=offscreen $build/bench/bench_front_door"
  "sign_roll|env QT_QPA_PLATFORM=offscreen $build/bench/bench_sign_roll"
  "picture_load|$build/bench/bench_picture_load"
  "metafile|env QT_QPA_PLATFORM=offscreen $build/bench/bench_metafile"
  "hostile_pictures|env QT_QPA_PLATFORM=offscreen $build/bench/bench_hostile_pictures"
  "startup_hostile|/usr/bin/python3 bench/startup_hostile.py $build"
  "door_sounds|$build/bench/bench_door_sounds"
)
# A folder of real-world metafiles (not part of the project), when given:
#   METAFILE_FOLDER=/path/to/metafiles scripts/bench.sh
if [ -n "${METAFILE_FOLDER:-}" ]; then
  benchmarks+=("metafile_folder|env QT_QPA_PLATFORM=offscreen $build/bench/bench_metafile 5 $METAFILE_FOLDER")
fi

figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
status=0
for entry in "${benchmarks[@]}"; do
  name=${entry%%|*}
  command=${entry#*|}
  printf 'bench: %-13s ' "$name" >&2
  start=$(date +%s)
  if $command >"$logs/$name.txt" 2>&1; then
    echo "done in $(( $(date +%s) - start )) s" >&2
  else
    echo "FAILED; see $logs/$name.txt" >&2
    status=1
  fi
  grep $'^figure\t' "$logs/$name.txt" >>"$figures" || true
done

echo
echo "Benchmarks on $(nproc) cores ($(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1))," \
     "load average $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
echo "| Figure | Measured | Beside |"
echo "|---|---|---|"
awk -F'\t' '{ printf "| %s | %s | %s |\n", $2, $3, $4 }' "$figures"
exit $status
