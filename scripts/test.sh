#!/bin/sh
# Sets up, then builds and runs the whole test suite three times: an optimised
# build, an AddressSanitizer+UndefinedBehaviorSanitizer build, and a
# ThreadSanitizer build of the parts that do not load Qt; then the Windows build,
# cross-compiled, its tests under Wine. Every build runs even
# when an earlier one fails; the end prints one line per build and the exit
# status is 1 if any failed.
# Then the test tier on real drivers in a virtual machine (scripts/vm-test.sh) and the
# systemd service in a Debian guest (scripts/vm-service-test.sh).
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

summary=""
failed=0

# Prints "N passed, N failed, N skipped" from the head of a CTest JUnit report, which
# holds one attribute a line.
counts() {
  awk -F'"' '
    /^[[:space:]]*tests=/ { tests = $2 }
    /^[[:space:]]*failures=/ { failures = $2 }
    /^[[:space:]]*skipped=/ { skipped = $2 }
    /^[[:space:]]*>/ { exit }
    END { printf "%d passed, %d failed, %d skipped\n", tests - failures - skipped, failures, skipped }
  ' "$1"
}

run() {  # run NAME CMAKE_ARGS...
  name=$1
  dir="build-ci-$1"
  shift
  echo "=== $dir"
  started=$(date +%s)
  report="$PWD/$dir/junit.xml"
  rm -f "$report"
  passed=no
  if ! cmake -S . -B "$dir" -DVLK_WERROR=ON "$@" >/dev/null; then
    result="configure failed"
  elif ! cmake --build "$dir" -j"$JOBS"; then
    result="build failed"
  elif ctest --test-dir "$dir" --output-on-failure -j"$JOBS" --timeout 300 --no-tests=error \
      --output-junit "$report"; then
    result=$(counts "$report")
    passed=yes
  elif [ -s "$report" ]; then
    result=$(counts "$report")
  else
    result="tests did not run"
  fi
  [ $passed = yes ] || failed=1
  echo "=== $dir took $(($(date +%s) - started)) s"
  summary="$summary$name: $result
"
}

# The sanitizer builds compile at -O1 with line tables only: fast to build,
# still fast enough to run, and their reports name file and line. They leave out the
# benchmarks, which no test runs; the optimised build still compiles them.
run release -DCMAKE_BUILD_TYPE=Release
if [ "${1:-}" != "quick" ]; then
  run asan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DVLK_SANITIZE=address \
    -DVLK_BUILD_BENCHMARKS=OFF
  run tsan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DVLK_SANITIZE=thread \
    -DVLK_WITH_GUI=OFF -DVLK_BUILD_BENCHMARKS=OFF
fi

# The test tier on real drivers: our programs in a QEMU machine on the kernel's 16550 and
# USB serial drivers (scripts/vm-test.sh). Not in the quick run.
if [ "${1:-}" != "quick" ]; then
  echo "=== vm-test"
  started=$(date +%s)
  if scripts/vm-test.sh; then result="every check passed"; else result="failed"; failed=1; fi
  echo "=== vm-test took $(($(date +%s) - started)) s"
  summary="${summary}vm-test: $result
"
fi

# The systemd service in a Debian guest: the package installed with apt, the unit's checks
# (scripts/vm-service-test.sh, with the package of the optimised build). Not in the quick run.
if [ "${1:-}" != "quick" ]; then
  echo "=== vm-service-test"
  started=$(date +%s)
  if scripts/vm-service-test.sh --packed build-ci-release; then result="every check passed"; else result="failed"; failed=1; fi
  echo "=== vm-service-test took $(($(date +%s) - started)) s"
  summary="${summary}vm-service-test: $result
"
fi

# The Windows build: cross-compiled with mingw-w64 as scripts/build-windows.sh builds it, its
# tests run under Wine in one prefix (tests/windows/), with the release build's simulator
# behind the COM ports. CTest sees each test program as one entry; the line "wine-cases" counts
# their cases, skipped ones included. Not in the quick run.
if [ "${1:-}" != "quick" ]; then
  rm -rf build-ci-windows/wine-results
  run windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    "-DVLK_HOST_SIMULATOR=$PWD/build-ci-release/sim/vlk240-sim"
  cases=$(sh tests/windows/count_cases.sh build-ci-windows/wine-results) || cases="no reports"
  summary="${summary}wine-cases: $cases
"
fi

echo "=== summary"
printf '%s' "$summary"
exit $failed
