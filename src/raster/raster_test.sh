#!/usr/bin/env bash
# The PNG and PDF pictures of the bundled example's drawing, read back with
# independent tools: pixels at known points at two scales, the PDF's page
# size, texts and embedded fonts (poppler's pdfinfo, pdftotext, pdffonts),
# identical bytes from run to run under SOURCE_DATE_EPOCH, and the band
# label "Production.Steps" inside its band when the machine's own font
# configuration offers only DejaVu Sans (where librsvg by itself, through
# rsvg-convert, lets it run out).
# Given the tool linked statically too, checks that it refuses with a
# reason instead of crashing when the libraries are loaded into it.
# Usage: raster_test.sh SOURCE_DIR RASTER_TOOL [STATIC_RASTER_TOOL]
set -u
src=$1
flowsvg=$2
static_tool=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-raster-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"
export SOURCE_DATE_EPOCH=1700000000

# --- PNG pixels at scales 1 and 2 ----------------------------------------
# Box 22 spans x 950-1170, y 130-250; box 11's title bar x 186-404, y
# 131-159; the band x 40-150, y 130-250 (render_test.sh probes the same).
for scale in 1 2; do
  run "png$scale" "$golden" "$work/s$scale.png" png "$scale"
  expect_rc "png$scale" 0
  at() { echo "$(($1 * scale)),$(($2 * scale))"; }
  python3 "$src/src/testing/png_pixels.py" "$work/s$scale.png" \
    $((1245 * scale)) $((470 * scale)) \
    "white box interior:$(at 1120 230):250-255,250-255,250-255" \
    "green title bar, left end:$(at 195 140):0-60,160-200,110-150" \
    "green title bar, right end:$(at 395 140):0-60,150-200,140-190" \
    "amber summary panel:$(at 1000 400):248-255,236-250,190-208" \
    "blue band:$(at 60 240):210-225,225-240,245-255" \
    "pale background:$(at 20 300):244-252,246-254,248-255" ||
    fail "pixels of the PNG at scale $scale (above)"
done

# --- PDF: page, texts, fonts ----------------------------------------------
run pdf "$golden" "$work/a.pdf" pdf
expect_rc pdf 0
info=$(pdfinfo "$work/a.pdf")
grep -q '^Pages: *1$' <<<"$info" || fail "pdfinfo: not one page: $info"
grep -q '^Page size: *933.75 x 352.5 pts' <<<"$info" ||
  fail "pdfinfo: page size is not 1245 x 470 px at 0.75 pt: $info"
grep -q '^CreationDate: *Tue Nov 14 22:13:20 2023 UTC' <<<"$info" ||
  fail "pdfinfo: creation date is not SOURCE_DATE_EPOCH's: $info"
text=$(pdftotext -layout "$work/a.pdf" -)
for wanted in "Process Flowchart" "5L bottling line: from order to shipment" \
  "Production.Steps" "Process step"; do
  grep -qF "$wanted" <<<"$text" || fail "pdftotext does not find '$wanted'"
done
# pdffonts: two header lines, then one line per font ending "emb sub uni
# object ID"; every font embedded, and every one Liberation Sans.
fonts=$(pdffonts "$work/a.pdf" | tail -n +3)
[ -n "$fonts" ] || fail "pdffonts lists no font"
awk '$(NF-4) != "yes" || $1 !~ /LiberationSans/ { bad = 1 } END { exit bad }' \
  <<<"$fonts" || fail "fonts not embedded or not Liberation Sans: $fonts"

# --- the same bytes from run to run ----------------------------------------
sleep 1
run png_again "$golden" "$work/again.png" png 1
expect_same png_again "$work/s1.png" "$work/again.png"
run pdf_again "$golden" "$work/again.pdf" pdf
expect_same pdf_again "$work/a.pdf" "$work/again.pdf"

# --- only DejaVu configured for the rest of the system ---------------------
cat >"$work/dejavu.conf" <<'CONF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <cachedir>CACHE</cachedir>
</fontconfig>
CONF
sed -i "s|CACHE|$work/cache|" "$work/dejavu.conf"
# The label's text (13 px bold, centred on x 95, baseline y 195) in rows
# 182-200 of the band x 40-150; columns 0-175 are pale but for it.
label() { python3 "$here/label_extent.py" "$1" 0 175 182 200; }
FONTCONFIG_FILE=$work/dejavu.conf run dejavu "$golden" "$work/dejavu.png" png
expect_rc dejavu 0
read -r left right <<<"$(label "$work/dejavu.png")"
if [ "${left:-none}" = none ] || [ "$left" -lt 41 ] || [ "$right" -gt 149 ]; then
  fail "Production.Steps reaches x ${left:-?}-${right:-?}, outside the band 40-150"
fi
# The check sees the fault: librsvg left to the machine's fonts runs out.
if command -v rsvg-convert >/dev/null; then
  FONTCONFIG_FILE=$work/dejavu.conf rsvg-convert "$golden" -o "$work/plain.png"
  read -r left right <<<"$(label "$work/plain.png")"
  if [ "${left:-none}" = none ] || { [ "$left" -ge 41 ] && [ "$right" -le 149 ]; }; then
    fail "rsvg-convert with DejaVu only drew the label at x ${left:-?}-${right:-?}; the check cannot see a wrong font"
  fi
fi

# --- memory running out: a reason, never an abort ------------------------
# At scale 16 the sample needs about 1.4 GB; with 300 MB or 1 GB of address
# space the picture cannot be made. (A sanitizer build reserves more address
# space than that for itself, so the check is left to the normal build.)
if ! ldd "$flowsvg" | grep -q libasan; then
  for limit in 300000 1000000; do
    (ulimit -v "$limit" && exec "$flowsvg" "$golden" "$work/big.png" png 16) \
      >"$work/big.out" 2>"$work/big.err"
    rc=$?
    expect_rc "memory limit $limit KB" 1
    grep -qx 'flowsvg_raster_tool: out of memory' "$work/big.err" ||
      fail "memory limit $limit KB: stderr was '$(cat "$work/big.err")'"
  done
fi

# --- a statically linked program: a reason, never a crash ----------------
if [ -n "$static_tool" ]; then
  "$static_tool" "$golden" "$work/static.png" png >"$work/static.out" \
    2>"$work/static.err"
  rc=$?
  expect_rc "statically linked" 1
  grep -qx 'flowsvg_raster_tool: PNG and PDF output cannot be drawn by a statically linked program (librsvg and cairo cannot be loaded into it)' \
    "$work/static.err" ||
    fail "statically linked: stderr was '$(cat "$work/static.err")'"
fi

finish
