#!/bin/sh
# Builds the Windows ZIP from an already built tree into a scratch folder and checks it: one
# vlk240-<version>-windows-x64.zip holding, in its one folder, README-Windows.txt and the
# programs named, each importing only Windows' own DLLs, the README with CR LF line ends.
#   check_zip.sh CPACK BUILD_DIR PROGRAM.exe...
set -eu
cpack=$1 build_dir=$2
shift 2
here=$(dirname "$0")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ! "$cpack" -G ZIP --config "$build_dir/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "zip: cpack failed" >&2
  exit 1
fi
set -- "$scratch"/vlk240-*-windows-x64.zip "$@"
if [ ! -f "$1" ]; then
  echo "zip: no vlk240-<version>-windows-x64.zip in $(ls "$scratch")" >&2
  exit 1
fi
zip=$1
shift
folder=$(basename "$zip" .zip)
expected=$(for file in README-Windows.txt "$@"; do echo "$folder/$file"; done | sort)
listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
if [ "$listed" != "$expected" ]; then
  echo "zip: $(basename "$zip") holds" >&2
  echo "$listed" >&2
  echo "zip: expected" >&2
  echo "$expected" >&2
  exit 1
fi
unzip -q "$zip" -d "$scratch/unpacked"
# Notepad of older Windows shows a note with bare LF line ends as one line.
readme="$scratch/unpacked/$folder/README-Windows.txt"
lines=$(tr -cd '\n' <"$readme" | wc -c)
crlf_lines=$(grep -c "$(printf '\r')\$" "$readme" || true)
if [ "$lines" -eq 0 ] || [ "$crlf_lines" -ne "$lines" ]; then
  echo "zip: README-Windows.txt has $lines lines, $crlf_lines of them ending in CR LF" >&2
  exit 1
fi
for program in "$@"; do
  sh "$here/system_dlls_only.sh" "$scratch/unpacked/$folder/$program"
done
echo "zip: $(basename "$zip") as expected"
