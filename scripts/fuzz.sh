#!/usr/bin/env bash
# Runs every fuzz target of a fuzzing build for a bounded time, starting from
# the seed corpus we keep in fuzz/corpus/. Any crash, hang, out-of-memory or
# leak fails the run; the input that caused it is kept in BUILD/fuzz-artifacts/.
#   scripts/fuzz.sh BUILD_DIR [SECONDS_PER_TARGET]   (default 20)
# The fuzzer's random seed is TT_FUZZ_SEED, 1 unless set: the test run then
# tries the same inputs every time (a slower machine only fewer of them), and
# whatever it finds can be found again. Explore with other seeds and longer
# times by hand: TT_FUZZ_SEED=0 picks a new seed for every run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: scripts/fuzz.sh BUILD_DIR [SECONDS_PER_TARGET]}" && pwd)
seconds=${2:-20}
seed=${TT_FUZZ_SEED:-1}

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' | sort)
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz: no fuzz targets in $build/fuzz (configure with clang and -DTT_BUILD_FUZZ=ON)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
# The targets run side by side, each on its own scratch corpus and log.
run_one() { # target
  local target=$1 name
  name=$(basename "$target")
  mkdir -p "$work/$name" "$artifacts/$name"
  "$target" -seed="$seed" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$name/" \
    "$work/$name" "$root/fuzz/corpus/$name" >"$work/$name.log" 2>&1
}
status=0
pids=()
for target in "${targets[@]}"; do
  name=$(basename "$target")
  if [ ! -d "$root/fuzz/corpus/$name" ]; then
    echo "fuzz: $name has no seed corpus in fuzz/corpus/$name" >&2
    status=1
    continue
  fi
  run_one "$target" &
  pids+=("$!:$name")
done
for entry in "${pids[@]}"; do
  pid=${entry%%:*} name=${entry#*:}
  log="$work/$name.log"
  if wait "$pid"; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz: $name passed: ${runs:-?} runs in ${seconds} s"
  else
    echo "fuzz: $name FAILED; its log ends:" >&2
    tail -n 60 "$log" >&2
    echo "fuzz: the input that failed is in $artifacts/$name/" >&2
    status=1
  fi
done
exit $status
