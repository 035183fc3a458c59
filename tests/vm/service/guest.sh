#!/bin/sh
# Runs in the Debian guest at each boot after multi-user.target (tests/vm/service/machine.sh
# has systemd start it), from the run's own disk mounted at /mnt. The first boot installs the
# package as a user would, sets up the broker and the line as README.md says and checks the
# service; it ends by asking the host to cut the power while records wait in the spool. The
# second boot checks that they arrive. Prints "vm_check service_NAME ok|FAIL DETAIL" lines on the console and asks
# the host for what only it can do with "vm_req NAME" lines, answered "done" on the console.
# wait_for evaluates its condition later: the variables in it are used there.
# shellcheck disable=SC2016,SC2034
set -u
exec >/dev/ttyS0 2>&1 </dev/ttyS0
stty -echo
here=/mnt
state=$here/state
unit=vlk240-read@line1
topic=site1/line1
sub_log=$state/sub.log
mkdir -p "$state"

check() {  # NAME ok|FAIL DETAIL
  echo "vm_check service_$1 $2 $3"
}
ask() {  # REQUEST
  echo "vm_req $1"
  IFS= read -r answer
  [ "$answer" = "done" ]
}
prop() { systemctl show -p "$1" --value "$unit"; }
records() { cat "$sub_log" 2>/dev/null | grep -c .; }
# The records that arrived after the first N lines of the subscriber's log.
records_after() { tail -n "+$(($1 + 1))" "$sub_log"; }
accepted_after() { records_after "$1" | grep -c '"outcome":"accepted"'; }
# Waits up to SECONDS for a shell condition.
wait_for() {  # SECONDS CONDITION
  limit=$(($(date +%s) + $1))
  until eval "$2"; do
    [ "$(date +%s)" -lt "$limit" ] || return 1
    sleep 1
  done
}
# A durable session (QoS 1, no clean start) that the broker keeps while the subscriber is
# away, across a broker restart too.
subscribe() {  # LOG
  mosquitto_sub -h 127.0.0.1 -u checker -P checker-secret -q 1 -c -i vm-check \
    -t "$topic/+/state" >>"$1" 2>>"$state/sub.err" &
}
# The numbers ("seq") of the records, each once, in the order of their first arrival.
seqs() { sed -n 's/.*"seq":\([0-9]*\).*/\1/p' | awk '!seen[$0]++'; }
# Whether the numbers on standard input run on without a gap; prints the first gap.
gapless() { awk 'NR > 1 && $1 != last + 1 { print last " -> " $1; bad = 1; exit } { last = $1 } END { exit bad }'; }
record_times() { sed -n 's/.*"time":"\([^"]*\)".*/\1/p'; }
write_conf() {  # ADDRESSES
  cat >/etc/vlk240/line1.conf <<EOF
PORT=/dev/ttyS1
ADDRESS=$1
INTERVAL=1
OPTIONS=--json --publish mqtt://vlk240@127.0.0.1/$topic --password-file /etc/vlk240/mqtt-password
EOF
}

finish() {
  echo "vm_done"
  sync
  # What "systemctl poweroff" does, without asking logind over D-Bus (the guest has none).
  systemctl start poweroff.target --job-mode=replace-irreversibly
  exit 0
}

# Every check needs the broker; multi-user.target may be reached before it listens.
wait_for 120 'systemctl is-active -q mosquitto'

if [ -e "$state/spooled" ]; then
  # After the power cut: the broker is back (enabled at boot), the reader started again by
  # itself; the durable session collects what the reader sends from its spool.
  subscribe "$state/sub-after.log"
  expected=$(grep -c . "$state/spooled")
  # The spooled records (by their poll's time) in the order they first arrived.
  arrivals() {
    record_times <"$state/sub-after.log" |
      awk 'NR == FNR { want[$0] = 1; next } ($0 in want) && !seen[$0]++' "$state/spooled" -
  }
  arrived() { arrivals | grep -c .; }
  wait_for 120 '[ "$(arrived)" -ge "$expected" ]'
  if [ "$expected" -gt 0 ] && [ "$(arrivals)" = "$(cat "$state/spooled")" ]; then
    check spool ok "all $expected records written while the broker was stopped arrived in order after the power cut"
  else
    check spool FAIL "$(arrived) of $expected records written while the broker was stopped arrived \
after the power cut$([ "$(arrived)" = "$expected" ] && echo ", out of order"); spool: \
$(ls /var/lib/vlk240/line1 2>&1 | tr '\n' ' ')"
  fi
  finish
fi

# The package, as a user installs it; nothing is fetched.
if apt-get install -y -q "$here"/package/*.deb >"$state/install.log" 2>&1 &&
  id vlk240 >/dev/null 2>&1; then
  check install ok "apt-get install $(basename "$here"/package/*.deb); user $(id vlk240)"
else
  check install FAIL "$(tail -n 2 "$state/install.log" | tr '\n' ' ') $(id vlk240 2>&1)"
  finish
fi

# The broker on loopback with passwords; the reader's password file as README.md makes it.
cat >/etc/mosquitto/conf.d/vm-check.conf <<'EOF'
listener 1883 127.0.0.1
allow_anonymous false
password_file /etc/mosquitto/passwd
EOF
mosquitto_passwd -c -b /etc/mosquitto/passwd vlk240 reader-secret
mosquitto_passwd -b /etc/mosquitto/passwd checker checker-secret
chown mosquitto: /etc/mosquitto/passwd
systemctl restart mosquitto
install -d /etc/vlk240
printf 'reader-secret\n' | install -m 0640 -g vlk240 /dev/stdin /etc/vlk240/mqtt-password
write_conf 1
subscribe "$sub_log"

systemctl enable --now "$unit" >"$state/enable.log" 2>&1
wait_for 60 '[ "$(accepted_after 0)" -ge 3 ]'
pid=$(prop MainPID)
user=$(stat -c %U "/proc/$pid" 2>/dev/null)
if [ "$(accepted_after 0)" -ge 3 ] && [ "$user" = vlk240 ]; then
  check reads ok "$(records) records at the guest's broker from $unit, MainPID $pid as user $user"
else
  check reads FAIL "$(records) records ($(accepted_after 0) accepted) in 60 s, MainPID $pid as \
user ${user:-?}, $(prop ActiveState)/$(prop SubState): $(journalctl -u "$unit" -n 6 -o cat | tr '\n' '|')"
fi

mode=$(stat -c '%a %U:%G' /etc/vlk240/mqtt-password)
if mosquitto_pub -h 127.0.0.1 -t "$topic/probe" -m x 2>/dev/null; then anonymous=accepted; else anonymous=refused; fi
if [ "$mode $anonymous" = "640 root:vlk240 refused" ] && [ "$(accepted_after 0)" -ge 1 ]; then
  check password_file ok "the broker refuses anonymous clients; the reader logged in with \
/etc/vlk240/mqtt-password ($mode)"
else
  check password_file FAIL "password file $mode, anonymous publish $anonymous, $(records) records"
fi

# The instrument's line goes quiet for 20 s: the same process reads again afterwards.
restarts=$(prop NRestarts) pid=$(prop MainPID)
if ask sim_stop; then
  sleep 20
  lost=$(records)
  ask sim_start
  if wait_for 60 '[ "$(accepted_after "$lost")" -ge 2 ]' && [ "$(prop NRestarts)" = "$restarts" ] &&
    [ "$(prop MainPID)" = "$pid" ]; then
    check line_lost ok "readings resumed after 20 s without the instrument, MainPID $pid and \
NRestarts $restarts unchanged"
  else
    check line_lost FAIL "$(accepted_after "$lost") readings after the instrument came back; MainPID \
$pid -> $(prop MainPID), NRestarts $restarts -> $(prop NRestarts)"
  fi
else
  check line_lost FAIL "the host could not stop the simulator"
fi

# kill -9: systemd starts the reader again, its seq going on from the spool; then a broker
# restart loses nothing.
pid=$(prop MainPID) prior=$(records)
kill -9 "$pid"
if wait_for 60 '[ "$(prop MainPID)" != "$pid" ] && [ "$(prop MainPID)" != 0 ]' &&
  killed=$(records) && wait_for 30 '[ "$(accepted_after "$killed")" -ge 2 ]'; then
  before=$(records)
  systemctl restart mosquitto
  wait_for 60 '[ "$(records_after "$before" | seqs | grep -c .)" -ge 6 ]'
  gap=$(records_after "$((prior - 1))" | seqs | gapless)
  count=$(records_after "$before" | seqs | grep -c .)
  if [ -z "$gap" ] && [ "$count" -ge 6 ]; then
    check kill_restart ok "after kill -9 MainPID $pid -> $(prop MainPID), records go on; \
$count records after the broker's restart, no seq missing since before the kill"
  else
    check kill_restart FAIL "after kill -9 and the broker's restart: $count records, gap ${gap:-none}"
  fi
else
  check kill_restart FAIL "after kill -9 of $pid: MainPID $(prop MainPID), \
$(prop ActiveState)/$(prop SubState), $(prop NRestarts) restarts"
fi

# The watchdog: a reader that stops answering systemd (SIGSTOP) is started again.
type=$(prop Type) watchdog=$(prop WatchdogUSec)
status=$(systemctl status "$unit" --no-pager 2>&1 | sed -n 's/^ *Status: //p')
# The status line tells of the instruments answering, the broker and the records waiting.
status_told() {
  case $status in *answering*broker*waiting*) return 0 ;; *) return 1 ;; esac
}
restarts=$(prop NRestarts) pid=$(prop MainPID)
if [ "$type" = notify ] && [ "$watchdog" != 0 ] && [ "$watchdog" != infinity ]; then
  kill -STOP "$pid"
  if wait_for 180 '[ "$(prop MainPID)" != "$pid" ] && [ "$(prop MainPID)" != 0 ]' &&
    [ "$(prop NRestarts)" -gt "$restarts" ] && status_told; then
    check watchdog ok "Type=notify, WatchdogSec $watchdog: the stopped reader was replaced \
(MainPID $pid -> $(prop MainPID), NRestarts $restarts -> $(prop NRestarts)); status $status"
  else
    kill -CONT "$pid" 2>/dev/null
    check watchdog FAIL "the stopped reader: MainPID $pid -> $(prop MainPID), NRestarts \
$restarts -> $(prop NRestarts), status: ${status:-none}"
  fi
else
  check watchdog FAIL "Type=$type WatchdogUSec=$watchdog (wanted notify and a watchdog), status: ${status:-none}"
fi

# A stop while an instrument goes unanswered ends the unit inactive, not failed.
write_conf 1,7
systemctl restart "$unit"
restarted=$(records)
silent_seen() { records_after "$restarted" | grep -q '"address":7,"outcome":"unanswered"'; }
if wait_for 60 silent_seen; then silent=yes; else silent=no; fi
systemctl stop "$unit"
active=$(systemctl is-active "$unit") result=$(prop Result)
if [ "$silent" = no ]; then
  check stop FAIL "no unanswered record of address 7 in 60 s; stopped: $active, result $result"
elif [ "$active $result" = "inactive success" ]; then
  check stop ok "stopped with address 7 unanswered: inactive, result success"
else
  check stop FAIL "stopped with address 7 unanswered: $active, result $result, exit status $(prop ExecMainStatus)"
fi

# The spool: with the broker stopped, records wait on disk; the power is cut while they do.
write_conf 1
systemctl start "$unit"
started=$(records)
wait_for 30 '[ "$(accepted_after "$started")" -ge 2 ]'
systemctl stop mosquitto
sync # the broker's saved sessions; the records from here on are the reader's to keep
cursor=$(journalctl -u "$unit" -n 0 --show-cursor -q | sed -n 's/^-- cursor: //p')
sleep 10
journalctl -u "$unit" --after-cursor="$cursor" -o cat | grep '^{' | record_times >"$state/spooled"
sync "$state/spooled"
echo "vm_fact spooled $(grep -c . "$state/spooled") records; spool: $(ls /var/lib/vlk240/line1 2>&1 | tr '\n' ' ')"
sync "$state"
# The last records the journal had get their moment to reach the spool.
sleep 2
ask power_cut
sleep 60
check spool FAIL "the host did not cut the power"
finish
