#!/usr/bin/env bash
# Builds the Windows packages and checks them as a user would meet them:
# the zip holds exactly the program, README, sample description and licence,
# its flowsvg.exe is stripped and converts the sample to the golden drawing;
# the installer, run silently under Wine, puts the same files into the
# 64-bit program folder, the installed flowsvg.exe converts the sample, and
# the uninstaller removes them. An installer that cannot run still exits 0
# under "/S", so only the installed files count, never its exit status.
# Usage: windows-packages_test.sh BUILD_DIR SOURCE_DIR VERSION RUNNER...
set -u
build=$1
src=$2
version=$3
shift 3
runner=("$@")
name=flowsvg-$version-win64
packages=$build/packages
golden=$src/testdata/sample_flowchart.svg
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-packages-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The drawing without its timestamp line (line 7, which alone may differ).
without_time() { sed 7d "$1"; }

windows_path() { "${runner[@]}" winepath -w "$1" | tr -d '\r'; }
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
expected="$name/LICENSE $name/README.md $name/flowsvg.exe $name/sample_flowchart.txt"
[ "$listed" = "$expected" ] || fail "zip holds '$listed', expected '$expected'"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$zip" "$work/zip"
unpacked=$work/zip/$name
cmp -s "$unpacked/sample_flowchart.txt" "$src/examples/sample_flowchart.txt" ||
  fail "zip: the sample description differs"
cmp -s "$unpacked/LICENSE" "$src/LICENSE" || fail "zip: LICENSE differs"
if x86_64-w64-mingw32-objdump -t "$unpacked/flowsvg.exe" | grep -q '^\['; then
  fail "zip: flowsvg.exe is not stripped (it has a symbol table)"
fi
converts zip "$unpacked/flowsvg.exe" "$unpacked/sample_flowchart.txt"

# --- The installer -------------------------------------------------------
"${runner[@]}" "$packages/$name.exe" /S
folder_windows='C:\Program Files\Flowchart SVG Generator'
folder=$(unix_path "$folder_windows")
for file in flowsvg.exe README.md LICENSE sample_flowchart.txt Uninstall.exe; do
  [ -f "$folder/$file" ] || fail "installer: no $folder_windows\\$file"
done
cmp -s "$folder/flowsvg.exe" "$unpacked/flowsvg.exe" ||
  fail "installer: flowsvg.exe differs from the zip's"
if [ -f "$folder/flowsvg.exe" ]; then
  converts installed "$folder_windows\\flowsvg.exe" "$folder/sample_flowchart.txt"
fi
# The uninstaller runs on from a copy of itself and returns at once; the
# files go within a few seconds.
"${runner[@]}" "$folder_windows\\Uninstall.exe" /S
for _ in $(seq 300); do
  [ -e "$folder/flowsvg.exe" ] || break
  sleep 0.1
done
for file in flowsvg.exe README.md LICENSE sample_flowchart.txt Uninstall.exe; do
  [ -e "$folder/$file" ] && fail "uninstaller: $file is still there"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
