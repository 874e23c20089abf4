#!/usr/bin/env bash
# How long a command that draws nothing takes to start and end, beside
# `sqlite3 :memory: 'select 1'` and, when given, an older build's:
# interleaved runs, medians in milliseconds.
# usage: bench/command_start.sh path/to/sfwaybill-cli [BEFORE_CLI] [RUNS]   (default 41)
set -euo pipefail
cli="$(realpath "$1")"
before="${2:+$(realpath "$2")}"
runs="${3:-41}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
"$cli" init

commands=("sqlite3 :memory: 'select 1'")
for program in $before "$cli"; do
  commands+=(
    "'$program' --version"
    "'$program' parse-address '张三 13812345678 北京市朝阳区建国路88号'"
    "'$program' log"
    "'$program' print --window single --pdf out.pdf"
  )
done
for c in "${!commands[@]}"; do : >"times.$c"; done
for _ in $(seq "$runs"); do
  for c in "${!commands[@]}"; do
    start=$(date +%s%N)
    eval "${commands[$c]}" >/dev/null 2>&1
    echo $((($(date +%s%N) - start) / 1000)) >>"times.$c"
  done
done
median() { sort -n "$1" | awk '{a[NR] = $1} END {printf "%.1f", a[int((NR + 1) / 2)] / 1000}'; }
base="$(median times.0)"
printf '%-50s %8s %6s\n' command ms ratio
for c in "${!commands[@]}"; do
  m="$(median "times.$c")"
  shown="${commands[$c]/\'$cli\'/new}"
  [[ -n "$before" ]] && shown="${shown/\'$before\'/before}"
  printf '%-50s %8s %6.1f\n' "${shown:0:50}" "$m" "$(echo "$m / $base" | bc -l)"
done
