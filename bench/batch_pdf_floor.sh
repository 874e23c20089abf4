#!/usr/bin/env bash
# Batch waybills to PDF side by side: `sfwaybill-cli print --window TPlsf1Form
# --pdf` against the cairo floor (bench/cairo_floor.c, the same pages straight
# on cairo) and, at 1,000 pages, glabels-3-batch on the same printed lines.
# The programs take turns; each figure is the median of REPS runs.
#
# usage: bench/batch_pdf_floor.sh BUILD_DIR [N ...]     (default 1000 10000 100000)
#   REPS=5             runs per program and N (3 at 100,000 pages unless set)
#   GLABELS=0          leave gLabels out; otherwise it is installed from Debian
#                      when missing (root and apt only), for this benchmark alone
#   BEFORE=CLI         also time another sfwaybill-cli (an older build), as "before"
#
# Columns: wall-clock seconds, CPU seconds (user + system) and peak resident
# memory; the ratio lines divide ours by the floor.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/sample_shop.sh"
build="$(realpath "$1")"
shift
counts=("$@")
((${#counts[@]})) || counts=(1000 10000 100000)
cli="$build/app/sfwaybill-cli"
floor="$build/bench/cairo-floor"
[[ -x "$cli" && -x "$floor" ]] || { echo "build sfwaybill-cli and cairo-floor in $build first" >&2; exit 2; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

glabels=""
if [[ "${GLABELS:-1}" != 0 ]]; then
  if ! command -v glabels-3-batch >/dev/null && [[ $(id -u) -eq 0 ]] && command -v apt-get >/dev/null; then
    echo "installing glabels for this benchmark" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends glabels >&2 ||
      { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends glabels >&2; } || true
  fi
  command -v glabels-3-batch >/dev/null && glabels="$(command -v glabels-3-batch)"
fi

fill() { # the rows of the earlier batch benchmarks
  rm -f data.mdb
  "$cli" init 2>/dev/null
  sample_shop data.mdb $1
}

# The batch window's placements (left, top, width, height in layout pixels),
# in drawing order, as gLabels objects: a white box at rest size (gLabels
# cannot size a box by its text), then the text of field fN, wide enough
# never to wrap, less gLabels' 3-pt text margin, lines 12 pt apart. gLabels
# takes a missing a0...a5 as a zero matrix.
glabels_document() {
  local boxes=(270,374,65,17 288,294,81,17 104,140,65,37 168,221,65,17 264,221,65,17
    104,294,65,35 168,374,65,17 288,140,81,17 664,296,33,17 88,328,65,41 88,176,65,41
    576,476,33,41 88,448,65,17 320,445,33,17 602,348,17,17 645,348,17,17)
  local k=0 l t w h
  cat <<EOF
<?xml version="1.0"?>
<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">
  <Template brand="sfwaybill" part="waybill" size="Other" width="216mm" height="140mm" description="waybill">
    <Label-rectangle id="0" width="216mm" height="140mm" round="0pt" x_waste="0pt" y_waste="0pt">
      <Layout nx="1" ny="1" x0="0pt" y0="0pt" dx="216mm" dy="140mm"/>
    </Label-rectangle>
  </Template>
  <Objects id="0" rotate="False">
EOF
  for b in "${boxes[@]}"; do
    IFS=, read -r l t w h <<<"$b"
    k=$((k + 1))
    awk -v m='a0=\"1\" a1=\"0\" a2=\"0\" a3=\"1\" a4=\"0\" a5=\"0\"' -v l="$l" -v t="$t" -v w="$w" -v h="$h" -v k="$k" 'BEGIN {
      printf "    <Object-box " m " x=\"%gpt\" y=\"%gpt\" w=\"%gpt\" h=\"%gpt\" line_width=\"0pt\" fill_color=\"0xffffffff\"/>\n", l * .75, t * .75, w * .75, h * .75
      printf "    <Object-text " m " x=\"%gpt\" y=\"%gpt\" w=\"%gpt\" h=\"%gpt\" justify=\"Left\" valign=\"Top\" auto_shrink=\"False\">\n", l * .75 - 3, t * .75, w * 4 * .75, h * .75
      printf "      <Span font_family=\"AR PL UMing CN\" font_size=\"12\" font_weight=\"Regular\" font_italic=\"False\" color=\"0x000000ff\" line_spacing=\"0.9552\"><Field name=\"f%d\"/></Span>\n", k
      printf "    </Object-text>\n" }'
  done
  cat <<EOF
  </Objects>
  <Merge type="Text/Comma/Line1Keys" src="$work/lines.csv"/>
</Glabels-document>
EOF
}

# One timed run: "seconds cpu_seconds peak_KiB" appended to $2.
timed() {
  local out="$1"
  shift
  /usr/bin/time -f '%e %U %S %M' -o time.txt "$@" >/dev/null 2>run.log || { cat run.log >&2; exit 1; }
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' time.txt >>"$out"
}

pages() { pdfinfo "$1" | awk '/^Pages:/ { print $2 }'; }

median() { # column $2 of file $1
  sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

# Same words at the same places on the first pages, within 0.05 pt.
same_words() {
  local a b
  a=$(pdftotext -f 1 -l 3 -bbox "$1" - | grep -o '<word[^<]*</word>' | sed -E 's/.*xMin="([^"]*)" yMin="([^"]*)".*>(.*)<\/word>/\3 \1 \2/')
  b=$(pdftotext -f 1 -l 3 -bbox "$2" - | grep -o '<word[^<]*</word>' | sed -E 's/.*xMin="([^"]*)" yMin="([^"]*)".*>(.*)<\/word>/\3 \1 \2/')
  paste -d' ' <(echo "$a") <(echo "$b") | awk 'NF != 6 || $1 != $4 || ($2 - $5) ^ 2 > .0025 || ($3 - $6) ^ 2 > .0025 { bad = 1 } END { exit bad }'
}

printf '%-8s %-8s %9s %9s %9s\n' pages program seconds cpu_s peak_MiB
for n in "${counts[@]}"; do
  fill "$n"
  reps="${REPS:-$((n >= 100000 ? 3 : 5))}"
  rm -f ours.t floor.t glabels.t before.t
  use_glabels=""
  if [[ -n "$glabels" && "$n" -le 1000 ]]; then
    "$floor" data.mdb lines.csv --lines
    glabels_document >waybill.glabels
    use_glabels=1
  fi
  for ((r = 0; r < reps; r++)); do
    timed ours.t "$cli" print --window TPlsf1Form --pdf ours.pdf
    [[ -n "${BEFORE:-}" ]] && timed before.t "$BEFORE" print --window TPlsf1Form --pdf before.pdf
    timed floor.t "$floor" data.mdb floor.pdf
    [[ -n "$use_glabels" ]] && timed glabels.t "$glabels" -o glabels.pdf waybill.glabels
  done
  [[ "$(pages ours.pdf)" == "$n" && "$(pages floor.pdf)" == "$n" ]] || { echo "page counts differ" >&2; exit 1; }
  same_words ours.pdf floor.pdf || { echo "ours and the floor print different pages" >&2; exit 1; }
  for p in ${BEFORE:+before} ours floor ${use_glabels:+glabels}; do
    printf '%-8s %-8s %9.2f %9.2f %9.1f\n' "$n" "$p" "$(median $p.t 1)" "$(median $p.t 2)" \
      "$(awk -v k="$(median $p.t 3)" 'BEGIN { print k / 1024 }')"
  done
  awk -v n="$n" -v a="$(median ours.t 1)" -v b="$(median floor.t 1)" -v c="$(median ours.t 2)" -v d="$(median floor.t 2)" \
    'BEGIN { printf "%-8s %-8s %8.2fx %8.2fx\n", n, "ours/floor", a / b, c / d }'
  if [[ -n "$use_glabels" ]]; then
    [[ "$(pages glabels.pdf)" == "$n" ]] || echo "gLabels wrote $(pages glabels.pdf) pages" >&2
    awk -v n="$n" -v a="$(median glabels.t 1)" -v b="$(median ours.t 1)" \
      'BEGIN { printf "%-8s %-8s %8.1fx\n", n, "glabels/ours", a / b }'
  fi
done
