#!/bin/sh
# Boots the test machine once with both lines and serves it until it powers off:
#   /dev/ttyS1    a 16550 UART (the kernel's 8250 driver)
#   /dev/ttyUSB0  QEMU's FTDI usb-serial on qemu-xhci (the kernel's ftdi_sio driver)
# Each line is a QEMU pty chardev on the host, served by vlk240-sim --device. The guest's
# console is QEMU's standard input and output: its lines go to RUN/console.log, its
# unplug and plug requests are carried out over QMP and answered on the console.
# QEMU's trace of the line settings goes to RUN/trace.log.
# Usage: machine.sh RUN KERNEL INITRD SIM LIMIT_S
# Exits 0 when the machine powered off by itself, 1 (with a message) when it had to be
# stopped or QEMU failed.
set -eu
run=$1 kernel=$2 initrd=$3 sim=$4 limit=$5
here=$(cd "$(dirname "$0")" && pwd)

rm -f "$run/console.in" "$run/console.out" "$run/qmp.sock" "$run/console.log"
mkfifo "$run/console.in" "$run/console.out"

# KVM where it opens on a processor with hardware virtualisation; QEMU falls back to TCG when
# it does not work. A /dev/kvm without vmx or svm (a paravirtual KVM inside a sandbox) opens,
# but a stock kernel hangs on it before its first line.
accel="-accel tcg"
if [ -r /dev/kvm ] && [ -w /dev/kvm ] && grep -q -w -E 'vmx|svm' /proc/cpuinfo; then
  accel="-accel kvm -accel tcg"
fi

qemu_pid="" sim_pids=""
stop() {
  for pid in $qemu_pid $sim_pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $qemu_pid $sim_pids; do wait "$pid" 2>/dev/null || true; done
}
trap stop EXIT
trap 'exit 1' INT TERM

# shellcheck disable=SC2086
timeout --kill-after=5 "$limit" qemu-system-x86_64 $accel -m 256 -nodefaults -no-user-config \
  -display none -no-reboot -kernel "$kernel" -initrd "$initrd" \
  -append "console=ttyS0,115200 loglevel=3 panic=-1" \
  -chardev stdio,id=console,signal=off -serial chardev:console \
  -chardev pty,id=uart -serial chardev:uart \
  -device qemu-xhci -chardev pty,id=usb -device usb-serial,chardev=usb,id=adapter1 \
  -qmp "unix:$run/qmp.sock,server=on,wait=off" \
  -trace serial_update_parameters -trace usb_serial_set_data -trace usb_serial_set_baud \
  <"$run/console.in" >"$run/console.out" 2>"$run/trace.log" &
qemu_pid=$!
exec 4>"$run/console.in" 3<"$run/console.out"

# Serves a line's pty as the instrument at 1, with an instrument that answers with an
# exception at 2 and a silent one at 3; returns once the simulator has the pty open.
# Under TCG on a busy machine the emulated UART delivers a request in pieces several
# milliseconds apart, beyond the 3.5 characters after which a slave drops a partial frame.
serve_line() {  # NAME PTY
  mkfifo "$run/sim-$1.ready"
  "$sim" --device "$2" --paced --frame-gap 50 --neighbour 2:exception --neighbour 3:silent \
    >"$run/sim-$1.ready" 2>"$run/sim-$1.log" &
  sim_pids="$sim_pids $!"
  if ! IFS= read -r served <"$run/sim-$1.ready" || [ "$served" != "$2" ]; then
    echo "machine: the simulator did not open $2: $(cat "$run/sim-$1.log")" >&2
    exit 1
  fi
  rm "$run/sim-$1.ready"
}

adapter=1
qmp() { /usr/bin/python3 "$here/qmp.py" "$run/qmp.sock" "$@" 2>>"$run/qmp.log"; }
answer() { if "$@"; then echo "done" >&4; else echo "failed" >&4; fi; }

cr=$(printf '\r')
while IFS= read -r line <&3; do
  line=${line%"$cr"}
  case $line in
    "char device redirected to "*" (label uart)" | "char device redirected to "*" (label usb)")
      pty=${line#char device redirected to }
      label=${pty##*label }
      serve_line "${label%)}" "${pty%% *}"
      ;;
    "vm_req unplug")
      answer qmp unplug "adapter$adapter"
      ;;
    "vm_req plug")
      adapter=$((adapter + 1))
      answer qmp plug "adapter$adapter" usb
      ;;
  esac
  echo "$line" >>"$run/console.log"
done

status=0
wait "$qemu_pid" || status=$?
qemu_pid=""
case $status in
  0) ;;
  124 | 137) echo "machine: stopped after $limit s" >&2; exit 1 ;;
  *) echo "machine: QEMU failed ($status): $(grep -v '^usb_serial\|^serial' "$run/trace.log" | tail -n 1)" >&2; exit 1 ;;
esac
