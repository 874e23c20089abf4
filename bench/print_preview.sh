#!/usr/bin/env bash
# The batch window's preview and printing on 1,000 and 10,000 rows.
# usage: bench/print_preview.sh path/to/print-preview-bench
set -euo pipefail
bench="$(realpath "$1")"
export QT_QPA_PLATFORM=offscreen
for n in 1000 10000; do
  echo "== preview, $n rows"
  "$bench" preview "$n"
done
echo "== print 10000 pages to PDF through 打 印"
"$bench" pdf 10000
