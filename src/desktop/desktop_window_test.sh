#!/usr/bin/env bash
# End-to-end test of flowsvg-desktop in a real window on a private Xvfb
# display, driven with xdotool like a person would: the window's title, size
# and place; the sample button; generate and its information box; open
# folder; a close request. Screenshots stay in ARTIFACTS.
#
# The program is copied into a folder whose name holds "&", ";" and "$(...)",
# so its sample and its default output land there, and open folder must hand
# that name to xdg-open (a recording stand-in first in PATH) as one argument
# without running any of it.
#
# Usage: desktop_window_test.sh FLOWSVG_DESKTOP FLOWSVG X11_WINDOW_HELPER ARTIFACTS
set -euo pipefail

desktop=$1
cli=$2
helper=$3
artifacts=$4
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$artifacts"
rm -f "$artifacts"/*.png

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  for pid in $app_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
  done
  exit 1
}
pass() { echo "ok: $*"; }

# Runs the command until it succeeds, 20 seconds at most.
poll() {
  local i
  for ((i = 0; i < 200; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Writes a PNG of window $1 to $2 once two captures in a row agree, so that
# the picture is not taken halfway through painting.
screenshot() {
  local window=$1 out=$2
  "$helper" capture "$window" "$work/shot.ppm" || return 1
  local i
  for ((i = 0; i < 50; i++)); do
    sleep 0.1
    "$helper" capture "$window" "$work/next.ppm" || return 1
    if cmp -s "$work/shot.ppm" "$work/next.ppm"; then
      python3 "$here/ppm_to_png.py" "$work/shot.ppm" "$out"
      return
    fi
    mv "$work/next.ppm" "$work/shot.ppm"
  done
  return 1
}

# --- Without a display no window can open: the run ends quietly with 0.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY "$desktop" </dev/null >"$work/nodisplay.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "without a display the exit status is $status"
[ ! -s "$work/nodisplay.log" ] || fail "without a display it printed something"
pass "no display: exit status 0, nothing shown"

# --- The program in a folder with a hostile name, and a recording xdg-open.
folder="$work/"'R&D; touch hacked $(touch hacked) `touch hacked`'
mkdir -p "$folder" "$work/fakebin" "$work/cwd"
cp "$desktop" "$folder/flowsvg-desktop"
cat >"$work/fakebin/xdg-open" <<EOF
#!/bin/sh
{ echo "\$#"; for a in "\$@"; do printf '[%s]\n' "\$a"; done; } >"$work/opened.part"
mv "$work/opened.part" "$work/opened"
EOF
chmod +x "$work/fakebin/xdg-open"

# --- A private display: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
  3>"$work/display" 2>"$work/xvfb.log" </dev/null &
xvfb_pid=$!
poll test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
# GTK keeps recent files and settings under these: keep them in the sandbox.
export XDG_DATA_HOME="$work/xdg/data" XDG_CONFIG_HOME="$work/xdg/config" \
  XDG_CACHE_HOME="$work/xdg/cache"

(cd "$work/cwd" && PATH="$work/fakebin:$PATH" exec "$folder/flowsvg-desktop") \
  </dev/null >"$work/app.log" 2>&1 &
app_pid=$!

title='Flowchart SVG Generator - Desktop Edition v2.0.0'
window=$(timeout 20 xdotool search --sync --onlyvisible --name \
  '^Flowchart SVG Generator - Desktop Edition v2\.0\.0$' | head -n 1) ||
  fail "the main window did not appear"
[ "$(xdotool getwindowname "$window")" = "$title" ] || fail "window title"
info=$(xwininfo -id "$window")
geometry=$(echo "$info" | awk '/Absolute upper-left X/ {x=$NF}
  /Absolute upper-left Y/ {y=$NF} /^ *Width/ {w=$NF} /^ *Height/ {h=$NF}
  END {print x, y, w, h}')
# 700 x 380, centred on the 1280 x 1024 screen (no window manager adds a
# frame here, so the outer size is the client size).
[ "$geometry" = "290 322 700 380" ] || fail "window at/size $geometry"
pass "window '$title', client 700 x 380, centred"
screenshot "$window" "$artifacts/desktop-window.png" || fail "screenshot"

# Waits for a message box, keeps a screenshot of it as $1, presses OK.
answer_box() {
  local box
  box=$(timeout 20 xdotool search --sync --onlyvisible --name \
    '^Flowchart SVG Generator$' | head -n 1) || return 1
  screenshot "$box" "$artifacts/$1" || return 1
  timeout 10 xdotool windowfocus --sync "$box" key Return || return 1
  poll no_box
}
no_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null; }
no_box() { no_window '^Flowchart SVG Generator$'; }

# --- Generate before any input: the warning box, nothing written.
xdotool mousemove --window "$window" 100 217 click 1
answer_box desktop-warning.png || fail "no warning box"
[ ! -e "$folder/flowchart.svg" ] || fail "generate without input wrote"
pass "generate without input: warning box"

# --- A sample that cannot be written (a folder holds its name): error box.
mkdir "$folder/sample_flowchart.txt"
xdotool mousemove --window "$window" 265 217 click 1
answer_box desktop-error.png || fail "no error box for the sample"
rmdir "$folder/sample_flowchart.txt"
pass "sample that cannot be written: error box"

# --- Sample: the file beside the program, the same bytes flowsvg writes.
xdotool mousemove --window "$window" 265 217 click 1
poll test -f "$folder/sample_flowchart.txt" || fail "no sample file"
"$cli" --sample "$work/cli-sample.txt"
cmp "$folder/sample_flowchart.txt" "$work/cli-sample.txt" ||
  fail "the sample differs from flowsvg --sample"
pass "sample written beside the program"

# --- Generate: the information box, then the SVG beside the program.
xdotool mousemove --window "$window" 100 217 click 1
answer_box desktop-information.png || fail "no information box"
test -f "$folder/flowchart.svg" || fail "no SVG beside the program"
"$cli" -q "$folder/sample_flowchart.txt" "$work/cli.svg"
strip_time() { grep -v '^<!-- Generated: ' "$1"; }
[ "$(strip_time "$folder/flowchart.svg" | wc -l)" -gt 50 ] || fail "short SVG"
diff <(strip_time "$folder/flowchart.svg") <(strip_time "$work/cli.svg") ||
  fail "the window's SVG differs from flowsvg's"
pass "generated SVG equals flowsvg's (timestamp line aside)"
screenshot "$window" "$artifacts/desktop-generated.png" || fail "screenshot"

# --- Open folder: the folder reaches xdg-open as one argument, unrun.
xdotool mousemove --window "$window" 430 217 click 1
poll test -f "$work/opened" || fail "xdg-open was not started"
expected=$(printf '1\n[%s/]' "$folder")
[ "$(cat "$work/opened")" = "$expected" ] ||
  fail "xdg-open got: $(cat "$work/opened")"
hacked=$(find "$work" -name hacked)
[ -z "$hacked" ] || fail "a part of the folder name was run: $hacked"
pass "open folder handed over the folder as one argument"

# Waits for the file dialog titled $1, types the path $2 into it and
# accepts it.
answer_dialog() {
  local dialog
  dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" |
    head -n 1) || return 1
  # Keys sent before the chooser has settled can get lost: wait until two
  # pictures of it agree.
  screenshot "$dialog" "$work/dialog.png" || return 1
  timeout 10 xdotool windowfocus --sync "$dialog" key ctrl+l || return 1
  xdotool key --window "$dialog" ctrl+a
  xdotool type --window "$dialog" --delay 5 "$2"
  # The same for the chooser's completion of the typed path, which would
  # take the Return otherwise.
  screenshot "$dialog" "$work/dialog.png" || return 1
  xdotool key --window "$dialog" Return
  poll no_window "^$1\$"
}

# --- The open dialog picks the input, the save dialog a new output whose
# name gets ".svg" appended; generate writes there.
printf '[Line.One]\r\nitemid = 1\r\n' >"$work/picked.txt"
xdotool mousemove --window "$window" 165 81 click 1
answer_dialog 'Choose a txt/ini description file' "$work/picked.txt" ||
  fail "the open dialog"
mkdir "$work/out"
xdotool mousemove --window "$window" 165 121 click 1
answer_dialog 'Save the SVG file' "$work/out/chart.txt" ||
  fail "the save dialog"
xdotool mousemove --window "$window" 100 217 click 1
answer_box desktop-picked.png || fail "no information box"
[ "$(ls "$work/out")" = "chart.txt.svg" ] ||
  fail "the output folder holds: $(ls "$work/out")"
"$cli" -q "$work/picked.txt" "$work/picked.svg"
diff <(strip_time "$work/out/chart.txt.svg") <(strip_time "$work/picked.svg") ||
  fail "the picked input's SVG differs from flowsvg's"
pass "open and save dialogs: input picked, output chart.txt.svg written"

# --- A close request ends the process with exit status 0.
"$helper" close "$window" || fail "could not send the close request"
# Ended: gone, or a zombie waiting for the wait below.
ended() { [ ! -e "/proc/$app_pid" ] || grep -q '^[0-9]* (.*) Z' "/proc/$app_pid/stat"; }
poll ended || fail "still running after the close request"
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || fail "exit status $status after the close request"
pass "close request: exit status 0"
echo "screenshots in $artifacts"
