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
    sqlite3 data.mdb <<SQL
insert into outrxx values ('深圳市顺达电子科技有限公司','张三','深圳',
  '广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼','518000',
  '0755-12345678','13800138000','张三','2026','12','8');
with recursive i(k) as (select 1 union all select k + 1 from i where k < $n)
insert into inrxx select '北京某某贸易有限公司第' || k || '分部', '收件人' || k, '北京',
  '北京市朝阳区建国路八十八号现代城写字楼' || k || '号楼十二层', '100022',
  '010-' || (87650000 + k), '139' || (10000000 + k), '文件', '1', '易碎物品小心轻放' from i;
SQL
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
