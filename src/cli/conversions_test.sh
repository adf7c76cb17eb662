#!/usr/bin/env bash
# End-to-end checks of flowsvg's runs of many files, --check, and
# SOURCE_DATE_EPOCH: exit statuses, the messages and their order, the files
# written (and those left alone), the one flush of a batch that replaces
# files, and identical bytes from identical descriptions.
# Usage: conversions_test.sh FLOWSVG SOURCE_DIR
set -u
flowsvg=$1
src=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-many-XXXXXX")
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

# A small description with a title of its own and no warning.
describe() {  # TITLE
  printf '[Header]\nsubtitle = %s\n[Flow.Steps]\nitemid = 1\ntitle = %s\n' "$1" "$1"
}

# --- One unreadable file among good ones ---------------------------------
mkdir "$work/batch"
describe One >"$work/batch/one.txt"
describe Three >"$work/batch/three.txt"
run unreadable -O "$work/batch/one.txt" "$work/batch/two.txt" "$work/batch/three.txt"
expect_rc unreadable 1
cat >"$work/unreadable.expected" <<EOF
SVG file generated. File: $work/batch/one.svg, Sections: 1, Items: 1
Cannot open the description file: $work/batch/two.txt (No such file or directory)
SVG file generated. File: $work/batch/three.svg, Sections: 1, Items: 1
EOF
expect_same unreadable "$work/unreadable.err" "$work/unreadable.expected"
[ "$(files_in "$work/batch")" = "one.svg one.txt three.svg three.txt " ] ||
  fail "unreadable: folder holds $(files_in "$work/batch")"
grep -q '>One</text>' "$work/batch/one.svg" || fail "unreadable: one.svg is not One's"
grep -q '>Three</text>' "$work/batch/three.svg" || fail "unreadable: three.svg is not Three's"

# --- Many files on two threads: every drawing as a single run makes it,
# --- and the lines in the order of the arguments ------------------------
mkdir "$work/parallel" "$work/single"
args=()
: >"$work/parallel.expected"
for k in $(seq 1 40); do
  describe "Chart $k" >"$work/parallel/c$k.txt"
  args+=("$work/parallel/c$k.txt")
  echo "SVG file generated. File: $work/out/c$k.svg, Sections: 1, Items: 1" \
    >>"$work/parallel.expected"
done
mkdir "$work/out"
SOURCE_DATE_EPOCH=1700000000 run parallel -j 2 --out-dir "$work/out" "${args[@]}"
expect_rc parallel 0
expect_same parallel "$work/parallel.err" "$work/parallel.expected"
for k in 1 17 40; do
  SOURCE_DATE_EPOCH=1700000000 "$flowsvg" -q "$work/parallel/c$k.txt" "$work/single/c$k.svg"
  cmp -s "$work/single/c$k.svg" "$work/out/c$k.svg" ||
    fail "parallel: out/c$k.svg differs from a single conversion"
done

# --- A batch that replaces files flushes once, before its renames --------
# The forty drawings in out/ exist now; converting again replaces them all.
if command -v strace >/dev/null; then
  # LeakSanitizer cannot work under ptrace; a sanitized build leaves its
  # leak check to the other runs.
  ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 SOURCE_DATE_EPOCH=0 \
    strace -f -qq -e trace=syncfs,fsync,fdatasync,rename \
    -o "$work/strace.log" "$flowsvg" -q -j 2 --out-dir "$work/out" "${args[@]}"
  rc=$?
  expect_rc flush 0
  syncs=$(grep -c 'syncfs(' "$work/strace.log")
  fsyncs=$(grep -c 'fsync(' "$work/strace.log")
  renames=$(grep -c 'rename(' "$work/strace.log")
  [ "$syncs" -eq 1 ] || fail "flush: $syncs syncfs calls, expected 1"
  # One folder flush after the renames; no file flushed on its own.
  [ "$fsyncs" -eq 1 ] || fail "flush: $fsyncs fsync calls, expected 1"
  [ "$renames" -eq 40 ] || fail "flush: $renames renames, expected 40"
  first_rename=$(grep -n 'rename(' "$work/strace.log" | head -1 | cut -d: -f1)
  sync_line=$(grep -n 'syncfs(' "$work/strace.log" | cut -d: -f1)
  [ "${sync_line:-0}" -lt "${first_rename:-0}" ] ||
    fail "flush: syncfs did not come before the renames"
  grep -q '<!-- Generated: 1970-01-01 00:00:00 -->' "$work/out/c40.svg" ||
    fail "flush: out/c40.svg was not replaced"
  [ "$(ls -A "$work/out" | wc -l)" -eq 40 ] ||
    fail "flush: out/ holds $(files_in "$work/out")"
fi

# --- Outputs that clash: the second one is refused, named ----------------
mkdir -p "$work/clash/a" "$work/clash/b" "$work/clash/out"
describe A >"$work/clash/a/plan.txt"
describe B >"$work/clash/b/plan.txt"
run clash --out-dir "$work/clash/out" "$work/clash/a/plan.txt" "$work/clash/b/plan.txt"
expect_rc clash 2
cat >"$work/clash.expected" <<EOF
SVG file generated. File: $work/clash/out/plan.svg, Sections: 1, Items: 1
Cannot create the SVG file: $work/clash/out/plan.svg (it is also the output of $work/clash/a/plan.txt)
EOF
expect_same clash "$work/clash.err" "$work/clash.expected"
grep -q '>A</text>' "$work/clash/out/plan.svg" || fail "clash: out/plan.svg is not A's"
# An output that is another input of the run is refused; the input is kept.
describe Input >"$work/clash/x.txt"
describe Kept >"$work/clash/x.svg"
cp "$work/clash/x.svg" "$work/clash/x.svg.before"
run clash_input -q -O "$work/clash/x.txt" "$work/clash/x.svg"
expect_rc clash_input 2
[ "$(cat "$work/clash_input.err")" = \
  "Cannot create the SVG file: $work/clash/x.svg (it is one of the input files)" ] ||
  fail "clash_input: stderr was $(cat "$work/clash_input.err")"
cmp -s "$work/clash/x.svg" "$work/clash/x.svg.before" ||
  fail "clash_input: the description x.svg was overwritten"
[ -f "$work/clash/x.svg.svg" ] || fail "clash_input: x.svg was not converted"

# Two spellings of one new SVG are one target: the second input is refused
# before it is read, and the drawing is the first one's. Each case: the
# folder to run in, then the two inputs as given.
mkdir -p "$work/spell/x" "$work/spell/rel"
ln -s . "$work/spell/here"
for case in \
  "$work/spell:$work/spell/a.txt:$work/spell/./a.ini" \
  "$work/spell:$work/spell/a.txt:$work/spell/x/../a.ini" \
  "$work/spell:$work/spell/a.txt:$work/spell/here/a.ini" \
  "$work/spell:$work/spell/here/a.txt:$work/spell//a.ini" \
  "$work/spell/rel:a.txt:./a.ini" \
  "$work/spell/rel:../rel/a.txt:a.ini"; do
  IFS=: read -r folder first second <<<"$case"
  describe A >"$folder/${first##*/}"
  describe B >"$folder/${second##*/}"
  rm -f "$work/spell/a.svg" "$work/spell/rel/a.svg"
  (cd "$folder" && "$flowsvg" -O "$first" "$second") >"$work/spell.out" \
    2>"$work/spell.err"
  rc=$?
  expect_rc "spelling $first $second" 2
  cat >"$work/spell.expected" <<EOF
SVG file generated. File: ${first%.txt}.svg, Sections: 1, Items: 1
Cannot create the SVG file: ${second%.ini}.svg (it is also the output of $first)
EOF
  cmp -s "$work/spell.err" "$work/spell.expected" ||
    fail "spelling $first $second: stderr was $(cat "$work/spell.err")"
  grep -q '>A</text>' "$folder/a.svg" ||
    fail "spelling $first $second: a.svg is not the first one's"
done
# A link to a file not there yet makes that file: it is the other's output.
describe B >"$work/spell/b.txt"
describe C >"$work/spell/c.txt"
ln -s b.svg "$work/spell/c.svg"
run dangling -O "$work/spell/b.txt" "$work/spell/c.txt"
expect_rc dangling 2
[ "$(tail -1 "$work/dangling.err")" = "Cannot create the SVG file: $work/spell/c.svg (it is also the output of $work/spell/b.txt)" ] ||
  fail "dangling: stderr was $(cat "$work/dangling.err")"
grep -q '>B</text>' "$work/spell/b.svg" || fail "dangling: b.svg is not B's"

# --- The output folder must exist: 2 before anything is read -------------
run no_folder --out-dir "$work/missing" "$example"
expect_rc no_folder 2
[ "$(cat "$work/no_folder.err")" = \
  "Cannot write into the output folder: $work/missing (no such folder)" ] ||
  fail "no_folder: stderr was $(cat "$work/no_folder.err")"
# Standard input names a FIFO nobody writes to: reading it would block.
mkfifo "$work/fifo"
timeout 10 "$flowsvg" --out-dir "$example" "$work/fifo" >"$work/not_folder.out" \
  2>"$work/not_folder.err"
rc=$?
expect_rc not_folder 2
[ "$(cat "$work/not_folder.err")" = \
  "Cannot write into the output folder: $example (not a folder)" ] ||
  fail "not_folder: stderr was $(cat "$work/not_folder.err")"

# --- An output that cannot be written counts before an unreadable input --
run worst -q --out-dir "$work/clash/out" "$work/clash/a/plan.txt" \
  "$work/batch/missing.txt" "$work/clash/b/plan.txt"
expect_rc worst 2

# --- --check: warnings on standard output, nothing written ---------------
mkdir "$work/check"
cp "$example" "$work/check/example.txt"
describe Clean >"$work/check/clean.txt"
run check_clean --check "$work/check/clean.txt"
expect_rc check_clean 0
[ -s "$work/check_clean.out" ] && fail "check_clean: printed $(cat "$work/check_clean.out")"
[ -s "$work/check_clean.err" ] && fail "check_clean: printed $(cat "$work/check_clean.err")"
SOURCE_DATE_EPOCH=invalid run check_example --check "$work/check/clean.txt" "$work/check/example.txt"
expect_rc check_example 3
cat >"$work/check_example.expected" <<EOF
$work/check/example.txt:13: warning: the value of "Note" is shown cut short as "Confirm the order with th..."; a box line holds 28 characters, key and ":" included (a character above U+FFFF counts as two)
$work/check/example.txt:41: warning: "Dates are examples only" is no section line, comment or key = value line; the line is ignored
EOF
expect_same check_example "$work/check_example.out" "$work/check_example.expected"
[ -s "$work/check_example.err" ] && fail "check_example: stderr $(cat "$work/check_example.err")"
[ "$(files_in "$work/check")" = "clean.txt example.txt " ] ||
  fail "check: folder holds $(files_in "$work/check")"
run check_missing --check "$work/check/example.txt" "$work/check/none.txt"
expect_rc check_missing 1
[ "$(cat "$work/check_missing.err")" = \
  "Cannot open the description file: $work/check/none.txt (No such file or directory)" ] ||
  fail "check_missing: stderr was $(cat "$work/check_missing.err")"
run check_quiet -q --check "$work/check/example.txt"
expect_rc check_quiet 3
[ -s "$work/check_quiet.out" ] || [ -s "$work/check_quiet.err" ] &&
  fail "check_quiet: -q still printed"
"$flowsvg" --check - <"$work/check/example.txt" >"$work/check_stdin.out" 2>&1
rc=$?
expect_rc check_stdin 3
grep -q '^-:41: warning: ' "$work/check_stdin.out" || fail "check_stdin: no warning for -"

# A file that is no description at all: a screenful of warnings, then how
# many more there were.
seq 1 1005 | sed 's/^/stray line /' >"$work/check/stray.txt"
run check_many --check "$work/check/stray.txt"
expect_rc check_many 3
[ "$(wc -l <"$work/check_many.out")" -eq 1001 ] ||
  fail "check_many: $(wc -l <"$work/check_many.out") lines"
[ "$(sed -n 1000p "$work/check_many.out")" = \
  "$work/check/stray.txt:1000: warning: \"stray line 1000\" is no section line, comment or key = value line; the line is ignored" ] ||
  fail "check_many: line 1000 is $(sed -n 1000p "$work/check_many.out")"
[ "$(tail -1 "$work/check_many.out")" = \
  "$work/check/stray.txt: warning: 5 more warnings are not shown" ] ||
  fail "check_many: last line is $(tail -1 "$work/check_many.out")"

# --- SOURCE_DATE_EPOCH ----------------------------------------------------
mkdir "$work/date"
SOURCE_DATE_EPOCH=0 TZ=Asia/Tokyo run date_a -q "$example" "$work/date/a.svg"
expect_rc date_a 0
SOURCE_DATE_EPOCH=0 TZ=America/New_York run date_b -q "$example" "$work/date/b.svg"
[ "$(sed -n 7p "$work/date/a.svg")" = $'<!-- Generated: 1970-01-01 00:00:00 -->\r' ] ||
  fail "date: line 7 is $(sed -n 7p "$work/date/a.svg")"
cmp -s "$work/date/a.svg" "$work/date/b.svg" || fail "date: two runs differ"
SOURCE_DATE_EPOCH=1700000000 run date_c -q "$example" "$work/date/c.svg"
[ "$(sed -n 7p "$work/date/c.svg")" = $'<!-- Generated: 2023-11-14 22:13:20 -->\r' ] ||
  fail "date: line 7 is $(sed -n 7p "$work/date/c.svg")"
for value in abc -1 1e9 " 1" 253402300800; do
  SOURCE_DATE_EPOCH=$value run date_bad "$example" "$work/date/bad.svg"
  expect_rc "date_bad '$value'" 64
  [ "$(cat "$work/date_bad.err")" = "flowsvg: SOURCE_DATE_EPOCH must be a whole number of seconds from 0 to 253402300799 (the end of the year 9999), not \"$value\"" ] ||
    fail "date_bad '$value': stderr was $(cat "$work/date_bad.err")"
  [ -e "$work/date/bad.svg" ] && fail "date_bad '$value': a drawing was written"
  SOURCE_DATE_EPOCH=$value run date_bad_many -O "$work/batch/one.txt"
  expect_rc "date_bad_many '$value'" 64
done
# Empty counts as unset; --sample, --help and --version ignore the variable.
SOURCE_DATE_EPOCH= run date_empty -q "$example" "$work/date/empty.svg"
expect_rc date_empty 0
sed -n 7p "$work/date/empty.svg" | grep -Eq '^<!-- Generated: [0-9]{4}-' ||
  fail "date_empty: line 7 is $(sed -n 7p "$work/date/empty.svg")"
for args in "--sample $work/date/sample.txt" "--help" "--version"; do
  # shellcheck disable=SC2086  # the words are the arguments
  SOURCE_DATE_EPOCH=abc run date_ignored $args
  expect_rc "date_ignored $args" 0
done

finish
