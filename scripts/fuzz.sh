#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds-per-target]   (default 60)
# Prints, per target, the number of runs and whether it found a crash; crash
# inputs are left in build-fuzz/findings/<target>/.
set -eu
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
command -v clang++ >/dev/null || { echo "fuzz: clang++ is needed (scripts/setup.sh installs it)" >&2; exit 2; }

CXX=clang++ CC=clang cmake -S . -B build-fuzz -DVLK_FUZZ=ON -DVLK_WITH_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(sed -n 's/.*foreach(target \(.*\))$/\1/p' tests/fuzz/CMakeLists.txt)
# shellcheck disable=SC2086
cmake --build build-fuzz -j"${JOBS:-2}" --target $targets

status=0
for t in $targets; do
  mkdir -p "build-fuzz/corpus/$t" "build-fuzz/findings/$t"
  log="build-fuzz/$t.log"
  if "build-fuzz/tests/fuzz/$t" -max_total_time="$SECONDS_PER_TARGET" -print_final_stats=1 \
       -artifact_prefix="build-fuzz/findings/$t/" "build-fuzz/corpus/$t" >"$log" 2>&1; then
    result=clean
  else
    result="FOUND (see $log)"; status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "$t runs ${runs:-?} $result"
done
exit $status
