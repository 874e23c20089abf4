#!/usr/bin/env bash
# A template against the built-in layout: batch pages to PDF, side by side.
# usage: bench/template_batch_pdf.sh path/to/sfwaybill-cli [N [RUNS]]   (default 10000 3)
# "built-in" prints TPlsf1Form's own page; "template" the same page from a
# copy of its template read as a file; "label" the 100 x 150 mm parcel label
# with its Code 128. Runs interleave; the medians of wall time and peak
# memory are printed, and the template's time as a ratio of the built-in's.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
cli="$(realpath "$1")"
n="${2:-10000}"
runs="${3:-3}"
here="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config"

"$cli" init 2>/dev/null
sample_shop data.mdb $n
cp "$here/waybill/templates/sf-batch.json" copy.json

declare -A times memory
for ((r = 0; r < runs; ++r)); do
  for kind in built-in template label; do
    case "$kind" in
      built-in) extra=() ;;
      template) extra=(--template copy.json) ;;
      label) extra=(--template parcel-label-100x150) ;;
    esac
    /usr/bin/time -f '%e %M' -o time.txt "$cli" print --window batch "${extra[@]}" --pdf out.pdf \
      >/dev/null 2>&1
    read -r seconds kib < time.txt
    times[$kind]+="$seconds "
    memory[$kind]+="$kib "
  done
done
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
base=$(echo "${times[built-in]}" | median)
printf '%-9s %8s %10s %10s %8s\n' layout pages seconds peak_MiB ratio
for kind in built-in template label; do
  s=$(echo "${times[$kind]}" | median)
  k=$(echo "${memory[$kind]}" | median)
  awk -v w="$kind" -v n="$n" -v s="$s" -v k="$k" -v b="$base" \
    'BEGIN { printf "%-9s %8d %10.2f %10.1f %8.3f\n", w, n, s, k / 1024, s / b }'
done
