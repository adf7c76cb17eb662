#!/usr/bin/env bash
# End-to-end checks of flowsvg between users: what a replaced file keeps
# (owner, group, mode, ACL), when it must be written in place (a file of
# another owner in a shared folder, a read-only folder), and links another
# user planted in a sticky world-writable folder. Needs root to create two
# users and a group; they are removed again at the end. Without root it
# reports itself skipped (exit 77).
# Usage: users_test.sh FLOWSVG SOURCE_DIR
set -u
flowsvg=$1
src=$2
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: creating users needs root"
  exit 77
fi
work=
. "$src/src/testing/test_support.sh"

alice=flowsvg-test-alice
bob=flowsvg-test-bob
team=flowsvg-test-team
cleanup() {
  userdel "$alice" 2>/dev/null
  userdel "$bob" 2>/dev/null
  groupdel "$team" 2>/dev/null
  [ -n "$work" ] && rm -rf "$work"
}
trap cleanup EXIT
cleanup 2>/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-users-XXXXXX")
groupadd "$team"
useradd -M -N -G "$team" "$alice"
useradd -M -N -G "$team" "$bob"
chmod 755 "$work"
# The program, its picture program (at the same place relative to it) and
# the example must be within everybody's reach.
mkdir -p "$work/bin" "$work/lib/flowsvg"
cp "$flowsvg" "$work/bin/flowsvg"
ln -s bin/flowsvg "$work/flowsvg"
picture_program=$(dirname "$flowsvg")/../lib/flowsvg/flowsvg-picture
[ ! -e "$picture_program" ] || cp "$picture_program" "$work/lib/flowsvg/"
cp "$example" "$work/example.txt"
chmod -R a+rX "$work/bin" "$work/lib"
chmod 644 "$work/example.txt"
as() {  # USER COMMAND...: runs the command as that user, with its groups
  local user=$1
  shift
  runuser -u "$user" -- "$@"
}
owner() { stat -c '%U:%G %a' "$1"; }

# --- A shared file of another owner: written in place, all kept ----------
mkdir "$work/team"
chown "root:$team" "$work/team"
chmod 2775 "$work/team"
printf 'bob was here\r\n' >"$work/team/shared.svg"
chown "$bob:$team" "$work/team/shared.svg"
chmod 664 "$work/team/shared.svg"
inode=$(stat -c %i "$work/team/shared.svg")
as "$alice" "$work/flowsvg" -q "$work/example.txt" "$work/team/shared.svg"
rc=$?
expect_rc "another owner's shared file" 0
[ "$(owner "$work/team/shared.svg")" = "$bob:$team 664" ] ||
  fail "shared file is now $(owner "$work/team/shared.svg")"
[ "$(stat -c %i "$work/team/shared.svg")" = "$inode" ] || fail "shared file was renamed over"
expect_drawing_of_example "another owner's shared file" "$work/team/shared.svg"

# --- A user's own file: replaced, its group, mode and ACL kept -------------
mkdir "$work/alice"
chown "$alice" "$work/alice"
as "$alice" "$work/flowsvg" -q "$work/example.txt" "$work/alice/chart.svg"
chgrp "$team" "$work/alice/chart.svg"
chmod 2640 "$work/alice/chart.svg"
setfacl -m "u:$bob:rw" "$work/alice/chart.svg"
inode=$(stat -c %i "$work/alice/chart.svg")
as "$alice" "$work/flowsvg" -q "$work/example.txt" "$work/alice/chart.svg"
rc=$?
expect_rc "own file with a group and an ACL" 0
[ "$(stat -c %i "$work/alice/chart.svg")" != "$inode" ] || fail "own file was not replaced"
[ "$(stat -c '%U:%G' "$work/alice/chart.svg")" = "$alice:$team" ] ||
  fail "own file is now $(owner "$work/alice/chart.svg")"
getfacl -cp "$work/alice/chart.svg" 2>/dev/null | grep -qx "user:$bob:rw-" ||
  fail "the ACL entry for $bob is gone: $(getfacl -cp "$work/alice/chart.svg")"
[ "$(ls -A "$work/alice")" = chart.svg ] || fail "alice: $(ls -A "$work/alice")"

# --- Root keeps setuid and setgid bits -----------------------------------
"$work/flowsvg" -q "$work/example.txt" "$work/setid.svg"
chmod 6755 "$work/setid.svg"
"$work/flowsvg" -q "$work/example.txt" "$work/setid.svg"
[ "$(stat -c %a "$work/setid.svg")" = 6755 ] ||
  fail "setuid/setgid lost: $(stat -c %a "$work/setid.svg")"

# --- A read-only folder with a writable file: written in place ------------
mkdir "$work/ro"
printf 'old\r\n' >"$work/ro/chart.svg"
chown -R "$alice" "$work/ro"
chmod 555 "$work/ro"
as "$alice" "$work/flowsvg" -q "$work/example.txt" "$work/ro/chart.svg"
rc=$?
expect_rc "read-only folder, writable file" 0
expect_drawing_of_example "read-only folder, writable file" "$work/ro/chart.svg"
# A file the user may not write at all stays as it was.
chmod 755 "$work/ro"
chown "$bob" "$work/ro/chart.svg"
cp "$work/ro/chart.svg" "$work/before.svg"
as "$alice" "$work/flowsvg" "$work/example.txt" "$work/ro/chart.svg" \
  >/dev/null 2>"$work/denied.err"
rc=$?
expect_rc "another user's file" 2
expect_stderr denied "Cannot create the SVG file: $work/ro/chart.svg (Permission denied)"
expect_same "another user's file" "$work/ro/chart.svg" "$work/before.svg"
[ "$(ls -A "$work/ro")" = chart.svg ] || fail "ro: $(ls -A "$work/ro")"

# --- The same for a PNG: a new one is refused, a writable one written -----
mkdir "$work/ro-png"
printf 'old\r\n' >"$work/ro-png/kept.png"
chown -R "$alice" "$work/ro-png"
chmod 555 "$work/ro-png"
as "$alice" "$work/flowsvg" -q "$work/example.txt" "$work/ro-png/new.png" \
  >/dev/null 2>"$work/ro_png.err"
rc=$?
expect_rc "new PNG in a read-only folder" 2
expect_stderr ro_png \
  "Cannot create the PNG file: $work/ro-png/new.png (Permission denied)"
as "$alice" "$work/flowsvg" -q "$work/example.txt" "$work/ro-png/kept.png" \
  >/dev/null 2>"$work/ro_png_kept.err"
rc=$?
expect_rc "PNG in a read-only folder, writable file" 0
[ "$(head -c 4 "$work/ro-png/kept.png" | od -An -c | tr -d ' ')" = 211PNG ] ||
  fail "PNG in a read-only folder: not a PNG"
[ "$(ls -A "$work/ro-png")" = kept.png ] || fail "ro-png: $(ls -A "$work/ro-png")"
chmod 755 "$work/ro-png"

# --- Links in a sticky world-writable folder --------------------------------
mkdir "$work/tmp"
chmod 1777 "$work/tmp"
printf 'root only\n' >"$work/secret"
chmod 600 "$work/secret"
as "$bob" ln -s "$work/secret" "$work/tmp/chart.svg"
"$work/flowsvg" "$work/example.txt" "$work/tmp/chart.svg" >/dev/null 2>"$work/planted.err"
rc=$?
expect_rc "a link another user planted" 2
expect_stderr planted "Cannot create the SVG file: $work/tmp/chart.svg (it is a link another user placed in a shared folder; not followed)"
[ "$(cat "$work/secret")" = "root only" ] || fail "the planted link's target was overwritten"
# The user's own link there, and one of the folder's owner, are followed.
as "$bob" ln -s "$work/tmp/bobs.svg" "$work/tmp/mine.svg"
as "$bob" "$work/flowsvg" -q "$work/example.txt" "$work/tmp/mine.svg"
rc=$?
expect_rc "the user's own link" 0
expect_drawing_of_example "the user's own link" "$work/tmp/bobs.svg"
ln -s "$work/rootfile.svg" "$work/tmp/roots.svg"
"$work/flowsvg" -q "$work/example.txt" "$work/tmp/roots.svg"
rc=$?
expect_rc "the folder owner's link" 0
expect_drawing_of_example "the folder owner's link" "$work/rootfile.svg"

finish
