#!/usr/bin/env bash
# Bulk writes on both stores, beside an older build: the import of a sheet
# into data.mdb and into a private PostgreSQL server (fsync on), and
# `sfwaybill-cli copy` of a whole shop onto the server and back into a new
# data.mdb. Programs take turns; each figure is the median of REPS runs.
# usage: bench/store_import_copy.sh BUILD_DIR [BEFORE_BUILD_DIR]
#   REPS=3  IMPORTS="10000 65535"  COPY_ROWS=1000000
# (root or a user that may run initdb)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
root="$(cd "$(dirname "$0")/.." && pwd)"
builds=("$(realpath "$1")")
names=(ours)
if (($# > 1)); then
  builds+=("$(realpath "$2")")
  names+=(before)
fi
reps=${REPS:-3}
imports=${IMPORTS:-10000 65535}
copy_rows=${COPY_ROWS:-1000000}
for b in "${builds[@]}"; do
  [[ -x "$b/bench/store-bench" && -x "$b/app/sfwaybill-cli" ]] ||
    { echo "build store-bench and sfwaybill-cli in $b first" >&2; exit 2; }
done
cli="${builds[0]}/app/sfwaybill-cli"
work="$(mktemp -d)"
source "$root/scripts/private_postgresql"
postgresql_fsync=on
trap 'stop_private_postgresql; rm -rf "$work"' EXIT
start_private_postgresql
[[ -n "${SF_TEST_POSTGRESQL:-}" ]] || { echo "no PostgreSQL server" >&2; exit 1; }
url="$SF_TEST_POSTGRESQL"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config"
cd "$work"

fill() { # DIR ROWS
  mkdir -p "$1"
  (cd "$1" && "$cli" init >/dev/null && sample_shop data.mdb "$2")
}
# Every table goes, the schema version and the newer tables with them: a
# server left with those alone is taken as set up and the copy finds no tables.
empty_server() {
  psql "$url" -q -v ON_ERROR_STOP=1 >/dev/null <<'SQL'
set client_min_messages = warning;
drop schema public cascade;
create schema public;
SQL
}
ms_of() { # COMMAND...: prints the wall-clock ms it took
  local start
  start=$(date +%s%N)
  "$@" >/dev/null
  echo $((($(date +%s%N) - start) / 1000000))
}

: >figures.txt
empty_server
"$cli" init --database "$url" >/dev/null
for n in $imports; do
  fill "rows$n" "$n"
  (cd "rows$n" && "$cli" export --format csv sheet >/dev/null)
  for ((r = 0; r < reps; ++r)); do
    for i in "${!builds[@]}"; do
      for store in data.mdb server; do
        target="$work/rows$n"
        [[ $store == server ]] && target="$url"
        ms=$("${builds[$i]}/bench/store-bench" "$target" "rows$n/sheet.csv" |
          awk '$1 == "import_ms" { printf "%d", $2 }')
        echo "${names[$i]} import-$n-$store $ms" >>figures.txt
      done
    done
  done
done

fill shop "$copy_rows"
for ((r = 0; r < reps; ++r)); do
  for i in "${!builds[@]}"; do
    b=${builds[$i]}
    empty_server
    echo "${names[$i]} copy-$copy_rows-to-server $(ms_of "$b/app/sfwaybill-cli" copy --from shop/data.mdb --to "$url")" >>figures.txt
    rm -rf back && mkdir back
    echo "${names[$i]} copy-$copy_rows-to-file $(ms_of "$b/app/sfwaybill-cli" copy --from "$url" --to back/data.mdb)" >>figures.txt
  done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf '%-8s %-28s %10s\n' program measurement ms
for n in "${names[@]}"; do
  for label in $(awk -v n="$n" '$1 == n { print $2 }' figures.txt | sort -u); do
    printf '%-8s %-28s %10d\n' "$n" "$label" \
      "$(awk -v n="$n" -v l="$label" '$1 == n && $2 == l { print $3 }' figures.txt | median)"
  done
done
