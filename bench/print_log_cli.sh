#!/usr/bin/env bash
# `sfwaybill-cli log` on a long print log, this build beside another (main):
# time and peak memory of each, and whether their outputs are the same bytes.
# usage: bench/print_log_cli.sh path/to/sfwaybill-cli BEFORE_CLI [N] [--server]
#   (default N: 1000000 logged pages)
# One data.mdb, made by the first build: a batch of BASE (default 10000)
# pages printed to PDF and numbered as run 1, then its log rows and their
# numbers copied until the log holds N pages, spread over nine days so
# that --since 2026-12-05 lists about half. --server runs the same on a
# private PostgreSQL server (scripts/private_postgresql) the store is
# copied to. TMPDIR=/dev/shm makes the store in memory.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="$(realpath "$1")"
before="$(realpath "$2")"
n="${3:-1000000}"
server=0
[[ "${4:-}" == --server ]] && server=1
base="${BASE:-10000}"
work="$(mktemp -d)"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config"
cleanup() {
  ((server)) && stop_private_postgresql
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

"$cli" init >/dev/null 2>&1
sample_shop data.mdb $base
"$cli" print --window batch --pdf out.pdf >/dev/null 2>&1
rm -f out.pdf
seq 700000000001 $((700000000000 + base)) | "$cli" assign-numbers --run 1 >/dev/null 2>&1
# Page p carries 700000000000 + p, copies included, so numbers stay unique.
count=$(sqlite3 data.mdb 'select count(*) from printlog')
while ((count < n)); do
  take=$((n - count < count ? n - count : count))
  sqlite3 data.mdb <<SQL
begin;
insert into printlog select * from printlog order by rowid limit $take;
insert into printlog_numbers select CAST(CAST(页 AS integer) + $count AS TEXT), 批次, 订单编号,
  店铺, CAST(CAST(运单号 AS integer) + $count AS TEXT) from printlog_numbers
  where CAST(页 AS integer) <= $take;
commit;
SQL
  count=$((count + take))
done
sqlite3 data.mdb "update printlog set 打印时间 = '2026-12-0' || (1 + rowid % 9) || substr(打印时间, 11)"
numbered=$(sqlite3 data.mdb 'select count(*) from printlog_numbers')

store=()
if ((server)); then
  source "$root/scripts/private_postgresql"
  start_private_postgresql
  [[ -n "${SF_TEST_POSTGRESQL:-}" ]] || { echo "no PostgreSQL server" >&2; exit 1; }
  "$cli" copy --from data.mdb --to "$SF_TEST_POSTGRESQL" >/dev/null
  store=(--database "$SF_TEST_POSTGRESQL")
fi

echo "log of $n pages ($numbered numbered) on $(((server)) && echo PostgreSQL || echo data.mdb)"
for since in "" 2026-12-05; do
  args=(log ${since:+--since "$since"})
  for side in this before; do
    program="$cli"
    [[ $side == before ]] && program="$before"
    status=0
    /usr/bin/time -f '%e %M' -o time.txt "$program" "${store[@]}" "${args[@]}" \
      >"$side.out" 2>"$side.err" || status=$?
    tail -n 1 time.txt | awk -v s="$side" -v a="${args[*]}" -v x="$status" -v l="$(wc -l <"$side.out")" \
      '{ printf "  %-7s %-22s %9.2f s %9.1f MiB  exit %d  %d lines\n", s, a, $1, $2 / 1024, x, l }'
    echo "$status" >>"$side.err"
  done
  if cmp -s this.out before.out && cmp -s this.err before.err; then
    echo "  outputs identical"
  else
    echo "  OUTPUTS DIFFER"
  fi
done
