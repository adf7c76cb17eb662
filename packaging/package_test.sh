#!/usr/bin/env bash
# End-to-end test of the Debian packages, as root on a Debian machine:
#   - builds them with scripts/package.sh, flowsvg (the command line) and
#     flowsvg-desktop (the window), and checks them with lintian (no error)
#     and their dependencies: flowsvg needs no GTK, flowsvg-desktop needs
#     flowsvg of its own version and GTK, and the fonts and xdg-utils are
#     recommended;
#   - installs flowsvg alone with apt-get: nothing of GTK among what it
#     depends on or recommends, its files, its bash completion, and the
#     installed flowsvg on the installed sample (golden drawing);
#   - installs flowsvg-desktop and checks what it installed: the list of
#     files, stripped programs, one version everywhere, the desktop entry,
#     metadata and manual pages through their validators, and that the
#     window never becomes the program that opens text files (xdg-mime,
#     the desktop database, mailcap);
#   - starts the installed flowsvg-desktop on a private Xvfb display as a
#     user made for the test, through the menu entry's Exec line with a file,
#     and checks that Write sample and Generate land in that user's
#     documents folder; then as root, who could write /usr/bin, and checks
#     that they land in root's home folder instead;
#   - removes both packages and checks that no file of them is left.
# Whatever happens, the packages, the user and the temporary files are
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

packages=(flowsvg flowsvg-desktop)
# The dpkg status of package $1 (flowsvg when none is named).
installed_status() { dpkg-query -W -f='${db:Status-Status}' "${1:-flowsvg}" 2>/dev/null || true; }
for package in "${packages[@]}"; do
  case "$(installed_status "$package")" in
    '' | not-installed | config-files) ;;
    *) stop "$package is already installed here; remove it first (apt-get purge ${packages[*]})" ;;
  esac
done
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
  if [ -n "$package_installed" ]; then
    local left=()
    for package in "${packages[@]}"; do
      case "$(installed_status "$package")" in
        '' | not-installed) ;;
        *) left+=("$package") ;;
      esac
    done
    if [ ${#left[@]} -gt 0 ]; then
      apt-get purge "${apt_options[@]}" "${left[@]}" >"$work/cleanup-purge.log" 2>&1 ||
        { echo "cleanup: could not purge ${left[*]}" >&2; status=1; }
    fi
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
built=$(cd "$work/build" && ls ./*.deb | sort | tr '\n' ' ')
cli_deb=("$work"/build/flowsvg_*.deb)
desktop_deb=("$work"/build/flowsvg-desktop_*.deb)
[ ${#cli_deb[@]} -eq 1 ] && [ -f "${cli_deb[0]}" ] &&
  [ ${#desktop_deb[@]} -eq 1 ] && [ -f "${desktop_deb[0]}" ] ||
  stop "not one package of each built: $built"
version=$(dpkg-deb -f "${cli_deb[0]}" Version)
arch=$(dpkg-deb -f "${cli_deb[0]}" Architecture)
[ "$built" = "./flowsvg-desktop_${version}_${arch}.deb ./flowsvg_${version}_${arch}.deb " ] ||
  stop "package files: $built"
[ "$(dpkg-deb -f "${desktop_deb[0]}" Version)" = "$version" ] ||
  stop "the two packages have different versions"
pass "built $built($(stat -c %s "${cli_deb[0]}") and $(stat -c %s "${desktop_deb[0]}") bytes)"

status=0
lintian --fail-on error --display-info --pedantic "${cli_deb[0]}" "${desktop_deb[0]}" \
  >"$work/lintian.log" 2>&1 || status=$?
sed 's/^/  lintian: /' "$work/lintian.log" | grep -v 'running with root privileges' || true
[ "$status" -eq 0 ] || stop "lintian reports errors (exit status $status)"
! grep -q '^E: ' "$work/lintian.log" || stop "lintian reports errors"
pass "lintian: no error in either package"

# Whether the comma-separated list $1 holds an entry starting with $2.
lists() { [[ ", $1" == *", $2"* ]]; }
cli_depends=$(dpkg-deb -f "${cli_deb[0]}" Depends)
cli_recommends=$(dpkg-deb -f "${cli_deb[0]}" Recommends)
desktop_depends=$(dpkg-deb -f "${desktop_deb[0]}" Depends)
desktop_recommends=$(dpkg-deb -f "${desktop_deb[0]}" Recommends)
lists "$cli_depends" 'libc6 (>= ' || stop "flowsvg's Depends lacks libc6: $cli_depends"
[[ "$cli_depends $cli_recommends" != *gtk* ]] ||
  stop "flowsvg depends on GTK: $cli_depends; $cli_recommends"
# What PNG and PDF output opens with dlopen, which dpkg-shlibdeps cannot
# see, and the font the pictures are drawn in.
for wanted in 'librsvg2-2 (>= ' 'libcairo2 (>= ' 'libfontconfig1 (>= ' \
  fonts-liberation2; do
  lists "$cli_depends" "$wanted" ||
    stop "flowsvg's Depends lacks $wanted: $cli_depends"
done
for wanted in "flowsvg (= $version)" 'libgtk-3-0 (>= ' 'libc6 (>= '; do
  lists "$desktop_depends" "$wanted" ||
    stop "flowsvg-desktop's Depends lacks $wanted: $desktop_depends"
done
for wanted in xdg-utils fonts-dejavu-core fonts-liberation2; do
  lists "$desktop_recommends" "$wanted" ||
    stop "flowsvg-desktop does not recommend $wanted: $desktop_recommends"
done
pass "flowsvg: $cli_depends"
pass "flowsvg-desktop: flowsvg (= $version) and GTK; recommends $desktop_recommends"

# Exactly the files of package $1 as listed after it, and nothing else
# (folders aside); each one installed.
owns_exactly() {
  local package=$1 path
  shift
  dpkg -L "$package" >"$work/owned-$package"
  while IFS= read -r path; do
    [ -d "$path" ] || echo "$path"
  done <"$work/owned-$package" | sort >"$work/owned-files"
  diff <(printf '%s\n' "$@" | sort) "$work/owned-files" ||
    stop "$package installs other files than expected (< expected, > installed)"
  for path in "$@"; do
    [ -f "$path" ] || stop "$path is not installed"
  done
  pass "$package installed the $# files expected"
}

# --- flowsvg alone, as a person who wants the command line installs it.
package_installed=1
(cd "$work/build" && apt-get install "${apt_options[@]}" ./flowsvg_*.deb) \
  >"$work/install.log" 2>&1 || stop "apt-get install of flowsvg failed"
[ "$(installed_status)" = installed ] || stop "flowsvg not installed: $(installed_status)"
case "$(installed_status flowsvg-desktop)" in
  '' | not-installed) ;;
  *) stop "installing flowsvg installed flowsvg-desktop" ;;
esac
# Everything flowsvg depends on or recommends, all the way down: no GTK.
apt-cache depends --recurse --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances flowsvg 2>/dev/null | grep -v '^ ' |
  sort -u >"$work/closure"
[ -s "$work/closure" ] || stop "apt-cache depends listed nothing for flowsvg"
! grep -q '^libgtk' "$work/closure" ||
  stop "flowsvg pulls in GTK: $(grep '^libgtk' "$work/closure" | tr '\n' ' ')"
pass "installed flowsvg alone; the $(wc -l <"$work/closure") packages it depends on or recommends hold no GTK"
owns_exactly flowsvg \
  /usr/bin/flowsvg \
  /usr/lib/flowsvg/flowsvg-picture \
  /usr/share/bash-completion/completions/flowsvg \
  /usr/share/doc/flowsvg/README.md \
  /usr/share/doc/flowsvg/changelog.gz \
  /usr/share/doc/flowsvg/copyright \
  /usr/share/doc/flowsvg/sample_flowchart.txt \
  /usr/share/man/man1/flowsvg.1.gz
bash "$src/packaging/bash_completion_test.sh" \
  /usr/share/bash-completion/completions/flowsvg "$flowsvg" \
  >"$work/completion.log" 2>&1 || stop "installed completion: $(cat "$work/completion.log")"
pass "installed bash completion: $(tail -n 1 "$work/completion.log")"

# The installed command line on the installed sample: the golden drawing.
"$flowsvg" --sample - | cmp - /usr/share/doc/flowsvg/sample_flowchart.txt ||
  stop "the installed sample differs from flowsvg --sample"
cmp "$example" /usr/share/doc/flowsvg/sample_flowchart.txt ||
  stop "the installed sample differs from $example"
"$flowsvg" -q /usr/share/doc/flowsvg/sample_flowchart.txt "$work/sample.svg" ||
  stop "flowsvg could not convert the installed sample"
expect_drawing_of_example installed-sample "$work/sample.svg"
[ "$failures" -eq 0 ] || finish
pass "installed flowsvg draws the installed sample as testdata/sample_flowchart.svg"

# PNG and PDF with what the package depends on: flowsvg hands them to its
# picture program, which opens the libraries only then, so neither program
# links any of them.
picture_program=/usr/lib/flowsvg/flowsvg-picture
for program in "$flowsvg" "$picture_program"; do
  ldd "$program" >"$work/ldd.txt" 2>&1
  ! grep -Eq 'rsvg|cairo|fontconfig|glib|gobject' "$work/ldd.txt" ||
    stop "$program links a rendering library: $(tr '\n' ' ' <"$work/ldd.txt")"
done
for format in png pdf; do
  "$flowsvg" -q /usr/share/doc/flowsvg/sample_flowchart.txt "$work/sample.$format" \
    2>"$work/$format.err" || stop "installed flowsvg cannot write a $format: $(cat "$work/$format.err")"
done
[ "$(head -c 4 "$work/sample.png" | od -An -c | tr -d ' ')" = 211PNG ] ||
  stop "installed flowsvg's PNG is no PNG"
[ "$(head -c 5 "$work/sample.pdf")" = %PDF- ] || stop "installed flowsvg's PDF is no PDF"
# The installed flowsvg found the installed picture program: its PNG is
# that program's picture of flowsvg's SVG.
SOURCE_DATE_EPOCH=0 "$flowsvg" -q -T svg /usr/share/doc/flowsvg/sample_flowchart.txt - |
  "$picture_program" png 2 >"$work/by-program.png" ||
  stop "the installed picture program cannot draw the sample"
SOURCE_DATE_EPOCH=0 "$flowsvg" -q --scale 2 \
  /usr/share/doc/flowsvg/sample_flowchart.txt "$work/by-flowsvg.png" ||
  stop "installed flowsvg cannot write a PNG at scale 2"
cmp -s "$work/by-program.png" "$work/by-flowsvg.png" ||
  stop "installed flowsvg's PNG is not the installed picture program's"
pass "installed flowsvg draws PNG and PDF through /usr/lib/flowsvg/flowsvg-picture; neither links a rendering library"

# --- flowsvg-desktop beside it.
(cd "$work/build" && apt-get install "${apt_options[@]}" ./flowsvg-desktop_*.deb) \
  >"$work/install-desktop.log" 2>&1 || stop "apt-get install of flowsvg-desktop failed"
[ "$(installed_status flowsvg-desktop)" = installed ] ||
  stop "flowsvg-desktop not installed: $(installed_status flowsvg-desktop)"
owns_exactly flowsvg-desktop \
  /usr/bin/flowsvg-desktop \
  "/usr/share/applications/$app_id.desktop" \
  /usr/share/doc/flowsvg-desktop/changelog.gz \
  /usr/share/doc/flowsvg-desktop/copyright \
  "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
  /usr/share/man/man1/flowsvg-desktop.1.gz \
  "/usr/share/metainfo/$app_id.metainfo.xml"

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
for changelog in /usr/share/doc/flowsvg/changelog.gz \
  /usr/share/doc/flowsvg-desktop/changelog.gz; do
  zcat "$changelog" | head -n 1 | grep -q "^flowsvg ($version) " ||
    stop "$changelog starts with another version"
done
pass "version $version in program, manual pages, metadata and changelog; man renders both pages without warnings"

desktop-file-validate "/usr/share/applications/$app_id.desktop" >"$work/desktop-file.log" 2>&1 ||
  stop "desktop-file-validate: $(cat "$work/desktop-file.log")"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml" \
  >"$work/appstream.log" 2>&1 || stop "appstreamcli validate: $(cat "$work/appstream.log")"
entry() { sed -n "s/^$1=//p" "/usr/share/applications/$app_id.desktop"; }
[ "$(entry Exec)" = "flowsvg-desktop %f" ] || stop "Exec=$(entry Exec)"
# The window takes a file given to it, but claims no type of file.
[ -z "$(entry MimeType)" ] || stop "the entry claims MimeType=$(entry MimeType)"
[ "$(entry StartupWMClass)" = "$app_id" ] || stop "StartupWMClass=$(entry StartupWMClass)"
[ -f "/usr/share/icons/hicolor/scalable/apps/$(entry Icon).svg" ] ||
  stop "the entry's icon $(entry Icon) is not installed"
rsvg-convert -w 48 -h 48 "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
  >"$work/icon.png" || stop "the icon does not render"
pass "desktop entry and metadata valid; entry's program, window class and icon match"

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

# --- Which program opens a text file: never the window. What xdg-open and
# xdg-mime use (the desktop database's cache and mimeapps.list) names it for
# no type, and mailcap has no line for it. The same query does see a
# desktop entry that claims text/plain: a copy of the window's entry with
# MimeType=text/plain among the user's own entries is named at once.
as_user() {
  setpriv --reuid="$user" --regid="$user" --init-groups -- \
    env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin "$@"
}
text_opener=$(as_user xdg-mime query default text/plain 2>/dev/null || true)
[[ "$text_opener" != *"$app_id"* ]] ||
  stop "xdg-mime names the window as the opener of text files: $text_opener"
! grep -q "$app_id" /usr/share/applications/mimeinfo.cache 2>/dev/null ||
  stop "the desktop database lists the window for: $(grep "$app_id" /usr/share/applications/mimeinfo.cache)"
! grep -qi flowsvg /etc/mailcap 2>/dev/null ||
  stop "mailcap names the window: $(grep -i flowsvg /etc/mailcap)"
as_user sh -c '
  mkdir -p "$HOME/.local/share/applications" &&
  { cat "$1"; echo "MimeType=text/plain;"; } \
    >"$HOME/.local/share/applications/flowsvg-mime-probe.desktop" &&
  update-desktop-database "$HOME/.local/share/applications"
' sh "/usr/share/applications/$app_id.desktop" || stop "could not make the probe entry"
probe=$(as_user xdg-mime query default text/plain 2>/dev/null || true)
[ "$probe" = flowsvg-mime-probe.desktop ] ||
  stop "xdg-mime does not see an entry claiming text/plain: '$probe'"
as_user rm -r "$home/.local/share/applications"
pass "text/plain: xdg-mime names '${text_opener:-nothing}', not the window (an entry claiming it would be named); no mailcap line"

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
# The installed icon, found by its name in the icon theme.
sizes=$(/usr/bin/python3 "$src/src/desktop/window_icon.py" sizes "$window")
[ -n "$sizes" ] || stop "the installed window has no icon"
pass "the user's window '$title', class $app_id, icon at $sizes"

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

# --- Remove: no file of either package is left.
apt-get purge "${apt_options[@]}" "${packages[@]}" >"$work/purge.log" 2>&1 ||
  stop "apt-get purge failed"
for package in "${packages[@]}"; do
  [ "$(installed_status "$package")" = not-installed ] ||
    [ -z "$(installed_status "$package")" ] ||
    stop "$package still known to dpkg: $(installed_status "$package")"
done
cat "$work"/owned-flowsvg "$work"/owned-flowsvg-desktop | sort -u |
  while IFS= read -r path; do
    [ "$path" = /. ] && continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
      # A folder may stay only where another package still owns it.
      dpkg -S "$path" >/dev/null 2>&1 || { echo "folder left behind: $path"; exit 1; }
    elif [ -e "$path" ] || [ -L "$path" ]; then
      echo "file left behind: $path"
      exit 1
    fi
  done >"$work/left.txt" || stop "$(cat "$work/left.txt")"
package_installed=
pass "purged: no file of either package left"
finish
