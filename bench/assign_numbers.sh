#!/usr/bin/env bash
# Waybill numbers given after a batch: numbers per second for N pages.
# usage: bench/assign_numbers.sh path/to/sfwaybill-cli [BEFORE_CLI] [N ...]
#   (default N: 10000 100000)
# Each build makes its own data.mdb (init, N rows of inrxx, a batch of N
# pages to PDF), then reads N numbers from a file through assign-numbers
# --run 1. LIMIT=seconds (default 300) caps each assign-numbers run; a capped
# run reports the numbers it gave in that time. Then, for each build, the
# shipping export of the run (xlsx and csv) and the log, at N logged pages.
# TMPDIR=/dev/shm puts the stores in memory, where a sync costs nothing.
# Peak memory is the maximum resident set /usr/bin/time reports; cpu is
# user + system time, what is left when waits for the disk's syncs (one
# commit per number) are taken out.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
cli="$(realpath "$1")"
shift
before=""
if (($#)) && [[ -x "$1" ]]; then
  before="$(realpath "$1")"
  shift
fi
counts=("$@")
((${#counts[@]})) || counts=(10000 100000)
limit="${LIMIT:-300}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen

# A data.mdb with a printed batch of $2 pages, made by build $1 in ./$3.
printed() {
  local program="$1" n="$2" dir="$3"
  rm -rf "$dir" && mkdir "$dir"
  (
    cd "$dir"
    "$program" init 2>/dev/null
    sample_shop data.mdb $n
    "$program" print --window batch --pdf out.pdf >/dev/null 2>&1
    rm -f out.pdf
  )
}

# "label seconds peak_MiB" of one command run in ./$2 by build $3.
measure() {
  local label="$1" dir="$2"
  shift 2
  (cd "$dir" && /usr/bin/time -f '%e %M' -o ../time.txt "$@" >/dev/null 2>&1) || true
  # A killed or failing command adds a line before the figures.
  tail -n 1 time.txt | awk -v l="$label" '{ printf "  %-22s %9.2f s %9.1f MiB\n", l, $1, $2 / 1024 }'
}

for n in "${counts[@]}"; do
  seq 700000000001 $((700000000000 + n)) >numbers.txt
  for side in this ${before:+before}; do
    program="$cli"
    [[ "$side" == before ]] && program="$before"
    printed "$program" "$n" "$side"
    (
      cd "$side"
      /usr/bin/time -f '%e %M %U %S' -o ../time.txt timeout "$limit" \
        "$program" assign-numbers --run 1 <../numbers.txt >given.txt 2>/dev/null || true
    )
    given=$(wc -l <"$side/given.txt")
    tail -n 1 time.txt | awk -v s="$side" -v n="$n" -v g="$given" '{
      printf "%-7s N=%-7d assign-numbers %7d numbers %9.2f s %9.0f /s cpu %7.2f s %7.1f MiB%s\n",
        s, n, g, $1, ($1 > 0 ? g / $1 : 0), $3 + $4, $2 / 1024, (g < n ? " (capped)" : "") }'
    measure "ship-export xlsx" "$side" "$program" ship-export --run 1 ship.xlsx
    measure "ship-export csv" "$side" "$program" ship-export --run 1 --format csv ship.csv
    measure "log" "$side" "$program" log
  done
done
