# Sourced by the Windows screenshot scripts: a Wine prefix of their own in a fresh folder
# $work, removed with it when the script ends, and the folder $work/run to start the window in,
# so that it neither reads nor writes a user.ini here.
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
stop() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' INT TERM
(unset DISPLAY; /usr/lib/wine/wine64 wineboot -i >"$work/wineboot.log" 2>&1) ||
  { cat "$work/wineboot.log" >&2; exit 1; }
# The prefix's server ends, so that the window's starts with the Russian regional settings.
/usr/lib/wine/wineserver -w
mkdir "$work/run"
