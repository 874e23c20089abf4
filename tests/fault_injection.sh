#!/usr/bin/env bash
# Bad luck on purpose: the command-line program is killed (SIGKILL) at a
# random moment of an import, an export, a backup, a restore, a print to
# PDF or a copy to a new data.mdb; runs out of
# disk; and an import, a restore and readers run at once. After every trial
# the database passes integrity_check and holds exactly the rows from before
# or from after (never a mix, never rows lost by a command that reported
# success), and the next start leaves none of our temporary files behind.
# usage: tests/fault_injection.sh path/to/sfwaybill-cli [TRIALS]
#   TRIALS defaults to 8 (one of each kind, a few seconds); run more by hand.
set -euo pipefail
cli="$(realpath "$1")"
trials="${2:-8}"
work="$(mktemp -d)"
mounted=""
cleanup() {
  [[ -z "$mounted" ]] || umount "$mounted" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen
export TMPDIR="$work/tmp" # our scratch folders, checked for leftovers
mkdir -p "$TMPDIR"

sql() { sqlite3 -cmd ".timeout 20000" "$@"; }
fill() { # database, table, count, name prefix
  sql "$1" "with recursive i(k) as (select 1 union all select k + 1 from i where k < $3)
    insert into $2 select '公司' || k, '$4' || k, '北京', '朝阳区建国路' || k || '号', '010000',
      '010-' || k, '139' || k, '文件', k % 10, hex(randomblob(60)) from i;"
}
signature() { # database, table: the rows as one line
  sql "$1" "select count(*) || ':' || ifnull(sum(length(收件人姓名 || 备注)), 0) || ':' ||
    ifnull(min(收件人姓名), '') || ':' || ifnull(max(收件人姓名), '') from $2;"
}

# The old content, a backup with new content and a sheet of new rows.
mkdir "$work/fixture" "$work/new"
(cd "$work/fixture" && "$cli" init 2>/dev/null)
fill "$work/fixture/data.mdb" inrxx 2000 old
fill "$work/fixture/data.mdb" excel 500 oldsheet
(cd "$work/new" && "$cli" init 2>/dev/null)
fill "$work/new/data.mdb" inrxx 3000 new
fill "$work/new/data.mdb" excel 300 newsheet
(cd "$work/new" && "$cli" backup "$work/new" >/dev/null 2>&1)
sql -csv -header :memory: "with recursive i(k) as (select 1 union all select k + 1 from i
  where k < 4000) select '公司' as 单位名称, 'imp' || k as 收件人姓名, '上海' as 目的地,
  '地址' || k as 收件地址, '200000' as 邮政编码, '' as 联系电话, '138' || k as 手机号码,
  '' as 内件品名, '1' as 数量, 'x' as 备注 from i;" >"$work/new.csv"
old_in="$(signature "$work/fixture/data.mdb" inrxx)"
old_ex="$(signature "$work/fixture/data.mdb" excel)"
new_in="$(signature "$work/new.bak" inrxx)"
new_ex="$(signature "$work/new.bak" excel)"
cp "$work/fixture/data.mdb" "$work/imported.mdb"
(cd "$work" && mkdir probe && cp imported.mdb probe/data.mdb && cd probe &&
  "$cli" import "$work/new.csv" >/dev/null 2>&1 && cp data.mdb "$work/imported.mdb")
imp_ex="$(signature "$work/imported.mdb" excel)"

failures=0
fail() {
  echo "trial $trial ($kind): $*" >&2
  failures=$((failures + 1))
}
intact() { [[ "$(sql "$1" 'pragma integrity_check;')" == ok ]]; }

# The folder of one trial: the old database and nothing else.
fresh() {
  rm -rf "$1"
  mkdir -p "$1"
  cp "$work/fixture/data.mdb" "$1/data.mdb"
}

# What the next start must find: the old or the new rows, whole.
check_live() { # folder, allowed "in|ex" pairs...
  local dir="$1"
  shift
  intact "$dir/data.mdb" || { fail "integrity_check failed"; return; }
  local got
  got="$(signature "$dir/data.mdb" inrxx)|$(signature "$dir/data.mdb" excel)"
  local pair
  for pair in "$@"; do [[ "$got" == "$pair" ]] && return; done
  fail "rows are a mix: $got"
}
check_leftovers() {
  local dir="$1"
  (cd "$dir" && "$cli" backup "$work/next-start" >/dev/null 2>&1) || fail "next start failed"
  rm -f "$work/next-start.bak"
  local left
  left="$(find "$dir" "$TMPDIR" -mindepth 1 -name '*sfwaybill-*' | head -n 3)"
  [[ -z "$left" ]] || fail "leftovers: $left"
}

# Runs a command in a folder and kills it after a random part of `span` ms.
run_killed() { # folder, span, command...
  local dir="$1" span="$2"
  shift 2
  (cd "$dir" && exec "$cli" "$@" >/dev/null 2>&1) &
  local pid=$!
  sleep "$(awk -v r=$RANDOM -v s="$span" 'BEGIN { printf "%.3f", r / 32768 * s / 1000 }')"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

span_of() { # how long a command takes, in ms, to spread the kills over
  local dir="$work/span"
  fresh "$dir"
  local start end
  start=$(date +%s%N)
  (cd "$dir" && "$cli" "$@" >/dev/null 2>&1) || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000 + 50))
}
span_import="$(span_of import "$work/new.csv")"
span_export="$(span_of export book.xlsx)"
span_backup="$(span_of backup "$work/span")"
span_restore="$(span_of restore "$work/new.bak")"
span_print="$(span_of print --window batch --pdf out.pdf)"
span_copy="$(span_of copy --from data.mdb --to copy.mdb)"
# A good PDF from before, which a killed print must leave whole.
(cd "$work/fixture" && "$cli" print --window single --pdf "$work/previous.pdf" >/dev/null 2>&1)

# A disk that fills up: a small tmpfs when we may mount one, else a limit
# on the size of the files the program writes.
full_disk_run() { # folder, command...
  local dir="$1"
  shift
  local size
  size=$(stat -c %s "$work/fixture/data.mdb")
  local bytes=$((size + 8192 + RANDOM % 3 * size / 2 + RANDOM * 16))
  if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o "size=$bytes" tmpfs "$dir" 2>/dev/null; then
    mounted="$dir"
    cp "$work/fixture/data.mdb" "$dir/data.mdb"
    (cd "$dir" && "$cli" "$@" >/dev/null 2>&1) || true
  else
    (cd "$dir" && prlimit --fsize=$((RANDOM * 32)) "$cli" "$@" >/dev/null 2>&1) || true
  fi
}
leave_full_disk() {
  [[ -z "$mounted" ]] && return
  cp -a "$mounted" "$work/rescued"
  umount "$mounted"
  mounted=""
  rm -rf "$1"
  mv "$work/rescued" "$1"
}

kinds=(import export backup restore "full disk" concurrent print copy)
declare -A counted
for ((trial = 1; trial <= trials; trial++)); do
  kind="${kinds[$(((trial - 1) % ${#kinds[@]}))]}"
  counted[$kind]=$((${counted[$kind]:-0} + 1))
  dir="$work/trial"
  fresh "$dir"
  case "$kind" in
  import)
    run_killed "$dir" "$span_import" import "$work/new.csv"
    check_live "$dir" "$old_in|$old_ex" "$old_in|$imp_ex"
    ;;
  export)
    name=book.xls
    ((RANDOM % 2)) && name=book.xlsx
    run_killed "$dir" "$span_export" export "$name"
    check_live "$dir" "$old_in|$old_ex"
    if [[ -e "$dir/$name" ]]; then
      fresh "$work/reimport"
      (cd "$work/reimport" && "$cli" import "$dir/$name" >/dev/null 2>&1) ||
        fail "the exported $name does not import"
      [[ "$(signature "$work/reimport/data.mdb" excel)" == "$old_in" ]] ||
        fail "the exported $name is not the address book"
    fi
    ;;
  backup)
    run_killed "$dir" "$span_backup" backup "$work/monday"
    check_live "$dir" "$old_in|$old_ex"
    if [[ -e "$work/monday.bak" ]]; then
      intact "$work/monday.bak" || fail "the backup is damaged"
      [[ "$(signature "$work/monday.bak" inrxx)" == "$old_in" ]] || fail "the backup is not whole"
      rm -f "$work/monday.bak"
    fi
    ;;
  restore)
    run_killed "$dir" "$span_restore" restore "$work/new.bak"
    check_live "$dir" "$old_in|$old_ex" "$new_in|$new_ex"
    if [[ -e "$dir/data.mdb.before-restore" ]]; then
      intact "$dir/data.mdb.before-restore" || fail "the undo copy is damaged"
      [[ "$(signature "$dir/data.mdb.before-restore" inrxx)" == "$old_in" ]] ||
        fail "the undo copy is not the old database"
    fi
    ;;
  print)
    cp "$work/previous.pdf" "$dir/out.pdf"
    run_killed "$dir" "$span_print" print --window batch --pdf out.pdf
    check_live "$dir" "$old_in|$old_ex"
    cmp -s "$work/previous.pdf" "$dir/out.pdf" ||
      [[ "$(pdfinfo "$dir/out.pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')" == 2000 ]] ||
      fail "out.pdf is neither the previous PDF nor the whole batch"
    ;;
  copy)
    run_killed "$dir" "$span_copy" copy --from data.mdb --to copy.mdb
    check_live "$dir" "$old_in|$old_ex"
    if [[ -e "$dir/copy.mdb" ]]; then
      intact "$dir/copy.mdb" || fail "the copy is damaged"
      [[ "$(signature "$dir/copy.mdb" inrxx)|$(signature "$dir/copy.mdb" excel)" == \
        "$old_in|$old_ex" ]] || fail "copy.mdb is there without every row"
    fi
    ;;
  "full disk")
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$work/fixture/data.mdb" "$dir/data.mdb"
    case $((RANDOM % 4)) in
    0) full_disk_run "$dir" import "$work/new.csv" ;;
    1) full_disk_run "$dir" export book.xls ;;
    2) full_disk_run "$dir" backup book ;;
    3) full_disk_run "$dir" restore "$work/new.bak" ;;
    esac
    leave_full_disk "$dir"
    [[ -e "$dir/data.mdb" ]] || cp "$work/fixture/data.mdb" "$dir/data.mdb"
    check_live "$dir" "$old_in|$old_ex" "$old_in|$imp_ex" "$new_in|$new_ex"
    for f in "$dir/book.bak" "$dir/data.mdb.before-restore"; do
      [[ ! -e "$f" ]] || intact "$f" || fail "$(basename "$f") is damaged"
    done
    ;;
  concurrent)
    # A restore and an import at once, readers all the while: readers see
    # the old or the new address book; an import that reports success has
    # its rows in the database or in the undo copy of a restore after it.
    (cd "$dir" && sleep "0.$((RANDOM % 3))" && exec "$cli" restore "$work/new.bak" >/dev/null 2>&1) &
    restore_pid=$!
    (cd "$dir" && sleep "0.$((RANDOM % 3))" && exec "$cli" import "$work/new.csv" >/dev/null 2>&1) &
    import_pid=$!
    for _ in 1 2 3 4 5 6 7 8; do
      seen="$(signature "$dir/data.mdb" inrxx 2>/dev/null || echo unreadable)"
      [[ "$seen" == "$old_in" || "$seen" == "$new_in" ]] || fail "a reader saw: $seen"
      sleep 0.05
    done
    restored=0 imported=0
    wait "$restore_pid" && restored=1
    wait "$import_pid" && imported=1
    want_in="$old_in"
    ((restored)) && want_in="$new_in"
    if ((imported)); then
      got_ex="$(signature "$dir/data.mdb" excel)"
      if [[ "$got_ex" != "$imp_ex" ]]; then
        kept="$dir/data.mdb.before-restore"
        [[ -e "$kept" && "$(signature "$kept" excel)" == "$imp_ex" ]] ||
          fail "a successful import's rows are gone"
      fi
      check_live "$dir" "$want_in|$imp_ex" "$want_in|$new_ex"
    else
      check_live "$dir" "$want_in|$old_ex" "$want_in|$new_ex"
    fi
    ;;
  esac
  check_leftovers "$dir"
done

summary=""
for kind in "${kinds[@]}"; do summary+="$kind ${counted[$kind]:-0}, "; done
echo "fault injection: $trials trials (${summary%, }), $failures failures"
((failures == 0))
