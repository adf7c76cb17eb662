#!/usr/bin/env bash
# End-to-end test of flowsvg-desktop in a real window on a private Xvfb
# display under a real window manager (openbox), driven with xdotool like a
# person would: the command line without a window, and without a display;
# a usage error with nowhere to print, in a box; the window's title, class,
# icon (installed by name, else built in), size and place; FILE given at
# start; the focus, the keyboard shortcuts and the buttons' tooltips and
# accessible names (read through AT-SPI); the sample and the question before
# an edited one is replaced; generate and its boxes, with the warnings; open
# folder, and open folder failing; the open dialog picking a name that is
# not UTF-8 by its ASCII prefix, and the save dialog with its questions
# before a file is replaced; files dropped onto the window; long paths
# shortened in the middle with the whole path as tooltip; large text;
# Preview (the address handed to xdg-open, the description served over
# HTTP, a save converted and told to the page, the server gone with the
# window); an installed program run by a user who cannot write its folder;
# a close request. What the window shows is read back with tesseract. Screenshots
# and logs stay in ARTIFACTS.
#
# The program is copied into a folder whose name holds "&", ";" and "$(...)",
# so its sample and its default output land there, and open folder must hand
# that name to xdg-open (a recording stand-in first in PATH) as one argument
# without running any of it.
#
# Usage: desktop_window_test.sh FLOWSVG_DESKTOP FLOWSVG X11_WINDOW_HELPER ARTIFACTS PAGE
# (PAGE: the browser page built into the program, or "none")
set -euo pipefail

desktop=$(realpath "$1")
cli=$(realpath "$2")
helper=$(realpath "$3")
artifacts=$(realpath -m "$4")
page=$5
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
chmod 755 "$work"  # the run as another user reaches into it
src=$(cd "$here/../.." && pwd)
. "$src/src/testing/window_test_support.sh"

pids=()
cleanup() {
  stop_started
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  # What the screen showed then.
  if [ -n "${DISPLAY:-}" ]; then
    local root
    root=$(xwininfo -root 2>/dev/null | awk '/Window id/ {print $4; exit}')
    "$helper" capture "$root" "$work/screen.ppm" 2>/dev/null &&
      python3 "$here/../testing/ppm_to_png.py" "$work/screen.ppm" "$artifacts/failed-screen.png"
  fi
  local log
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
  done
  exit 1
}

# Writes a PNG of window $1 to $2 (optionally only the part X Y W H, zoomed
# by ZOOM) once two captures in a row agree, so that the picture is not
# taken halfway through painting.
screenshot() {
  local window=$1 out=$2
  shift 2
  "$helper" capture "$window" "$work/shot.ppm" || return 1
  local i
  for ((i = 0; i < 50; i++)); do
    sleep 0.1
    "$helper" capture "$window" "$work/next.ppm" || return 1
    if cmp -s "$work/shot.ppm" "$work/next.ppm"; then
      python3 "$here/../testing/ppm_to_png.py" "$work/shot.ppm" "$out" "$@"
      return
    fi
    mv "$work/next.ppm" "$work/shot.ppm"
  done
  return 1
}

# The text of the last screenshot, read from a copy twice the size (small
# text reads better so).
read_shot() {
  python3 "$here/../testing/ppm_to_png.py" "$work/shot.ppm" "$work/zoomed.png" \
    0 0 100000 100000 2 && read_text "$work/zoomed.png"
}

main_title='^Flowchart SVG Generator - Desktop Edition v2\.0\.0$'
box_title='^Flowchart SVG Generator$'
# The first visible window named like $1 (and of the program $2 when
# given), waited for; a search fails now and then while windows come and
# go, so it is repeated.
first_window() {
  local found
  found() {
    local ids
    if [ -n "${2:-}" ]; then
      ids=$(xdotool search --all --onlyvisible --pid "$2" --name "$1" 2>/dev/null)
    else
      ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null)
    fi
    [ -n "$ids" ] && head -n 1 <<<"$ids"
  }
  poll found "$@"
}

# The main window of the program $app_pid, and it activated.
main_window() {
  local window
  window=$(first_window "$main_title" "$app_pid") || return 1
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  echo "$window"
}

# Waits for a message or question box, keeps a screenshot of it as $1 in
# the artifacts and its text in $box_text, presses the keys $2... (Return
# when none), and waits until it is gone.
answer_box() {
  local shot=$1 box
  shift
  box=$(first_window "$box_title") || return 1
  screenshot "$box" "$artifacts/$shot" || return 1
  box_text=$(read_shot)
  xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
  [ $# -gt 0 ] || set -- Return
  keys "$@"
  # That box gone (another may follow it under the same title).
  box_gone() { ! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; }
  poll box_gone
}

# Fails unless the SVG $1 is what flowsvg makes of the description $2.
same_svg() {
  "$cli" -q "$2" "$work/expected.svg" || fail "flowsvg could not convert $2"
  [ "$(strip_time "$1" | wc -l)" -gt 20 ] || fail "short SVG $1"
  diff <(strip_time "$1") <(strip_time "$work/expected.svg") >/dev/null ||
    fail "$1 is not the drawing of $2"
}

# --- The command line, with no window and no display needed.
for case in "--help|0|Usage: flowsvg-desktop [FILE]|" \
  "--version|0|2.0.0|" \
  "a.txt b.txt|64||flowsvg-desktop: more than one FILE given; usage: flowsvg-desktop [FILE]" \
  "--bogus|64||flowsvg-desktop: unknown option --bogus; usage:"; do
  IFS='|' read -r args expected out err <<<"$case"
  status=0
  # shellcheck disable=SC2086
  env -u DISPLAY -u WAYLAND_DISPLAY "$desktop" $args </dev/null \
    >"$work/out.txt" 2>"$work/err.txt" || status=$?
  [ "$status" -eq "$expected" ] || fail "$args: exit status $status"
  if [ -n "$out" ]; then
    grep -qF "$out" "$work/out.txt" || fail "$args printed: $(cat "$work/out.txt")"
  else
    [ ! -s "$work/out.txt" ] || fail "$args printed on standard output"
  fi
  if [ -n "$err" ]; then
    grep -qF "$err" "$work/err.txt" || fail "$args complained: $(cat "$work/err.txt")"
  else
    [ ! -s "$work/err.txt" ] || fail "$args complained: $(cat "$work/err.txt")"
  fi
done
# Help and version that cannot reach their reader are failures (2).
for args in --help --version; do
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$desktop" $args >/dev/full 2>/dev/null ||
    status=$?
  [ "$status" -eq 2 ] || fail "$args into a full output: exit status $status"
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$desktop" $args >&- 2>/dev/null ||
    status=$?
  [ "$status" -eq 2 ] || fail "$args into a closed output: exit status $status"
done
pass "--help, --version, usage errors (64), unwritable output (2): no window"

# --- Without a display no window can open: one line on standard error
# naming the display, and exit status 1.
for display in '' ':4711'; do
  status=0
  if [ -z "$display" ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY "$desktop" </dev/null \
      >"$work/nodisplay.out" 2>"$work/nodisplay.err" || status=$?
    expected='flowsvg-desktop: cannot open display (unset)'
  else
    env -u WAYLAND_DISPLAY DISPLAY="$display" "$desktop" </dev/null \
      >"$work/nodisplay.out" 2>"$work/nodisplay.err" || status=$?
    expected="flowsvg-desktop: cannot open display $display"
  fi
  [ "$status" -eq 1 ] || fail "display '$display': exit status $status"
  [ ! -s "$work/nodisplay.out" ] || fail "display '$display': printed on standard output"
  [ "$(cat "$work/nodisplay.err")" = "$expected" ] ||
    fail "display '$display': standard error was '$(cat "$work/nodisplay.err")'"
done
pass "no display: '$expected' (or '(unset)'), exit status 1"

# --- A private display with a window manager.
start_display || start_display || start_display ||
  fail "no display with a window manager"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
# GTK keeps recent files and settings under these: keep them in the sandbox.
export XDG_DATA_HOME="$work/xdg/data" XDG_CONFIG_HOME="$work/xdg/config" \
  XDG_CACHE_HOME="$work/xdg/cache"

# --- A usage error with no standard error to print it on (as for a program
# started by a file manager with two files): an error box, then 64.
start_app misuse bash -c 'exec "$1" a.txt b.txt 2>&-' _ "$desktop"
box=$(first_window "$box_title" "$app_pid") || fail "no box for a usage error"
screenshot "$box" "$artifacts/desktop-usage-box.png" || fail "screenshot"
holds "$(read_shot)" "more than one FILE given" "usage: flowsvg-desktop [FILE]"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
keys Return
ended_with 64
pass "usage error with nowhere to print: error box, exit status 64"

# --- The icon: the installed one by its name in the icon theme, else the
# one built into the program. A theme folder of the test holds an icon of
# one colour by the program's name; without it no theme has the icon.
window_icon() { /usr/bin/python3 "$here/window_icon.py" "$@"; }
mkdir -p "$work/theme/icons/hicolor/48x48/apps" "$work/no-theme"
window_icon solid "$work/theme/icons/hicolor/48x48/apps/io.github.flowsvg.FlowsvgDesktop.png" \
  48 c81e3c
built_in=$(window_icon png-pixel "$(dirname "$desktop")/window-icon/icon-48.png")
for theme in installed built-in; do
  if [ "$theme" = installed ]; then
    start_app icon env XDG_DATA_DIRS="$work/theme:/usr/share" "$desktop"
    expected=c81e3cff
  else
    start_app icon env XDG_DATA_DIRS="$work/no-theme" "$desktop"
    expected=$built_in
  fi
  window=$(main_window) || fail "no window for the $theme icon"
  sizes=$(window_icon sizes "$window")
  [ -n "$sizes" ] || fail "$theme icon: the window has none"
  [ "$theme" = installed ] || [ "$sizes" = "16 24 32 48 64 128" ] ||
    fail "built-in icon sizes: $sizes"
  pixel=$(window_icon pixel "$window" 48) || fail "$theme icon: no 48 x 48 image ($sizes)"
  [ "$pixel" = "$expected" ] || fail "$theme icon: centre $pixel, not $expected"
  keys ctrl+q
  ended_with 0
done
pass "icon: the theme's by name when installed, else the built-in one ($sizes)"

# --- What a screen reader is told of the buttons (AT-SPI, on a session bus
# of its own): which file each Browse... button chooses, no symbols.
dbus-run-session -- env -u NO_AT_BRIDGE bash -c '
  "$1" </dev/null >/dev/null 2>&1 &
  app=$!
  /usr/bin/python3 "$2" io.github.flowsvg.FlowsvgDesktop >"$3"
  status=$?
  kill "$app"
  exit "$status"' _ "$desktop" "$here/../testing/accessible_names.py" \
  "$work/names.txt" >"$work/atspi.log" 2>&1 || fail "no accessible names read"
expected=$(printf '%s\n' "Browse for the description file" \
  "Browse for the SVG file" "Generate SVG" "Write sample" "Open folder" \
  "Preview")
[ "$(cat "$work/names.txt")" = "$expected" ] ||
  fail "accessible names: $(tr '\n' '|' <"$work/names.txt")"
pass "accessible names: $(tr '\n' '|' <"$work/names.txt")"

# --- The program in a folder with a hostile name, a recording xdg-open,
# and the descriptions it is given.
folder="$work/"'R&D; touch hacked $(touch hacked) `touch hacked`'
mkdir -p "$folder" "$work/fakebin" "$work/plans" "$work/odd"
cp "$desktop" "$folder/flowsvg-desktop"
cat >"$work/fakebin/xdg-open" <<EOF
#!/bin/sh
{ echo "\$#"; for a in "\$@"; do printf '[%s]\n' "\$a"; done; } >"$work/opened.part"
mv "$work/opened.part" "$work/opened"
EOF
chmod +x "$work/fakebin/xdg-open"
printf '[Line.One]\r\nitemid = 1\r\ntitle = Start\r\nitemid = 2\r\nfromid = 1\r\n' \
  >"$work/plans/start.txt"
odd=$(printf '%s/odd/caf\351-plan.txt' "$work")  # Latin-1: not UTF-8
printf '[Line.Odd]\r\nitemid = 7\r\ntitle = Odd name\r\n' >"$odd"
make_long_description
printf '[Line.Same]\r\nitemid = 1\r\n' >"$work/same.svg"
cp "$work/same.svg" "$work/plans/same-before.svg"

# --- Started with FILE (relative to the working folder): it is the input.
start_app app bash -c 'cd "$1/plans" && PATH="$1/fakebin:$PATH" exec "$2" start.txt' \
  _ "$work" "$folder/flowsvg-desktop"
window=$(main_window) || fail "the main window did not appear"
[ "$(xdotool getwindowname "$window")" = \
  'Flowchart SVG Generator - Desktop Edition v2.0.0' ] || fail "window title"
xprop -id "$window" WM_CLASS | grep -qF \
  '= "io.github.flowsvg.FlowsvgDesktop", "io.github.flowsvg.FlowsvgDesktop"' ||
  fail "WM_CLASS: $(xprop -id "$window" WM_CLASS)"
pass "title, and WM_CLASS io.github.flowsvg.FlowsvgDesktop"

# 700 x 380, centred on the 1280 x 1024 screen by its outer size: the
# client area plus the window manager's frame.
window_geometry "$window"
[ "$w x $h" = "700 x 380" ] || fail "client size $w x $h"
outer_w=$((w + left + right)) outer_h=$((h + top + bottom))
[ $((x - left)) -eq $(((1280 - outer_w) / 2)) ] &&
  [ $((y - top)) -eq $(((1024 - outer_h) / 2)) ] ||
  fail "outer $outer_w x $outer_h at $((x - left)),$((y - top)) is not centred"
(( top > 0 )) || fail "no title bar from the window manager"
pass "client 700 x 380, outer $outer_w x $outer_h centred"
screenshot "$window" "$artifacts/desktop-window.png" || fail "screenshot"
text=$(read_shot)
holds "$text" "txt/ini file:" "Output SVG:" "Status: Input file chosen:" \
  "plans/start.txt" "Size: 0 KB"

# The input's Browse... has the focus: Enter opens the open dialog.
keys Return
poll visible '^Choose a txt/ini description file$' || fail "Enter opened no dialog"
keys Escape
poll gone '^Choose a txt/ini description file$' || fail "the dialog stayed"
pass "FILE chosen at start; Browse... focused, Enter opens the dialog"

# Ctrl+G generates from anywhere: the FILE's drawing beside the program.
keys ctrl+g
answer_box desktop-information.png || fail "no information box"
holds "$box_text" "SVG file generated." "Sections: 1" "Items: 2"
[[ "$box_text" != *Warnings* ]] || fail "warnings for a description without any"
same_svg "$folder/flowchart.svg" "$work/plans/start.txt"
pass "Ctrl+G: FILE converted beside the program"

# The pointer resting on a button shows its tooltip, with its shortcut.
button_tooltip() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP &&
      { echo "$w"; return 0; }
  done
  return 1
}
xdotool mousemove --window "$window" 100 215
sleep 0.2
xdotool mousemove --window "$window" 102 217
tip=$(poll button_tooltip) || fail "no tooltip over Generate SVG"
screenshot "$tip" "$artifacts/desktop-button-tooltip.png" || fail "screenshot"
holds "$(read_shot)" "Write the SVG drawing of the description (Ctrl+G)"
xdotool mousemove --window "$window" 650 30
pass "tooltip of Generate SVG names Ctrl+G"

# --- A sample that cannot be written (a folder holds its name): error box.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
sample_button() { click 265 217; }
generate_button() { click 100 217; }
mkdir "$folder/sample_flowchart.txt"
sample_button
answer_box desktop-error.png || fail "no error box for the sample"
holds "$box_text" "Cannot create the sample file:" "Is a directory"
rmdir "$folder/sample_flowchart.txt"
pass "sample that cannot be written: error box with the reason"

# --- Sample: the file beside the program, the same bytes flowsvg writes.
sample_button
poll test -f "$folder/sample_flowchart.txt" || fail "no sample file"
"$cli" --sample "$work/cli-sample.txt"
cmp "$folder/sample_flowchart.txt" "$work/cli-sample.txt" ||
  fail "the sample differs from flowsvg --sample"
pass "sample written beside the program"

# --- An edited sample: the question; Escape and Enter (Cancel is the
# default) keep the edits, Replace writes the sample.
edited_sample_asks "$folder/sample_flowchart.txt" "$work/cli-sample.txt" \
  "differs from the sample description." "Replace" "Cancel"

# --- Generate: the information box with the sample's two warnings, then
# the SVG beside the program; the status area adds the first warning.
generate_button
answer_box desktop-generated-box.png || fail "no information box"
holds "$box_text" "SVG file generated." "Warnings:" "line 13: the value of" \
  "line 41:" "is no section line"
same_svg "$folder/flowchart.svg" "$folder/sample_flowchart.txt"
pass "generated SVG equals flowsvg's (timestamp line aside); the box lists the warnings"
screenshot "$window" "$artifacts/desktop-generated.png" || fail "screenshot"
holds "$(read_shot)" "SVG file written" "Warnings: 2 (line 13: the value of"
pass "status area: 'Warnings: 2 (line 13: ...)' after the size"

# --- Open folder: the folder reaches xdg-open as one argument, unrun.
click 430 217
poll test -f "$work/opened" || fail "xdg-open was not started"
expected=$(printf '1\n[%s/]' "$folder")
[ "$(cat "$work/opened")" = "$expected" ] ||
  fail "xdg-open got: $(cat "$work/opened")"
hacked=$(find "$work" -name hacked)
[ -z "$hacked" ] || fail "a part of the folder name was run: $hacked"
pass "open folder handed over the folder as one argument"

# --- An xdg-open that finds nothing to open folders with: its exit status
# and what it means, in an error box.
cp "$work/fakebin/xdg-open" "$work/xdg-open.kept"
printf '#!/bin/sh\necho "xdg-open: no method available" >&2\nexit 3\n' \
  >"$work/fakebin/xdg-open"
click 430 217
answer_box desktop-open-folder-failed.png || fail "no error box for xdg-open failing"
holds "$box_text" "Cannot open the folder:" "exit status 3" \
  "A required tool could not be found"
mv "$work/xdg-open.kept" "$work/fakebin/xdg-open"
pass "open folder: xdg-open failing is told in an error box"

# Waits for the file dialog titled $1 and, once it has settled (keys sent
# before can get lost), presses the keys $2...
in_dialog() {
  local title=$1 dialog
  shift
  dialog=$(first_window "^$title\$") || return 1
  screenshot "$dialog" "$work/dialog.png" || return 1
  xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
  "$@"
}
type_text() { xdotool type --delay 5 "$1"; }
# Accepts the dialog titled $1 with Enter and waits until it is gone. Where
# the chooser offers to complete a typed name, the first Enter takes the
# completion, and a second one accepts.
accept_dialog() {
  local dialog
  dialog=$(first_window "^$1\$") || return 1
  screenshot "$dialog" "$work/dialog.png" || return 1
  keys Return
  dialog_gone() { ! xwininfo -id "$dialog" 2>/dev/null | grep -q IsViewable; }
  local i
  for ((i = 0; i < 30; i++)); do
    dialog_gone && return 0
    sleep 0.1
  done
  keys Return
  poll dialog_gone
}

# --- Ctrl+O: the name that is not UTF-8, typed by its ASCII prefix and
# completed by the chooser; Ctrl+G must convert that very file.
open_title='Choose a txt/ini description file'
keys ctrl+o
in_dialog "$open_title" keys ctrl+l || fail "Ctrl+O showed no open dialog"
type_text "$work/odd/caf"
# The screenshot waits until the chooser has completed the name.
dialog=$(first_window "^$open_title\$") || fail "the open dialog went"
screenshot "$dialog" "$artifacts/desktop-open-dialog.png" || fail "screenshot"
keys Return
poll gone "^$open_title\$" || fail "the open dialog stayed"
keys ctrl+g
answer_box desktop-picked.png || fail "no information box"
holds "$box_text" "Sections: 1" "Items: 1"
same_svg "$folder/flowchart.svg" "$odd"
pass "open dialog: the name that is not UTF-8 was taken byte for byte"

# --- Ctrl+S: the save dialog has the current name filled in (Enter keeps
# it, once the dialog's question before replacing the file is answered),
# and starts in the output's folder (a bare name lands there).
save_title='Save the SVG file'
# The save dialog's question before a file is replaced, once it shows.
overwrite_question() {
  local question
  question=$(xdotool getactivewindow 2>/dev/null) || return 1
  [ "$(xdotool getwindowname "$question" 2>/dev/null)" != "$save_title" ] || return 1
  screenshot "$question" "$artifacts/desktop-save-question.png" || return 1
  reads "$(read_shot)" "already exists"
}
before=$(stat -c %Y.%s "$folder/flowchart.svg")
keys ctrl+s
in_dialog "$save_title" keys Return || fail "Ctrl+S showed no save dialog"
poll overwrite_question || fail "no question before the current output is kept"
keys alt+r
poll gone "^$save_title\$" || fail "Enter in the save dialog chose nothing"
keys ctrl+s
in_dialog "$save_title" keys ctrl+a || fail "no save dialog"
type_text chart.txt
accept_dialog "$save_title" || fail "the save dialog stayed"
keys ctrl+g
answer_box desktop-saved.png || fail "no information box"
same_svg "$folder/chart.txt.svg" "$odd"
[ "$(stat -c %Y.%s "$folder/flowchart.svg")" = "$before" ] ||
  fail "the earlier output was written again"
pass "save dialog: name filled in, folder of the output, .svg appended"

# The save dialog asks before it takes an existing file: Escape keeps the
# dialog open, Replace takes the file.
keys ctrl+s
in_dialog "$save_title" keys ctrl+a || fail "no save dialog"
type_text flowchart.svg
keys Return
poll overwrite_question || fail "no question before replacing flowchart.svg"
keys Escape
sleep 0.5
visible "^$save_title\$" || fail "Escape in the question closed the save dialog"
keys Return
poll overwrite_question || fail "no second question"
keys alt+r
poll gone "^$save_title\$" || fail "Replace did not take the file"
keys ctrl+g
answer_box desktop-replaced.png || fail "no information box"
holds "$box_text" "flowchart.svg"
same_svg "$folder/flowchart.svg" "$odd"
pass "save dialog: asks before an existing file; Escape keeps the dialog, Replace takes it"

# A name that gets .svg appended where that file exists: the window's own
# question; Escape keeps the output as it was.
keys ctrl+s
in_dialog "$save_title" keys ctrl+a || fail "no save dialog"
type_text chart.txt
accept_dialog "$save_title" || fail "the save dialog stayed"
answer_box desktop-append-question.png Escape || fail "no question for chart.txt.svg"
holds "$box_text" "/chart.txt.svg" "already exists." "Replace it?"
keys ctrl+g
answer_box desktop-kept-output.png || fail "no information box"
holds "$box_text" "File:" "flowchart.svg"
pass "appended .svg naming an existing file: the window asks; Escape keeps the output"

# --- Drops: a drag source offers a long path, a remote location, and a
# description named like an SVG.
start_drag "$(file_uri "$long")" "sftp://host/plan.txt" \
  "$(file_uri "$work/same.svg")"

# A long path: the start of the path, an ellipsis for the middle, and the
# file name visible; the whole path is the tooltip.
drop
read_long_label tmp long Kilimanjaro-route.txt
screenshot "$window" "$artifacts/desktop-long-path.png" || fail "screenshot"
xdotool mousemove --window "$window" 400 80
tooltip() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP &&
      { echo "$w"; return 0; }
  done
  return 1
}
tip=$(poll tooltip) || fail "no tooltip over the long path"
screenshot "$tip" "$artifacts/desktop-tooltip.png" || fail "screenshot"
tip_text=$(read_shot | tr -d ' ')
holds "$tip_text" "Kilimanjaro-route.txt" "Kilometres-of-folders"
xdotool mousemove --window "$window" 650 30
pass "long path: '$label', whole path as tooltip"

# A remote location is no local file: an error box, the input kept.
drop
answer_box desktop-not-local.png || fail "no error box for a remote drop"
holds "$box_text" "Cannot open the description file: sftp://host/plan.txt" \
  "not a local file"
pass "dropped remote location: error box"

# A dropped description named same.svg, and then the same file chosen as
# the output: the error box names the output with the reason, then the box
# that says the SVG file could not be written; the description stays as it
# was.
drop
keys ctrl+s
in_dialog "$save_title" keys ctrl+a || fail "no save dialog"
type_text "$work/same.svg"
accept_dialog "$save_title" || fail "the save dialog stayed"
keys ctrl+g
answer_box desktop-error-reason.png || fail "no error box for output = input"
holds "$box_text" "Cannot create the SVG file:" "same.svg" "it is the input file"
answer_box desktop-write-failed.png || fail "no second error box"
holds "$box_text" "SVG file could not be written."
cmp -s "$work/same.svg" "$work/plans/same-before.svg" || fail "the description changed"
pass "dropped file chosen; output = input refused with the reason"

# --- A close request ends the process with exit status 0.
"$helper" close "$window" || fail "could not send the close request"
ended_with 0
pass "close request: exit status 0"

# --- FILE that cannot be opened: the open error box at start, no input
# (so Ctrl+G warns); Ctrl+Q closes with exit status 0.
# No xdg-open to be found: Open folder says so.
mkdir -p "$work/emptybin"
start_app missing bash -c 'cd "$1/plans" && PATH="$1/emptybin" exec "$2" missing.txt' \
  _ "$work" "$desktop"
answer_box desktop-missing.png || fail "no error box for a missing FILE"
holds "$box_text" "Cannot open the description file:" "plans/missing.txt" \
  "No such file or directory"
window=$(main_window) || fail "no main window"
keys ctrl+g
answer_box desktop-warning.png || fail "no warning box"
holds "$box_text" "Please choose a txt/ini file first"
click 430 217
answer_box desktop-no-opener.png || fail "no error box without xdg-open"
holds "$box_text" "Cannot open the folder:" "xdg-open: No such file or directory"
keys ctrl+q
ended_with 0
pass "missing FILE: error box, no input; no xdg-open: error box; Ctrl+Q: exit status 0"

# --- Large text (GDK_DPI_SCALE=1.5): the window and every control grow,
# and every caption shows whole. Ctrl+W closes.
start_app scaled env GDK_DPI_SCALE=1.5 "$desktop" "$long"
window=$(main_window) || fail "no scaled window"
read -r w h < <(xwininfo -id "$window" | awk '/^ *Width/ {w=$NF}
  /^ *Height/ {h=$NF} END {print w, h}')
(( w >= 1050 && h >= 570 )) || fail "scaled client size $w x $h"
screenshot "$window" "$artifacts/desktop-scaled.png" || fail "screenshot"
text=$(read_text "$artifacts/desktop-scaled.png")  # large enough as it is
holds "$text" "turns a txt flowchart description into a drawing" "Files" \
  "txt/ini file:" "Output SVG:" "Generate SVG" "Write sample" "Open folder" \
  "Kilimanjaro-route.txt" "Status: Input file chosen:" "Size: 0 KB"
keys ctrl+w
ended_with 0
pass "GDK_DPI_SCALE=1.5: client $w x $h, every caption whole; Ctrl+W: exit 0"

# --- Preview: Ctrl+P serves the input on the loopback interface, hands the
# address to the browser (a recording xdg-open) and writes the output; a
# save of the input is converted again and told to the page's event
# stream; closing the window stops the server. A build without the browser
# page says so in an error box instead.
mkdir -p "$work/preview/bin" "$work/preview/browser"
cp "$desktop" "$work/preview/bin/flowsvg-desktop"
cat >"$work/preview/browser/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >"$work/preview/address.part"
mv "$work/preview/address.part" "$work/preview/address"
EOF
chmod +x "$work/preview/browser/xdg-open"
plan=$work/preview/plan.txt
printf '[Line.One]\r\nitemid = 1\r\ntitle = Served\r\n' >"$plan"
start_app preview env PATH="$work/preview/browser:$PATH" \
  "$work/preview/bin/flowsvg-desktop" "$plan"
window=$(main_window) || fail "no window for the preview"
keys ctrl+p
if [ "$page" = none ]; then
  answer_box desktop-preview-unavailable.png || fail "no box for a build without the page"
  holds "$box_text" "Cannot start the preview:" "not available in this build"
  keys ctrl+q
  ended_with 0
  pass "Preview in a build without the browser page: error box"
else
  poll test -f "$work/preview/address" || fail "Preview opened no browser"
  address=$(cat "$work/preview/address")
  [[ $address =~ ^http://127\.0\.0\.1:([0-9]+)/#key=[0-9a-f]{32}$ ]] ||
    fail "Preview opened '$address'"
  port=${BASH_REMATCH[1]}
  base=http://127.0.0.1:$port
  [ "$(wc -l <"$work/preview/address")" -eq 1 ] || fail "xdg-open got more than the address"
  poll grep -q '>Served</text>' "$work/preview/bin/flowchart.svg" ||
    fail "Preview did not write the output"
  curl -sf "$base/description" -o "$work/preview/served" ||
    fail "GET /description failed"
  cmp -s "$plan" "$work/preview/served" || fail "GET /description is not the input's bytes"
  curl -sf "$base/" -o "$work/preview/page.html" || fail "GET / failed"
  cmp -s "$page" "$work/preview/page.html" || fail "GET / is not the page built in"
  screenshot "$window" "$artifacts/desktop-preview.png" || fail "screenshot"
  holds "$(read_shot)" "Preview at" "SVG file written"
  # A page listens; the input is saved as editors save it.
  curl -sN "$base/events" >"$work/preview/events" 2>/dev/null &
  events=$!
  pids+=("$events")
  poll grep -q '^data: ' "$work/preview/events" || fail "the event stream did not start"
  printf '[Line.One]\r\nitemid = 1\r\ntitle = Saved again\r\n' >"$plan.saving"
  mv "$plan.saving" "$plan"
  poll grep -q '>Saved again</text>' "$work/preview/bin/flowchart.svg" ||
    fail "the save was not converted"
  poll eval '[ "$(grep -c "^data: " "$work/preview/events")" -ge 2 ]' ||
    fail "the save was not told to the page"
  keys ctrl+q
  ended_with 0
  poll eval '! kill -0 "$events" 2>/dev/null' || fail "the event stream outlived the window"
  ! curl -s "$base/description" -o /dev/null || fail "the server outlived the window"
  pass "Preview: $base served the input, a save converted and told, gone with the window"
fi

# --- Installed where its user cannot write (a root-owned bin folder, run
# as nobody): the sample and the default output go to the documents folder
# that user-dirs.dirs names.
if [ "$(id -u)" -eq 0 ]; then
  home="$work/home"
  mkdir -p "$work/sysbin" "$home/.config" "$home/Dokumente"
  cp "$desktop" "$work/sysbin/flowsvg-desktop"
  echo 'XDG_DOCUMENTS_DIR="$HOME/Dokumente"' >"$home/.config/user-dirs.dirs"
  chown -R 65534:65534 "$home"
  start_app nobody env HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" \
    setpriv --reuid=65534 --regid=65534 --clear-groups \
    "$work/sysbin/flowsvg-desktop"
  window=$(main_window) || fail "no window as nobody"
  sample_button
  poll test -f "$home/Dokumente/sample_flowchart.txt" ||
    fail "no sample in the documents folder"
  keys ctrl+g
  answer_box desktop-documents.png || fail "no information box as nobody"
  holds "$box_text" "Dokumente/flowchart.svg"
  same_svg "$home/Dokumente/flowchart.svg" "$home/Dokumente/sample_flowchart.txt"
  [ "$(ls "$work/sysbin")" = "flowsvg-desktop" ] ||
    fail "files beside the program: $(ls "$work/sysbin")"
  keys ctrl+q
  ended_with 0
  pass "unwritable program folder: sample and SVG in the documents folder"
fi

echo "screenshots in $artifacts"
