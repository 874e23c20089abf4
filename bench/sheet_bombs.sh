#!/usr/bin/env bash
# The hostile sheets of the import (a column bomb, 25 million shared
# strings, unpacking bombs, a million cells to split as pasted texts): wall
# time, peak memory and outcome of each import. Target: each done within
# 5 s and under 300 MB.
# usage: bench/sheet_bombs.sh path/to/sfwaybill-cli path/to/write-sheet-bombs
set -euo pipefail
cli="$(realpath "$1")"
writer="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen
"$cli" init 2>/dev/null

printf '%-42s %8s %8s %10s  %s\n' sheet KiB seconds peak_MiB outcome
"$writer" "$work" | while read -r file expected; do
  status=0
  /usr/bin/time -f "%e %M" -o time.txt "$cli" import "$file" >/dev/null 2>err.txt || status=$?
  read -r seconds kib < <(tail -n 1 time.txt)
  outcome="imported $(sqlite3 data.mdb 'select count(*) from excel') rows"
  ((status == 0)) || outcome="refused: $(tail -n 1 err.txt)"
  printf '%-42s %8s %8s %10s  %s (expected %s)\n' "$(basename "$file")" \
    "$(($(stat -c %s "$file") / 1024))" "$seconds" "$((kib / 1024))" "$outcome" "$expected"
done
