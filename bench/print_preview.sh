#!/usr/bin/env bash
# The batch window's preview: from "批量打印" to the first page shown, on
# 1,000, 10,000 and 1,000,000 rows in data.mdb and on a private PostgreSQL
# server (fsync on; left out when none starts), beside an older build's bench
# when given (interleaved runs, medians of wall and processor time and of
# peak memory); then "其中 N 页今天已打印过" on 100,000 and 1,000,000 rows
# with 100 of them printed today, beside the older build's; then "打 印"
# to the box about texts that do not print whole on 1,000,000 rows with
# pages 1-5 chosen and with none, beside the older build's; then 10,000
# pages through "打 印".
# usage: bench/print_preview.sh BENCH [BEFORE_BENCH]   (RUNS=3 by default;
# the older bench needs --database for the server rows and the today and
# ask modes: this bench's source built against the older tree)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bench="$(realpath "$1")"
before="${2:+$(realpath "$2")}"
runs="${RUNS:-3}"
export QT_QPA_PLATFORM=offscreen

source "$root/scripts/private_postgresql"
postgresql_fsync=on
trap stop_private_postgresql EXIT
start_private_postgresql
server="${SF_TEST_POSTGRESQL:-}"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# One run: wall ms, processor ms, peak MiB.
run() {
  local program="$1" rows="$2" store="$3"
  local args=(preview "$rows")
  if [[ "$store" == postgresql ]]; then
    # An empty database for each run; runs are apart by far more than a nanosecond.
    local database="preview_$(date +%s%N)"
    psql -q -d "$server" -c "create database $database" >/dev/null
    args+=(--database "${server/\/sfwaybill\?/\/$database?}")
  fi
  "$program" "${args[@]}" 2>/dev/null |
    awk '/first page shown/ {w = $5; c = $7} /with the preview open/ {m = $NF} END {print w, c, m}'
  [[ "$store" == postgresql ]] && psql -q -d "$server" -c "drop database $database" >/dev/null
  return 0
}

printf '%-10s %8s %-7s %8s %8s %9s\n' store rows build wall_ms cpu_ms peak_MiB
stores=(data.mdb)
[[ -n "$server" ]] && stores+=(postgresql)
for store in "${stores[@]}"; do
  for rows in 1000 10000 1000000; do
    builds=(this)
    [[ -n "$before" ]] && builds+=(before)
    declare -A results=()
    for ((r = 0; r < runs; r++)); do
      for b in "${builds[@]}"; do
        program="$bench"
        [[ "$b" == before ]] && program="$before"
        results[$b]+="$(run "$program" "$rows" "$store")"$'\n'
      done
    done
    for b in "${builds[@]}"; do
      lines="${results[$b]}"
      printf '%-10s %8s %-7s %8s %8s %9s\n' "$store" "$rows" "$b" \
        "$(awk 'NF {print $1}' <<<"$lines" | median)" \
        "$(awk 'NF {print $2}' <<<"$lines" | median)" \
        "$(awk 'NF {print $3}' <<<"$lines" | median)"
    done
    unset results
  done
done

# Interleaved runs of MODE on each of ROWS, beside the older build: the
# medians of the two figures (wall ms, processor ms) PICK takes from a run.
# usage: beside MODE PICK ROWS...
beside() {
  local mode="$1" pick="$2" rows b r program lines
  shift 2
  printf '%8s %-7s %8s %8s\n' rows build wall_ms cpu_ms
  local builds=(this)
  [[ -n "$before" ]] && builds+=(before)
  for rows in "$@"; do
    local -A results=()
    for ((r = 0; r < runs; r++)); do
      for b in "${builds[@]}"; do
        program="$bench"
        [[ "$b" == before ]] && program="$before"
        results[$b]+="$("$program" "$mode" "$rows" 2>/dev/null | awk "$pick")"$'\n'
      done
    done
    for b in "${builds[@]}"; do
      lines="${results[$b]}"
      printf '%8s %-7s %8s %8s\n' "$rows" "$b" \
        "$(awk 'NF {print $1}' <<<"$lines" | median)" "$(awk 'NF {print $2}' <<<"$lines" | median)"
    done
    unset results
  done
}

echo "== 其中 N 页今天已打印过, 100 rows printed today (data.mdb)"
beside today '/printed today/ {print $6, $8}' 100000 1000000

echo "== 打 印 to the box of texts that do not print whole, pages 1-5 chosen (data.mdb)"
beside ask '/box after/ {print $4, $6}' 1000000
echo "== the same, no pages chosen: every page checked, with progress shown"
beside ask-all '/box after/ {print $4, $6}' 1000000

echo "== print 10000 pages to PDF through 打 印"
"$bench" pdf 10000
