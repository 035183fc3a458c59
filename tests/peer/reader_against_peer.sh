#!/bin/bash
# reader_against_peer.sh READER: vlk240-read against the pymodbus slave must print the
# reference reply's eight memo lines, and a scan must find the slave at its address and no
# other instrument. Exits 77 (skipped) when pymodbus or socat is missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
reader=$1
if ! command -v socat >/dev/null; then
  echo "skipped: socat is not installed (scripts/setup.sh installs it)" >&2
  exit 77
fi
if ! /usr/bin/python3 -c 'import pymodbus' 2>/dev/null; then
  echo "skipped: /usr/bin/python3 has no pymodbus (scripts/setup.sh installs python3-pymodbus)" >&2
  exit 77
fi
expected=$(printf '%s\n' \
  "ВЛК240ТхИ Исполнение 1" "(Уровнемер-Уровнемер)" "" \
  "Уровень канала 1 - 45,5 %" "Объём канала 1 - 30,3 %" \
  "Уровень канала 2 - 12,0 %" "Объём канала 2 - 100,0 %" \
  "Состояния реле: Вкл. Выкл. Вкл. Выкл. ")
got=$("$here/run_with_peer.sh" -- "$reader" --port @PORT@ --address 1 --separator ,)
if [ "$got" != "$expected" ]; then
  echo "expected:" >&2; echo "$expected" >&2
  echo "got:" >&2; echo "$got" >&2
  exit 1
fi
echo "vlk240-read read the reference registers from the pymodbus slave"

# The slave at address 4 among silent addresses; the default first-byte time-out, since the
# peer answers through socat at its own pace.
status=0
scan=$("$here/run_with_peer.sh" --address 4 -- "$reader" --port @PORT@ --scan 2-6) || status=$?
found=$(printf '%s\n' "$scan" | grep -c '^address ' || true)
if [ "$status" != 0 ] || [ "$found" != 1 ] ||
   ! printf '%s\n' "$scan" | grep -q '^address 4: variant 1, turnaround [0-9.]* ms, readings$' ||
   ! printf '%s\n' "$scan" | grep -qx '1 instrument found at 5 addresses probed'; then
  echo "scan: expected the slave at address 4 alone and status 0, got $status:" >&2; echo "$scan" >&2
  exit 1
fi
echo "vlk240-read --scan found the pymodbus slave at address 4 alone"
