#!/usr/bin/env bash
# What the page warnings cost a batch to PDF: pdf-pages-bench on N made-up
# pages without and with the check, taking turns; medians of REPS runs.
# "fitting" pages print whole; "overflowing" ones each have a remark that
# does not fit, so that every page warns and its lines are formatted.
# The figures are CPU seconds of the page loop.
#
# usage: bench/page_warnings.sh BUILD_DIR [N]     (default 10000)
#   REPS=7    runs per case
set -euo pipefail
bench="$(realpath "$1")/bench/pdf-pages-bench"
pages="${2:-10000}"
reps="${REPS:-7}"
[[ -x "$bench" ]] || { echo "build pdf-pages-bench in $1 first" >&2; exit 2; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# CPU seconds: wall-clock time follows whatever else the machine runs. With
# --check also the seconds spent in the check itself, after drawing.
seconds() {
  "$bench" "$pages" "$work/out.pdf" "$@" > "$work/report"
  sed -n 's/.* cpu seconds \([0-9.]*\) .*/\1/p' "$work/report"
}
inCheck() { sed -n 's/.* seconds in the check \([0-9.e-]*\).*/\1/p' "$work/report"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

for data in fitting overflowing; do
  extra=()
  [[ $data == overflowing ]] && extra=(--overflow)
  without=() with=() checking=()
  for ((r = 0; r < reps; r++)); do
    without+=("$(seconds "${extra[@]}")")
    with+=("$(seconds "${extra[@]}" --check)")
    checking+=("$(inCheck)")
  done
  a="$(median "${without[@]}")" b="$(median "${with[@]}")" c="$(median "${checking[@]}")"
  awk -v n="$pages" -v d="$data" -v a="$a" -v b="$b" -v c="$c" 'BEGIN {
    printf "%s pages, %s: without the check %.3f s CPU, with it %.3f s (%+.1f%%); in the check itself %.3f s (%.1f%%)\n",
      n, d, a, b, (b - a) / a * 100, c, c / a * 100 }'
done
