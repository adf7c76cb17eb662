#!/usr/bin/env bash
# Renders the golden drawing of the bundled example in headless Chromium and
# checks pixels that only a real drawing has: the white interior of a box,
# its green gradient title bar, the amber summary panel, the blue band label
# column and the pale background.
# Usage: browser_render_test.sh SOURCE_DIR
set -u
src=$1
here=$(cd "$(dirname "$0")" && pwd)
golden=$src/testdata/sample_flowchart.svg
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-render-XXXXXX")
trap 'rm -rf "$work"' EXIT

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "FAIL: chromium is not installed (scripts/setup.sh installs it)"
  exit 1
fi

# The canvas size from the drawing's root element: 1245 x 470.
size=$(sed -n 3p "$golden" | sed -E 's/.*width="([0-9]+)" height="([0-9]+)".*/\1 \2/')
read -r width height <<<"$size"

cp "$golden" "$work/drawing.svg"
timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic \
  --no-first-run --disable-background-networking --disable-component-update \
  --disable-sync --user-data-dir="$work/profile" \
  --screenshot="$work/drawing.png" --window-size="$width,$height" \
  "file://$work/drawing.svg" >"$work/browser.log" 2>&1
if [ ! -s "$work/drawing.png" ]; then
  echo "FAIL: chromium made no screenshot"
  tail -20 "$work/browser.log"
  exit 1
fi

# Box 22 spans x 950-1170, y 130-250; box 11's title bar x 186-404, y 131-159;
# the summary panel x 40-1205, y 325-425; the band label column x 40-150.
python3 "$here/png_pixels.py" "$work/drawing.png" "$width" "$height" \
  "white box interior:1120,230:250-255,250-255,250-255" \
  "green title bar, left end:195,140:0-60,160-200,110-150" \
  "green title bar, right end:395,140:0-60,150-200,140-190" \
  "amber summary panel:1000,400:248-255,236-250,190-208" \
  "blue band label column:60,240:210-225,225-240,245-255" \
  "pale background:20,300:244-252,246-254,248-255"
