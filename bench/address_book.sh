#!/usr/bin/env bash
# The main window on 100,000 recipients and 65,535 imported rows: start-up to
# the shown window (also on an empty database), "查 询" (a broad match of
# 20,000 rows and a no-match, once every row is read; also each after a
# printed page is logged) and "全部删除". Programs take turns; each figure is the median of REPS runs,
# wall-clock and CPU time as the bench reports them (CPU time tells more on a
# machine busy with other work), peak resident memory by /usr/bin/time.
#
# usage: bench/address_book.sh BUILD_DIR [BEFORE_BUILD_DIR]
#   REPS=5           runs per program and measurement
#   ROWS=100000      recipients; IMPORTED=65535 rows of excel
#   SMALL=2000       "全部删除" also on this many rows (an older build deletes
#                    a row at a time and would take minutes on all of them)
#   BIG_DELETE=1     0 leaves out "全部删除" of all ROWS (minutes at a million)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
builds=("$(realpath "$1")")
names=(ours)
if (($# > 1)); then
  builds+=("$(realpath "$2")")
  names+=(before)
fi
reps=${REPS:-5}
rows=${ROWS:-100000}
imported=${IMPORTED:-65535}
small=${SMALL:-2000}
big_delete=${BIG_DELETE:-1}
for b in "${builds[@]}"; do
  [[ -x "$b/bench/address-book-bench" && -x "$b/app/sfwaybill-cli" ]] ||
    { echo "build address-book-bench and sfwaybill-cli in $b first" >&2; exit 2; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

fill() { # FILE RECIPIENTS IMPORTED; every fifth name holds 甲
  (cd "$(dirname "$1")" && rm -f data.mdb && "${builds[0]}/app/sfwaybill-cli" init >/dev/null)
  sample_shop "$1" "$2" "'1'" "'收件人' || k || (case when k % 5 = 0 then '甲' else '乙' end)"
  sqlite3 "$1" "insert into excel select * from inrxx where rowid <= $3"
}
mkdir big small empty run
fill big/data.mdb "$rows" "$imported"
fill small/data.mdb "$small" 0
fill empty/data.mdb 0 0

# measure NAME BUILD SOURCE ARGS...: one run on a fresh copy of SOURCE's
# data.mdb; appends "label ms peak_kib cpu_ms" lines to NAME.txt (start-up
# labels on the empty database end in -empty)
measure() {
  local name=$1 build=$2 source=$3
  shift 3
  cp "$source/data.mdb" run/data.mdb
  (cd run && /usr/bin/time -f '%M' -o ../kib.txt "$build/bench/address-book-bench" "$@" >../out.txt)
  local kib
  kib=$(tail -1 kib.txt)
  awk -v k="$kib" -v n="$name" -v e="$([[ $source == empty ]] && echo -empty)" '$1 != "" {
      for (i = 1; i <= NF; ++i) { if ($i == "ms") ms = $(i + 1); if ($i == "cpu") cpu = $(i + 1) }
      label = $1; if ($1 ~ /^search/) label = $1 "-" $2
      if ($1 == "delete-all") label = "delete-all-" $3
      label = label e
      print label, ms, k, cpu >> (n ".txt") }' out.txt
}

for ((r = 0; r < reps; ++r)); do
  for i in "${!builds[@]}"; do
    b=${builds[$i]} n=${names[$i]}
    measure "$n" "$b" empty startup
    measure "$n" "$b" big startup
    measure "$n" "$b" big search 甲 丙
    measure "$n" "$b" big search-printed 甲 丙
    measure "$n" "$b" small delete-all
    [[ $n == ours && $big_delete == 1 ]] && measure "$n" "$b" big delete-all
  done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf '%-8s %-22s %10s %10s %10s\n' program measurement ms cpu_ms peak_MiB
for n in "${names[@]}"; do
  for label in $(cut -d' ' -f1 "$n.txt" | sort -u); do
    ms=$(awk -v l="$label" '$1 == l { print $2 }' "$n.txt" | median)
    kib=$(awk -v l="$label" '$1 == l { print $3 }' "$n.txt" | median)
    cpu=$(awk -v l="$label" '$1 == l { print $4 }' "$n.txt" | median)
    printf '%-8s %-22s %10d %10d %10.1f\n' "$n" "$label" "$ms" "$cpu" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
  done
done
echo "rows: $rows recipients (20% match 甲, none 丙), $imported imported; delete-all-$small and delete-all-$rows are the listed rows"
