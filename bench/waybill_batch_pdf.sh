#!/usr/bin/env bash
# Batch waybills to PDF: pages per second and peak memory for N rows of inrxx.
# usage: bench/waybill_batch_pdf.sh path/to/sfwaybill-cli [N ...]   (default 1000 10000)
# The "single" line prints one page from the same rows: the query's snapshot
# of the rows is in memory either way, so the difference is what the pages
# cost.
set -euo pipefail
cli="$(realpath "$1")"
shift
counts=("$@")
((${#counts[@]})) || counts=(1000 10000)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen

printf '%-8s %8s %8s %10s %10s %10s\n' window rows pages seconds pages/s peak_MiB
for n in "${counts[@]}"; do
  rm -f data.mdb out.pdf
  "$cli" init 2>/dev/null
  sqlite3 data.mdb <<SQL
insert into outrxx values ('深圳市顺达电子科技有限公司','张三','深圳',
  '广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼','518000',
  '0755-12345678','13800138000','张三','2026','12','8');
with recursive i(k) as (select 1 union all select k + 1 from i where k < $n)
insert into inrxx select '北京某某贸易有限公司第' || k || '分部', '收件人' || k, '北京',
  '北京市朝阳区建国路八十八号现代城写字楼' || k || '号楼十二层', '100022',
  '010-' || (87650000 + k), '139' || (10000000 + k), '文件', '1', '易碎物品小心轻放' from i;
SQL
  for window in TSf1Form TPlsf1Form; do
    /usr/bin/time -f '%e %M' -o time.txt "$cli" print --window "$window" --pdf out.pdf 2>/dev/null
    read -r seconds kib < time.txt
    pages=$(pdfinfo out.pdf | awk '/^Pages:/ {print $2}')
    awk -v w="$window" -v n="$n" -v p="$pages" -v s="$seconds" -v k="$kib" \
      'BEGIN { printf "%-8s %8d %8d %10.2f %10.0f %10.1f\n", (w == "TSf1Form" ? "single" : "batch"), n, p, s, (s > 0 ? p / s : 0), k / 1024 }'
  done
done
