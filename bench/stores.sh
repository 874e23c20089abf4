#!/usr/bin/env bash
# data.mdb beside a PostgreSQL server (a private one on a Unix socket, as
# scripts/test starts it), on the same 10,000 recipients: the main window's
# reopen that start-up waits for, a name search, a 10,000-page batch PDF,
# a 10,000-row import, and the copy of the shop onto the server.
# usage: bench/stores.sh BUILD_DIR [ROWS]   (default 10000; root or a user
# that may run initdb)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
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
sample_shop data.mdb $n
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
