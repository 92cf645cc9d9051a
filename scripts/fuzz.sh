#!/usr/bin/env bash
# Runs every libFuzzer target for the given time with AddressSanitizer and
# UndefinedBehaviorSanitizer, from its seed corpus in tests/fuzz/corpus/<target>/.
#   scripts/fuzz.sh [SECONDS]     each target SECONDS long (default 60)
# FUZZ_JOBS=N runs N targets at a time (default 1); FUZZ_TARGETS="decrypt tzip" picks targets.
# Builds with clang in build-fuzz/; the growing corpora stay in build-fuzz/corpus/, findings go
# to build-fuzz/findings/<target>/, and build-fuzz/fuzz-summary.txt gets the executions per
# target. Exit status 1 when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

seconds=${1:-60}
case "$seconds" in ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;; esac
jobs=${FUZZ_JOBS:-1}
dir=build-fuzz

velt_install_packages "${VELT_BUILD_PACKAGES[@]}" "${VELT_FUZZ_PACKAGES[@]}"
cmake -S . -B "$dir" -DVELT_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELT_BUILD_TESTS=OFF -DVELT_BUILD_BENCH=OFF >/dev/null

all=$(cd tests/fuzz/corpus && ls -d */ | tr -d /)
targets=${FUZZ_TARGETS:-$all}
cmake --build "$dir" -j "$(nproc)" --target $(printf 'fuzz_%s ' $targets)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# Inputs long enough to cross the cipher's 8192-byte chunks and zlib's buffers.
max_len() {
  case "$1" in
    decrypt|tzip) echo 20000 ;;
    *) echo 4096 ;;
  esac
}

run_target() {
  local t=$1 log="$dir/logs/$1.log"
  mkdir -p "$dir/corpus/$t" "$dir/findings/$t" "$dir/logs"
  local status=0
  # The generous time-out lets a target finish its last input; -timeout flags a hang.
  timeout $((seconds + 120)) "$dir/tests/fuzz/fuzz_$t" -max_total_time="$seconds" \
    -max_len="$(max_len "$t")" -timeout=60 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$dir/findings/$t/" "$dir/corpus/$t" "tests/fuzz/corpus/$t" \
    >"$log" 2>&1 || status=$?
  local execs
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  local found
  found=$(find "$dir/findings/$t" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    printf '%-16s FAILED (status %s, %s findings; see %s)\n' "$t" "$status" "$found" "$log"
    grep -m1 -A4 -E 'PROPERTY BROKEN|ERROR: |runtime error' "$log" | sed 's/^/    /' || true
    return 1
  fi
  printf '%-16s %6ss %12s executions, corpus %s, no finding\n' "$t" "$seconds" "${execs:-?}" \
    "$(ls "$dir/corpus/$t" | wc -l)"
}

summary="$dir/fuzz-summary.txt"
: >"$summary"
failed=0
running=0
for t in $targets; do
  (run_target "$t" >>"$summary") &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
cat "$summary"
exit "$failed"
