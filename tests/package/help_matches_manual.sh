#!/bin/sh
# Checks that a program's --help and its manual page name the same options: every --word
# printed by --help appears in the page and every --word in the page is printed by --help.
# Usage: help_matches_manual.sh <program> <manual page (roff)>
set -eu
program=$1 page=$2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

options() { grep -oE -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u; }

"$program" --help | options >"$scratch/help"
# roff writes a hyphen as \- and switches fonts with \fB, \fI, \fR, \fP. The EXAMPLES
# section may show other programs' options, so it is left out.
sed -e '/^\.SH EXAMPLES/,/^\.SH/{/^\.SH EXAMPLES/d;/^\.SH/!d;}' \
    -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page" | options >"$scratch/page"

[ -s "$scratch/help" ] || { echo "$program --help lists no options" >&2; exit 1; }
only_help=$(comm -23 "$scratch/help" "$scratch/page" | tr '\n' ' ')
only_page=$(comm -13 "$scratch/help" "$scratch/page" | tr '\n' ' ')
[ -z "$only_help" ] || echo "in --help but not in $page: $only_help" >&2
[ -z "$only_page" ] || echo "in $page but not in --help: $only_page" >&2
[ -z "$only_help$only_page" ]
