#!/bin/bash
# Starts the independent pymodbus slave on one end of a socat pty pair and
# hands the other end to a client.
#
#   run_with_peer.sh [--address N]                 prints the client's device
#                                                  and serves until SIGTERM/SIGINT
#   run_with_peer.sh [--address N] -- CMD ARGS...  runs CMD with every @PORT@ in
#                                                  ARGS replaced by the device,
#                                                  stops the peer, exits with
#                                                  CMD's status
#
# Waits for readiness lines (socat's "PTY is", the slave's "READY"), never for
# fixed times; stops only the processes it started, by their ids.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
address=1
if [ "${1:-}" = "--address" ]; then
  address=$2
  shift 2
fi
if [ "${1:-}" = "--" ]; then shift; fi

work=$(mktemp -d)
socat_pid=""
peer_pid=""
cleanup() {
  stop_processes $peer_pid $socat_pid
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 0' TERM INT

mkfifo "$work/socat.log" "$work/peer.out"
socat -d -d pty,raw,echo=0 pty,raw,echo=0 2>"$work/socat.log" &
socat_pid=$!
exec 3<"$work/socat.log"
ptys=""
while [ "$(echo "$ptys" | wc -w)" -lt 2 ]; do
  IFS= read -r -t 10 line <&3 || fail "socat did not report its pseudo-terminals"
  case "$line" in
    *"PTY is "*) ptys="$ptys ${line##*PTY is }" ;;
  esac
done
peer_end=$(echo "$ptys" | awk '{print $1}')
client_end=$(echo "$ptys" | awk '{print $2}')

/usr/bin/python3 "$here/pymodbus_slave.py" --address "$address" "$peer_end" >"$work/peer.out" &
peer_pid=$!
exec 4<"$work/peer.out"
IFS= read -r -t 20 ready <&4 || fail "the pymodbus slave did not start"
[ "$ready" = "READY" ] || fail "unexpected first line from the pymodbus slave: $ready"

if [ $# -eq 0 ]; then
  echo "$client_end"
  wait "$peer_pid"
  exit 0
fi

status=0
run_client "$client_end" "$@" || status=$?
exit $status
