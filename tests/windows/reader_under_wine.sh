#!/bin/sh
# vlk240-read.exe under Wine against the Linux simulator, through COM ports that the prefix maps
# to its pseudo-terminals (wine_line.sh): the worked example, an instrument that stays silent,
# an exception reply, a missing port, the port list, the regional separator, the memo in a
# console, and Ctrl+C during a cyclic read.
#   reader_under_wine.sh PREFIX VLK240-READ.EXE [RESULTS]
# With RESULTS, the counts of its checks go to RESULTS/vlk240_read_under_wine.xml, in the form
# of GoogleTest's reports.
set -eu
prefix=$1
reader=$2
results=${3:-}
here=$(dirname "$0")
. "$prefix/line.env"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passes=0

pass() {
  echo "ok   $1"
  passes=$((passes + 1))
}

# Each run opens a port no program has opened before (wine_line.sh says why).
run() {  # run NAME EXPECTED_STATUS ARGUMENTS...: the reader's output in $work/NAME.{out,err}
  name=$1
  expected=$2
  shift 2
  status=0
  "$here/wine.sh" "$prefix" "$reader" "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null ||
    status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "FAIL $name: exit $status, expected $expected"
    cat "$work/$name.err"
    failures=$((failures + 1))
    return 1
  fi
}

same() {  # same NAME FILE EXPECTED_TEXT
  if [ "$(cat "$2")" != "$3" ]; then
    echo "FAIL $1:"
    diff "$2" - <<TEXT || true
$3
TEXT
    failures=$((failures + 1))
  else
    pass "$1"
  fi
}

contains() {  # contains NAME FILE TEXT
  if grep -qF -- "$3" "$2"; then
    pass "$1"
  else
    echo "FAIL $1: no \"$3\" in"
    cat "$2"
    failures=$((failures + 1))
  fi
}

one_line() {  # one_line NAME FILE EXTENDED_REGEX: the file is one line ending in CR LF, which matches
  if [ "$(wc -l <"$2")" -eq 1 ] && [ "$(tail -c 2 "$2" | od -An -c | tr -d ' ')" = '\r\n' ] &&
    tr -d '\r' <"$2" | grep -Eq -- "$3"; then
    pass "$1"
  else
    printf 'FAIL %s: not one line matching %s:\n' "$1" "$3"
    cat "$2"
    failures=$((failures + 1))
  fi
}

crlf() { printf '%s\r\n' "$@"; }

memo=$(crlf "ВЛК240ТхИ Исполнение 1" "(Уровнемер-Уровнемер)" "" \
  "Уровень канала 1 - 45,5 %" "Объём канала 1 - 30,3 %" "Уровень канала 2 - 12,0 %" \
  "Объём канала 2 - 100,0 %" "Состояния реле: Вкл. Выкл. Вкл. Выкл. ")

if run worked 0 --port COM12 --separator , --trace "$work/worked.trace"; then
  same "COM12: the worked example" "$work/worked.out" "$memo"
  # The trace's lines without their times: the port, the request, the reply as read, the port.
  tr -d '\r' <"$work/worked.trace" | cut -d ' ' -f 2- >"$work/worked.events"
  same "COM12: the frame trace" "$work/worked.events" "$(printf '%s\n' \
    'vlk240-read open COM12 \\.\COM12' 'vlk240-read tx 8 01 04 00 00 00 0D 31 CF' \
    'vlk240-read rx 31 01 04 1A 00 00 42 36 00 00 41 F2 00 00 41 40 00 00 42 C8 00 00 00 15 00 0A 42 48 00 00 47 76' \
    'vlk240-read close COM12')"
fi

if run silent 1 --port COM9; then
  same "COM9, a silent instrument: unanswered" "$work/silent.err" \
    "$(crlf "vlk240-read: address 1: no valid reply (unanswered polls so far: 1)")"
fi

if run exception 1 --port COM8; then
  same "COM8: an exception reply" "$work/exception.err" \
    "$(crlf "vlk240-read: address 1: exception reply, code 2; no readings")"
fi

# One line: the port, the component's message with the Win32 code, the system's own text for
# it (Wine's words differ from Windows'), and what to do.
if run missing 3 --port COM20; then
  one_line "COM20: missing" "$work/missing.err" \
    '^vlk240-read: cannot open port COM20 \(\\\\\.\\COM20\): Unable to open com port \(win error code: 2\): [^.]+\. No such port; vlk240-read --list-ports shows the COM ports present, Device Manager \("Ports \(COM & LPT\)"\) the adapter.s number\.$'
fi

# The ports Wine lists in HARDWARE\DEVICEMAP\SERIALCOMM, in the order of their numbers: those
# the prefix maps (and COM1, which Wine gives the machine's /dev/ttyS0 on its own).
if run ports 0 --list-ports; then
  listed=$(tr -d '\r' <"$work/ports.out" | awk '$2 ~ /^\\Device\\/ { print $1 }' |
    grep -xE 'COM(5|6|7|8|9|10|11|12)' | paste -sd ' ' -)
  if [ "$listed" = "COM5 COM6 COM7 COM8 COM9 COM10 COM11 COM12" ]; then
    pass "--list-ports: the mapped COM ports"
  else
    echo "FAIL --list-ports: $listed"
    cat "$work/ports.out"
    failures=$((failures + 1))
  fi
fi

# The regional separator when none is given: Wine takes the user's locale from LANG.
if LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 run russian 0 --port COM10; then
  contains "COM10: the Russian regional separator" "$work/russian.out" "Уровень канала 1 - 45,5 %"
fi

# The memo in a console: started on a terminal (tmux here), a program gets Wine's console on
# it, and what the reader writes to a console goes as UTF-16 (WriteConsoleW); a tmux server of
# its own, ended after.
socket=vlk-wine-test-$$
tmux -L "$socket" new-session -d -x 100 -y 20 \
  "sh '$here/wine.sh' '$prefix' '$reader' --demo --separator ,; echo \"exit \$?\"; tmux -L '$socket' wait-for -S ended; sleep 60"
timeout 60 tmux -L "$socket" wait-for ended || true
tmux -L "$socket" capture-pane -p | sed 's/ *$//; /^$/d' >"$work/console.out" || true
tmux -L "$socket" kill-server 2>/dev/null || true
same "the memo in a console" "$work/console.out" \
  "$(printf '%s\n' "$memo" exit\ 0 | tr -d '\r' | sed 's/ *$//; /^$/d')"

# Ctrl+C reaches a console program under Wine as SIGINT: the cyclic read ends after the poll in
# progress, with every record whole and status 0.
WINEPREFIX="$prefix" WINEDEBUG=-all "$here/wine.sh" "$prefix" "$reader" --demo --cycle \
  --interval 0.2 --csv >"$work/cycle.out" 2>"$work/cycle.err" </dev/null &
pid=$!
for _ in $(seq 100); do
  [ "$(wc -l <"$work/cycle.out")" -ge 3 ] && break
  sleep 0.1
done
kill -INT "$pid"
status=0
wait "$pid" || status=$?
rows=$(grep -c 'accepted' "$work/cycle.out" || true)
if [ "$status" -eq 0 ] && [ "$rows" -ge 2 ] && [ "$(tail -c 2 "$work/cycle.out" | od -An -c | tr -d ' ')" = '\r\n' ]; then
  pass "Ctrl+C ends a cyclic read after $rows polls"
else
  echo "FAIL Ctrl+C: exit $status, $rows polls"
  cat "$work/cycle.out" "$work/cycle.err"
  failures=$((failures + 1))
fi

if [ -n "$results" ]; then
  mkdir -p "$results"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites tests="%d" failures="%d" disabled="0" errors="0" name="vlk240_read_under_wine">\n</testsuites>\n' \
    $((passes + failures)) "$failures" >"$results/vlk240_read_under_wine.xml"
fi
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
