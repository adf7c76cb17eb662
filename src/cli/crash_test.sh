#!/usr/bin/env bash
# A power cut right after flowsvg replaced a drawing: on a loop-mounted XFS
# file system, replace an existing SVG, let another program flush a file of
# its own (which commits the journal, rename included, as any editor or
# database would), then shut the file system down at once without flushing
# anything else, mount it again and look: the drawing must hold its old or
# its new content, complete, never nothing. Needs root (mount); without it
# the test reports itself skipped (exit 77).
# Usage: crash_test.sh FLOWSVG SOURCE_DIR
set -u
flowsvg=$1
src=$2
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: mounting a file system needs root"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-crash-XXXXXX")
. "$src/src/testing/test_support.sh"
mnt=$work/mnt
cleanup() {
  mountpoint -q "$mnt" && umount "$mnt"
  rm -rf "$work"
}
trap cleanup EXIT

truncate -s 320M "$work/xfs.img"
mkfs.xfs -q "$work/xfs.img" || { fail "mkfs.xfs"; finish; }
mkdir "$mnt"
mount -o loop "$work/xfs.img" "$mnt" || { fail "mount"; finish; }

# The old drawing, safely on the disk; then a different description.
"$flowsvg" -q "$example" "$mnt/chart.svg"
sync -f "$mnt"
cp "$mnt/chart.svg" "$work/old.svg"
sed 's/Process step/Bottling step/' "$example" >"$work/new.txt"

descriptions=("$work/new.txt" "$example" "$work/new.txt")
for round in 1 2 3; do
  "$flowsvg" -q "${descriptions[$((round - 1))]}" "$mnt/chart.svg"
  rc=$?
  expect_rc "replacement, round $round" 0
  cp "$mnt/chart.svg" "$work/new.svg"
  python3 -c 'import os, sys
fd = os.open(sys.argv[1], os.O_CREAT | os.O_WRONLY)
os.write(fd, b"other program")
os.fsync(fd)' "$mnt/other.$round"
  xfs_io -x -c shutdown "$mnt"  # no flush: the power is gone
  umount "$mnt"
  mount -o loop "$work/xfs.img" "$mnt" || { fail "mount after the cut"; finish; }
  if cmp -s "$mnt/chart.svg" "$work/new.svg"; then
    echo "round $round: the new drawing survived the cut"
  elif cmp -s "$mnt/chart.svg" "$work/old.svg"; then
    echo "round $round: the old drawing survived the cut"
  else
    fail "round $round: after the cut the drawing holds $(stat -c %s "$mnt/chart.svg") bytes, neither old nor new"
  fi
  [ "$(ls -A "$mnt" | grep -c '^\.')" -eq 0 ] || fail "round $round: $(ls -A "$mnt")"
  cp "$mnt/chart.svg" "$work/old.svg"
done

finish
