#!/usr/bin/env bash
# Export and import of a full .xls sheet (65,535 recipients plus the title
# row), and the same through .xlsx: wall time, processor time (user and
# system) and peak memory of each run. With BEFORE_CLI, an older build runs
# each command right after ours, on the same files.
# usage: bench/exchange_65535.sh path/to/sfwaybill-cli [ROWS [BEFORE_CLI]]   (default 65535)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
cli="$(realpath "$1")"
n="${2:-65535}"
before="${3:+$(realpath "$3")}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen

"$cli" init 2>/dev/null
sample_shop data.mdb $n 'k % 10'

run_one() { # PROGRAM-NAME CLI WHAT ARGS...
  local name="$1" program="$2" what="$3"
  shift 3
  /usr/bin/time -f "%e %U %S %M" -o time.txt "$program" "$@" >/dev/null 2>err.txt || {
    cat err.txt >&2
    exit 1
  }
  read -r seconds user system kib <time.txt
  printf '%-7s %-14s %8s %10s %10s %10s\n' "$name" "$what" "$n" "$seconds" \
    "$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')" "$((kib / 1024))"
}
run() {
  run_one ours "$cli" "$@"
  [[ -z "$before" ]] || run_one before "$before" "$@"
}

printf '%-7s %-14s %8s %10s %10s %10s\n' program command rows seconds cpu_s peak_MiB
run "export .xls" export book
run "import .xls" import book.xls
run "export .xlsx" export book.xlsx
run "import .xlsx" import book.xlsx
imported="$(sqlite3 data.mdb 'select count(*) from excel')"
[[ "$imported" == "$n" ]] || { echo "imported $imported rows, expected $n" >&2; exit 1; }
printf 'file sizes: %s\n' "$(ls -l book.xls book.xlsx | awk '{printf "%s %s  ", $9, $5}')"
