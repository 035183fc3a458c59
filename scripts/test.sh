#!/bin/sh
# Sets up, then builds and runs the whole test suite three times: an optimised
# build, an AddressSanitizer+UndefinedBehaviorSanitizer build, and a
# ThreadSanitizer build of the parts that do not load Qt.
# Usage: scripts/test.sh [quick]   ("quick": the optimised build only)
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh

JOBS=${JOBS:-2}
export QT_QPA_PLATFORM=offscreen
# A sanitizer report fails the run.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

run() {  # run NAME CMAKE_ARGS...
  dir="build-ci-$1"; shift
  echo "=== $dir"
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS"
  ctest --test-dir "$dir" --output-on-failure -j"$JOBS" --timeout 300
}

# The sanitizer builds compile at -O1 with line tables only: fast to build,
# still fast enough to run, and their reports name file and line.
run release -DCMAKE_BUILD_TYPE=Release
if [ "${1:-}" != "quick" ]; then
  run asan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DVLK_SANITIZE=address
  run tsan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DVLK_SANITIZE=thread \
    -DVLK_WITH_GUI=OFF
fi

# The test tier on real drivers: our programs in a QEMU machine on the kernel's 16550 and
# USB serial drivers (scripts/vm-test.sh). Not in the quick run.
if [ "${1:-}" != "quick" ]; then
  echo "=== vm-test"
  scripts/vm-test.sh
fi
