#!/bin/sh
# The operator's note in the ZIP names every option that vlk240-read.exe --help prints (under
# Wine), and no other.
#   readme_matches_help.sh PREFIX VLK240-READ.EXE README-Windows.txt
set -eu
prefix=$1 reader=$2 readme=$3
here=$(dirname "$0")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

options() { grep -oE -- '--[a-z][a-z0-9-]*[a-z0-9]' | sort -u; }

sh "$here/wine.sh" "$prefix" "$reader" --help </dev/null | options >"$scratch/help"
options <"$readme" >"$scratch/readme"
[ -s "$scratch/help" ] || { echo "$reader --help lists no options" >&2; exit 1; }
only_help=$(comm -23 "$scratch/help" "$scratch/readme" | tr '\n' ' ')
only_readme=$(comm -13 "$scratch/help" "$scratch/readme" | tr '\n' ' ')
[ -z "$only_help" ] || echo "in --help but not in $readme: $only_help" >&2
[ -z "$only_readme" ] || echo "in $readme but not in --help: $only_readme" >&2
[ -z "$only_help$only_readme" ]
