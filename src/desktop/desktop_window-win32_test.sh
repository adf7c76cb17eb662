#!/usr/bin/env bash
# End-to-end test of flowsvg-desktop.exe, the real Windows program, under
# Wine on a private Xvfb display with a window manager (openbox), driven
# with xdotool as a person would: the command line (/? included) and no
# display; a usage error with nowhere to print, in a box; the window's
# title, client size and place, and the time it takes to appear; the focus
# at start; a button's tooltip; Generate before an input (the warning box);
# Write sample beside the program and the question before an edited sample
# is replaced; Generate (the same SVG as flowsvg.exe, the information box
# and the status with the warnings); Open folder; the real open and save
# dialogs and the shortcuts, and the questions before the output replaces
# a file; a long path dropped onto the window, shortened in the middle,
# whole in its tooltip; a close request (Alt+F4); Preview (Ctrl+P: the
# input served to Linux curl, a save converted and told to the page, the
# server gone with the window); the window at 144 DPI
# with FILE given at start; the documents folder for a program whose folder
# cannot be written. What the window shows is read back with tesseract.
# Screenshots stay in ARTIFACTS.
#
# Wine runs in a prefix of its own, made here with the home folder in the
# sandbox (Wine's Documents folder is a link into it) and the buttons'
# symbols linked to DejaVu Sans. Its server keeps the display it was started
# with, so it is stopped between the part without a display and the rest.
#
# Usage: desktop_window-win32_test.sh FLOWSVG_DESKTOP_EXE FLOWSVG_EXE
#        SOURCE_DIR ARTIFACTS
set -euo pipefail

desktop=$(realpath "$1")
cli=$(realpath "$2")
src=$(realpath "$3")
artifacts=$(realpath -m "$4")
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
. "$src/src/testing/window_test_support.sh"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$work/home"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME/Documents"

pids=()
locked=
cleanup() {
  stop_started
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -z "$locked" ] || chattr -i "$locked" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    local root
    root=$(xwininfo -root 2>/dev/null | awk '/Window id/ {print $4; exit}')
    /usr/bin/python3 "$here/../testing/window_capture.py" "$root" \
      "$artifacts/failed-screen.png" 2>/dev/null || true
  fi
  local log
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

# The Windows name of a file: Wine's drive Z: is the root folder.
win() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

# Writes a PNG of window $1 to $2 (arguments after it: a part, a zoom).
screenshot() {
  local window=$1 out=$2
  shift 2
  /usr/bin/python3 "$here/../testing/window_capture.py" "$window" "$out" "$@"
}
# The text window $1 shows, read from a picture three times its size.
read_window() {
  screenshot "$1" "$work/read.png" 0 0 100000 100000 3 &&
    read_text "$work/read.png"
}
main_title='^Flowchart SVG Generator - Desktop Edition v2\.0\.0$'
box_title='^Flowchart SVG Generator$'
open_title='^Choose a txt/ini description file$'
save_title='^Save the SVG file$'
# The first visible window named like $1 (of the program $app_pid), waited
# for; a search fails now and then while windows come and go, so it is
# repeated.
first_window() {
  found() {
    local ids
    ids=$(xdotool search --all --onlyvisible --pid "$app_pid" --name "$1" 2>/dev/null)
    [ -n "$ids" ] && head -n 1 <<<"$ids"
  }
  poll found "$1"
}
# The visible window whose name is exactly $1, waited for.
window_named() {
  named() {
    local w
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] &&
        { echo "$w"; return 0; }
    done
    return 1
  }
  poll named "$1"
}

# The main window of the program $app_pid, and it activated.
main_window() {
  local window
  window=$(first_window "$main_title") || return 1
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  echo "$window"
}
# Waits until the main window is active again (after a box or dialog),
# so that keys go to it.
to_main() { xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
generate_button() { click 100 217; }
sample_button() { click 265 217; }
open_folder_button() { click 430 217; }

# Waits for a message or question box, keeps a screenshot of it as $1 in
# the artifacts and its text in $box_text, presses the keys $2... (Return
# when none) and waits until it is gone.
answer_box() {
  local shot=$1 box
  shift
  box=$(first_window "$box_title") || return 1
  screenshot "$box" "$artifacts/$shot" || return 1
  box_text=$(read_window "$box")
  xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
  [ $# -gt 0 ] || set -- Return
  keys "$@"
  box_gone() { ! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; }
  poll box_gone || return 1
  to_main
}
# Waits for the file dialog titled like $1, gives it the focus, types the
# Windows path $2 into its name (replacing what is there) and accepts it.
pick_in_dialog() {
  local dialog
  dialog=$(first_window "$1") || return 1
  screenshot "$dialog" "$work/dialog.png" || return 1
  xdotool windowfocus --sync "$dialog"
  keys ctrl+a
  xdotool type --delay 5 "$2"
  keys Return
  poll gone "$1" || return 1
  to_main
}

# Fails unless the SVG $1 is what flowsvg.exe makes of the description $2.
same_svg() {
  wine "$cli" -q "$(win "$2")" "$(win "$work/expected.svg")" </dev/null \
    >/dev/null 2>&1 || fail "flowsvg.exe could not convert $2"
  [ "$(strip_time "$1" | wc -l)" -gt 20 ] || fail "short SVG $1"
  diff <(strip_time "$1") <(strip_time "$work/expected.svg") >/dev/null ||
    fail "$1 is not the drawing of $2"
}

# --- A prefix of its own, made without a display.
wineboot --init >"$work/wineboot.log" 2>&1 </dev/null || fail "wineboot"
wineserver -w
pass "Wine prefix made"

# --- The command line: printed, no window.
for case in "--help|0|Usage: flowsvg-desktop [FILE]|" \
  "/?|0|Usage: flowsvg-desktop [FILE]|" \
  "--version|0|2.0.0|" \
  "a.txt b.txt|64||flowsvg-desktop: more than one FILE given; usage:" \
  "--bogus|64||flowsvg-desktop: unknown option --bogus; usage:"; do
  IFS='|' read -r args expected out err <<<"$case"
  status=0
  # shellcheck disable=SC2086
  wine "$desktop" $args </dev/null >"$work/out.txt" 2>"$work/err.txt" ||
    status=$?
  [ "$status" -eq "$expected" ] || fail "$args: exit status $status"
  if [ -n "$out" ]; then
    grep -qF "$out" "$work/out.txt" || fail "$args printed: $(cat "$work/out.txt")"
  fi
  if [ -n "$err" ]; then
    grep -qF "$err" "$work/err.txt" || fail "$args complained: $(cat "$work/err.txt")"
  fi
done
# Help and version that cannot reach their reader are failures (2).
for args in --help --version; do
  status=0
  wine "$desktop" $args </dev/null >/dev/full 2>/dev/null || status=$?
  [ "$status" -eq 2 ] || fail "$args into a full output: exit status $status"
  status=0
  wine "$desktop" $args </dev/null >&- 2>/dev/null || status=$?
  [ "$status" -eq 2 ] || fail "$args into a closed output: exit status $status"
done
pass "--help, --version, usage errors (64), unwritable output (2): no window"

# --- No display (no X server): the run ends at once with 0.
status=0
wine "$desktop" </dev/null >"$work/nodisplay.txt" 2>/dev/null || status=$?
[ "$status" -eq 0 ] || fail "without a display the exit status is $status"
[ ! -s "$work/nodisplay.txt" ] || fail "without a display it printed something"
pass "no display: exit status 0, nothing shown"

# --- The symbols of the buttons and the status texts: the fonts Wine draws
# the message font with, linked to DejaVu Sans, which has them.
python3 - "$work/fonts.reg" <<'EOF'
import sys
key = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink"
link = "DejaVuSans.ttf,DejaVu Sans\0\0".encode("utf-16-le")
data = ",".join("%02x" % b for b in link)
lines = ["Windows Registry Editor Version 5.00", "", "[%s]" % key]
for face in ("Tahoma", "Arial", "Liberation Sans", "Microsoft Sans Serif"):
    lines.append('"%s"=hex(7):%s' % (face, data))
open(sys.argv[1], "w", encoding="utf-16").write("\r\n".join(lines) + "\r\n")
EOF
wine regedit /S "$(win "$work/fonts.reg")" </dev/null >/dev/null 2>&1 ||
  fail "the font links were not taken"
wineserver -k
wineserver -w

# --- A private display with a window manager.
start_display || start_display || start_display ||
  fail "no display with a window manager"
# The server, with this display, kept for the whole test.
wineserver -p

# --- A usage error with no standard error to print it on (two files
# dropped onto the program in Explorer): an error box, then 64.
start_app misuse bash -c 'exec wine "$1" a.txt b.txt 2>&-' _ "$desktop"
box=$(first_window "$box_title") || fail "no box for a usage error"
screenshot "$box" "$artifacts/desktop-usage-box.png" || fail "screenshot"
holds "$(read_window "$box")" "more than one FILE given; usage:" "--help"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
keys Return
ended_with 64
pass "usage error with nowhere to print: error box, exit status 64"

# --- The program in a folder whose name holds "&" and ";", its
# descriptions, and a long path.
folder="$work/R&D; echo hacked"
mkdir -p "$folder" "$work/inputs"
cp "$desktop" "$folder/flowsvg-desktop.exe"
printf '[Line.One]\r\nitemid = 1\r\ntitle = Start\r\nitemid = 2\r\nfromid = 1\r\n' \
  >"$work/inputs/plan.txt"
make_long_description

# --- Start-up: the time until the window is mapped.
started=$(date +%s%N)
start_app app wine "$folder/flowsvg-desktop.exe"
window=$(first_window "$main_title") || fail "the main window did not appear"
mapped=$(date +%s%N)
echo "start-up to a mapped window: $(((mapped - started) / 1000000)) ms"
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
[ "$(xdotool getwindowname "$window")" = \
  'Flowchart SVG Generator - Desktop Edition v2.0.0' ] || fail "window title"

# 700 x 380, centred by its outer size: Wine's frame and the window
# manager's differ by the same amount on either side.
window_geometry "$window"
[ "$w x $h" = "700 x 380" ] || fail "client size $w x $h"
outer_w=$((w + left + right)) outer_h=$((h + top + bottom))
off_x=$((x - left - (1280 - outer_w) / 2)) off_y=$((y - top - (1024 - outer_h) / 2))
((off_x >= -2 && off_x <= 2 && off_y >= -2 && off_y <= 2)) ||
  fail "outer $outer_w x $outer_h at $((x - left)),$((y - top)) is not centred"
pass "title; client 700 x 380, centred"
screenshot "$window" "$artifacts/desktop-window.png" || fail "screenshot"
# Small text (the message font is 11 pixels high here) is read back
# with mistakes ("folder" as "fokler", ".txt" as ".tet", "\" as a letter):
# the words looked for in it are those it reads right; the files written
# show the rest. The window at 144 DPI below is read whole.
holds "$(read_window "$window")" "turns a txt flowchart description" \
  "Output SVG:" "Generate SVG" "Write sample" "Status: Ready~How to use"

# The input's Browse... has the focus: Enter opens the open dialog.
keys Return
first_window "$open_title" >/dev/null || fail "Enter opened no dialog"
keys Escape
poll gone "$open_title" || fail "the open dialog stayed"
to_main
# The focus came back to it; Tab moves on to the output's Browse..., whose
# Enter opens the save dialog.
keys Tab Return
first_window "$save_title" >/dev/null || fail "Tab, Enter opened no save dialog"
keys Escape
poll gone "$save_title" || fail "the save dialog stayed"
to_main
pass "Browse... focused at start: Enter opens the open dialog; Tab, Enter the save dialog"

# --- The pointer resting on a button shows its tooltip, with its shortcut.
tooltip() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    [ "$w" != "$window" ] && [ -z "$(xdotool getwindowname "$w" 2>/dev/null)" ] &&
      { echo "$w"; return 0; }
  done
  return 1
}
xdotool mousemove --window "$window" 100 215
sleep 0.2
xdotool mousemove --window "$window" 102 217
tip=$(poll tooltip) || fail "no tooltip over Generate SVG"
screenshot "$tip" "$artifacts/desktop-button-tooltip.png" || fail "screenshot"
holds "$(read_window "$tip")" "Write the SVG drawing of the description" "+G)"
xdotool mousemove --window "$window" 650 30
poll bash -c '! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable' _ "$tip" ||
  fail "the tooltip stayed"
pass "tooltip of Generate SVG names Ctrl+G"

# --- Generate before an input: the warning box, nothing else.
generate_button
answer_box desktop-warning.png || fail "no warning box"
holds "$box_text" "Please choose a txt/ini file first"
pass "Generate before an input: warning box"

# --- Write sample: the sample's bytes beside the program, chosen as input.
sample_button
poll test -f "$folder/sample_flowchart.txt" || fail "no sample file"
cmp "$folder/sample_flowchart.txt" "$src/examples/sample_flowchart.txt" ||
  fail "the sample differs from examples/sample_flowchart.txt"
holds "$(read_window "$window")" "Status: Sample description written" \
  "sample_flowchart" "to draw it"
pass "Write sample: the sample beside the program, chosen"

# --- Generate: the information box, the SVG flowsvg.exe writes.
generate_button
answer_box desktop-generated-box.png || fail "no information box"
# (An "I" starting a line, as in "Items", is read as anything.)
holds "$box_text" "file generated." "Sections: 1" "Warnings:" \
  "line 13: the value of" "is no section line"
same_svg "$folder/flowchart.svg" "$folder/sample_flowchart.txt"
screenshot "$window" "$artifacts/desktop-generated.png" || fail "screenshot"
holds "$(read_window "$window")" "file written" "Size: 6" "Warnings: 2 (line 13:"
pass "Generate: the same SVG as flowsvg.exe (timestamp aside), information box and status with the warnings"

# --- An edited sample: Escape and Enter (Cancel is the default) keep it,
# Replace writes the sample. (The focused Cancel, in its dotted frame, is
# not read back.)
edited_sample_asks "$folder/sample_flowchart.txt" \
  "$src/examples/sample_flowchart.txt" \
  "differs from the sample description." "Replace"

# --- Open folder: the shell's file manager (Wine's explorer) opens the
# output's folder, named as it is.
open_folder_button
explorer=$(window_named "R&D; echo hacked") || fail "no folder window opened"
wmctrl -i -c "$explorer"
poll gone "^R&D; echo hacked$" || fail "the folder window stayed"
[ -z "$(find "$work" -name hacked)" ] || fail "a part of the folder name was run"
to_main
pass "Open folder: the folder opened"

# --- The real open dialog (Ctrl+O) picks an input, the real save dialog
# (Ctrl+S) a new output; Ctrl+G converts.
keys ctrl+o
pick_in_dialog "$open_title" "$(win "$work/inputs/plan.txt")" ||
  fail "Ctrl+O: no open dialog, or it stayed"
holds "$(read_window "$window")" "Status: Input file chosen:" "plan" "Size: 0"
keys ctrl+s
pick_in_dialog "$save_title" "$(win "$work/inputs/out")" ||
  fail "Ctrl+S: no save dialog, or it stayed"
screenshot "$(first_window "$main_title")" "$work/after-save.png" || true
keys ctrl+g
answer_box desktop-picked.png || fail "no information box"
holds "$box_text" "file generated." "Sections: 1"
same_svg "$work/inputs/out.svg" "$work/inputs/plan.txt"
pass "open and save dialogs: input picked, new output (.svg appended)"

# --- The save dialog asks before it takes an existing file (Windows' own
# question, titled as the dialog): No keeps the dialog, Yes takes the file.
# The question, once it is there.
overwrite_question() {
  local ids
  ids=$(xdotool search --all --onlyvisible --pid "$app_pid" --name "$save_title" 2>/dev/null)
  [ "$(wc -l <<<"$ids")" -ge 2 ] || return 1
  tail -n 1 <<<"$ids"
}
rm "$work/inputs/out.svg"
printf 'kept\r\n' >"$work/inputs/out.svg"
keys ctrl+s
dialog=$(first_window "$save_title") || fail "Ctrl+S: no save dialog"
xdotool windowfocus --sync "$dialog"
keys ctrl+a
xdotool type --delay 5 "$(win "$work/inputs/out.svg")"
keys Return
question=$(poll overwrite_question) || fail "no question before out.svg is replaced"
screenshot "$question" "$artifacts/desktop-save-question.png" || fail "screenshot"
holds "$(read_window "$question")" "already exists" "replace it?"
xdotool windowactivate --sync "$question" >/dev/null 2>&1 || true
keys n
poll bash -c '! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable' _ "$question" ||
  fail "No left the question"
visible "$save_title" || fail "No closed the save dialog"
xdotool windowfocus --sync "$dialog"
keys Return
question=$(poll overwrite_question) || fail "no second question"
xdotool windowactivate --sync "$question" >/dev/null 2>&1 || true
keys y
poll gone "$save_title" || fail "Yes did not take the file"
to_main
keys ctrl+g
answer_box desktop-replaced.png || fail "no information box"
same_svg "$work/inputs/out.svg" "$work/inputs/plan.txt"
pass "save dialog: asks before an existing file; No keeps the dialog, Yes takes it"

# A name that gets .svg appended where that file exists: the window's own
# question; Escape keeps the output as it was.
keys ctrl+s
pick_in_dialog "$save_title" "$(win "$work/inputs/out")" ||
  fail "Ctrl+S: no save dialog, or it stayed"
answer_box desktop-append-question.png Escape || fail "no question for out.svg"
holds "$box_text" "already exists." "Replace it?"
pass "appended .svg naming an existing file: the window asks; Escape keeps the output"

# --- A long path dropped onto the window: shortened in the middle, the
# file name kept; the whole path is the tooltip.
start_drag "$(file_uri "$long")"
drop
read_long_label tmp Kilimanjaro-route.txt
screenshot "$window" "$artifacts/desktop-long-path.png" || fail "screenshot"
xdotool mousemove --window "$window" 400 78
sleep 0.2
xdotool mousemove --window "$window" 402 79
tooltip() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    [ "$w" != "$window" ] && [ -z "$(xdotool getwindowname "$w" 2>/dev/null)" ] &&
      { echo "$w"; return 0; }
  done
  return 1
}
tip=$(poll tooltip) || fail "no tooltip over the long path"
screenshot "$tip" "$artifacts/desktop-tooltip.png" || fail "screenshot"
holds "$(read_window "$tip" | tr -d ' ')" "metres-of-" \
  "Across-the-whole-disk" "Until-it-is-" "Kilimanjaro-route"
xdotool mousemove --window "$window" 650 30
pass "long path: '$label', whole path as tooltip"

# --- Alt+F4 closes; the program ends with exit status 0.
keys alt+F4
ended_with 0
pass "Alt+F4: exit status 0"

# --- Preview: the button beside Open folder; Ctrl+P serves the input on
# the loopback port, reached from Linux with curl, and hands the address to
# the browser (Wine's opener runs the desktop's xdg-open: a recording one
# here); a save by rename is converted and told to the page's event stream;
# closing the window stops the server.
mkdir -p "$work/browser"
cat >"$work/browser/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >"$work/address.part"
mv "$work/address.part" "$work/address"
EOF
chmod +x "$work/browser/xdg-open"
start_app preview bash -c 'cd "$1" && PATH="$2:$PATH" exec wine "$3" plan.txt' _ \
  "$work/inputs" "$work/browser" "$folder/flowsvg-desktop.exe"
window=$(main_window) || fail "no window for the preview"
keys ctrl+p
poll test -f "$work/address" || fail "Ctrl+P opened no browser"
address=$(cat "$work/address")
[[ $address =~ ^http://127\.0\.0\.1:([0-9]+)/#key=[0-9a-f]{32}$ ]] ||
  fail "Preview opened '$address'"
base=http://127.0.0.1:${BASH_REMATCH[1]}
curl -sf "$base/description" -o "$work/served" || fail "GET /description failed"
cmp -s "$work/inputs/plan.txt" "$work/served" ||
  fail "GET /description is not the input's bytes"
poll grep -q '>Start</text>' "$folder/flowchart.svg" || fail "Preview wrote no output"
holds "$(read_window "$window")" "Preview at"
curl -sN "$base/events" >"$work/events" 2>/dev/null &
events=$!
pids+=("$events")
poll grep -q '^data: ' "$work/events" || fail "the event stream did not start"
printf '[Line.One]\r\nitemid = 1\r\ntitle = Saved again\r\n' >"$work/inputs/plan.saving"
mv "$work/inputs/plan.saving" "$work/inputs/plan.txt"
poll grep -q '>Saved again</text>' "$folder/flowchart.svg" ||
  fail "the save was not converted"
poll eval '[ "$(grep -c "^data: " "$work/events")" -ge 2 ]' ||
  fail "the save was not told to the page"
to_main
keys ctrl+q
ended_with 0
poll eval '! kill -0 "$events" 2>/dev/null' || fail "the event stream outlived the window"
! curl -s "$base/description" -o /dev/null || fail "the server outlived the window"
printf '[Line.One]\r\nitemid = 1\r\ntitle = Start\r\nitemid = 2\r\nfromid = 1\r\n' \
  >"$work/inputs/plan.txt"
pass "Preview (Ctrl+P): $base served the input to Linux curl, a save converted and told, gone with the window"

# --- At 144 DPI, started with FILE (relative to the working folder): the
# window and every control grow by 1.5 and every caption shows whole (the
# Preview button's among them);
# Ctrl+W closes.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
  </dev/null >/dev/null 2>&1 || fail "LogPixels"
start_app scaled bash -c 'cd "$1" && exec wine "$2" plan.txt' _ \
  "$work/inputs" "$desktop"
window=$(main_window) || fail "no window at 144 DPI"
read -r w h < <(xwininfo -id "$window" | awk '/^ *Width/ {w=$NF}
  /^ *Height/ {h=$NF} END {print w, h}')
[ "$w x $h" = "1050 x 570" ] || fail "client size at 144 DPI: $w x $h"
screenshot "$window" "$artifacts/desktop-144dpi.png" || fail "screenshot"
holds "$(read_window "$window")" \
  "turns a txt flowchart description into a drawing" "Files" \
  "txt/ini file:" "Output SVG:" "Generate SVG" "Write sample" "Open folder" \
  "Preview" "Status: Input file chosen:" "inputs" "plan" "Size: 0 KB"
keys ctrl+w
ended_with 0
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
  </dev/null >/dev/null 2>&1 || fail "LogPixels"
pass "144 DPI: client $w x $h, every caption whole; FILE chosen; Ctrl+W: exit 0"

# --- A program folder that cannot be written (immutable, so that root
# cannot either): the sample and the default output go to Documents.
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$work/locked"
  cp "$desktop" "$work/locked/flowsvg-desktop.exe"
  if chattr +i "$work/locked" 2>/dev/null; then
    locked="$work/locked"
    start_app locked wine "$work/locked/flowsvg-desktop.exe"
    window=$(main_window) || fail "no window from the locked folder"
    sample_button
    poll test -f "$HOME/Documents/sample_flowchart.txt" ||
      fail "no sample in the documents folder"
    keys ctrl+g
    answer_box desktop-documents.png || fail "no information box"
    holds "$box_text" "Documents" "flowchart"
    same_svg "$HOME/Documents/flowchart.svg" \
      "$HOME/Documents/sample_flowchart.txt"
    [ "$(ls "$work/locked")" = "flowsvg-desktop.exe" ] ||
      fail "files beside the program: $(ls "$work/locked")"
    keys ctrl+q
    ended_with 0
    pass "unwritable program folder: sample and SVG in Documents; Ctrl+Q: exit 0"
  else
    echo "skipped: this file system cannot make a folder immutable"
  fi
fi

echo "screenshots in $artifacts"
