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
# A Unix path is no absolute path to a Windows program; the prefix's drive Z: is the root.
case ${GTEST_OUTPUT:-} in
  xml:/*) GTEST_OUTPUT="xml:Z:${GTEST_OUTPUT#xml:}" ;;
esac
exec /usr/lib/wine/wine64 "$@"
