#!/bin/sh
# Takes docs/images/trend-win32.png: the Windows window, vlk240.exe --demo, under Wine on a
# virtual X display, on its page "ТРЕНД" after polling its built-in instrument cyclically for a
# while (tests/win32view/trend_page_driver.exe drives it there). Uses a Wine prefix of its own.
# Usage: scripts/screenshot-trend-windows.sh [BUILD_DIR [SECONDS]]   (default build-windows, 90)
# Needs what scripts/screenshot-windows.sh needs.
set -eu
cd "$(dirname "$0")/.."
repo=$(pwd)
build=$(realpath "${1:-build-windows}")
seconds=${2:-90}
program="$build/app/win32view/vlk240.exe"
driver="$build/tests/win32view/trend_page_driver.exe"
output="$repo/docs/images/trend-win32.png"
for built in "$program" "$driver"; do
  [ -f "$built" ] || { echo "screenshot-trend-windows: $built is not built" >&2; exit 2; }
done
mkdir -p "$(dirname "$output")"

. "$repo/scripts/wine-prefix.sh"
cd "$work/run"
capture="$work/capture.sh"
cat >"$capture" <<SCRIPT
#!/bin/sh
set -eu
/usr/lib/wine/wine64 "$program" --demo >"$work/window.log" 2>&1 &
/usr/lib/wine/wine64 "$driver" $seconds
window=\$(xwininfo -root -tree | grep -m1 'ModBus RTU' | awk '{ print \$1 }')
[ -n "\$window" ] || { echo "screenshot-trend-windows: no window" >&2; exit 1; }
sleep 1  # the page's repaint
import -window "\$window" -colors 64 "PNG8:$output"
/usr/lib/wine/wineserver -k
SCRIPT
sh "$repo/tests/win32view/wine_on_display.sh" "$WINEPREFIX" sh "$capture"
echo "screenshot-trend-windows: wrote $output"
