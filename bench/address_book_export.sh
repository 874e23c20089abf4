#!/usr/bin/env bash
# "数据导出" through `sfwaybill-cli export` of 65,535 recipients (.xls, .xlsx,
# .csv) and of a million (.xlsx, .csv; an .xls holds 65,535): wall time,
# processor time (user and system) and peak memory of each run. With
# BEFORE_CLI, an older build runs each export right after ours on the same
# database, and the two files must hold the same: .xls and .csv byte for
# byte, .xlsx every part but the time it was made.
# usage: bench/address_book_export.sh path/to/sfwaybill-cli [BEFORE_CLI]
#   SIZES="65535 1000000"   the numbers of recipients
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
cli="$(realpath "$1")"
before="${2:+$(realpath "$2")}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen

fill() { # RECIPIENTS
  rm -f data.mdb
  "$cli" init >/dev/null 2>&1
  sample_shop data.mdb $1 'k % 10'
}

run_one() { # PROGRAM-NAME CLI ROWS FILE
  local name="$1" program="$2" rows="$3" file="$4"
  /usr/bin/time -f "%e %U %S %M" -o time.txt "$program" export "$file" >/dev/null 2>err.txt || {
    cat err.txt >&2
    exit 1
  }
  read -r seconds user system kib <time.txt
  printf '%-7s %-8s %8s %10s %10s %10s\n' "$name" "${file##*.}" "$rows" "$seconds" \
    "$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')" "$((kib / 1024))"
}

same() { # OURS BEFORE
  if [[ "$1" == *.xlsx ]]; then
    python3 - "$1" "$2" <<'PY' && return
import sys, zipfile
def parts(name):
    with zipfile.ZipFile(name) as z:
        return {n: z.read(n) for n in z.namelist() if n != "docProps/core.xml"}
sys.exit(parts(sys.argv[1]) != parts(sys.argv[2]))
PY
  else
    cmp -s "$1" "$2" && return
  fi
  echo "$1 and $2 differ" >&2
  exit 1
}

printf '%-7s %-8s %8s %10s %10s %10s\n' program format rows seconds cpu_s peak_MiB
for rows in ${SIZES:-65535 1000000}; do
  fill "$rows"
  formats=(xlsx csv)
  ((rows < 65536)) && formats=(xls "${formats[@]}")
  for format in "${formats[@]}"; do
    run_one ours "$cli" "$rows" "ours.$format"
    if [[ -n "$before" ]]; then
      run_one before "$before" "$rows" "before.$format"
      same "ours.$format" "before.$format"
    fi
    rm -f ./*."$format"
  done
done
[[ -z "$before" ]] || echo "each file is the same as the older build's"
