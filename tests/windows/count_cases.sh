#!/bin/sh
# Prints "N passed, N failed, N skipped" over the cases of the Windows build's test programs run
# under Wine, which CTest sees as one entry each: GoogleTest's reports in RESULTS (one
# <name>.xml a program, reader_under_wine.sh's in the same form). Fails when there is none.
#   count_cases.sh RESULTS
set -eu
results=$1
set -- "$results"/*.xml
[ -e "$1" ] || { echo "count_cases: no reports in $results" >&2; exit 1; }
awk '
  # The root element holds the program totals; each skipped case is one testcase element.
  /<testsuites / {
    for (i = 1; i <= NF; i++) {
      split($i, pair, "=")
      gsub(/"/, "", pair[2])
      if (pair[1] == "tests") tests += pair[2]
      if (pair[1] == "failures" || pair[1] == "errors") failed += pair[2]
    }
  }
  /<testcase .*result="skipped"/ { skipped++ }
  END { printf "%d passed, %d failed, %d skipped\n", tests - failed - skipped, failed, skipped }
' "$@"
