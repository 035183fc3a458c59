#!/bin/sh
# Fails unless each program imports only DLLs that every Windows has, so that an operator
# copies one .exe and it runs: the C++ runtime, libgcc and winpthread must be linked in.
#   system_dlls_only.sh PROGRAM.exe...
set -eu
objdump=x86_64-w64-mingw32-objdump
allowed='^(KERNEL32|ADVAPI32|USER32|GDI32|msvcrt|SHELL32|ole32|COMCTL32|COMDLG32|WS2_32|UxTheme|SETUPAPI)\.dll$'
status=0
for program in "$@"; do
  dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [ -n "$dlls" ] || { echo "$program: no imports found"; status=1; }
  for dll in $dlls; do
    if echo "$dll" | grep -Eqi "$allowed"; then
      echo "$(basename "$program"): $dll"
    else
      echo "$(basename "$program"): $dll is not one of Windows' own DLLs"
      status=1
    fi
  done
done
exit $status
