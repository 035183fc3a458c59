#!/bin/sh
# The Wine prefix of one test run, and the serial lines its COM ports lead to.
#   wine_line.sh start PREFIX RESULTS [HOST_SIMULATOR]
#   wine_line.sh stop PREFIX
# start empties RESULTS, the folder where the test programs leave their reports, makes a new
# prefix, starts a pseudo-terminal pair (socat) and, given the Linux simulator, the simulated
# instruments, and maps them through the registry key
# HKLM\Software\Wine\Ports, never through hand-made dosdevices links: Wine's mount manager
# rewrites com1.. to the machine's own /dev/ttyS*, which may be the kernel's console. Then it
# checks where each COM port leads before any test writes to one:
#   COM5  the simulated instrument, address 1, for the window: the first port its menu lists
#         after the four
#   COM6, COM7  the two ends of a line (VLK240_TEST_PORT_A and _B)
#   COM8  a simulated instrument that answers with exception replies
#   COM9  a simulated instrument that stays silent
#   COM10 the simulated instrument again, address 1
#   COM11 a line with neighbours: the instrument at address 4, one at 2 that refuses (exception
#         code 2), another at 9
#   COM12 the simulated instrument, address 1 (the reader's worked example)
#   COM20 nothing: a missing port
# Each run of vlk240-read and each window gets an instrument of its own: under Wine a pseudo-terminal refuses
# even parity set again with nothing else changed (tests/windows/wine_skips.cpp), and its
# settings outlive the program that set them, so a second program on the same one would fail
# where a real port would not.
# The names, the devices and the process ids go to PREFIX/line.env and PREFIX/pids; stop ends
# those processes by their ids and removes the prefix.
set -eu
action=$1
prefix=$2
results=${3:-}
host_sim=${4:-}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

fail() {
  echo "wine_line: $*" >&2
  exit 1
}

# Waits up to 5 s for the first line of a file (a device path) and prints it.
first_line() {
  for _ in $(seq 50); do
    if [ -s "$1" ]; then
      head -n 1 "$1"
      return
    fi
    sleep 0.1
  done
  fail "no device in $1"
}

# Starts a simulator in the background, its pseudo-terminal's path in FILE.
start_sim() {  # start_sim FILE ARGUMENTS...
  out=$1
  shift
  "$host_sim" "$@" >"$out" 2>&1 </dev/null &
  echo $! >>"$prefix/pids"
}

case $action in
  stop)
    if [ -f "$prefix/pids" ]; then
      while read -r pid; do kill "$pid" 2>/dev/null || true; done <"$prefix/pids"
    fi
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$prefix"
    exit 0
    ;;
  start) ;;
  *) fail "start or stop, not $action" ;;
esac

"$0" stop "$prefix"
[ -n "$results" ] || fail "no folder for the reports"
rm -rf "$results"
mkdir -p "$prefix" "$results"
: >"$prefix/pids"
"$wine" wineboot -i >"$prefix/wineboot.log" 2>&1 </dev/null || fail "wineboot failed"

socat pty,raw,echo=0,link="$prefix/line-a" pty,raw,echo=0,link="$prefix/line-b" \
  >"$prefix/socat.log" 2>&1 </dev/null &
echo $! >>"$prefix/pids"
for _ in $(seq 50); do
  [ -e "$prefix/line-a" ] && [ -e "$prefix/line-b" ] && break
  sleep 0.1
done
line_a=$(readlink -f "$prefix/line-a")
line_b=$(readlink -f "$prefix/line-b")
[ -c "$line_a" ] && [ -c "$line_b" ] || fail "socat made no pseudo-terminal pair"

sim=""
exception_sim=""
silent_sim=""
second_sim=""
neighbours_sim=""
window_sim=""
if [ -n "$host_sim" ]; then
  start_sim "$prefix/sim.out" --address 1
  start_sim "$prefix/exception-sim.out" --address 1 --behaviour exception:2
  start_sim "$prefix/silent-sim.out" --address 1 --behaviour silent
  start_sim "$prefix/second-sim.out" --address 1
  start_sim "$prefix/neighbours-sim.out" --address 4 --neighbour 2:exception:2 --neighbour 9
  start_sim "$prefix/window-sim.out" --address 1
  sim=$(first_line "$prefix/sim.out")
  exception_sim=$(first_line "$prefix/exception-sim.out")
  silent_sim=$(first_line "$prefix/silent-sim.out")
  second_sim=$(first_line "$prefix/second-sim.out")
  neighbours_sim=$(first_line "$prefix/neighbours-sim.out")
  window_sim=$(first_line "$prefix/window-sim.out")
fi

map() {  # map COMn DEVICE
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v "$1" /d "$2" /f >/dev/null 2>&1 ||
    fail "cannot map $1"
}
map COM6 "$line_a"
map COM7 "$line_b"
if [ -n "$sim" ]; then
  map COM5 "$window_sim"
  map COM8 "$exception_sim"
  map COM9 "$silent_sim"
  map COM10 "$second_sim"
  map COM11 "$neighbours_sim"
  map COM12 "$sim"
fi
# The mount manager reads the key when the prefix's services start.
"$wineserver" -k
"$wineserver" -w
"$wineserver" -p >/dev/null 2>&1 </dev/null
"$wine" cmd /c exit >/dev/null 2>&1 </dev/null || true

leads_to() {  # leads_to COMn DEVICE
  target=$(readlink "$prefix/dosdevices/$1" || true)
  [ "$target" = "$2" ] || fail "$1 leads to '${target}', not $2"
}
leads_to com6 "$line_a"
leads_to com7 "$line_b"
if [ -n "$sim" ]; then
  leads_to com5 "$window_sim"
  leads_to com8 "$exception_sim"
  leads_to com9 "$silent_sim"
  leads_to com10 "$second_sim"
  leads_to com11 "$neighbours_sim"
  leads_to com12 "$sim"
fi
[ ! -e "$prefix/dosdevices/com20" ] || fail "COM20 should be missing"

cat >"$prefix/line.env" <<ENV
VLK240_TEST_PORT_A=COM6
VLK240_TEST_PORT_B=COM7
VLK_SIM_DEVICE=$sim
VLK_EXCEPTION_SIM_DEVICE=$exception_sim
VLK_SILENT_SIM_DEVICE=$silent_sim
VLK_SECOND_SIM_DEVICE=$second_sim
VLK_NEIGHBOURS_SIM_DEVICE=$neighbours_sim
VLK_WINDOW_SIM_DEVICE=$window_sim
ENV
echo "wine_line: prefix $prefix, COM6=$line_a COM7=$line_b${sim:+ COM5=$window_sim COM8=$exception_sim COM9=$silent_sim COM10=$second_sim COM11=$neighbours_sim COM12=$sim}"
