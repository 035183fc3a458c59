#!/bin/sh
# systemd-analyze verify on the reader's service template, as an instance of it whose
# ExecStart names this build's reader (the package's /usr/bin is not installed here).
# Usage: verify_service_unit.sh <vlk240-read@.service> <vlk240-read>
# Exits 77 (skipped) where systemd-analyze is missing.
set -eu
unit=$1 reader=$2
command -v systemd-analyze >/dev/null 2>&1 || { echo "no systemd-analyze"; exit 77; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
sed "s|/usr/bin/vlk240-read|$reader|" "$unit" >"$scratch/vlk240-read@line1.service"
# verify prints its findings and fails on errors; warnings count as failures too.
if ! systemd-analyze verify --man=no "$scratch/vlk240-read@line1.service" >"$scratch/out" 2>&1 ||
   [ -s "$scratch/out" ]; then
  cat "$scratch/out"
  exit 1
fi
echo "verified"
