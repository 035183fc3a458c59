#!/bin/sh
# Builds the Debian packages from an already built tree into a scratch directory and checks them.
# Usage: build_and_check_package.sh <cpack> <build dir> <check-package.sh>
set -eu
cpack=$1 build_dir=$2 check=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ! "$cpack" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "package: cpack failed" >&2
  exit 1
fi
# One package each: the reader's, whose name the VM tier installs, and the window's.
for name in vlk240-read vlk240; do
  set -- "$scratch/${name}"_*.deb
  if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
    echo "package: expected one ${name}_*.deb, found: $*" >&2
    exit 1
  fi
done
sh "$check" "$scratch"/vlk240-read_*.deb "$scratch"/vlk240_*.deb
