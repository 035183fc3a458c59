#!/bin/sh
# The test tier on real drivers: our programs, statically linked, run in a QEMU machine that
# boots Debian's own kernel, against its 16550 UART driver (/dev/ttyS1) and its FTDI USB
# serial driver (/dev/ttyUSB0); vlk240-sim answers as the instrument on the host end of each
# line. Prints one line per check, "vm_check NAME ok|FAIL DETAIL", and exits 1 when a
# check failed or the machine could not be had (no QEMU, no kernel): that counts as a failure.
# Needs what scripts/setup.sh installs (qemu-system-x86, busybox-static) and downloads the
# kernel package once into build-vm/kernel. The last run's logs stay in build-vm/run.
# Usage: scripts/vm-test.sh
set -eu
cd "$(dirname "$0")/.."
started=$(date +%s)
build="build-vm"
run=$build/run
# Boot and checks take about a minute under TCG on two shared cores.
limit_s=150

tier_failed() {
  echo "vm_check tier FAIL $*"
  exit 1
}

command -v qemu-system-x86_64 >/dev/null ||
  tier_failed "qemu-system-x86_64 is missing (scripts/setup.sh installs qemu-system-x86)"
[ -x /usr/bin/python3 ] || tier_failed "/usr/bin/python3 is missing (the QMP client needs it)"

# The guest runs static programs: a build of its own, of only what the guest and host run.
mkdir -p "$build" "$run"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVLK_STATIC=ON -DVLK_WITH_GUI=OFF \
  -DVLK_BUILD_TESTS=OFF && cmake --build "$build" -j"${JOBS:-2}" \
  --target vlk240-read vlk240-sim vm_probe; } >"$run/build.log" 2>&1; then
  tier_failed "the static programs did not build (see $run/build.log)"
fi
built=$(date +%s)

kernel_tree=$(tests/vm/kernel.sh "$build/kernel" 2>"$run/kernel.log") ||
  tier_failed "no kernel: $(tail -n 1 "$run/kernel.log")"
kernel=$(ls "$kernel_tree"/boot/vmlinuz-*)
tests/vm/initramfs.sh "$run/initrd.gz" "$kernel_tree" "$build/tools/vlk240-read" \
  "$build/tests/vm/probe/vm_probe" 2>"$run/initramfs.log" ||
  tier_failed "no initramfs: $(tail -n 1 "$run/initramfs.log")"
prepared=$(date +%s)

machine_ok=1
tests/vm/machine.sh "$run" "$kernel" "$run/initrd.gz" "$build/sim/vlk240-sim" "$limit_s" \
  2>"$run/machine.log" || machine_ok=0
finished=$(date +%s)

status=0
tests/vm/judge.sh "$run" || status=1
if [ "$machine_ok" = 0 ]; then
  echo "vm_check machine FAIL $(tail -n 1 "$run/machine.log")"
  status=1
fi
echo "vm_test: build $((built - started)) s, kernel and initramfs $((prepared - built)) s," \
  "machine $((finished - prepared)) s, logs in $run"
exit $status
