#!/bin/bash
# The simulator program: usage errors exit 2; it prints its device first and
# ends with status 0 on SIGTERM and on SIGINT (also when started in the
# background, where a shell ignores SIGINT); serving a given device, it ends
# with status 1 when that device hangs up. Needs socat for that device.
set -u
sim=$1
fail() { echo "sim_program_test: $*" >&2; exit 1; }

for args in "--address 0" "--behaviour loud" "--variant" "--level1 x" "stray:1" \
            "--neighbour 1:silent" "--behaviour pause:20" "--neighbour 2:babble:0"; do
  # shellcheck disable=SC2086
  "$sim" $args >/dev/null 2>&1
  status=$?
  [ $status -eq 2 ] || fail "'$args' exited with $status, not 2"
done
"$sim" --help | grep -q -- "--behaviour" || fail "--help shows no usage"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$sim" --trace "$work/no/such/directory/sim.trace" >/dev/null 2>&1
status=$?
[ $status -eq 2 ] || fail "--trace in a missing directory exited with $status, not 2"
mkfifo "$work/out"
for signal in TERM INT; do
  "$sim" --paced --behaviour split:5 --trace "$work/sim.trace" >"$work/out" &
  pid=$!
  exec 3<"$work/out"
  IFS= read -r -t 10 device <&3 || fail "no device printed"
  [ -c "$device" ] || fail "'$device' is no character device"
  kill -s $signal $pid
  wait $pid
  status=$?
  exec 3<&-
  [ $status -eq 0 ] || fail "SIG$signal: exit status $status"
  # The line's life in the trace: opened, then closed once the signal ended serving.
  events=$(cut -d' ' -f2- "$work/sim.trace")
  [ "$events" = "vlk240-sim open $device
vlk240-sim close $device" ] || fail "SIG$signal: trace '$events'"
  rm "$work/sim.trace"
done
"$sim" --device "$work/none" >/dev/null 2>&1
status=$?
[ $status -eq 1 ] || fail "--device of a missing device exited with $status, not 1"

# socat holds the master of a pty and links its slave; ending socat hangs it up.
socat -u PTY,link="$work/line",rawer OPEN:/dev/null &
socat_pid=$!
for _ in $(seq 100); do [ -e "$work/line" ] && break; sleep 0.1; done
"$sim" --device "$work/line" >"$work/out" 2>"$work/err" &
pid=$!
exec 3<"$work/out"
IFS= read -r -t 10 device <&3 || fail "--device: nothing printed"
exec 3<&-
[ "$device" = "$work/line" ] || fail "--device printed '$device'"
kill $socat_pid
wait $socat_pid
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill $pid; fail "--device: still running after the hang-up"; }
wait $pid
status=$?
[ $status -eq 1 ] || fail "--device: exit status $status after the hang-up, not 1"
grep -q "hung up" "$work/err" || fail "--device: no word of the hang-up"
echo "simulator program behaves"
