#!/usr/bin/env bash
# Batch waybills to PDF: pages per second and peak memory for N rows of inrxx.
# usage: bench/waybill_batch_pdf.sh path/to/sfwaybill-cli [N ...]   (default 1000 10000)
#   BEFORE=CLI   also runs another sfwaybill-cli (an older build) on the same
#                rows, the two taking turns, and says how they compare
#   RUNS=1       runs of each build for each N; the figures are medians
# The "single" line prints one page from the same rows: the query's snapshot
# of the rows is read either way, so the difference is what the pages cost.
# Peak memory is the maximum resident set /usr/bin/time reports.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
cli="$(realpath "$1")"
shift
before="${BEFORE:+$(realpath "$BEFORE")}"
runs="${RUNS:-1}"
counts=("$@")
((${#counts[@]})) || counts=(1000 10000)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# One run: "seconds peak_KiB" appended to $1; the PDF's pages checked.
timed() {
  local out="$1" n="$2" window="$3" program="$4"
  rm -f out.pdf
  /usr/bin/time -f '%e %M' -o time.txt "$program" print --window "$window" --pdf out.pdf >/dev/null 2>&1
  local pages
  pages=$(pdfinfo out.pdf | awk '/^Pages:/ {print $2}')
  [[ "$window" == TSf1Form || "$pages" == "$n" ]] || { echo "$program printed $pages pages of $n" >&2; exit 1; }
  cat time.txt >>"$out"
}

printf '%-8s %-7s %8s %10s %10s %10s\n' window build pages seconds pages/s peak_MiB
for n in "${counts[@]}"; do
  rm -f data.mdb
  "$cli" init 2>/dev/null
  sample_shop data.mdb $n
  rm -f single.t this.t before.t
  timed single.t "$n" TSf1Form "$cli"
  for ((r = 0; r < runs; r++)); do
    timed this.t "$n" TPlsf1Form "$cli"
    [[ -n "$before" ]] && timed before.t "$n" TPlsf1Form "$before"
  done
  for b in single this ${before:+before}; do
    pages=$([[ "$b" == single ]] && echo 1 || echo "$n")
    [[ "$b" == single ]] && label=single || label=batch
    s=$(awk '{print $1}' "$b.t" | median)
    k=$(awk '{print $2}' "$b.t" | median)
    awk -v w="$label" -v b="$([[ $b == single ]] && echo this || echo "$b")" -v p="$pages" -v s="$s" -v k="$k" \
      'BEGIN { printf "%-8s %-7s %8d %10.2f %10.0f %10.1f\n", w, b, p, s, (s > 0 ? p / s : 0), k / 1024 }'
  done
  if [[ -n "$before" ]]; then
    awk -v n="$n" -v a="$(awk '{print $1}' this.t | median)" -v b="$(awk '{print $1}' before.t | median)" \
      -v c="$(awk '{print $2}' this.t | median)" -v d="$(awk '{print $2}' before.t | median)" \
      'BEGIN { printf "%-8s %-7s %8d %9.2fx %10s %9.2fx\n", "batch", "this/bef", n, a / b, "", c / d }'
  fi
done
