#!/bin/sh
# Takes docs/screenshot.png: the operator window on a virtual X display after one read of the
# built-in simulated instrument.
# Usage: scripts/screenshot.sh [window program]   (default build/app/window/vlk240)
# Needs xvfb, x11-utils (xdpyinfo, xwininfo) and imagemagick.
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
program=$(realpath "${1:-build/app/window/vlk240}")
output="$repo/docs/screenshot.png"
display_number=99
export DISPLAY=":$display_number"

[ -x "$program" ] || { echo "screenshot: $program is not built" >&2; exit 2; }
for tool in Xvfb xdpyinfo xwininfo import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is needed" >&2; exit 2; }
done
if [ -e "/tmp/.X11-unix/X$display_number" ]; then
  echo "screenshot: display $DISPLAY is in use" >&2
  exit 2
fi

# Polls `$@` every 0.1 s for at most $1 tenths of a second; fails when it never succeeds.
wait_for() {
  tries=$1
  shift
  while ! "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

xvfb_pid="" window_pid=""
# The window runs in a scratch directory so that it neither reads nor writes a user.ini here.
workdir=$(mktemp -d)
stop() {
  [ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ -z "$window_pid" ] || wait "$window_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$workdir"
}
trap stop EXIT
trap 'exit 1' INT TERM

Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 100 xdpyinfo || { cat "$workdir/xvfb.log" >&2; echo "screenshot: Xvfb did not start" >&2; exit 1; }

(cd "$workdir" && QT_QPA_PLATFORM=xcb exec "$program" --demo-read) >"$workdir/window.log" 2>&1 &
window_pid=$!

# The window's caption names the protocol; its X window appears once Qt has mapped it.
find_window() {
  xwininfo -root -tree | grep -m1 'ModBus RTU' | awk '{ print $1 }' | grep -q '^0x'
}
wait_for 150 find_window || { cat "$workdir/window.log" >&2; echo "screenshot: no window" >&2; exit 1; }
window_id=$(xwininfo -root -tree | grep -m1 'ModBus RTU' | awk '{ print $1 }')

# The read starts as soon as the event loop runs and ends within the 270 ms reply time-out;
# once the window is viewable, one second covers the read and the repaint after it.
wait_for 50 sh -c 'xwininfo -id "$1" -stats | grep -q "Map State: IsViewable"' sh "$window_id"
sleep 1

mkdir -p "$(dirname "$output")"
import -window "$window_id" "$output"
echo "screenshot: wrote $output"
