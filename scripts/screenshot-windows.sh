#!/bin/sh
# Takes docs/screenshot-windows.png: the Windows window, vlk240.exe, under Wine on a virtual X
# display after one read of its built-in simulated instrument, as scripts/screenshot.sh does
# for the Linux window. Uses a Wine prefix of its own, removed after.
# Usage: scripts/screenshot-windows.sh [vlk240.exe]   (default build-windows/app/win32view/vlk240.exe)
# Needs wine64, fonts-wine, xvfb, x11-utils (xwininfo) and imagemagick (scripts/setup.sh).
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
program=$(realpath "${1:-build-windows/app/win32view/vlk240.exe}")
output="$repo/docs/screenshot-windows.png"
[ -f "$program" ] || { echo "screenshot-windows: $program is not built" >&2; exit 2; }

. "$repo/scripts/wine-prefix.sh"
cd "$work/run"
capture="$work/capture.sh"
cat >"$capture" <<SCRIPT
#!/bin/sh
set -eu
/usr/lib/wine/wine64 "$program" --demo-read >"$work/window.log" 2>&1 &
window=""
for _ in \$(seq 150); do
  window=\$(xwininfo -root -tree | grep -m1 'ModBus RTU' | awk '{ print \$1 }')
  [ -n "\$window" ] && break
  sleep 0.1
done
[ -n "\$window" ] || { echo "screenshot-windows: no window" >&2; exit 1; }
# The read ends within the reply's time-out; a second covers it and the repaint after.
sleep 2
import -window "\$window" "$output"
/usr/lib/wine/wineserver -k
SCRIPT
sh "$repo/tests/win32view/wine_on_display.sh" "$WINEPREFIX" sh "$capture"
echo "screenshot-windows: wrote $output"
