# The guest's half of scripts/vm-test.sh, sourced by /init: runs our programs
# on the two real lines and prints what they did. The host judges.
#   vm_fact NAME key=value...   measurements and exit statuses
#   vm_text NAME LINE           a line a program printed
#   vm_req unplug|plug          asks the host to pull or put back the USB adapter;
#                               the host answers with one line on the console
# On both lines the simulator answers as the instrument at address 1, as an
# instrument that answers with an exception reply at 2 and as a silent one at 3.

UART=/dev/ttyS1
USB=/dev/ttyUSB0
# Longest wait for a device node or a program; a bound, never a pause.
PATIENCE_DS=150
# A program that hangs is ended after this, so one fault costs one check, not the run.
PROGRAM_LIMIT_S=30

fact() { echo "vm_fact $*"; }

bounded() { timeout -s KILL "$PROGRAM_LIMIT_S" "$@"; }

text() {  # NAME FILE
  local text_line
  while IFS= read -r text_line || [ -n "$text_line" ]; do echo "vm_text $1 $text_line"; done <"$2"
}

# Centiseconds since boot.
now_cs() {
  read -r up _ </proc/uptime
  echo $((${up%.*} * 100 + 1${up#*.} - 100))
}

# Polls a condition every 0.1 s, at most PATIENCE_DS times.
wait_for() {
  tries=$PATIENCE_DS
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

ask_host() {  # REQUEST; leaves the host's answer in $answer
  echo "vm_req $1"
  read -r answer
}

# User and system CPU ticks of a process so far.
cpu_ticks() {
  # shellcheck disable=SC2046
  set -- $(cat "/proc/$1/stat" 2>/dev/null)
  [ $# -ge 15 ] && echo $((${14} + ${15}))
}

running() {
  [ -r "/proc/$1/status" ] && ! grep -q '^State:.*\(zombie\|dead\)' "/proc/$1/status" 2>/dev/null
}

# The reader's output with the reference readings. Right before it, stty sets
# the line to 1200 bit/s 7O2, which nothing else uses, so the host knows that
# the settings traced after it are the reader's. The guest has no locale, which
# makes the reader's own decimal separator ".": give the operator's ",".
check_example() {  # LINE DEVICE
  stty -F "$2" 1200 cs7 parenb parodd cstopb
  bounded vlk240-read --port "$2" --address 1 --separator , >/tmp/out 2>/tmp/err
  fact "example_$1" "status=$?"
  text "example_$1" /tmp/out
  text "example_$1.err" /tmp/err
}

check_reply() {  # NAME LINE DEVICE ADDRESS: the reader's record, then the exchange's times
  bounded vlk240-read --port "$3" --address "$4" --json >/tmp/out 2>/tmp/err
  status=$?
  fact "$1_$2" "status=$status" "$(bounded vm_probe exchange "$3" "$4")"
  text "$1_$2" /tmp/out
}

check_unplug() {  # the USB adapter is pulled while the reader polls every second
  vlk240-read --port "$USB" --cycle --interval 1 --json >/tmp/cycle.out 2>/tmp/cycle.err &
  pid=$!
  if ! wait_for [ -s /tmp/cycle.out ]; then
    kill -9 "$pid"
    fact unplug_usb "error=no_first_poll"
    return
  fi
  ticks_before=$(cpu_ticks "$pid")
  ask_host unplug
  unplugged=$(now_cs)
  polls_before=$(wc -l </tmp/cycle.out)
  ticks=$ticks_before
  # The shell may reap the reader as soon as it ends: the last sample is taken while it runs.
  while running "$pid" && [ $(($(now_cs) - unplugged)) -lt $((PATIENCE_DS * 10)) ]; do
    sample=$(cpu_ticks "$pid") || break
    ticks=$sample
    sleep 0.1
  done
  ended=$(now_cs)
  hung=0
  if running "$pid"; then
    hung=1
    kill -9 "$pid"
  fi
  wait "$pid"
  status=$?
  fact unplug_usb "host=$answer" "status=$status" "hung=$hung" \
    "exit_ms=$(((ended - unplugged) * 10))" "cpu_ms=$(((ticks - ticks_before) * 10))" \
    "polls_after=$(($(wc -l </tmp/cycle.out) - polls_before))"
  tail -n 1 /tmp/cycle.out >/tmp/last
  text unplug_usb /tmp/last
  text unplug_usb.err /tmp/cycle.err
}

# Another program holds the line with the exclusive flag alone, as one that does not flock
# would: the reader, run by root, is refused. Killed, the holder leaves no flag behind on a
# real driver: uid 65534 opens the line at once.
check_held() {  # LINE DEVICE
  vm_probe hold "$2" >/tmp/hold &
  holder=$!
  wait_for grep -q '^held' /tmp/hold
  bounded vlk240-read --port "$2" --address 1 >/dev/null 2>/tmp/err
  fact "in_use_$1" "status=$?" "held=$(grep -c '^held' /tmp/hold)"
  text "in_use_$1.err" /tmp/err
  kill -9 "$holder"
  wait "$holder"
  fact "killed_holder_$1" "$(bounded vm_probe open-as-other "$2")"
}

adapter_node() { for node in /dev/ttyUSB*; do [ -e "$node" ] && echo "$node" && return; done; }
adapter_present() { [ -n "$(adapter_node)" ]; }

check_readd() {  # the adapter is put back; a new open of it reads the instrument
  ask_host plug
  if ! wait_for adapter_present; then
    fact readd_usb "host=$answer" "node=none"
    return
  fi
  node=$(adapter_node)
  bounded vlk240-read --port "$node" --address 1 --json >/tmp/out 2>/tmp/err
  fact readd_usb "host=$answer" "node=$node" "status=$?"
}

# A cyclic read with --reopen outlives the unplug and reads again once the adapter is back.
check_replug() {
  node=$(adapter_node)
  vlk240-read --port "$node" --cycle --reopen --interval 0.5 --json >/tmp/cycle.out 2>/dev/null &
  pid=$!
  wait_for [ -s /tmp/cycle.out ]
  ask_host unplug
  unplug=$answer
  # The adapter gets its old name back only once the reader has let go of the dead port.
  wait_for grep -q '"outcome":"port_error"' /tmp/cycle.out
  ask_host plug
  polls_before=$(wc -l </tmp/cycle.out)
  wait_for sh -c "tail -n +$((polls_before + 1)) /tmp/cycle.out | grep -q '\"outcome\":\"accepted\"'"
  resumed=$?
  kill "$pid" 2>/dev/null
  wait "$pid"
  fact replug "host=$unplug,$answer" "node=$node" "resumed=$((resumed == 0))" \
    "node_after=$(adapter_node)"
}

run_checks() {
  if wait_for [ -e "$USB" ]; then
    # The unprivileged opener must be refused by exclusivity, not by permissions.
    chmod 666 "$UART" "$USB"
  else
    fact usb_adapter "missing=$USB"
    chmod 666 "$UART"
  fi
  for line in uart usb; do
    if [ "$line" = uart ]; then device=$UART; else device=$USB; fi
    [ -e "$device" ] || continue
    check_example "$line" "$device"
    check_reply exception "$line" "$device" 2
    check_reply silent "$line" "$device" 3
    fact "exclusive_$line" "$(bounded vm_probe exclusive "$device")"
    check_held "$line" "$device"
  done
  fact exchange_uart "$(bounded vm_probe exchange "$UART" 1)"
  fact write_uart "$(bounded vm_probe write "$UART")"
  fact status_uart "$(bounded vm_probe status "$UART")"
  [ -e "$USB" ] || return
  check_unplug
  check_readd
  check_replug
}
