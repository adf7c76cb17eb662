#!/usr/bin/env bash
# Renders the golden drawing of the bundled example with two renderers,
# headless Chromium (as browsers show it) and rsvg-convert (librsvg, as image
# viewers, file-manager thumbnails and the tools built on them show it), and
# checks in each picture pixels that only a real drawing has: the white
# interior of a box, its green gradient title bar, the amber summary panel,
# the blue band label column and the pale background. A renderer that drops
# the boxes (as librsvg does with a filter it does not know) fails the first
# probes.
# Usage: render_test.sh SOURCE_DIR
set -u
src=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-render-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

# The canvas size from the drawing's root element: 1245 x 470.
size=$(sed -n 3p "$golden" | sed -E 's/.*width="([0-9]+)" height="([0-9]+)".*/\1 \2/')
read -r width height <<<"$size"
cp "$golden" "$work/drawing.svg"

# Box 22 spans x 950-1170, y 130-250; box 11's title bar x 186-404, y 131-159;
# the summary panel x 40-1205, y 325-425; the band label column x 40-150.
check_pixels() {  # RENDERER PNG
  if [ ! -s "$2" ]; then
    fail "$1 made no picture"
    return
  fi
  python3 "$here/../testing/png_pixels.py" "$2" "$width" "$height" \
    "white box interior:1120,230:250-255,250-255,250-255" \
    "green title bar, left end:195,140:0-60,160-200,110-150" \
    "green title bar, right end:395,140:0-60,150-200,140-190" \
    "amber summary panel:1000,400:248-255,236-250,190-208" \
    "blue band label column:60,240:210-225,225-240,245-255" \
    "pale background:20,300:244-252,246-254,248-255" ||
    fail "$1's picture (above)"
}

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  fail "chromium is not installed (scripts/setup.sh installs it)"
else
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic \
    --no-first-run --disable-background-networking --disable-component-update \
    --disable-sync --user-data-dir="$work/profile" \
    --screenshot="$work/chromium.png" --window-size="$width,$height" \
    "file://$work/drawing.svg" >"$work/browser.log" 2>&1 ||
    tail -20 "$work/browser.log"
  check_pixels chromium "$work/chromium.png"
fi

if ! command -v rsvg-convert >/dev/null; then
  fail "rsvg-convert is not installed (scripts/setup.sh installs it)"
else
  rsvg-convert "$work/drawing.svg" -o "$work/rsvg.png" 2>"$work/rsvg.log" ||
    cat "$work/rsvg.log"
  check_pixels rsvg-convert "$work/rsvg.png"
fi

finish
