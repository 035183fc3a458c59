#!/bin/bash
# The simulator program: usage errors exit 2; it prints its device first and
# ends with status 0 on SIGTERM and on SIGINT (also when started in the
# background, where a shell ignores SIGINT).
set -u
sim=$1
fail() { echo "sim_program_test: $*" >&2; exit 1; }

for args in "--address 0" "--behaviour loud" "--variant" "--level1 x" "stray:1"; do
  # shellcheck disable=SC2086
  "$sim" $args >/dev/null 2>&1
  status=$?
  [ $status -eq 2 ] || fail "'$args' exited with $status, not 2"
done
"$sim" --help | grep -q -- "--behaviour" || fail "--help shows no usage"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/out"
for signal in TERM INT; do
  "$sim" --paced --behaviour split:5 >"$work/out" &
  pid=$!
  exec 3<"$work/out"
  IFS= read -r -t 10 device <&3 || fail "no device printed"
  [ -c "$device" ] || fail "'$device' is no character device"
  kill -s $signal $pid
  wait $pid
  status=$?
  exec 3<&-
  [ $status -eq 0 ] || fail "SIG$signal: exit status $status"
done
echo "simulator program behaves"
