#!/usr/bin/env bash
# End-to-end checks of flowsvg's PNG and PDF output and of --accessible: the
# format chosen by the output's extension (any case) and by -T, which wins;
# -T for standard output, -O and --out-dir; the PNG's size at several
# scales; the same bytes from two runs under SOURCE_DATE_EPOCH; the usage
# errors of -T and --scale; the success line and the error caption naming
# the format; the accessible SVG valid and read as text.
# Given the renderer's own tool, also checks that the pictures are those of
# exactly the SVG flowsvg writes (the golden drawing of the example).
# The pictures come from flowsvg's picture program (lib/flowsvg/
# flowsvg-picture beside flowsvg's folder): on threads each its own; a
# program missing or failing is the file's error and keeps the earlier
# file; and flowsvg itself, when "static" is given, loads no library.
# Usage: pictures_test.sh FLOWSVG SOURCE_DIR [RASTER_TOOL [static]]
set -u
flowsvg=$1
src=$2
tool=${3:-}
linked=${4:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-pictures-XXXXXX")
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"
export SOURCE_DATE_EPOCH=1700000000

# What the first bytes of a file say it is: svg, png, pdf or other.
kind_of() {
  case "$(head -c 5 "$1" | od -An -c | tr -d ' ')" in
    '<?xml') echo svg ;;
    211PNG\\r) echo png ;;
    %PDF-) echo pdf ;;
    *) echo other ;;
  esac
}
# A PNG's width and height, from its header chunk.
png_size() {
  od -An -tu1 -j16 -N8 "$1" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}
expect_kind() {  # NAME FILE KIND
  [ "$(kind_of "$2")" = "$3" ] || fail "$1: $2 is $(kind_of "$2"), expected $3"
}
expect_success() {  # NAME TEXT: the success line (warnings aside)
  local got
  got=$(not_warnings "$work/$1.err")
  [ "$got" = "$2" ] || fail "$1: stderr was '$got', expected '$2'"
}

cp "$example" "$work/plan.txt"
counts="Sections: 1, Items: 4"

# --- The format: by extension, by -T, -T winning ---------------------------
# name | options | output | kind written | word in the success line
while IFS='|' read -r name options output kind word; do
  rm -f "$work/$output"
  # shellcheck disable=SC2086  # the options are split on purpose
  run "$name" $options "$work/plan.txt" "$work/$output"
  expect_rc "$name" 0
  expect_kind "$name" "$work/$output" "$kind"
  expect_success "$name" "$word file generated. File: $work/$output, $counts"
done <<'TABLE'
svg_by_name||plan.svg|svg|SVG
png_by_name||plan.png|png|PNG
pdf_by_name||plan.pdf|pdf|PDF
png_upper||PLAN.PNG|png|PNG
pdf_mixed||Plan.Pdf|pdf|PDF
t_png|-Tpng|plan.out|png|PNG
t_pdf|-T pdf|plan.out|pdf|PDF
t_svg|-T svg|plan.out|svg|SVG
t_wins_png|-T png|plan.pdf|png|PNG
t_wins_svg|-T svg|plan.png|svg|SVG
t_upper|-T PDF|plan.dat|pdf|PDF
TABLE

# Where no output is named: -T gives the extension; standard output too.
rm -f "$work/plan.png" "$work/plan.pdf"
run default_png -q -T png "$work/plan.txt"
expect_rc default_png 0
expect_kind default_png "$work/plan.png" png
run stdout_pdf -q -T pdf "$work/plan.txt" -
expect_rc stdout_pdf 0
expect_kind stdout_pdf "$work/stdout_pdf.out" pdf
run stdout_svg -q "$work/plan.txt" -
expect_kind stdout_svg "$work/stdout_svg.out" svg
mkdir "$work/many" "$work/out"
cp "$example" "$work/many/a.txt"
cp "$example" "$work/many/b.txt"
run beside -q -T png -O "$work/many/a.txt" "$work/many/b.txt"
expect_rc beside 0
for f in a b; do expect_kind beside "$work/many/$f.png" png; done
run outdir -q -T pdf --out-dir "$work/out" "$work/many/a.txt" "$work/many/b.txt"
expect_rc outdir 0
for f in a b; do expect_kind outdir "$work/out/$f.pdf" pdf; done

# --- The PNG's size: the SVG's pixels (1245 x 470) times the scale ---------
while read -r scale want; do
  run "scale$scale" -q --scale "$scale" "$work/plan.txt" "$work/s$scale.png"
  expect_rc "scale$scale" 0
  got=$(png_size "$work/s$scale.png")
  [ "$got" = "$want" ] || fail "--scale $scale: $got, expected $want"
done <<'TABLE'
0.5 623 235
1 1245 470
2 2490 940
0.25 312 118
TABLE

# --- The same bytes from run to run under SOURCE_DATE_EPOCH -----------------
for format in png pdf; do
  run "first_$format" -q "$work/plan.txt" "$work/first.$format"
  sleep 1  # a clock that crept in would show a second later
  run "second_$format" -q "$work/plan.txt" "$work/second.$format"
  expect_same "$format twice" "$work/first.$format" "$work/second.$format"
done
pdfinfo "$work/first.pdf" >"$work/pdfinfo.txt" 2>&1
grep -q '^CreationDate: *Tue Nov 14 22:13:20 2023 UTC' "$work/pdfinfo.txt" ||
  fail "the PDF's date is not SOURCE_DATE_EPOCH: $(grep Date "$work/pdfinfo.txt")"

# --- The pictures are those of the SVG, byte for byte ----------------------
# The golden drawing differs from a new one only in its time comment, which
# draws nothing: the renderer's tool given it draws the same bytes.
if [ -n "$tool" ]; then
  for format in png pdf; do
    "$tool" "$golden" "$work/golden.$format" "$format" 2 >/dev/null 2>&1 ||
      fail "the tool could not draw the golden $format"
    run "same_$format" -q --scale 2 "$work/plan.txt" "$work/same.$format"
    expect_same "$format of the SVG" "$work/golden.$format" "$work/same.$format"
  done
fi

# --- Usage errors name the option; nothing is written ----------------------
usage_scale="flowsvg: --scale needs the PNG's size relative to the SVG, a number from 0.25 to 16"
usage_format="flowsvg: -T needs the output's format: svg, png or pdf"
while IFS='|' read -r name options complaint; do
  rm -f "$work/bad.png"
  # shellcheck disable=SC2086
  run "$name" $options "$work/plan.txt" "$work/bad.png"
  expect_rc "$name" 64
  case "$(cat "$work/$name.err")" in
    "$complaint; usage: "*) ;;
    *) fail "$name: stderr was '$(cat "$work/$name.err")'" ;;
  esac
  [ ! -e "$work/bad.png" ] || fail "$name: wrote a file"
done <<TABLE
scale_low|--scale 0.2|$usage_scale
scale_high|--scale 16.5|$usage_scale
scale_zero|--scale 0|$usage_scale
scale_word|--scale big|$usage_scale
scale_negative|--scale -1|$usage_scale
scale_two_points|--scale 1.2.3|$usage_scale
t_gif|-T gif|$usage_format
t_joined_jpeg|-Tjpeg|$usage_format
TABLE
run scale_missing "$work/plan.txt" "$work/bad.png" --scale
expect_rc scale_missing 64
run t_missing "$work/plan.txt" -T
expect_rc t_missing 64

# --- A failure's caption names the format ----------------------------------
run no_folder -q "$work/plan.txt" "$work/none/plan.pdf"
expect_rc no_folder 2
expect_stderr no_folder \
  "Cannot create the PDF file: $work/none/plan.pdf (No such file or directory)"

# --- --accessible: valid, titled, read as text; the default unchanged ------
cat >"$work/orders.txt" <<'DESCRIPTION'
[Header]
subtitle = Orders & shipping
[Sales.Orders]
itemid = 1
title = Order intake
itemid = 2
title = Credit <check>
fromid = 1
[Plant.Production]
itemid = 3
title = Production planning
fromid = 1, 2
itemid = 4
fromid = 3
DESCRIPTION
run accessible -q --accessible "$work/orders.txt" "$work/acc.svg"
expect_rc accessible 0
xmllint --noout "$work/acc.svg" 2>"$work/xmllint.err" ||
  fail "--accessible: not well-formed: $(cat "$work/xmllint.err")"
# What a screen reader is handed, read with xmllint's XPath.
xpath() { xmllint --xpath "$1" "$work/acc.svg"; }
[ "$(xpath 'string(/*/@role)')" = img ] || fail "--accessible: root role"
[ "$(xpath 'string(/*/@aria-labelledby)')" = "flowchart-title flowchart-desc" ] ||
  fail "--accessible: aria-labelledby"
title=$(xpath 'string(/*/*[local-name()="title"][@id="flowchart-title"])')
[ "$title" = "Process Flowchart: Orders & shipping" ] ||
  fail "--accessible: title '$title'"
xpath 'string(/*/*[local-name()="desc"][@id="flowchart-desc"])' |
  tr -d '\r' | sed '/^$/d' >"$work/desc.txt"
{
  echo "Band Sales.Orders: Order intake, Credit <check>."
  echo "Band Plant.Production: Production planning, box 4."
  echo "Arrow: Order intake → Credit <check>."
  echo "Arrow: Order intake → Production planning."
  echo "Arrow: Credit <check> → Production planning."
  echo "Arrow: Production planning → box 4."
} >"$work/desc.want"
diff -u "$work/desc.want" "$work/desc.txt" || fail "--accessible: the reading differs"
# Without its title, desc and root attributes, the accessible drawing is
# the plain one byte for byte.
run plain -q "$work/orders.txt" "$work/plain.svg"
sed -e 's/ role="img" aria-labelledby="flowchart-title flowchart-desc"//' \
  -e '/^<title id="flowchart-title">/d' \
  -e '/^<desc id="flowchart-desc">/,/^<\/desc>/d' \
  "$work/acc.svg" >"$work/acc-stripped.svg"
expect_same "--accessible adds only its own lines" "$work/plain.svg" \
  "$work/acc-stripped.svg"
# Its PNG is the same picture.
run acc_png -q --accessible "$work/plan.txt" "$work/acc.png"
run plain_png -q "$work/plan.txt" "$work/plain.png"
expect_same "--accessible PNG" "$work/plain.png" "$work/acc.png"

# --- The picture program -----------------------------------------------------
picture_program=$(dirname "$flowsvg")/../lib/flowsvg/flowsvg-picture
[ -x "$picture_program" ] || fail "no picture program at $picture_program"
if [ "$linked" = static ]; then
  ldd_said=$(LC_ALL=C ldd "$flowsvg" 2>&1)
  [[ "$ldd_said" == *"not a dynamic executable"* ]] ||
    fail "flowsvg is not static: ldd says $ldd_said"
fi
# It draws what flowsvg's SVG asks: flowsvg's PNG and PDF are its pictures.
run svg_for_program -q -T svg "$work/plan.txt" "$work/by-program.svg"
for format in png pdf; do
  "$picture_program" "$format" 2 1700000000 <"$work/by-program.svg" \
    >"$work/by-program.$format" 2>"$work/program.err" ||
    fail "the picture program could not draw a $format: $(cat "$work/program.err")"
  run "by_flowsvg_$format" -q --scale 2 "$work/plan.txt" "$work/by-flowsvg.$format"
  expect_same "flowsvg's $format is the picture program's" \
    "$work/by-program.$format" "$work/by-flowsvg.$format"
done
# Its own failures: an SVG it cannot read (reason, exit 1, nothing on
# standard output), arguments it does not take (exit 64).
printf '<svg' | "$picture_program" png 1 >"$work/bad.out" 2>"$work/bad.err"
[ $? -eq 1 ] || fail "the picture program took a broken SVG"
grep -q '^the SVG cannot be read for drawing (' "$work/bad.err" ||
  fail "the picture program's reason for a broken SVG: $(cat "$work/bad.err")"
[ ! -s "$work/bad.out" ] || fail "the picture program wrote a picture of a broken SVG"
for arguments in "" "png" "gif 1" "png x" "png 1 -5" "png 1 2 3"; do
  # shellcheck disable=SC2086  # split on purpose
  "$picture_program" $arguments </dev/null >/dev/null 2>"$work/usage.err"
  [ $? -eq 64 ] || fail "the picture program took '$arguments'"
done

# On threads each conversion runs its own picture program: the same
# pictures as one at a time.
mkdir "$work/threads"
for i in 1 2 3 4 5 6; do cp "$work/plan.txt" "$work/threads/plan$i.txt"; done
run threads -q -j 3 -T png --out-dir "$work/threads" "$work/threads"/plan*.txt
expect_rc "six PNGs on three threads" 0
for i in 1 2 3 4 5 6; do
  expect_same "PNG $i of six on threads" "$work/plain.png" "$work/threads/plan$i.png"
done

# A description of 100 boxes, whose SVG (72 KB) is more than a pipe holds:
# a picture program below never reads it, and flowsvg must not die of
# SIGPIPE.
{
  for ((i = 1; i <= 100; i++)); do
    printf '[Plan.Band%d]\nitemid = %d\nfromid = %d\ntitle = Step %d\nNote = %s\n\n' \
      $((i % 10)) "$i" $((i - 1)) "$i" "Check it"
  done
} >"$work/large.txt"

# flowsvg copied where no picture program is, and where a stand-in fails
# in each way: the reason in the file's error, exit 2, the earlier file
# kept, no temporary file; an SVG is still written.
# name | stand-in's script (none: no program) | expected reason
while IFS='|' read -r name script reason; do
  place=$work/$name
  mkdir -p "$place/bin" "$place/out"
  cp "$flowsvg" "$place/bin/flowsvg"
  if [ "$script" != none ]; then
    mkdir -p "$place/lib/flowsvg"
    printf '#!/bin/sh\n%s\n' "$script" >"$place/lib/flowsvg/flowsvg-picture"
    [ "$script" = unrunnable ] || chmod +x "$place/lib/flowsvg/flowsvg-picture"
  fi
  reason=${reason//@place@/$place}
  printf 'earlier picture\r\n' >"$place/out/plan.png"
  cp "$place/out/plan.png" "$work/earlier.png"
  "$place/bin/flowsvg" -q "$work/large.txt" "$place/out/plan.png" \
    >/dev/null 2>"$work/$name.err"
  rc=$?
  expect_rc "$name" 2
  expect_stderr "$name" "Cannot create the PNG file: $place/out/plan.png ($reason)"
  expect_same "$name keeps the earlier picture" "$work/earlier.png" "$place/out/plan.png"
  [ "$(files_in "$place/out")" = "plan.png " ] ||
    fail "$name: the folder holds $(files_in "$place/out")"
  "$place/bin/flowsvg" -q "$work/plan.txt" "$place/out/plan.svg" 2>"$work/$name-svg.err" ||
    fail "$name: no SVG written: $(cat "$work/$name-svg.err")"
done <<'TABLE'
program_missing|none|cannot start the picture program: @place@/bin/../lib/flowsvg/flowsvg-picture: No such file or directory
program_not_runnable|unrunnable|cannot start the picture program: @place@/bin/../lib/flowsvg/flowsvg-picture: Permission denied
program_killed|kill -KILL $$|the picture program was stopped by signal 9
program_refuses_early|echo 'the SVG cannot be read for drawing (no root)' >&2; exit 1|the SVG cannot be read for drawing (no root)
program_exit_status|cat >/dev/null; exit 3|the picture program failed with exit status 3
TABLE

finish
