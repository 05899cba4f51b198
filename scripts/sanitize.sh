#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan and runs
# the whole CTest suite there. Any report of either sanitizer fails the test that caused it.
#
#   scripts/sanitize.sh [CTEST ARGUMENTS...]     e.g. scripts/sanitize.sh -R scene
#
# Environment: SANITIZE_BUILD (build folder, default build-asan), SANITIZE_JOBS (default: nproc).
#
# Instrumented code is slow to compile, and this tree is built from scratch on every CI run, so it
# is built for finding faults, not for speed: the engine and programs at -O1 with line tables only
# (reports still name file and line), the tests' own code at -O0 (most of what is compiled, little
# of what runs), and no benchmark programs (timings under a sanitizer mean nothing; the soak
# stays). From scratch on two busy cores that takes about 7.5 minutes to build, against more than
# twice that at -O2 with full debug information, and 3 to run the suite.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${SANITIZE_BUILD:-build-asan}
jobs=${SANITIZE_JOBS:-$(nproc)}

start=$(date +%s)
# GCC's may-be-uninitialised analysis misfires on instrumented code (here inside <regex>); the
# normal build keeps the warning as an error.
cmake -S . -B "$build" -DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-Wno-maybe-uninitialized" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
rm -f "$build.configure.log"
cmake --build "$build" -j"$jobs"
built=$(date +%s)

# Leak checking is off: Mesa unloads its GL driver when a context is destroyed, and the blocks the
# driver keeps then show up as leaks from an unknown module, which no suppression can name. Our own
# memory is watched instead by the soak (resident memory over a simulated day) and by libFuzzer,
# which checks every input for leaks while the driver is still loaded.
export ASAN_OPTIONS="detect_leaks=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
status=0
(cd "$build" && ctest --output-on-failure -j"$jobs" --timeout 1800 "$@") || status=$?
finished=$(date +%s)
echo "sanitizer build: $((built - start)) s to build, $((finished - built)) s to test"
exit "$status"
