#!/usr/bin/env bash
# The Windows installer as a user meets it over time, under Wine, in a Wine
# prefix of its own with a private Xvfb display (openbox) for the installer's
# own window:
#   - an earlier version (the same installer script built with an older
#     version number) installed into a folder of the user's choice;
#   - the new installer started by hand over it: its title names its
#     version, its pages come in order, its folder page offers that folder,
#     and Cancel there leaves the earlier version working (its files,
#     Start-menu entry and uninstall entry; its flowsvg.exe still converts);
#   - by hand again, to the end, with the PATH option ticked: an upgrade in
#     place (the remembered folder, the new files, one uninstall entry of
#     the new version, the user's own files kept, no stray uninstaller) and
#     the folder at the end of the user's PATH, its other folders and type
#     kept;
#   - an install left by the installers before this one (its folder only in
#     their vendor key) found and upgraded, the empty vendor key gone, the
#     PATH choice kept; the uninstaller takes the folder out of PATH again;
#   - the PATH option off unless chosen (/AddToPath when silent); a PATH too
#     long for the installer's strings left exactly as it was;
#   - the per-user install (/CurrentUser): the user's own program folder,
#     Start menu and registry, nothing that needs an administrator (Program
#     Files, ProgramData, HKLM), and its uninstaller removes it.
# Usage: windows-installer_test.sh BUILD_DIR SOURCE_DIR VERSION
set -u
build=$1
src=$2
version=$3
packages=$build/packages
installer=$packages/flowsvg-$version-win64.exe
project=$packages/_CPack_Packages/win64/NSIS/project.nsi
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-installer-XXXXXX")
. "$src/src/testing/test_support.sh"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$work/home"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# A failure that the rest depends on: said, and the test ends.
stop() {
  fail "$*"
  finish
}
pass() { echo "ok: $*"; }

[ -f "$installer" ] && [ -f "$project" ] ||
  stop "no installer and script in $packages (the windows_packages test makes them)"

unix_path() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# The value named $2 of registry key $1 ("" when there is none), and its type.
reg_value() {
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
reg_type() {
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *\(REG_[A-Z_]*\).*/\1/p"
}
has_key() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
# Runs the uninstaller $1 of the install mode $3 (/AllUsers or
# /CurrentUser), which goes on from a copy of itself and returns at once,
# and waits until it has ended: the folder $2 holds no Uninstall.exe and
# the uninstall entry, the last thing it removes, is gone.
uninstall() {
  local key=$uninstall_key
  [ "$3" = /CurrentUser ] && key=$user_uninstall_key
  wine "$1" "$3" /S </dev/null >/dev/null 2>&1
  poll bash -c '[ ! -e "$1/Uninstall.exe" ] &&
    ! WINEDEBUG=-all wine reg query "$2" </dev/null >/dev/null 2>&1' _ "$2" "$key" ||
    fail "$1 did not finish"
  sleep 0.5
}
# Whether the program in the Windows folder $1 converts the sample to the
# golden drawing.
converts() {
  wine "$1\\flowsvg.exe" -q "$(windows_path "$example")" \
    "$(windows_path "$work/drawing.svg")" </dev/null >/dev/null 2>&1 &&
    diff -q <(without_time "$golden") <(without_time "$work/drawing.svg") >/dev/null
}
runner=(wine)

# --- The prefix, made without a display; then a display with a window
# manager, which the server keeps from now on.
wineboot --init >"$work/wineboot.log" 2>&1 </dev/null || stop "wineboot"
wineserver -w
start_display() {
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
    3>"$work/display" 2>"$work/xvfb.log" </dev/null &
  pids+=("$!")
  poll test -s "$work/display" || return 1
  export DISPLAY=":$(cat "$work/display")"
  openbox --sm-disable </dev/null >"$work/openbox.log" 2>&1 &
  pids+=("$!")
  poll bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
}
start_display || stop "no display with a window manager"
wineserver -p

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Flowchart SVG Generator'
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Flowchart SVG Generator'
program_files=$(unix_path 'C:\Program Files')
menu=$(unix_path 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Flowchart SVG Generator')

# --- An earlier version, installed into a folder of the user's own.
old_version=1.9.0
makensis -V2 -DVERSION=$old_version -DOUTFILE="$work/old-installer.exe" \
  "$project" >"$work/makensis.log" 2>&1 || stop "makensis: $(cat "$work/makensis.log")"
tools_windows='C:\Tools\Drawings'
tools=$(unix_path "$tools_windows")
wine "$work/old-installer.exe" /S "/D=$tools_windows" </dev/null >/dev/null 2>&1
[ -f "$tools/flowsvg.exe" ] || stop "the earlier version is not in $tools_windows"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$old_version" ] ||
  stop "the earlier version's entry: $(reg_value "$uninstall_key" DisplayVersion)"
printf 'my notes\r\n' >"$tools/my-notes.txt"
cp -r "$tools" "$work/old-files"
pass "earlier version $old_version installed into $tools_windows"

# --- The new installer by hand. Its title names the version; its pages
# come in order; its folder page offers the earlier install's folder.
setup_title="Flowchart SVG Generator $version Setup"
# The installer's window; each page adds its own words to the title.
setup_window() { xdotool search --onlyvisible --name "^$setup_title" 2>/dev/null | head -n 1; }
# Waits (30 s at most) until the installer's window shows a page whose text
# holds the word $1; keeps the text in $page_text.
page() {
  local window i
  page_text=
  for ((i = 0; i < 100; i++)); do
    window=$(setup_window)
    if [ -n "$window" ] &&
      /usr/bin/python3 "$src/src/testing/window_capture.py" "$window" \
        "$work/page.png" 0 0 100000 100000 2 2>/dev/null; then
      page_text=$(tesseract "$work/page.png" - 2>/dev/null | tr '\n' ' ')
      [[ "$page_text" == *"$1"* ]] && return 0
    fi
    sleep 0.2
  done
  return 1
}
# Starts the installer by hand and goes on with Return from its welcome
# page to the components page.
to_components() {
  wine "$installer" </dev/null >"$work/setup.log" 2>&1 &
  setup_pid=$!
  page "Welcome" || stop "no welcome page titled '$setup_title': $page_text"
  xdotool windowactivate --sync "$(setup_window)" >/dev/null 2>&1
  xdotool key Return
  page "License Agreement" || stop "no licence page: $page_text"
  xdotool key Return
  page "Choose Users" || stop "no page for all users or the current user: $page_text"
  [[ "$page_text" == *"Install for anyone using this computer"* &&
    "$page_text" == *"Install just for me"* ]] ||
    fail "the users page offers: $page_text"
  xdotool key Return
  page "Choose Components" || stop "no components page: $page_text"
}
setup_ended() { ! kill -0 "$setup_pid" 2>/dev/null; }

# The user's PATH: two folders, one with a variable in it (REG_EXPAND_SZ).
path_key='HKCU\Environment'
user_path='C:\Bin;%USERPROFILE%\bin'
wine reg add "$path_key" /v Path /t REG_EXPAND_SZ /d "$user_path" /f </dev/null >/dev/null 2>&1
[ "$(reg_value "$path_key" Path)" = "$user_path" ] || stop "could not set the user's PATH"

to_components
xdotool key Return
page "Choose Install Location" || stop "no folder page: $page_text"
# The folder field, its text no longer selected, reads back whole.
xdotool key End
page "Drawings" || fail "the folder page does not offer $tools_windows: $page_text"
# Cancel (Escape) before anything is installed changes nothing.
xdotool key Escape
poll setup_ended || stop "the installer did not end on Cancel"
diff -r "$work/old-files" "$tools" >/dev/null ||
  fail "cancelling changed $tools_windows: $(diff -r "$work/old-files" "$tools")"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$old_version" ] ||
  fail "cancelling changed the uninstall entry"
[ -f "$menu/Flowchart SVG Generator.lnk" ] || fail "cancelling removed the Start-menu entry"
converts "$tools_windows" || fail "the earlier version does not convert after the cancel"
[ -z "$(find "$program_files" -name 'Flowchart*')" ] ||
  fail "cancelling left files under Program Files"
[ "$(reg_value "$path_key" Path)" = "$user_path" ] || fail "cancelling changed PATH"
pass "by hand: '$setup_title', the earlier folder offered; Cancel left the earlier version working"

# --- By hand to the end, the PATH option ticked: the upgrade in place.
to_components
# The PATH option's box, the list's first line (window coordinates).
xdotool mousemove --window "$(setup_window)" 185 136 click 1
xdotool key Return
page "Choose Install Location" || stop "no folder page: $page_text"
xdotool key Return
page "Completing" || stop "the install did not complete: $page_text"
xdotool key Return
poll setup_ended || stop "the installer did not end on Finish"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] ||
  fail "after the upgrade the entry says $(reg_value "$uninstall_key" DisplayVersion)"
[ "$(reg_value "$uninstall_key" InstallLocation)" = "$tools_windows" ] ||
  fail "after the upgrade InstallLocation is $(reg_value "$uninstall_key" InstallLocation)"
for file in flowsvg.exe flowsvg-desktop.exe README.md LICENSE.txt \
  sample_flowchart.txt Uninstall.exe my-notes.txt; do
  [ -f "$tools/$file" ] || fail "after the upgrade $tools_windows has no $file"
done
cmp -s "$tools/flowsvg.exe" "$packages/_CPack_Packages/win64/NSIS/flowsvg-$version-win64/flowsvg.exe" ||
  fail "the upgrade did not install its own flowsvg.exe"
cmp -s "$tools/my-notes.txt" "$work/old-files/my-notes.txt" ||
  fail "the upgrade changed the user's own file"
[ -z "$(find "$program_files" -name 'Flowchart*')" ] ||
  fail "the upgrade installed into Program Files besides the remembered folder"
[ "$(ls "$tools" | wc -l)" -eq 7 ] || fail "after the upgrade the folder holds: $(ls "$tools")"
converts "$tools_windows" || fail "the upgraded flowsvg.exe does not convert"
# The PATH option put the folder at the end of the user's PATH, which keeps
# its other folders and its type.
[ "$(reg_value "$path_key" Path)" = "$user_path;$tools_windows" ] ||
  fail "the PATH option: PATH is $(reg_value "$path_key" Path)"
[ "$(reg_type "$path_key" Path)" = REG_EXPAND_SZ ] ||
  fail "the PATH option: PATH became $(reg_type "$path_key" Path)"
pass "by hand to the end: upgrade in place into $tools_windows (version $version, the user's file kept), the folder added to PATH"

# --- An install left by an installer before this one: its folder only in
# the vendor key, where those installers remembered it. The upgrade keeps
# the PATH choice of the install it replaces.
wine reg delete "$uninstall_key" /v InstallLocation /f </dev/null >/dev/null 2>&1
wine reg add 'HKLM\Software\the flowsvg authors\Flowchart SVG Generator' /ve \
  /d "$tools_windows" /f </dev/null >/dev/null 2>&1
wine "$installer" /S </dev/null >/dev/null 2>&1
[ "$(reg_value "$uninstall_key" InstallLocation)" = "$tools_windows" ] ||
  fail "the vendor key's folder was not upgraded: $(reg_value "$uninstall_key" InstallLocation)"
[ -z "$(find "$program_files" -name 'Flowchart*')" ] ||
  fail "an install remembered in the vendor key was not found"
has_key 'HKLM\Software\the flowsvg authors' &&
  fail "the earlier installer's vendor key is left"
[ "$(reg_value "$path_key" Path)" = "$user_path;$tools_windows" ] ||
  fail "an upgrade did not keep the PATH choice: $(reg_value "$path_key" Path)"
pass "an install remembered in the old vendor key upgraded, its key gone; the PATH choice kept"

# --- The uninstaller: the folder out of PATH again, every file of its own
# gone, the user's file kept.
uninstall "$tools_windows\\Uninstall.exe" "$tools" /AllUsers
[ "$(reg_value "$path_key" Path)" = "$user_path" ] ||
  fail "the uninstaller left PATH as $(reg_value "$path_key" Path)"
[ "$(ls "$tools")" = my-notes.txt ] || fail "the uninstaller left: $(ls "$tools")"
has_key "$uninstall_key" && fail "the uninstaller left its entry"
pass "uninstaller: PATH as before the install, only the user's file left"

# --- The PATH option is off unless chosen; /AddToPath chooses it in a
# silent install. A PATH longer than the installer's strings (1024
# characters) is never cut: it stays exactly as it was, and the install goes
# on.
wine "$installer" /S </dev/null >/dev/null 2>&1
[ "$(reg_value "$path_key" Path)" = "$user_path" ] ||
  fail "PATH changed without the option: $(reg_value "$path_key" Path)"
program_folder='C:\Program Files\Flowchart SVG Generator'
uninstall "$program_folder\\Uninstall.exe" "$(unix_path "$program_folder")" /AllUsers
long_path="C:\\Bin$(printf ';C:\\Some\\Long\\Folder%04d' $(seq 1 60))"
wine reg add "$path_key" /v Path /t REG_EXPAND_SZ /d "$long_path" /f </dev/null >/dev/null 2>&1
[ "$(reg_value "$path_key" Path)" = "$long_path" ] || stop "could not set a long PATH"
wine "$installer" /S /AddToPath </dev/null >/dev/null 2>&1
[ -f "$(unix_path "$program_folder")/flowsvg.exe" ] ||
  fail "with a long PATH the install did not go on"
[ "$(reg_value "$path_key" Path)" = "$long_path" ] ||
  fail "a PATH of ${#long_path} characters was changed"
uninstall "$program_folder\\Uninstall.exe" "$(unix_path "$program_folder")" /AllUsers
[ "$(reg_value "$path_key" Path)" = "$long_path" ] ||
  fail "the uninstaller changed the long PATH"
pass "PATH left alone without the option; a PATH of ${#long_path} characters left as it was"

# --- For the current user alone: nothing that needs an administrator.
wine reg delete "$path_key" /v Path /f </dev/null >/dev/null 2>&1
wine "$installer" /S /CurrentUser /AddToPath </dev/null >/dev/null 2>&1
user_folder_windows=$(reg_value "$user_uninstall_key" InstallLocation)
[ -n "$user_folder_windows" ] || stop "no per-user uninstall entry"
user_folder=$(unix_path "$user_folder_windows")
[[ "$user_folder_windows" == 'C:\users\'*'\AppData\Local\Programs\Flowchart SVG Generator' ]] ||
  fail "the per-user folder is $user_folder_windows"
[ -f "$user_folder/flowsvg.exe" ] || fail "no flowsvg.exe in $user_folder_windows"
converts "$user_folder_windows" || fail "the per-user flowsvg.exe does not convert"
[[ "$(reg_value "$user_uninstall_key" UninstallString)" == *'Uninstall.exe" /CurrentUser' ]] ||
  fail "per-user UninstallString: $(reg_value "$user_uninstall_key" UninstallString)"
has_key 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\flowsvg.exe' ||
  fail "no per-user App Paths entry"
user_menu=$(unix_path 'C:\users')
[ -n "$(find "$user_menu" -path '*Start Menu/Programs/Flowchart SVG Generator/Flowchart SVG Generator.lnk')" ] ||
  fail "no Start-menu entry of the user"
has_key "$uninstall_key" && fail "the per-user install wrote HKLM's uninstall entry"
has_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\flowsvg.exe' &&
  fail "the per-user install wrote HKLM's App Paths"
[ -z "$(find "$program_files" "$(unix_path 'C:\ProgramData')" -name 'Flowchart*')" ] ||
  fail "the per-user install wrote under Program Files or ProgramData"
[ "$(reg_value "$path_key" Path)" = "$user_folder_windows" ] ||
  fail "per-user /AddToPath: PATH is $(reg_value "$path_key" Path)"
uninstall "$user_folder_windows\\Uninstall.exe" "$user_folder" /CurrentUser
[ -e "$user_folder" ] && fail "the per-user uninstaller left $user_folder_windows"
has_key "$user_uninstall_key" && fail "the per-user uninstaller left its entry"
has_key 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\flowsvg.exe' &&
  fail "the per-user uninstaller left its App Paths entry"
[ -n "$(find "$user_menu" -path '*Start Menu/Programs/Flowchart SVG Generator*')" ] &&
  fail "the per-user uninstaller left its Start-menu entry"
[ -z "$(reg_value "$path_key" Path)" ] ||
  fail "the per-user uninstaller left PATH as $(reg_value "$path_key" Path)"
for hive in HKLM HKCU; do
  has_key "$hive\\Software\\the flowsvg authors" && fail "a vendor key is left in $hive"
done
pass "per user: $user_folder_windows, HKCU only, removed again"

finish
