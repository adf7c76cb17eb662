#!/usr/bin/env bash
# End-to-end checks of flowsvg at the system's limits: the memory a long
# batch takes does not grow with the number of files (peak resident memory
# of 800 files with 1,000 warnings each, new and replaced, under 64 MB);
# memory running out under `ulimit -v` is each file's error, never an
# abort, and leaves no temporary file; and threads that cannot be started
# (a user's process limit, `ulimit -u`) leave the work to those that could.
# The process limit needs a user of its own, which needs root; without root
# that part reports itself skipped. A sanitized build reserves far more
# address space than any limit here allows and counts its memory otherwise,
# so it leaves out the memory parts.
# Usage: limits_test.sh FLOWSVG SOURCE_DIR [sanitized]
set -u
flowsvg=$1
src=$2
sanitized=${3:-}
work=
. "$src/src/testing/test_support.sh"
user=flowsvg-test-limits
cleanup() {
  [ "$(id -u)" -eq 0 ] && userdel "$user" 2>/dev/null
  [ -n "$work" ] && rm -rf "$work"
}
trap cleanup EXIT
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-limits-XXXXXX")
chmod 755 "$work"

# A description of 1,005 stray lines: 1,000 warnings, then one line saying
# how many more there were.
seq 1 1005 | sed 's/^/stray line number /' >"$work/stray.txt"

# The lines of FILE that are no warnings: one per converted file.
outcome_lines() { not_warnings "$1" | wc -l; }

# --- Peak memory of a long batch -------------------------------------------
mkdir "$work/long"
for k in $(seq 1 800); do cp "$work/stray.txt" "$work/long/f$k.txt"; done
if [ "$sanitized" != sanitized ]; then
  for pass in new replaced; do
    # The 140 MB of warnings are counted as they come, not kept.
    /usr/bin/time -f %M -o "$work/peak" "$flowsvg" -O "$work/long/"*.txt \
      2>&1 >/dev/null | awk -v out="$work/long.err" \
      '/: warning: / { warnings++; next } { print > out } END { print warnings }' \
      >"$work/long.count"
    rc=${PIPESTATUS[0]}
    expect_rc "long batch, $pass SVGs" 0
    peak=$(tail -1 "$work/peak")
    echo "peak resident memory, 800 files x 1,000 warnings, $pass SVGs: $peak KB"
    [ "$peak" -lt $((64 * 1024)) ] ||
      fail "long batch, $pass SVGs: peak resident memory $peak KB, 64 MB or more"
    [ "$(wc -l <"$work/long.err")" -eq 800 ] ||
      fail "long batch, $pass SVGs: $(wc -l <"$work/long.err") lines for 800 files"
    [ "$(cat "$work/long.count")" -eq 800800 ] ||
      fail "long batch, $pass SVGs: $(cat "$work/long.count") warning lines"
  done
  # In the order of the arguments.
  sed 's/.*File: \(.*\), Sections.*/\1/' "$work/long.err" >"$work/order.got"
  for svg in "$work/long/"*.txt; do echo "${svg%.txt}.svg"; done >"$work/order.expected"
  expect_same "long batch order" "$work/order.got" "$work/order.expected"
fi

# --- Memory running out under ulimit -v --------------------------------------
# Forty files that replace their SVGs, and one whose only line is longer
# than any of the limits, which runs out of memory for certain. Each run
# ends with 1 or 2, names every file once, leaves every SVG old or whole,
# and no temporary file.
if [ "$sanitized" != sanitized ]; then
  mkdir "$work/oom"
  for k in $(seq 1 40); do
    cp "$work/stray.txt" "$work/oom/f$k.txt"
    printf 'earlier %d\r\n' "$k" >"$work/oom/f$k.svg"
  done
  head -c 60000000 /dev/zero | tr '\0' 'a' >"$work/oom/huge.txt"
  for limit in 8000 12000 16000 24000 40000; do
    (
      ulimit -v "$limit"
      exec "$flowsvg" -j 4 -O "$work/oom/"*.txt
    ) >/dev/null 2>"$work/oom.err"
    rc=$?
    [ "$rc" -eq 1 ] || [ "$rc" -eq 2 ] ||
      fail "ulimit -v $limit: exit status $rc, expected 1 or 2"
    grep -q "^Cannot open the description file: $work/oom/huge.txt (Cannot allocate memory)$" \
      "$work/oom.err" || fail "ulimit -v $limit: the huge file's error is missing"
    [ "$(outcome_lines "$work/oom.err")" -eq 41 ] ||
      fail "ulimit -v $limit: $(outcome_lines "$work/oom.err") lines for 41 files: $(not_warnings "$work/oom.err" | head -5)"
    echo "ulimit -v $limit: exit status $rc, $(grep -c 'Cannot allocate memory' "$work/oom.err") files out of memory, $(grep -c '^SVG file generated' "$work/oom.err") written"
    left=$(ls -A "$work/oom" | grep '^\.')
    [ -z "$left" ] || fail "ulimit -v $limit: temporary files left: $left"
    for k in $(seq 1 40); do
      svg=$work/oom/f$k.svg
      [ "$(cat "$svg")" = "earlier $k"$'\r' ] || tail -1 "$svg" | grep -q '^</svg>' ||
        fail "ulimit -v $limit: f$k.svg is neither old nor whole"
    done
  done
fi

# --- Threads that cannot be started ----------------------------------------
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: a process limit needs a user of its own, which needs root"
else
  userdel "$user" 2>/dev/null
  useradd -M -N "$user"
  mkdir "$work/threads"
  cp "$flowsvg" "$work/flowsvg"
  chmod 755 "$work/flowsvg"
  for k in $(seq 1 60); do cp "$example" "$work/threads/c$k.txt"; done
  chown -R "$user" "$work/threads"
  # The user may run 3 processes and threads: this one and two more.
  runuser -u "$user" -- bash -c "ulimit -u 3; exec \"$work/flowsvg\" -j 100 -O $work/threads/c*.txt" \
    >"$work/threads.out" 2>"$work/threads.err"
  rc=$?
  expect_rc "-j 100 with ulimit -u 3" 0
  for k in $(seq 1 60); do echo "$work/threads/c$k.svg"; done | sort >"$work/threads.expected"
  grep '^SVG file generated' "$work/threads.err" | sed 's/.*File: \(.*\), Sections.*/\1/' \
    | sort >"$work/threads.got"
  expect_same "-j 100 with ulimit -u 3" "$work/threads.got" "$work/threads.expected"
  for svg in "$work/threads/"c1.svg "$work/threads/"c60.svg; do
    expect_drawing_of_example "-j 100 with ulimit -u 3: $svg" "$svg"
  done
fi

finish
