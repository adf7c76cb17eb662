#!/usr/bin/env bash
# Builds the Windows packages and checks them as a user would meet them:
# the zip holds exactly the two programs, README, sample description and
# licence (LICENSE.txt), its programs are stripped and its flowsvg.exe
# converts the sample to the golden drawing; the installer carries its
# version in its version resource; run silently under Wine, it puts the
# same files into the 64-bit program folder, the window into the Start menu,
# flowsvg.exe into the App Paths and itself into the list of programs to
# uninstall (with its folder, version and size), the installed programs
# run, and the uninstaller removes all of it, leaving no empty key behind.
# An installer that cannot run still exits 0 under "/S", so only what it
# installed counts, never its exit status. Upgrades, cancelling, the PATH
# option and the per-user install are windows-installer_test.sh's.
# Usage: windows-packages_test.sh BUILD_DIR SOURCE_DIR VERSION RUNNER...
set -u
build=$1
src=$2
version=$3
shift 3
runner=("$@")
name=flowsvg-$version-win64
packages=$build/packages
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-packages-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

unix_path() { "${runner[@]}" winepath -u "$1" | tr -d '\r'; }

# converts NAME FLOWSVG_EXE SAMPLE: the program turns the sample into the
# golden drawing.
converts() {
  local svg=$work/$1.svg
  "${runner[@]}" "$2" -q "$(windows_path "$3")" "$(windows_path "$svg")" ||
    fail "$1: exit status $?"
  diff -q <(without_time "$golden") <(without_time "$svg") >/dev/null ||
    fail "$1: the drawing differs from $golden"
}

rm -rf "$packages"
if ! cpack --config "$build/CPackConfig.cmake" -B "$packages" \
  >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi

# --- The zip -------------------------------------------------------------
zip=$packages/$name.zip
listed=$(python3 -c 'import sys, zipfile
print(" ".join(sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist()
                      if not n.endswith("/"))))' "$zip")
expected="$name/LICENSE.txt $name/README.md $name/flowsvg-desktop.exe $name/flowsvg.exe $name/sample_flowchart.txt"
[ "$listed" = "$expected" ] || fail "zip holds '$listed', expected '$expected'"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$zip" "$work/zip"
unpacked=$work/zip/$name
cmp -s "$unpacked/sample_flowchart.txt" "$src/examples/sample_flowchart.txt" ||
  fail "zip: the sample description differs"
cmp -s "$unpacked/LICENSE.txt" "$src/LICENSE" || fail "zip: LICENSE.txt differs"
for program in flowsvg.exe flowsvg-desktop.exe; do
  if x86_64-w64-mingw32-objdump -t "$unpacked/$program" | grep -q '^\['; then
    fail "zip: $program is not stripped (it has a symbol table)"
  fi
done
converts zip "$unpacked/flowsvg.exe" "$unpacked/sample_flowchart.txt"

# --- The installer -------------------------------------------------------
# Its own version resource (the file's Properties) names the product and
# its version.
strings -el "$packages/$name.exe" >"$work/installer-strings"
for field in "ProductName:Flowchart SVG Generator" "ProductVersion:$version" \
  "FileVersion:$version"; do
  grep -A1 -x "${field%%:*}" "$work/installer-strings" | tail -n 1 |
    grep -qx "${field#*:}" || fail "installer: no $field in its version resource"
done
"${runner[@]}" "$packages/$name.exe" /S
folder_windows='C:\Program Files\Flowchart SVG Generator'
folder=$(unix_path "$folder_windows")
installed_files="flowsvg.exe flowsvg-desktop.exe README.md LICENSE.txt sample_flowchart.txt Uninstall.exe"
for file in $installed_files; do
  [ -f "$folder/$file" ] || fail "installer: no $folder_windows\\$file"
done
for program in flowsvg.exe flowsvg-desktop.exe; do
  cmp -s "$folder/$program" "$unpacked/$program" ||
    fail "installer: $program differs from the zip's"
done
if [ -f "$folder/flowsvg.exe" ]; then
  converts installed "$folder_windows\\flowsvg.exe" "$folder/sample_flowchart.txt"
fi
shown=$("${runner[@]}" "$folder_windows\\flowsvg-desktop.exe" --version </dev/null |
  tr -d '\r')
[ "$shown" = "$version" ] || fail "installed flowsvg-desktop.exe --version: '$shown'"
# The window in the Start menu (for all users), pointing at the program.
menu_windows='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Flowchart SVG Generator'
menu=$(unix_path "$menu_windows")
shortcut="$menu/Flowchart SVG Generator.lnk"
[ -f "$shortcut" ] || fail "installer: no Start-menu shortcut $menu_windows"
grep -aqF "$folder_windows\\flowsvg-desktop.exe" "$shortcut" 2>/dev/null ||
  fail "installer: the Start-menu shortcut does not start flowsvg-desktop.exe"
# The entry in the list of programs: its name, and the uninstaller.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Flowchart SVG Generator'
entry=$("${runner[@]}" reg query "$uninstall_key" </dev/null 2>/dev/null | tr -d '\r')
grep -qF "Flowchart SVG Generator $version" <<<"$entry" ||
  fail "installer: no uninstaller entry named 'Flowchart SVG Generator $version': $entry"
grep -qF "\"$folder_windows\\Uninstall.exe\" /AllUsers" <<<"$entry" ||
  fail "installer: the uninstaller entry does not run Uninstall.exe: $entry"
grep -qE "InstallLocation +REG_SZ +${folder_windows//\\/\\\\}\$" <<<"$entry" ||
  fail "installer: the entry's InstallLocation is not $folder_windows: $entry"
grep -qE "DisplayVersion +REG_SZ +$version\$" <<<"$entry" ||
  fail "installer: no DisplayVersion $version: $entry"
# EstimatedSize: the installed files' size in KB (rounded up file by file).
size=$(sed -n 's/.*EstimatedSize *REG_DWORD *0x\([0-9a-f]*\).*/\1/p' <<<"$entry")
actual=0
for file in $installed_files; do
  actual=$((actual + ($(stat -c %s "$folder/$file") + 1023) / 1024))
done
[ -n "$size" ] && [ $((16#$size)) -ge $((actual - 8)) ] &&
  [ $((16#$size)) -le $((actual + 8)) ] ||
  fail "installer: EstimatedSize ${size:-none} (0x), the files hold $actual KB"
# flowsvg.exe by its name for the Run box: the App Paths entry.
app_paths='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\flowsvg.exe'
paths=$("${runner[@]}" reg query "$app_paths" </dev/null 2>/dev/null | tr -d '\r')
grep -qF "$folder_windows\flowsvg.exe" <<<"$paths" &&
  grep -qE "Path +REG_SZ +${folder_windows//\\/\\\\}\$" <<<"$paths" ||
  fail "installer: App Paths entry: $paths"
# The uninstaller runs on from a copy of itself and returns at once; the
# files, the shortcuts and its entry go within a few seconds.
"${runner[@]}" "$folder_windows\\Uninstall.exe" /S
for _ in $(seq 300); do
  [ -e "$folder/flowsvg.exe" ] || [ -e "$folder/Uninstall.exe" ] ||
    [ -e "$menu" ] || break
  sleep 0.1
done
for file in $installed_files; do
  [ -e "$folder/$file" ] && fail "uninstaller: $file is still there"
done
[ -e "$menu" ] && fail "uninstaller: the Start-menu folder is still there"
"${runner[@]}" reg query "$uninstall_key" </dev/null >/dev/null 2>&1 &&
  fail "uninstaller: the uninstaller entry is still there"
"${runner[@]}" reg query "$app_paths" </dev/null >/dev/null 2>&1 &&
  fail "uninstaller: the App Paths entry is still there"
for hive in HKLM HKCU; do
  "${runner[@]}" reg query "$hive\Software\the flowsvg authors" </dev/null \
    >/dev/null 2>&1 && fail "uninstaller: a vendor key is left in $hive"
done

finish
