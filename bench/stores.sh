#!/usr/bin/env bash
# data.mdb beside a PostgreSQL server (a private one on a Unix socket, as
# scripts/test starts it), on the same 10,000 recipients: the main window's
# reopen that start-up waits for, a name search, a 10,000-page batch PDF,
# a 10,000-row import, and the copy of the shop onto the server.
# usage: bench/stores.sh BUILD_DIR [ROWS]   (default 10000; root or a user
# that may run initdb)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "$1")"
n="${2:-10000}"
cli="$build/app/sfwaybill-cli"
bench="$build/bench/store-bench"
work="$(mktemp -d)"
source "$root/scripts/private_postgresql"
postgresql_fsync=on
trap 'stop_private_postgresql; rm -rf "$work"' EXIT
start_private_postgresql
[[ -n "${SF_TEST_POSTGRESQL:-}" ]] || { echo "no PostgreSQL server" >&2; exit 1; }
url="$SF_TEST_POSTGRESQL"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config"
cd "$work"

"$cli" init
sqlite3 data.mdb <<SQL
insert into outrxx values ('深圳市顺达电子科技有限公司','张三','深圳',
  '广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼','518000',
  '0755-12345678','13800138000','张三','2026','12','8');
with recursive i(k) as (select 1 union all select k + 1 from i where k < $n)
insert into inrxx select '北京某某贸易有限公司第' || k || '分部', '收件人' || k, '北京',
  '北京市朝阳区建国路八十八号现代城写字楼' || k || '号楼十二层', '100022',
  '010-' || (87650000 + k), '139' || (10000000 + k), '文件', '1', '易碎物品小心轻放' from i;
SQL
"$cli" export --format csv sheet >/dev/null

start=$(date +%s%N)
"$cli" copy --from data.mdb --to "$url" >/dev/null
copied_ms=$((($(date +%s%N) - start) / 1000000))

printf '%-12s %10s %10s %10s %12s %10s\n' store reopen_ms search_ms import_ms batch_pdf_s pages/s
for store in data.mdb server; do
  if [[ $store == server ]]; then target="$url"; option=(--database "$url"); else target="$work"; option=(); fi
  "$bench" "$target" sheet.csv >figures.txt
  reopen=$(awk '$1 == "reopen_ms" {print $2}' figures.txt)
  search=$(awk '$1 == "search_ms" {print $2}' figures.txt)
  import=$(awk '$1 == "import_ms" {print $2}' figures.txt)
  /usr/bin/time -f '%e' -o time.txt "$cli" "${option[@]}" print --window TPlsf1Form --pdf out.pdf >/dev/null 2>&1
  seconds=$(cat time.txt)
  pages=$(pdfinfo out.pdf | awk '/^Pages:/ {print $2}')
  awk -v s="$store" -v r="$reopen" -v q="$search" -v i="$import" -v t="$seconds" -v p="$pages" \
    'BEGIN { printf "%-12s %10.1f %10.2f %10.1f %12.2f %10.0f\n", s, r, q, i, t, (t > 0 ? p / t : 0) }'
done
echo "copy of $n rows from data.mdb to the server: ${copied_ms} ms"
