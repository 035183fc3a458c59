#!/bin/sh
# Renders the program's SVG icon to a Windows .ico with the sizes Windows asks for: the title
# bar, the task bar, Explorer's views and the Start menu.
#   render_icon.sh ICON.svg OUTPUT.ico
set -eu
svg=$1
ico=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" "$svg"
done
icotool -c -o "$ico" "$work"/16.png "$work"/24.png "$work"/32.png "$work"/48.png \
  "$work"/64.png "$work"/256.png
