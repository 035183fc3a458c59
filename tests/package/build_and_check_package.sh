#!/bin/sh
# Builds the Debian package from an already built tree into a scratch directory and checks it.
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
set -- "$scratch"/vlk240_*.deb
if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
  echo "package: expected one vlk240_*.deb, found: $*" >&2
  exit 1
fi
sh "$check" "$1"
