#!/bin/sh
# Judges a run of the test machine from what the guest reported (RUN/console.log) and
# QEMU's trace of the line settings (RUN/trace.log). Prints one line per check,
#   vm_check NAME ok|FAIL DETAIL
# and exits 1 when a check failed. Time bounds are generous: they catch hangs and
# things that cannot be (a reply faster than the wire), not slowness.
# Usage: judge.sh RUN
set -eu
run=$1
log="$run/console.log"
trace="$run/trace.log"
failures=0

check() {  # NAME ok|FAIL DETAIL
  echo "vm_check $1 $2 $3"
  if [ "$2" = FAIL ]; then failures=$((failures + 1)); fi
}

fact() { sed -n "s/^vm_fact $1 //p" "$log" | tail -n 1; }
# Fails check NAME when the guest sent no result for it.
reported() {  # NAME FACTS
  [ -n "$2" ] && return
  check "$1" FAIL "no result"
  return 1
}
texts() { sed -n "s/^vm_text $1 //p" "$log"; }
# The value of KEY in a fact's "key=value" words.
value() { printf '%s\n' "$1" | tr ' ' '\n' | sed -n "s/^$2=//p" | head -n 1; }
# True when every VALUE LOW HIGH triple is a number within its bounds.
within() { awk -v list="$*" 'BEGIN {
  n = split(list, a, " ")
  for (i = 1; i <= n; i += 3) if (a[i] !~ /^-?[0-9.]+$/ || a[i] < a[i + 1] || a[i] > a[i + 2]) exit 1
}'; }

# The 8 memo lines of the reference reply, with the operator's "," separator.
expected_memo() {
  cat <<'EOF'
ВЛК240ТхИ Исполнение 1
(Уровнемер-Уровнемер)

Уровень канала 1 - 45,5 %
Объём канала 1 - 30,3 %
Уровень канала 2 - 12,0 %
Объём канала 2 - 100,0 %
Состояния реле: Вкл. Выкл. Вкл. Выкл. 
EOF
}

# QEMU traces what the guest driver programs into the emulated hardware, also
# intermediate states. The guest set the line to 1200 bit/s right before our
# reader opened it; the settings traced after the last such line are the reader's.
judge_settings() {  # LINE BAUD_PATTERN WANTED_PATTERN...
  name=$1 bracket=$2
  shift 2
  start=$(grep -n -- "$bracket" "$trace" | tail -n 1 | cut -d: -f1)
  if [ -z "$start" ]; then
    check "settings_$name" FAIL "no traced 1200 bit/s setting before the reader's open"
    return
  fi
  for wanted in "$@"; do
    if ! tail -n "+$start" "$trace" | grep -q -- "$wanted"; then
      check "settings_$name" FAIL "after the reader's open the trace has no \"$wanted\"; last: \
$(tail -n "+$start" "$trace" | grep -- "${wanted%% *}" | tail -n 1)"
      return
    fi
  done
  check "settings_$name" ok "traced after the reader's open: 9600 bit/s, parity E, 8 data bits, 1 stop bit"
}

judge_example() {  # LINE
  facts=$(fact "example_$1")
  reported "example_$1" "$facts" || return 0
  got=$(texts "example_$1")
  if [ "$(value "$facts" status)" = 0 ] && [ "$got" = "$(expected_memo)" ]; then
    check "example_$1" ok "the 8 memo lines of the reference reply"
  else
    printf '%s\n' "$got" >"$run/example_$1.txt"
    difference=$(expected_memo | diff - "$run/example_$1.txt" | grep '^[<>]' | head -n 2 | tr '\n' ' ')
    check "example_$1" FAIL "status $(value "$facts" status); $difference $(texts "example_$1.err")"
  fi
}

judge_exception() {  # LINE
  facts=$(fact "exception_$1")
  reported "exception_$1" "$facts" || return 0
  record=$(texts "exception_$1")
  case $record in
    *'"outcome":"exception"'*'"raw":"2 132 2 '*)
      if [ "$(value "$facts" status)" = 1 ]; then
        check "exception_$1" ok "exception reply 2 132 2 from address 2: outcome exception, exit status 1"
        return
      fi
      ;;
  esac
  check "exception_$1" FAIL "status $(value "$facts" status): ${record:-no record}"
}

judge_silent() {  # LINE
  facts=$(fact "silent_$1")
  reported "silent_$1" "$facts" || return 0
  record=$(texts "silent_$1")
  took=$(value "$facts" receive_ms)
  case $record in
    *'"outcome":"unanswered"'*)
      if [ "$(value "$facts" status)" = 1 ] && [ "$(value "$facts" received)" = 0 ] &&
        within "$took" 180 1000; then
        check "silent_$1" ok "outcome unanswered; the read gave up after $took ms (its time-out: 6 ms x 31 = 186 ms)"
        return
      fi
      ;;
  esac
  check "silent_$1" FAIL "status $(value "$facts" status), read ${took:-?} ms for \
$(value "$facts" received) bytes (time-out 186 ms): ${record:-no record}"
}

judge_exclusive() {  # LINE
  facts=$(fact "exclusive_$1")
  reported "exclusive_$1" "$facts" || return 0
  if [ "$(value "$facts" held_root) $(value "$facts" held_other)" = "5 5" ] &&
    [ "$(value "$facts" freed_root) $(value "$facts" freed_other)" = "0 0" ]; then
    check "exclusive_$1" ok "while held: root and uid 65534 refused (5); after close both open"
  else
    check "exclusive_$1" FAIL "open results (0 opened, else the error code): $facts"
  fi
}

judge_in_use() {  # LINE
  facts=$(fact "in_use_$1")
  reported "in_use_$1" "$facts" || return 0
  errors=$(texts "in_use_$1.err")
  case $errors in
    *"Another program uses the port. End it, then try again.")
      if [ "$(value "$facts" held) $(value "$facts" status)" = "1 3" ]; then
        check "in_use_$1" ok "root's reader refused the line another program held: $errors"
        return
      fi
      ;;
  esac
  check "in_use_$1" FAIL "$facts (held=1: the other program held the line; status 3: refused): \
${errors:-no message}"
}

judge_killed_holder() {  # LINE
  facts=$(fact "killed_holder_$1")
  reported "killed_holder_$1" "$facts" || return 0
  if [ "$(value "$facts" other)" = 0 ]; then
    check "killed_holder_$1" ok "after kill -9 of the holder uid 65534 opens the line: the \
driver dropped the exclusive flag with its last descriptor"
  else
    check "killed_holder_$1" FAIL "uid 65534's open after kill -9 of the holder: $facts (0 opened)"
  fi
}

# QEMU's 16550 sends and receives at once; the simulator paces the exchange to the wire
# time of its 8 + 31 bytes at 9600 bit/s, 44.7 ms: no round trip can be shorter.
judge_roundtrip() {
  facts=$(fact exchange_uart)
  reported roundtrip_uart "$facts" || return 0
  total=$(value "$facts" total_ms)
  if [ "$(value "$facts" received)" = 31 ] && within "$total" 44.0 1000; then
    check roundtrip_uart ok "$total ms for 8 + 31 bytes paced to their wire time of 44.7 ms"
  else
    check roundtrip_uart FAIL "${total:-?} ms for 8 + $(value "$facts" received) bytes; wire time 44.7 ms"
  fi
}

# QEMU's 16550 sends at once, so the probe holds the output back for a while (tcflow):
# a write that completes before that ends while its bytes still wait in the driver.
judge_write() {
  facts=$(fact write_uart)
  reported write_time_uart "$facts" || return 0
  early=$(value "$facts" early) writes=$(value "$facts" writes) hold=$(value "$facts" hold_ms)
  took="after $(value "$facts" min_ms) to $(value "$facts" max_ms) ms with the output held for \
$hold ms (at 9600 bit/s 8 bytes take 9.2 ms)"
  if [ "$early" = 0 ] && within "$(value "$facts" max_ms)" 0 5000; then
    check write_time_uart ok "$writes 8-byte writes completed once their bytes had left, $took"
  elif [ -n "$early" ]; then
    check write_time_uart FAIL "$early of $writes 8-byte writes completed before their bytes \
left the port, $took"
  else
    check write_time_uart FAIL "$facts"
  fi
}

judge_status() {
  facts=$(fact status_uart)
  reported modem_status_uart "$facts" || { check comm_errors_uart FAIL "no result"; return 0; }
  modem=$(value "$facts" modem) kernel=$(value "$facts" kernel_modem)
  if [ "$(value "$facts" modem_ok)" = 1 ] && [ -n "$modem" ] && [ "$modem" = "$kernel" ] &&
    [ "$kernel" -ge 0 ]; then
    check modem_status_uart ok "GetCommModemStatus gives $modem, the driver's modem lines"
  else
    check modem_status_uart FAIL "GetCommModemStatus: $facts (kernel_modem: the driver's lines)"
  fi
  if [ "$(value "$facts" clear_ok) $(value "$facts" errors) $(value "$facts" in_queue)" = "1 0 31" ]; then
    check comm_errors_uart ok "ClearCommError: no line errors, 31 reply bytes in the input queue"
  else
    check comm_errors_uart FAIL "ClearCommError: $facts (31 reply bytes were waiting)"
  fi
}

judge_unplug() {
  facts=$(fact unplug_usb)
  reported unplug_usb "$facts" || return 0
  errors=$(texts unplug_usb.err)
  exit_ms=$(value "$facts" exit_ms) cpu_ms=$(value "$facts" cpu_ms)
  problem=""
  [ "$(value "$facts" host)" = "done" ] || problem="the host could not unplug ($facts); "
  [ "$(value "$facts" hung)" = 0 ] || problem="${problem}the reader hung; "
  [ "$(value "$facts" status)" = 3 ] || problem="${problem}exit status $(value "$facts" status), not 3; "
  [ "$(value "$facts" polls_after)" = 1 ] ||
    problem="${problem}$(value "$facts" polls_after) polls after the unplug, not 1; "
  within "$exit_ms" 0 2500 || problem="${problem}ended ${exit_ms:-?} ms after the unplug; "
  # A reader that sleeps between polls uses next to no CPU; one that spins uses it all.
  awk -v cpu="$cpu_ms" -v ran="$exit_ms" 'BEGIN { exit !(cpu ~ /^[0-9]+$/ && cpu <= ran / 2 + 50) }' ||
    problem="${problem}used ${cpu_ms:-?} ms of CPU in ${exit_ms:-?} ms; "
  case $(texts unplug_usb) in *'"outcome":"port_error"'*) ;; *) problem="${problem}last record not port_error; " ;; esac
  if [ "$(printf '%s\n' "$errors" | grep -c .)" != 1 ] || ! printf '%s' "$errors" | grep -q 'port error'; then
    problem="${problem}standard error: $(printf '%s' "$errors" | tr '\n' '|'); "
  fi
  if [ -z "$problem" ]; then
    check unplug_usb ok "port error at the next poll, exit 3 after $exit_ms ms (poll interval 1000 ms), \
$cpu_ms ms CPU, one line: $errors"
  else
    check unplug_usb FAIL "${problem%; }"
  fi
}

judge_readd() {
  facts=$(fact readd_usb)
  reported readd_usb "$facts" || return 0
  if [ "$(value "$facts" host)" = "done" ] && [ "$(value "$facts" status)" = 0 ]; then
    check readd_usb ok "device_add: the adapter is back as $(value "$facts" node) and a new open reads it"
  else
    check readd_usb FAIL "$facts"
  fi
}

judge_replug() {
  facts=$(fact replug)
  reported replug "$facts" || return 0
  if [ "$(value "$facts" resumed)" = 1 ]; then
    check replug ok "vlk240-read --cycle --reopen read again after the replug (${facts})"
  else
    check replug FAIL "$facts"
  fi
}

if ! grep -q '^vm_done' "$log" 2>/dev/null; then
  check machine FAIL "the guest did not finish its checks (see $log)"
fi
judge_settings uart "^serial_update_parameters baudrate=1200 " \
  "^serial_update_parameters baudrate=9600 parity='E' data=8 stop=1"
if [ -n "$(fact usb_adapter)" ]; then
  check usb_adapter FAIL "no /dev/ttyUSB0 in the guest: the adapter never enumerated"
fi
judge_settings usb "^usb_serial_set_baud .* baud rate 1200$" \
  "^usb_serial_set_data .* parity E, data bits 8, stop bits 1$" \
  "^usb_serial_set_baud .* baud rate 9600$"
for line in uart usb; do
  judge_example $line
  judge_exception $line
  judge_silent $line
  judge_exclusive $line
  judge_in_use $line
  judge_killed_holder $line
done
judge_roundtrip
judge_write
judge_status
judge_unplug
judge_readd
judge_replug
[ "$failures" -eq 0 ]
