#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) and
# runs each for a while, one after the other.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default: 60 seconds each, every target in fuzz/)
#
# Environment: FUZZ_BUILD (build folder, default build-fuzz), FUZZ_JOBS (compile jobs, default 2).
# Each target starts from a working copy of its committed corpus (fuzz/NAME/corpus) in
# FUZZ_BUILD/fuzz-work/NAME, so new inputs never land in the source tree. A crashing input is
# written to FUZZ_BUILD/fuzz-artifacts/NAME/; after fixing the fault, copy it into the target's
# corpus, where CTest replays it from then on. The summary lists runs and seconds per target;
# the exit status is 1 when any target found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
jobs=${FUZZ_JOBS:-2}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in fuzz/*/; do
    [ -f "$dir/fuzz.cpp" ] && targets+=("$(basename "$dir")")
  done
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF \
  -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
rm -f "$build.configure.log"
cmake --build "$build" -j"$jobs" --target "${targets[@]/%/_fuzzer}"

# Reading an EGL context on llvmpipe: one rendering thread is enough and keeps runs comparable.
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
# An undefined-behaviour report stops the run like a crash, so that its input is kept.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
failed=0
summary=()
for target in "${targets[@]}"; do
  work="$build/fuzz-work/$target"
  artifacts="$build/fuzz-artifacts/$target"
  log="$build/fuzz-logs/$target.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  cp -n fuzz/"$target"/corpus/* "$work"/ 2>/dev/null || true
  echo "fuzzing $target for $seconds s (log: $log)"
  status=0
  # Memory is bounded per input as well as per process: a picture or model that asks for more
  # than a few hundred megabytes must be refused, not allocated.
  "$build/fuzz/${target}_fuzzer" "$work" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -malloc_limit_mb=1024 -timeout=30 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    > "$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  if [ "$status" -ne 0 ]; then
    failed=1
    summary+=("$target: FAULT after $runs runs (see $log and $artifacts)")
  else
    summary+=("$target: $runs runs in $seconds s, no fault")
  fi
done
printf '%s\n' "${summary[@]}"
exit "$failed"
