#!/bin/sh
# The reader's service template and its example settings: the settings that keep the service
# up as systemd really runs it, and systemd-analyze verify on an instance whose ExecStart names
# this build's reader (the package's /usr/bin is not installed here).
# Usage: verify_service_unit.sh <vlk240-read@.service> <example.conf> <vlk240-read>
# Exits 77 (skipped) where systemd-analyze is missing, after the other checks passed.
set -eu
unit=$1 example=$2 reader=$3

failures=0
fail() {
  echo "service unit: $*" >&2
  failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# values KEY: the unit's values of KEY, one a line, in order.
values() { sed -n "s/^$1=//p" "$unit"; }

# The user keeps its own group, which reads the password and key files; Group=dialout would
# make systemd drop it.
[ "$(values User)" = vlk240 ] || fail "User is not vlk240"
[ "$(values Group)" = vlk240 ] || fail "Group is '$(values Group)', not the user's own vlk240"
values SupplementaryGroups | tr ' ' '\n' | grep -qx dialout ||
  fail "dialout is not among the SupplementaryGroups"

# Ready and watched: READY=1 and WATCHDOG=1 from the reader.
[ "$(values Type)" = notify ] || fail "Type is not notify"
values WatchdogSec | grep -Eqx '[1-9][0-9]*(s|min)?' || fail "no WatchdogSec"

# A stop after an unanswered poll (1) is clean; settings that cannot work (2) and a port that
# cannot be opened (3) are not, the one kept down, the other tried again.
success=" $(values SuccessExitStatus | tr '\n' ' ') "
case $success in *" 1 "*) ;; *) fail "SuccessExitStatus lacks 1: $success" ;; esac
case $success in *" 2 "* | *" 3 "*) fail "SuccessExitStatus takes 2 or 3: $success" ;; esac
values RestartPreventExitStatus | grep -qx 2 || fail "RestartPreventExitStatus is not 2"

# The serial drivers' names exactly as /proc/devices has them: a name that no driver
# registers (char-usb_serial) lets nothing through.
values DeviceAllow | sort >"$scratch/allowed"
printf 'char-%s rw\n' pts ttyACM ttyAMA ttyLP ttyS ttySC ttyTHS ttyUSB ttymxc | sort >"$scratch/wanted"
if ! cmp -s "$scratch/allowed" "$scratch/wanted"; then
  fail "DeviceAllow differs from the serial drivers' names: $(diff "$scratch/wanted" \
    "$scratch/allowed" | grep '^[<>]' | tr '\n' ' ')"
fi
[ "$(values DevicePolicy)" = closed ] || fail "DevicePolicy is not closed"

# Under ProtectSystem=strict: the lock folder, the queue on disk and a trace.
values ReadWritePaths | grep -qx /run/lock || fail "/run/lock is not writable"
[ "$(values StateDirectory)" = "vlk240/%i" ] || fail "no StateDirectory=vlk240/%i"
case " $(values ExecStart) " in
  *" --spool /var/lib/vlk240/%i "*) ;;
  *) fail "the records do not wait in the StateDirectory: no --spool /var/lib/vlk240/%i" ;;
esac
[ "$(values LogsDirectory)" = vlk240 ] || fail "no LogsDirectory=vlk240"

# Every option that the unit and the example pass is one the reader takes; the example keeps
# the records out of the journal.
"$reader" --help | grep -oE -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u >"$scratch/help"
options=$(sed -n 's/^OPTIONS=//p' "$example")
for option in $(values ExecStart) $options; do
  case $option in
    --*) grep -qx -- "$option" "$scratch/help" || fail "the reader takes no $option" ;;
  esac
done
for option in --json --csv --verbose; do
  case " $options " in *" $option "*) fail "example.conf prints records: $option" ;; esac
done
case " $options " in
  *" --publish-only "*) ;;
  *) fail "example.conf lacks --publish-only" ;;
esac

[ "$failures" -eq 0 ] || exit 1

command -v systemd-analyze >/dev/null 2>&1 || { echo "no systemd-analyze"; exit 77; }
sed "s|/usr/bin/vlk240-read|$reader|" "$unit" >"$scratch/vlk240-read@line1.service"
# verify prints its findings and fails on errors; warnings count as failures too.
if ! systemd-analyze verify --man=no "$scratch/vlk240-read@line1.service" >"$scratch/out" 2>&1 ||
  [ -s "$scratch/out" ]; then
  cat "$scratch/out"
  exit 1
fi
echo "verified"
