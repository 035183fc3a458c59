#!/bin/sh
# vlk240-read.exe under Wine against the Linux simulator, through COM ports that the prefix maps
# to its pseudo-terminals (wine_line.sh): the worked example, an instrument that stays silent,
# an exception reply, a missing port, and Ctrl+C during a cyclic read.
#   reader_under_wine.sh PREFIX VLK240-READ.EXE
set -eu
prefix=$1
reader=$2
here=$(dirname "$0")
. "$prefix/line.env"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Under Wine a pseudo-terminal refuses even parity when the line already has every setting the
# port asks for (glibc reports the parity bit the pseudo-terminal drops as an error, unless
# something else changed in the same call). A real port keeps its parity; here the line is
# given back the pseudo-terminal's own state before each run.
fresh() { stty -F "$1" -clocal; }

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
    echo "ok   $1"
  fi
}

contains() {  # contains NAME FILE TEXT
  if grep -qF -- "$3" "$2"; then
    echo "ok   $1"
  else
    echo "FAIL $1: no \"$3\" in"
    cat "$2"
    failures=$((failures + 1))
  fi
}

crlf() { printf '%s\r\n' "$@"; }

memo=$(crlf "ВЛК240ТхИ Исполнение 1" "(Уровнемер-Уровнемер)" "" \
  "Уровень канала 1 - 45,5 %" "Объём канала 1 - 30,3 %" "Уровень канала 2 - 12,0 %" \
  "Объём канала 2 - 100,0 %" "Состояния реле: Вкл. Выкл. Вкл. Выкл. ")

fresh "$VLK_SIM_DEVICE"
if run worked 0 --port COM5 --separator ,; then same "COM5: the worked example" "$work/worked.out" "$memo"; fi

fresh "$VLK_SIM_DEVICE"
if run silent 1 --port COM5 --address 2; then
  same "COM5, address 2: unanswered" "$work/silent.err" \
    "$(crlf "vlk240-read: address 2: no valid reply (unanswered polls so far: 1)")"
fi

fresh "$VLK_EXCEPTION_SIM_DEVICE"
if run exception 1 --port COM8; then
  same "COM8: an exception reply" "$work/exception.err" \
    "$(crlf "vlk240-read: address 1: exception reply, code 2; no readings")"
fi

if run missing 3 --port COM20; then
  contains "COM20: missing" "$work/missing.err" \
    "vlk240-read: cannot open port COM20 (\\\\.\\COM20): Unable to open com port (win error code: 2)"
fi

# The regional separator when none is given: Wine takes the user's locale from LANG.
fresh "$VLK_SIM_DEVICE"
if LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 run russian 0 --port COM5; then
  contains "COM5: the Russian regional separator" "$work/russian.out" "Уровень канала 1 - 45,5 %"
fi

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
  echo "ok   Ctrl+C ends a cyclic read after $rows polls"
else
  echo "FAIL Ctrl+C: exit $status, $rows polls"
  cat "$work/cycle.out" "$work/cycle.err"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
