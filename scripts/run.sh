#!/bin/sh
# Sets up, builds, and starts the operator window on the built-in simulated
# instrument. Without a display it shows one read on the command line instead.
# Extra arguments go to the window program (e.g. without --demo:
#   scripts/run.sh --no-demo   to use real ports).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVLK_WITH_GUI=ON >/dev/null
# Only the two programs started below, not the test suite that this script does not run.
cmake --build build -j"${JOBS:-2}" --target vlk240 vlk240-read

if [ "${1:-}" = "--no-demo" ]; then shift; DEMO=""; else DEMO="--demo"; fi

if [ -x build/app/window/vlk240 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/app/window/vlk240 $DEMO "$@"
fi
echo "run: no display found; one read of the simulated instrument on the command line:" >&2
if build/tools/vlk240-read --help 2>/dev/null | grep -q -- '--demo'; then
  exec build/tools/vlk240-read --demo --verbose
fi
exec build/tools/vlk240-read --decode \
  "01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 00 15 00 0A 42 48 00 00 47 76"
