#!/usr/bin/env bash
# End-to-end test of the Debian package, as root on a Debian machine:
#   - builds it with scripts/package.sh and checks it with lintian (no error);
#   - installs it with apt-get and checks what it installed: the list of
#     files, stripped programs, the dependencies, one version everywhere, the
#     desktop entry, metadata and manual pages through their validators;
#   - runs the installed flowsvg on the installed sample (golden drawing);
#   - starts the installed flowsvg-desktop on a private Xvfb display as a
#     user made for the test, through the menu entry's Exec line with a file,
#     and checks that Write sample and Generate land in that user's
#     documents folder; then as root, who could write /usr/bin, and checks
#     that they land in root's home folder instead;
#   - removes the package and checks that no file of it is left.
# Whatever happens, the package, the user and the temporary files are
# removed again. Runs of this test on the same machine wait for each other.
#
# Usage: package_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail

src=$(cd "$1" && pwd)
work_parent=$2
app_id=io.github.flowsvg.FlowsvgDesktop
flowsvg=/usr/bin/flowsvg  # the installed program, once installed
work=
. "$src/src/testing/test_support.sh"

# A failed check that the rest depends on: says so, shows the ends of the
# logs so far, and ends the test (the cleanup below still runs).
stop() {
  fail "$*"
  local log
  for log in "${work:-/nonexistent}"/*.log; do
    [ -s "$log" ] && { echo "--- $log"; tail -n 15 "$log"; }
  done
  finish
}
pass() { echo "ok: $*"; }

[ "$(id -u)" -eq 0 ] || stop "needs root: it installs the package into /usr"
command -v apt-get >/dev/null && command -v dpkg >/dev/null ||
  stop "needs apt-get and dpkg (Debian)"

# One run at a time on this machine: another one would install and remove
# the same package under this one's feet.
mkdir -p /run/lock
exec 9>/run/lock/flowsvg-package-test.lock
flock -w 600 9 || stop "another run of the package test did not finish"

installed_status() { dpkg-query -W -f='${db:Status-Status}' flowsvg 2>/dev/null || true; }
case "$(installed_status)" in
  '' | not-installed | config-files) ;;
  *) stop "flowsvg is already installed here; remove it first (apt-get purge flowsvg)" ;;
esac
# What root's window would write into /usr/bin if it did not keep out of it.
strays_in_bin=(/usr/bin/sample_flowchart.txt /usr/bin/flowchart.svg)
for path in "${strays_in_bin[@]}"; do
  [ ! -e "$path" ] || stop "$path is there before the test; remove it first"
done

mkdir -p "$work_parent"
work=$(mktemp -d "$(cd "$work_parent" && pwd)/run.XXXXXX")
user=fsvgtest$$
user_made=
package_installed=
xvfb_pid=
app_pid=
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q -o DPkg::Lock::Timeout=300)

cleanup() {
  local status=$? pid
  for pid in $app_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "$package_installed" ] && [ -n "$(installed_status)" ] &&
    [ "$(installed_status)" != not-installed ]; then
    apt-get purge "${apt_options[@]}" flowsvg >"$work/cleanup-purge.log" 2>&1 ||
      { echo "cleanup: could not purge flowsvg" >&2; status=1; }
  fi
  if [ -n "$user_made" ]; then
    # What the window may have started for its user (none is expected).
    for pid in $(pgrep -u "$user" || true); do kill "$pid" 2>/dev/null || true; done
    userdel -r "$user" >/dev/null 2>&1 ||
      { echo "cleanup: could not remove the user $user" >&2; status=1; }
  fi
  rm -f "${strays_in_bin[@]}"
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# --- Build and lint.
bash "$src/scripts/package.sh" "$work/build" >"$work/package.log" 2>&1 ||
  stop "scripts/package.sh failed"
debs=("$work"/build/flowsvg_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || stop "no single package built: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "flowsvg_${version}_${arch}.deb" ] ||
  stop "package file name $(basename "$deb")"
pass "built $(basename "$deb"), $(stat -c %s "$deb") bytes"

status=0
lintian --fail-on error --display-info --pedantic "$deb" >"$work/lintian.log" 2>&1 ||
  status=$?
sed 's/^/  lintian: /' "$work/lintian.log" | grep -v 'running with root privileges' || true
[ "$status" -eq 0 ] || stop "lintian reports errors (exit status $status)"
! grep -q '^E: ' "$work/lintian.log" || stop "lintian reports errors"
pass "lintian: no error"

depends=$(dpkg-deb -f "$deb" Depends)
for wanted in 'fonts-dejavu-core' 'libc6 (>= ' 'libstdc++6 (>= '; do
  [[ ", $depends" == *", $wanted"* ]] || stop "Depends lacks $wanted: $depends"
done
pass "depends on the libraries dpkg-shlibdeps found and on fonts-dejavu-core"

# --- Install, as a person would.
package_installed=1
(cd "$(dirname "$deb")" && apt-get install "${apt_options[@]}" ./flowsvg_*.deb) \
  >"$work/install.log" 2>&1 || stop "apt-get install failed"
[ "$(installed_status)" = installed ] || stop "not installed: $(installed_status)"
pass "installed with apt-get"

# Exactly these files, and nothing else (folders aside).
expected_files=(
  /usr/bin/flowsvg
  /usr/bin/flowsvg-desktop
  "/usr/share/applications/$app_id.desktop"
  /usr/share/doc/flowsvg/README.md
  /usr/share/doc/flowsvg/changelog.gz
  /usr/share/doc/flowsvg/copyright
  /usr/share/doc/flowsvg/sample_flowchart.txt
  "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  /usr/share/man/man1/flowsvg-desktop.1.gz
  /usr/share/man/man1/flowsvg.1.gz
  "/usr/share/metainfo/$app_id.metainfo.xml"
)
dpkg -L flowsvg >"$work/owned"
while IFS= read -r path; do
  [ -d "$path" ] || echo "$path"
done <"$work/owned" | sort >"$work/owned-files"
diff <(printf '%s\n' "${expected_files[@]}" | sort) "$work/owned-files" ||
  stop "the package installs other files than expected (< expected, > installed)"
for path in "${expected_files[@]}"; do
  [ -f "$path" ] || stop "$path is not installed"
done
pass "installed the ${#expected_files[@]} files expected"

for program in /usr/bin/flowsvg /usr/bin/flowsvg-desktop; do
  [ -x "$program" ] || stop "$program is not executable"
  ! readelf -S "$program" | grep -q '\.symtab' || stop "$program is not stripped"
done
pass "programs stripped"

# One version: the package's, the programs', the manual pages', the
# metadata's release and the changelog's (the window title's below).
for program in /usr/bin/flowsvg /usr/bin/flowsvg-desktop; do
  [ "$("$program" --version)" = "$version" ] ||
    stop "$program --version says $("$program" --version), the package $version"
done
for page in flowsvg flowsvg-desktop; do
  MANWIDTH=80 man --warnings -l "/usr/share/man/man1/$page.1.gz" \
    >"$work/$page.txt" 2>"$work/$page-man.log" || stop "man cannot render $page"
  [ ! -s "$work/$page-man.log" ] || stop "man warns about $page: $(cat "$work/$page-man.log")"
  for section in NAME SYNOPSIS DESCRIPTION 'EXIT STATUS' EXAMPLES FILES; do
    grep -q "^$section\$" "$work/$page.txt" || stop "$page(1) has no $section"
  done
  tail -n 1 "$work/$page.txt" | grep -q "^flowsvg $version " ||
    stop "$page(1) is not marked with version $version"
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] ||
    stop "man does not find $page"
  # The installed files the page names are there.
  named=$(sed -n '/^FILES$/,/^[A-Z]/p' "$work/$page.txt" | grep -o '/usr/[^ ]*' || true)
  [ -n "$named" ] || stop "$page(1) names no installed file"
  for path in $named; do
    [ -e "$path" ] || stop "$page(1) names $path, which is not installed"
  done
done
grep -q "<release version=\"$version\"" "/usr/share/metainfo/$app_id.metainfo.xml" ||
  stop "the metadata names no release $version"
zcat /usr/share/doc/flowsvg/changelog.gz | head -n 1 | grep -q "^flowsvg ($version) " ||
  stop "the changelog starts with another version"
pass "version $version in program, manual pages, metadata and changelog; man renders both pages without warnings"

desktop-file-validate "/usr/share/applications/$app_id.desktop" >"$work/desktop-file.log" 2>&1 ||
  stop "desktop-file-validate: $(cat "$work/desktop-file.log")"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" \
  >"$work/appstream.log" 2>&1 || stop "appstreamcli validate: $(cat "$work/appstream.log")"
entry() { sed -n "s/^$1=//p" "/usr/share/applications/$app_id.desktop"; }
[ "$(entry Exec)" = "flowsvg-desktop %f" ] || stop "Exec=$(entry Exec)"
[ "$(entry StartupWMClass)" = "$app_id" ] || stop "StartupWMClass=$(entry StartupWMClass)"
[ -f "/usr/share/icons/hicolor/scalable/apps/$(entry Icon).svg" ] ||
  stop "the entry's icon $(entry Icon) is not installed"
rsvg-convert -w 48 -h 48 "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
  >"$work/icon.png" || stop "the icon does not render"
pass "desktop entry and metadata valid; entry's program, window class and icon match"

# --- The installed command line on the installed sample: the golden drawing.
"$flowsvg" --sample - | cmp - /usr/share/doc/flowsvg/sample_flowchart.txt ||
  stop "the installed sample differs from flowsvg --sample"
cmp "$example" /usr/share/doc/flowsvg/sample_flowchart.txt ||
  stop "the installed sample differs from $example"
"$flowsvg" -q /usr/share/doc/flowsvg/sample_flowchart.txt "$work/sample.svg" ||
  stop "flowsvg could not convert the installed sample"
expect_drawing_of_example installed-sample "$work/sample.svg"
[ "$failures" -eq 0 ] || finish
pass "installed flowsvg draws the installed sample as testdata/sample_flowchart.svg"

# --- The installed window, started by a user who cannot write /usr/bin.
useradd --create-home --shell /bin/sh --user-group "$user" || stop "useradd"
user_made=1
home=$(getent passwd "$user" | cut -d: -f6)
# The documents folder under a name of its own, so that the window must
# read it from user-dirs.dirs.
documents="$home/Dokumente"
setpriv --reuid="$user" --regid="$user" --init-groups -- sh -c '
  mkdir -p "$1/.config" "$2" &&
  printf "%s\n" "XDG_DESKTOP_DIR=\"\$HOME/Desktop\"" \
    "XDG_DOCUMENTS_DIR=\"\$HOME/Dokumente\"" >"$1/.config/user-dirs.dirs"
' sh "$home" "$documents" || stop "could not set up the user's folders"

Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
  3>"$work/display" 2>"$work/xvfb.log" </dev/null &
xvfb_pid=$!
poll test -s "$work/display" || stop "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

title="Flowchart SVG Generator - Desktop Edition v$version"
# Starts the window: the command $@ (run from /), then waits for the window
# and checks its class. Sets app_pid and window.
start_window() {
  (cd / && exec "$@") </dev/null >>"$work/app.log" 2>&1 &
  app_pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name \
    "^${title//./\\.}\$" | head -n 1) || stop "no window titled '$title'"
  xprop -id "$window" WM_CLASS | grep -q "\"$app_id\"" ||
    stop "the window's class is not $app_id: $(xprop -id "$window" WM_CLASS)"
}
# Closes the window with Ctrl+Q; the program must end with exit status 0.
close_window() {
  local status=0
  timeout 10 xdotool windowfocus --sync "$window" key ctrl+q || stop "ctrl+q"
  timeout 20 tail --pid="$app_pid" -f /dev/null || stop "still running after ctrl+q"
  wait "$app_pid" || status=$?
  app_pid=
  [ "$status" -eq 0 ] || stop "exit status $status after ctrl+q"
}
# The environment of a desktop session for the user named $1 with home $2.
session() {
  echo env -i HOME="$2" USER="$1" LOGNAME="$1" PATH=/usr/bin:/bin \
    DISPLAY="$DISPLAY" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory \
    DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null
}
no_box() { ! xdotool search --onlyvisible --name '^Flowchart SVG Generator$' >/dev/null; }
# Waits for a message box and presses OK.
answer_box() {
  local box
  box=$(timeout 20 xdotool search --sync --onlyvisible --name \
    '^Flowchart SVG Generator$' | head -n 1) || return 1
  sleep 0.3
  timeout 10 xdotool windowfocus --sync "$box" key Return || return 1
  poll no_box
}
# Presses Write sample and checks that the sample lands in folder $1 (owned
# by $2), the same bytes as the installed one.
write_sample_and_check() {
  xdotool mousemove --window "$window" 265 217 click 1
  poll test -s "$1/sample_flowchart.txt" ||
    { no_box || answer_box; stop "no sample in $1"; }
  cmp "$1/sample_flowchart.txt" /usr/share/doc/flowsvg/sample_flowchart.txt ||
    stop "the window's sample differs from the installed one"
  [ "$(stat -c %U "$1/sample_flowchart.txt")" = "$2" ] || stop "the sample is not $2's"
}
# Presses Generate and checks that the drawing of description $1 lands in
# folder $2 (owned by $3), the same drawing flowsvg makes.
generate_and_check() {
  xdotool mousemove --window "$window" 100 217 click 1
  answer_box || stop "no message box after Generate"
  test -s "$2/flowchart.svg" || stop "no drawing in $2"
  [ "$(stat -c %U "$2/flowchart.svg")" = "$3" ] || stop "the drawing is not $3's"
  "$flowsvg" -q "$1" "$work/expected.svg"
  diff <(without_time "$2/flowchart.svg") <(without_time "$work/expected.svg") ||
    stop "the window's drawing of $1 differs from flowsvg's"
}

# Started by the user as the menu entry starts it: its Exec line, with %f
# the user's own description.
plan="$home/plan.txt"
printf '[Plan.Steps]\r\nitemid = 1\r\ntitle = Write the plan\r\n' |
  setpriv --reuid="$user" --regid="$user" --init-groups -- tee "$plan" >/dev/null
read -ra command <<<"$(entry Exec)"
command=("${command[@]/#%f/$plan}")
# shellcheck disable=SC2046
start_window setpriv --reuid="$user" --regid="$user" --init-groups -- \
  $(session "$user" "$home") "${command[@]}"
pass "the user's window '$title', class $app_id"

generate_and_check "$plan" "$documents" "$user"
pass "started with $plan, Generate wrote $documents/flowchart.svg"
write_sample_and_check "$documents" "$user"
generate_and_check "$documents/sample_flowchart.txt" "$documents" "$user"
pass "Write sample wrote $documents/sample_flowchart.txt, Generate drew it"
strays=$(find "$home" \( -name sample_flowchart.txt -o -name flowchart.svg \) \
  ! -path "$documents/*")
[ -z "$strays" ] || stop "written outside the documents folder: $strays"
close_window
pass "Ctrl+Q closed the window, exit status 0"

# Started by root, who can write /usr/bin: the window still keeps its files
# out of the folder it is installed to, in the home folder here (there is
# no user-dirs.dirs).
root_home="$work/root-home"
mkdir "$root_home"
start_window $(session root "$root_home") /usr/bin/flowsvg-desktop
write_sample_and_check "$root_home" root
generate_and_check "$root_home/sample_flowchart.txt" "$root_home" root
for name in sample_flowchart.txt flowchart.svg; do
  [ ! -e "/usr/bin/$name" ] || stop "root's window wrote /usr/bin/$name"
done
close_window
pass "root's window wrote its sample and drawing into the home folder, not /usr/bin"

# --- Remove: no file of the package is left.
apt-get purge "${apt_options[@]}" flowsvg >"$work/purge.log" 2>&1 ||
  stop "apt-get purge failed"
[ "$(installed_status)" = not-installed ] || [ -z "$(installed_status)" ] ||
  stop "still known to dpkg: $(installed_status)"
while IFS= read -r path; do
  [ "$path" = /. ] && continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    # A folder may stay only where another package still owns it.
    dpkg -S "$path" >/dev/null 2>&1 || stop "folder left behind: $path"
  elif [ -e "$path" ] || [ -L "$path" ]; then
    stop "file left behind: $path"
  fi
done <"$work/owned"
package_installed=
pass "purged: no file of the package left"
finish
