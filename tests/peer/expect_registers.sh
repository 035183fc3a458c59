#!/bin/bash
# expect_registers.sh DEVICE [ADDRESS]: reads the 13 input registers with
# mbpoll (an independent master) and checks them against the reference
# reply's image. mbpoll's -r is 1-based: -r 1 is register 0. A pty cannot
# carry parity, so asking for even parity (as on the real line) is harmless.
set -eu
device=$1
address=${2:-1}
expected="0x0000 0x4236 0x0000 0x41F2 0x0000 0x4140 0x0000 0x42C8 0x0000 0x0015 0x000A 0x4248 0x0000"
output=$(mbpoll -m rtu -a "$address" -b 9600 -d 8 -s 1 -P even -t 3:hex -r 1 -c 13 -1 -q -o 1 \
  "$device") || { echo "mbpoll could not read address $address" >&2; exit 1; }
got=$(echo "$output" | awk '/^\[[0-9]+\]:/ {print $2}' | tr '\n' ' ' | sed 's/ $//')
if [ "$got" != "$expected" ]; then
  echo "expected: $expected" >&2
  echo "got:      $got" >&2
  echo "$output" >&2
  exit 1
fi
echo "registers as expected from address $address"
