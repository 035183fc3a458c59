#!/bin/sh
# Boots the Debian guest from RUN/base.raw (the root file system) and RUN/payload.raw (the
# package and tests/vm/service/guest.sh, which systemd runs at boot) until it powers off. The
# guest's /dev/ttyS1 is a QEMU pty chardev on the host, served by vlk240-sim; the console is
# QEMU's standard input and output, its lines go to RUN/console.log. The guest's requests:
#   vm_req sim_stop / sim_start   end the simulator / serve the same pty again
#   vm_req power_cut              kill QEMU (no shutdown), then boot the same disks again
# No network device: the guest's reader and broker meet on its loopback.
# Usage: machine.sh RUN KERNEL INITRD SIM LIMIT_S
# Exits 0 when the machine powered off by itself, 1 (with a message) otherwise.
set -eu
run=$1 kernel=$2 initrd=$3 sim=$4 limit=$5
deadline=$(($(date +%s) + limit))

accel="-accel tcg"
if [ -r /dev/kvm ] && [ -w /dev/kvm ] && grep -q -w -E 'vmx|svm' /proc/cpuinfo; then
  accel="-accel kvm -accel tcg"
fi

qemu_pid="" sim_pid=""
stop_sim() {
  [ -n "$sim_pid" ] || return 0
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
}
stop() {
  stop_sim
  if [ -n "$qemu_pid" ]; then kill "$qemu_pid" 2>/dev/null || true; wait "$qemu_pid" 2>/dev/null || true; fi
}
trap stop EXIT
trap 'exit 1' INT TERM

# Serves the pty as the instrument at address 1; returns once the simulator has it open.
# Under TCG the emulated UART hands a request over in pieces: a wide frame gap keeps it whole.
serve() {  # PTY
  rm -f "$run/sim.ready"
  mkfifo "$run/sim.ready"
  "$sim" --device "$1" --paced --frame-gap 50 >"$run/sim.ready" 2>>"$run/sim.log" &
  sim_pid=$!
  if ! IFS= read -r served <"$run/sim.ready" || [ "$served" != "$1" ]; then
    echo "machine: the simulator did not open $1: $(tail -n 1 "$run/sim.log")" >&2
    exit 1
  fi
  rm "$run/sim.ready"
}

# One boot; returns 0 when the guest powered off, 2 when it asked for the power cut.
boot() {
  rm -f "$run/console.in" "$run/console.out"
  mkfifo "$run/console.in" "$run/console.out"
  left=$((deadline - $(date +%s)))
  [ "$left" -gt 0 ] || { echo "machine: no time left for a boot" >&2; return 1; }
  # The command line's command (systemd.run= boots to a target of its own, not multi-user)
  # mounts the run's disk at /mnt, starts multi-user.target and queues the guest's script as
  # a unit of its own after it. The console's getty stays off: the script has the console's
  # input to itself.
  command="/bin/sh -c 'mount /dev/vdb /mnt && systemctl start --no-block multi-user.target && \
systemd-run --no-block --unit=vm-check -p After=multi-user.target \
-p FailureAction=poweroff-force /bin/sh /mnt/guest.sh'"
  # shellcheck disable=SC2086
  timeout --kill-after=5 "$left" qemu-system-x86_64 $accel -m 512 -nodefaults -no-user-config \
    -display none -no-reboot -kernel "$kernel" -initrd "$initrd" \
    -append "root=/dev/vda rw console=ttyS0,115200 quiet loglevel=3 panic=-1 \
systemd.show_status=false systemd.mask=serial-getty@ttyS0.service \
systemd.run=\"$command\" systemd.run_success_action=none systemd.run_failure_action=poweroff-force" \
    -drive file="$run/base.raw",format=raw,if=virtio \
    -drive file="$run/payload.raw",format=raw,if=virtio \
    -chardev stdio,id=console,signal=off -serial chardev:console \
    -chardev pty,id=uart -serial chardev:uart -pidfile "$run/qemu.pid" \
    <"$run/console.in" >"$run/console.out" 2>>"$run/qemu.log" &
  qemu_pid=$!
  exec 4>"$run/console.in" 3<"$run/console.out"
  cut=0
  cr=$(printf '\r')
  while IFS= read -r line <&3; do
    line=${line%"$cr"}
    echo "$line" >>"$run/console.log"
    case $line in
      "char device redirected to "*" (label uart)")
        pty=${line#char device redirected to }
        pty=${pty%% *}
        serve "$pty"
        ;;
      "vm_req sim_stop") stop_sim && echo "done" >&4 ;;
      "vm_req sim_start")
        serve "$pty" && echo "done" >&4
        ;;
      "vm_req power_cut")
        # QEMU itself, not the timeout that runs it: no shutdown, no flush of the guest.
        kill -9 "$(cat "$run/qemu.pid")"
        cut=1
        break
        ;;
    esac
  done
  exec 3<&- 4>&-
  status=0
  wait "$qemu_pid" || status=$?
  qemu_pid=""
  stop_sim
  [ "$cut" = 0 ] || return 2
  case $status in
    0) return 0 ;;
    124 | 137) echo "machine: stopped after $limit s" >&2; return 1 ;;
    *) echo "machine: QEMU failed ($status): $(tail -n 1 "$run/qemu.log")" >&2; return 1 ;;
  esac
}

rm -f "$run/console.log"
boots=0
while :; do
  boots=$((boots + 1))
  echo "vm_boot $boots" >>"$run/console.log"
  status=0
  boot || status=$?
  [ "$status" = 2 ] && [ "$boots" -lt 3 ] && continue
  exit "$status"
done
