#!/bin/sh
# Runs a Windows program of the build under Wine, in the test run's prefix, headless.
#   wine.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# The COM ports the prefix maps (wine_line.sh) are named in PREFIX/line.env.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ -f "$prefix/line.env" ]; then
  set -a
  . "$prefix/line.env"
  set +a
fi
exec /usr/lib/wine/wine64 "$@"
