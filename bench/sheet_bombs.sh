#!/usr/bin/env bash
# The hostile sheets of the import (a column bomb, 25 million shared
# strings, unpacking bombs, a million cells to split as pasted texts, an
# .xls of 57 million empty CONTINUE records, one long shared string cited by
# 16 million cells, a 250 MB GB18030 text): wall and user processor time
# (the machine may be busy), peak memory and outcome of each import, beside
# an older build's when given. Target: each done within 5 s and under
# 300 MB. An import is stopped after 60 s.
# usage: bench/sheet_bombs.sh path/to/sfwaybill-cli path/to/write-sheet-bombs [OLD_CLI]
set -euo pipefail
writer="$(realpath "$2")"
clis=("$(realpath "$1")")
[[ $# -ge 3 ]] && clis+=("$(realpath "$3")")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen
mkdir sheets
"$writer" "$work/sheets" >list.txt

printf '%-40s %-4s %8s %8s %8s %10s  %s\n' sheet cli KiB seconds cpu_s peak_MiB outcome
while read -r file expected; do
  for i in "${!clis[@]}"; do
    rm -f data.mdb
    "${clis[$i]}" init >/dev/null 2>&1
    status=0
    /usr/bin/time -f "%e %U %M" -o time.txt timeout 60 "${clis[$i]}" import "$file" \
      >/dev/null 2>err.txt || status=$?
    read -r seconds cpu kib < <(tail -n 1 time.txt)
    outcome="imported $(sqlite3 data.mdb 'select count(*) from excel') rows"
    ((status == 124)) && outcome="stopped after 60 s"
    ((status == 0 || status == 124)) || outcome="refused: $(tail -n 1 err.txt)"
    printf '%-40s %-4s %8s %8s %8s %10s  %s (expected %s)\n' "$(basename "$file")" \
      "$([[ $i == 0 ]] && echo new || echo old)" "$(($(stat -c %s "$file") / 1024))" \
      "$seconds" "$cpu" "$((kib / 1024))" "$outcome" "$expected"
  done
done <list.txt
