#!/bin/sh
# Runs a command with Wine set up for windows: the prefix, a virtual X display of its own (Xvfb,
# on the first free display number) and a Russian locale.
#   wine_on_display.sh PREFIX COMMAND [ARGUMENTS...]
# e.g. wine_on_display.sh PREFIX /usr/lib/wine/wine64 PROGRAM.exe
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
case ${GTEST_OUTPUT:-} in
  xml:/*) GTEST_OUTPUT="xml:Z:${GTEST_OUTPUT#xml:}" ;;
esac

work=$(mktemp -d)
xvfb_pid=""
stop() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' INT TERM

# A Russian user: Wine takes the regional settings (the decimal comma of the readings) from the
# locale, and the file names' encoding too, so the locale must exist; it is built here, as the
# machine need not have it.
localedef -i ru_RU -f UTF-8 "$work/ru_RU.UTF-8" >/dev/null 2>&1 ||
  { echo "wine_on_display: localedef cannot build ru_RU.UTF-8" >&2; exit 1; }
export LOCPATH="$work" LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8
display_file="$work/display"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "wine_on_display: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"

status=0
"$@" || status=$?
exit $status
