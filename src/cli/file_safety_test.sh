#!/usr/bin/env bash
# End-to-end checks that flowsvg never loses or misreads a user's file, each
# in the real condition: an output that is one of the process's own
# descriptors (/dev/stdout into a log), an output that is the input, a
# file-size limit with its default signal, interruptions while writing, read
# errors, a non-blocking standard input, short writes, memory running out,
# conversions running at the same time, and names that are not UTF-8. Each
# case checks the exit status, the message, the bytes of what was written
# and that no temporary file is left.
# The faults injected through the preloaded shim (slow writes, read errors,
# short writes) reach only a dynamically linked program: those cases run
# PRELOADABLE, a build of the program that is linked so (today FLOWSVG
# itself, which is dynamic on Linux); every other case runs FLOWSVG.
# Usage: file_safety_test.sh FLOWSVG PRELOADABLE SOURCE_DIR IO_FAULTS_SHIM
#   [sanitized]
set -u
flowsvg=$1
preloadable=$2
src=$3
shim=$4
sanitized=${5:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-safety-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"
# The sanitizers' runtime must come first among the preloaded libraries;
# here the shim does, which they tolerate when told so.
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:verify_asan_link_order=0

# The drawing bytes of the example as the log must end with them.
drawing_at_end_of() {  # NAME FILE LINES-BEFORE
  tail -n +$(($3 + 1)) "$2" >"$work/tail.svg"
  expect_drawing_of_example "$1" "$work/tail.svg"
}

inode() { stat -c %i "$1"; }

# --- Our own descriptors: /dev/stdout and the like into a log ---------------
printf 'log line 1\nlog line 2\n' >"$work/app.log"
before=$(inode "$work/app.log")
"$flowsvg" -q "$example" /dev/stdout >>"$work/app.log" 2>"$work/dev.err"
rc=$?
expect_rc "/dev/stdout >> log" 0
[ "$(head -n 2 "$work/app.log")" = $'log line 1\nlog line 2' ] ||
  fail "/dev/stdout >> log: the log lines are gone"
drawing_at_end_of "/dev/stdout >> log" "$work/app.log" 2
[ "$(inode "$work/app.log")" = "$before" ] || fail "/dev/stdout: log renamed over"

{
  echo HEADER
  "$flowsvg" -q "$example" /dev/stdout
  echo FOOTER
} >"$work/all.txt"
[ "$(head -n 1 "$work/all.txt")" = HEADER ] && [ "$(tail -n 1 "$work/all.txt")" = FOOTER ] ||
  fail "{ echo HEADER; flowsvg ... /dev/stdout; } > all.txt lost its lines"
sed '$d' "$work/all.txt" >"$work/all-but-footer.txt"
drawing_at_end_of "inside a group" "$work/all-but-footer.txt" 1

for form in /dev/fd/3 /proc/self/fd/3; do
  printf 'kept\n' >"$work/fd.log"
  "$flowsvg" -q "$example" "$form" 3>>"$work/fd.log"
  rc=$?
  expect_rc "$form" 0
  drawing_at_end_of "$form" "$work/fd.log" 1
done
printf 'kept\n' >"$work/err.log"
"$flowsvg" -q "$example" /dev/stderr 2>>"$work/err.log"
drawing_at_end_of /dev/stderr "$work/err.log" 1
printf 'kept\n' >"$work/sample.log"
"$flowsvg" --sample /dev/stdout >>"$work/sample.log"
rc=$?
expect_rc "--sample /dev/stdout" 0
tail -n +2 "$work/sample.log" >"$work/sample.txt"
expect_same "--sample /dev/stdout" "$work/sample.txt" "$example"
[ -z "$(ls -A "$work" | grep '^\.')" ] || fail "temporary files left: $(files_in "$work")"

# --- The output is the input: refused, the description kept ---------------
mkdir "$work/same"
cp "$example" "$work/same/in.txt"
ln -s in.txt "$work/same/link.svg"
ln "$work/same/in.txt" "$work/same/hard.svg"
for output in in.txt link.svg hard.svg; do
  run same "$work/same/in.txt" "$work/same/$output"
  expect_rc "output $output is the input" 2
  expect_stderr same \
    "Cannot create the SVG file: $work/same/$output (it is the input file)"
done
"$flowsvg" - "$work/same/in.txt" <"$work/same/in.txt" 2>"$work/same.err"
rc=$?
expect_rc "standard input is the output" 2
expect_stderr same \
  "Cannot create the SVG file: $work/same/in.txt (it is the input file)"
"$flowsvg" "$work/same/in.txt" /dev/stdout >>"$work/same/in.txt" 2>"$work/same.err"
rc=$?
expect_rc "/dev/stdout appends to the input" 2
expect_same "the description stays as it was" "$work/same/in.txt" "$example"
[ "$(files_in "$work/same")" = "hard.svg in.txt link.svg " ] ||
  fail "same: folder holds $(files_in "$work/same")"

# --- Interrupted while writing: the temporary file goes, the target stays --
mkdir "$work/signals"
printf 'earlier drawing\r\n' >"$work/signals/target.svg"
# A background job of a script starts with SIGINT ignored; a user's Ctrl+C
# reaches a program that has it at its default, as env gives it here.
for entry in INT:130 TERM:143 HUP:129; do
  sig=${entry%%:*}
  want=${entry#*:}
  IO_FAULTS_WRITE_DELAY_MS=3000 LD_PRELOAD=$shim env --default-signal=INT \
    "$preloadable" -q "$example" "$work/signals/target.svg" 2>"$work/signal.err" &
  pid=$!
  temporary() { ls -A "$work/signals" | grep -q '^\.target\.svg\.'; }
  poll temporary || fail "SIG$sig: no temporary file appeared"
  kill -s "$sig" "$pid"
  wait "$pid"
  rc=$?
  expect_rc "SIG$sig while writing" "$want"
  [ "$(files_in "$work/signals")" = "target.svg " ] ||
    fail "SIG$sig: folder holds $(files_in "$work/signals")"
  [ "$(cat "$work/signals/target.svg")" = $'earlier drawing\r' ] ||
    fail "SIG$sig: the earlier drawing changed"
done

# The same for a PNG, drawn by the picture program while flowsvg feeds it
# the SVG (slowly here): a signal then leaves the earlier picture and no
# temporary file, and the picture program ends with flowsvg, also when
# flowsvg is killed outright (whose temporary file cannot be removed).
printf 'earlier picture\r\n' >"$work/signals/target.png"
picture_program() { ps -o pid= --ppid "$pid" | tr -d ' '; }
for entry in INT:130 TERM:143 KILL:137; do
  sig=${entry%%:*}
  want=${entry#*:}
  IO_FAULTS_WRITE_DELAY_MS=3000 LD_PRELOAD=$shim env --default-signal=INT \
    "$preloadable" -q "$example" "$work/signals/target.png" 2>"$work/signal.err" &
  pid=$!
  temporary() { ls -A "$work/signals" | grep -q '^\.target\.png\.'; }
  poll temporary || fail "PNG SIG$sig: no temporary file appeared"
  started() { [ -n "$(picture_program)" ]; }
  poll started || fail "PNG SIG$sig: no picture program started"
  child=$(picture_program)
  kill -s "$sig" "$pid"
  wait "$pid"
  rc=$?
  expect_rc "PNG SIG$sig while drawing" "$want"
  ended() { ! kill -0 "$child" 2>/dev/null; }
  poll ended || fail "PNG SIG$sig: the picture program $child outlived flowsvg"
  [ "$sig" != KILL ] || rm -f "$work/signals"/.target.png.*
  [ "$(files_in "$work/signals")" = "target.png target.svg " ] ||
    fail "PNG SIG$sig: folder holds $(files_in "$work/signals")"
  [ "$(cat "$work/signals/target.png")" = $'earlier picture\r' ] ||
    fail "PNG SIG$sig: the earlier picture changed"
done

# A full disk under a PNG and a PDF: the error names the format, exit 2.
if [ -w /dev/full ]; then
  for format in png pdf; do
    "$flowsvg" -q -T "$format" "$example" - >/dev/full 2>"$work/full.err"
    rc=$?
    expect_rc "$format into a full disk" 2
    expect_stderr full "Cannot create the ${format^^} file: - (No space left on device)"
  done
  # A file that runs out of room part-way (a 2 KiB file-size limit under
  # a 110 KB PNG) keeps its earlier picture, and no temporary file stays.
  mkdir "$work/room"
  printf 'earlier picture\r\n' >"$work/room/target.png"
  cp "$work/room/target.png" "$work/room/earlier.png"
  (
    ulimit -f 2
    exec "$flowsvg" -q "$example" "$work/room/target.png"
  ) 2>"$work/room.err"
  rc=$?
  expect_rc "PNG beyond the room" 2
  expect_stderr room "Cannot create the PNG file: $work/room/target.png (File too large)"
  expect_same "PNG beyond the room" "$work/room/target.png" "$work/room/earlier.png"
  [ "$(files_in "$work/room")" = "earlier.png target.png " ] ||
    fail "PNG beyond the room: folder holds $(files_in "$work/room")"
fi

# The moment between creating a temporary file and remembering it for
# removal, widened by a slow file system: a signal then still removes the
# file, in a single conversion and in a batch on two threads.
mkdir "$work/window"
for k in 1 2 3; do printf 'earlier %d\r\n' "$k" >"$work/window/t$k.svg"; done
cp "$example" "$work/window/t1.txt"
cp "$example" "$work/window/t2.txt"
cp "$example" "$work/window/t3.txt"
for args in "-q $work/window/t1.txt $work/window/t1.svg" \
  "-q -j 2 -O $work/window/t1.txt $work/window/t2.txt $work/window/t3.txt"; do
  # shellcheck disable=SC2086  # the words are the arguments
  IO_FAULTS_CREATE_DELAY_MS=1500 LD_PRELOAD=$shim env --default-signal=INT \
    "$preloadable" $args 2>"$work/window.err" &
  pid=$!
  temporary() { ls -A "$work/window" | grep -q '^\.t.\.svg\.'; }
  poll temporary || fail "window: no temporary file appeared"
  kill -s TERM "$pid"
  wait "$pid"
  rc=$?
  expect_rc "SIGTERM while creating, $args" 143
  [ "$(files_in "$work/window")" = "t1.svg t1.txt t2.svg t2.txt t3.svg t3.txt " ] ||
    fail "window $args: folder holds $(files_in "$work/window")"
  for k in 1 2 3; do
    [ "$(cat "$work/window/t$k.svg")" = "earlier $k"$'\r' ] ||
      fail "window $args: t$k.svg changed"
  done
  rm -f "$work/window/".t*  # so that each case stands on its own
done

# --- Reading: errors are no end of file, a slow pipe is waited for --------
mkdir "$work/read"
printf 'earlier drawing\r\n' >"$work/read/target.svg"
cp "$work/read/target.svg" "$work/read/earlier.svg"
{
  cat "$example"
  for k in $(seq 1 3000); do echo "# comment line $k that makes the file longer"; done
  printf '[Late.Band]\nitemid = 99\n'
} >"$work/read/big.txt"
IO_FAULTS_READ_EIO_AFTER=65536 LD_PRELOAD=$shim \
  "$preloadable" "$work/read/big.txt" "$work/read/target.svg" 2>"$work/eio.err"
rc=$?
expect_rc "read error" 1
expect_stderr eio \
  "Cannot open the description file: $work/read/big.txt (Input/output error)"
expect_same "read error leaves the target" "$work/read/target.svg" "$work/read/earlier.svg"
"$flowsvg" - "$work/read/target.svg" <"$work" 2>"$work/folder.err"
rc=$?
expect_rc "a folder on standard input" 1
expect_stderr folder "Cannot open the description file: - (Is a directory)"
expect_same "folder input leaves the target" "$work/read/target.svg" "$work/read/earlier.svg"

# A non-blocking pipe with nothing in it yet: the first read would block.
python3 - "$flowsvg" "$example" "$work/read/slow.svg" <<'PY'
import fcntl, os, subprocess, sys, time
flowsvg, example, output = sys.argv[1:]
r, w = os.pipe()
fcntl.fcntl(r, fcntl.F_SETFL, fcntl.fcntl(r, fcntl.F_GETFL) | os.O_NONBLOCK)
child = subprocess.Popen([flowsvg, "-q", "-", output], stdin=r)
os.close(r)
data = open(example, "rb").read()
time.sleep(0.3)
os.write(w, data[:100])
time.sleep(0.3)
os.write(w, data[100:])
os.close(w)
sys.exit(child.wait())
PY
rc=$?
expect_rc "non-blocking standard input" 0
expect_drawing_of_example "non-blocking standard input" "$work/read/slow.svg"

# --- Short writes still write every byte ------------------------------------
IO_FAULTS_SHORT_WRITES=7 LD_PRELOAD=$shim "$preloadable" -q "$example" "$work/short.svg"
rc=$?
expect_rc "short writes to a file" 0
expect_drawing_of_example "short writes to a file" "$work/short.svg"
IO_FAULTS_SHORT_WRITES=7 LD_PRELOAD=$shim "$preloadable" -q "$example" - >"$work/short-out.svg"
rc=$?
expect_rc "short writes to standard output" 0
expect_drawing_of_example "short writes to standard output" "$work/short-out.svg"

# --- Memory running out on a huge line: a message, the target untouched ---
# The sanitizers reserve far more address space than any limit here allows.
if [ "$sanitized" != sanitized ]; then
  head -c 200000000 /dev/zero | tr '\0' 'a' >"$work/read/huge.txt"
  (
    ulimit -v 400000
    exec "$flowsvg" "$work/read/huge.txt" "$work/read/target.svg"
  ) >/dev/null 2>"$work/memory.err"
  rc=$?
  expect_rc "out of memory" 1
  expect_stderr memory \
    "Cannot open the description file: $work/read/huge.txt (Cannot allocate memory)"
  expect_same "out of memory leaves the target" "$work/read/target.svg" "$work/read/earlier.svg"
  rm -f "$work/read/huge.txt"
fi
[ "$(files_in "$work/read")" = "big.txt earlier.svg slow.svg target.svg " ] ||
  fail "read: folder holds $(files_in "$work/read")"

# --- Conversions at the same time: readers share, writers each succeed -----
mkdir "$work/parallel"
{
  cat "$example"
  head -c 16000000 /dev/zero | tr '\0' '#' | fold -w 79
} >"$work/parallel/in.txt"
pids=()
for k in 1 2 3 4 5 6; do
  "$flowsvg" -q "$work/parallel/in.txt" "$work/parallel/out$k.svg" &
  pids+=($!)
done
for k in 1 2 3 4 5 6; do
  "$flowsvg" -q "$work/parallel/in.txt" "$work/parallel/same.svg" &
  pids+=($!)
done
flock -s "$work/parallel/in.txt" sleep 2 &
holder=$!
"$flowsvg" -q "$work/parallel/in.txt" "$work/parallel/held.svg"
rc=$?
expect_rc "conversion while another program reads the input" 0
ok=0
for pid in "${pids[@]}"; do wait "$pid" && ok=$((ok + 1)); done
wait "$holder"
[ "$ok" -eq 12 ] || fail "parallel: only $ok of 12 conversions succeeded"
for svg in "$work/parallel/"*.svg; do
  expect_drawing_of_example "parallel $(basename "$svg")" "$svg"
done
[ "$(files_in "$work/parallel" | wc -w)" -eq 9 ] ||
  fail "parallel: folder holds $(files_in "$work/parallel")"

# --- Names are bytes ---------------------------------------------------------
mkdir "$work/names"
cp "$example" "$work/names/caf"$'\xe9'".txt"
run latin1 "$work/names/caf"$'\xe9'".txt"
expect_rc "a Latin-1 input name" 0
[ -f "$work/names/caf"$'\xe9'".svg" ] || fail "no output with the same bytes: $(files_in "$work/names")"
expect_stderr latin1 \
  "SVG file generated. File: $work/names/caf"$'\xef\xbf\xbd'".svg, Sections: 1, Items: 4"
for name in $'r\xe9sum\xe9.svg' $'a\xe9.svg' $'a\xe8.svg'; do
  "$flowsvg" -q "$example" "$work/names/$name"
  [ -f "$work/names/$name" ] || fail "output name $(printf %q "$name") not written byte for byte"
done
[ "$(ls -A "$work/names" | wc -l)" -eq 5 ] || fail "names: $(ls -A "$work/names" | od -c | head)"
run control "$work/names/new"$'\n'"line.txt"
expect_rc "a name with a line break" 1
expect_stderr control \
  "Cannot open the description file: $work/names/new\\x0aline.txt (No such file or directory)"

finish
