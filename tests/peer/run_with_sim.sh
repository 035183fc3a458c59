#!/bin/bash
# Starts our simulator program and hands its device to a client.
#
#   run_with_sim.sh SIM [SIM OPTIONS...] -- CMD ARGS...
#
# runs CMD with every @PORT@ in ARGS replaced by the simulator's device, stops
# the simulator (by its id) and exits with CMD's status. Waits for the
# simulator's first output line, never for a fixed time.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

[ $# -ge 1 ] || fail "usage: run_with_sim.sh SIM [OPTIONS...] -- CMD ARGS..."
sim=("$1")
shift
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  sim+=("$1")
  shift
done
[ "${1:-}" = "--" ] && shift
[ $# -ge 1 ] || fail "no command given"

work=$(mktemp -d)
sim_pid=""
cleanup() {
  stop_processes $sim_pid
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 0' TERM INT

mkfifo "$work/sim.out"
"${sim[@]}" >"$work/sim.out" &
sim_pid=$!
exec 3<"$work/sim.out"
IFS= read -r -t 10 device <&3 || fail "the simulator did not report its device"

status=0
run_client "$device" "$@" || status=$?
exit $status
