#!/bin/sh
# Cross-builds the Windows programs on Debian with mingw-w64 into build-windows/ (the same
# layout as the Linux build: build-windows/tools/vlk240-read.exe, ...), and the Linux simulator
# that the Windows tests talk to under Wine into build-windows/host/.
#   scripts/build-windows.sh           build
#   scripts/build-windows.sh test      build, then run the tests under Wine
#   scripts/build-windows.sh package   build, then make vlk240-<version>-windows-x64.zip
# Installs what it needs through scripts/setup.sh.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null

JOBS=${JOBS:-2}
BUILD=${BUILD_WINDOWS_DIR:-build-windows}
HOST="$BUILD/host"
# Extra configure arguments, e.g. VLK_WINDOWS_CMAKE_ARGS=-DVLK_WERROR=ON for CI.

# The simulator alone, for the machine that runs Wine.
cmake -S . -B "$HOST" -DCMAKE_BUILD_TYPE=Release -DVLK_WITH_GUI=OFF -DVLK_BUILD_TESTS=OFF \
  ${VLK_WINDOWS_CMAKE_ARGS:-} >/dev/null
cmake --build "$HOST" -j"$JOBS" --target vlk240-sim

cmake -S . -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVLK_HOST_SIMULATOR="$PWD/$HOST/sim/vlk240-sim" \
  ${VLK_WINDOWS_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD" -j"$JOBS"

# One file an operator copies: nothing but Windows' own DLLs imported.
sh tests/windows/system_dlls_only.sh "$BUILD"/tools/*.exe

case ${1:-} in
  test) ctest --test-dir "$BUILD" --output-on-failure -j"$JOBS" --timeout 300 ${VLK_CTEST_ARGS:-} ;;
  package) (cd "$BUILD" && cpack -G ZIP) ;;
  "") ;;
  *) echo "build-windows.sh: test, package or nothing, not $1" >&2; exit 2 ;;
esac
