#!/usr/bin/env bash
# End-to-end checks of the flowsvg program: exit codes, messages, "-" for
# standard input and output, default output names, failed writes that must
# leave an earlier file alone, the golden drawing of the bundled example, and
# an XML parse (xmllint) of every SVG produced.
# Usage: flowsvg_test.sh FLOWSVG SOURCE_DIR
set -u
flowsvg=$1
src=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-cli-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

# --- The golden drawing of the bundled example --------------------------
mkdir "$work/golden"
run golden "$example" "$work/golden/example.svg"
expect_rc golden 0
expect_stderr golden \
  "SVG file generated. File: $work/golden/example.svg, Sections: 1, Items: 4"
expect_drawing_of_example golden "$work/golden/example.svg"
[ -s "$work/golden.out" ] && fail "golden: wrote to standard output"

# --- The sample description is the bundled example ----------------------
run sample --sample "$work/sample.txt"
expect_rc sample 0
expect_same sample "$work/sample.txt" "$example"
run sample_stdout --sample -
expect_rc sample_stdout 0
expect_same sample_stdout "$work/sample_stdout.out" "$example"

# --- Standard input and output -------------------------------------------
"$flowsvg" - - <"$example" >"$work/pipe.svg" 2>"$work/pipe.err"
rc=$?
expect_rc pipe 0
expect_drawing_of_example pipe "$work/pipe.svg"
# A closed standard input is an input that cannot be opened, not an empty one.
"$flowsvg" - "$work/closed.svg" <&- >"$work/closed.out" 2>"$work/closed.err"
rc=$?
expect_rc closed 1
expect_stderr closed "Cannot open the description file: - (Bad file descriptor)"
[ -e "$work/closed.svg" ] && fail "closed: wrote a drawing"
expect_stderr pipe "SVG file generated. File: -, Sections: 1, Items: 4"
cat "$example" | "$flowsvg" -q - >"$work/pipe_default.svg" 2>"$work/pipe_default.err"
rc=$?
expect_rc pipe_default 0
expect_drawing_of_example pipe_default "$work/pipe_default.svg"
[ -s "$work/pipe_default.err" ] && fail "pipe_default: -q still printed"

# --- Default output names beside the input ------------------------------
mkdir "$work/names"
for pair in "chart.txt:chart.svg" "plain:plain.svg" "two.dots.ini:two.dots.svg" \
  "my chart.txt:my chart.svg" "drawing.svg:drawing.svg.svg"; do
  input=${pair%%:*}
  output=${pair#*:}
  cp "$example" "$work/names/$input"
  run names -q "$work/names/$input"
  expect_rc "names $input" 0
  [ -f "$work/names/$output" ] || fail "names: $input did not give $output"
  [ -s "$work/names.err" ] && fail "names $input: -q still printed"
done
expect_same "names: input kept" "$work/names/drawing.svg" "$example"

# --- The input cannot be opened: 1 --------------------------------------
run missing_input "$work/no such file.txt" "$work/missing.svg"
expect_rc missing_input 1
expect_stderr missing_input \
  "Cannot open the description file: $work/no such file.txt (No such file or directory)"
[ -e "$work/missing.svg" ] && fail "missing_input: an output was written"
run folder_input "$work/names"
expect_rc folder_input 1
expect_stderr folder_input "Cannot open the description file: $work/names (Is a directory)"

# --- Wrong usage: 64, one line, nothing on standard output --------------
for args in "" "-x chart.txt" "a b c" "--sample" "--sample a b" "-q"; do
  # shellcheck disable=SC2086  # the words are the arguments
  run usage $args
  expect_rc "usage '$args'" 64
  [ "$(wc -l <"$work/usage.err")" -eq 1 ] || fail "usage '$args': not one line"
  grep -q "usage: flowsvg" "$work/usage.err" || fail "usage '$args': no usage"
  [ -s "$work/usage.out" ] && fail "usage '$args': wrote to standard output"
done
run help --help
expect_rc help 0
grep -q "^Exit status: 0 written" "$work/help.out" || fail "help: no exit codes"
run version --version
expect_rc version 0
[ "$(cat "$work/version.out")" = "2.0.0" ] || fail "version: $(cat "$work/version.out")"
# Help and version that do not reach their reader are failures, not success.
for args in --help --version; do
  if [ -w /dev/full ]; then
    "$flowsvg" $args >/dev/full 2>/dev/null
    rc=$?
    expect_rc "$args into a full output" 2
  fi
  "$flowsvg" $args >&- 2>/dev/null
  rc=$?
  expect_rc "$args into a closed output" 2
done

# --- The output cannot be written: 2, earlier file left as it was -------
mkdir "$work/keep"
printf 'earlier drawing\r\n' >"$work/keep/target.svg"
cp "$work/keep/target.svg" "$work/earlier.bak"
run missing_folder "$example" "$work/no folder/target.svg"
expect_rc missing_folder 2
expect_stderr missing_folder "Cannot create the SVG file: $work/no folder/target.svg (No such file or directory)"
# A file-size limit of 2 KiB makes writing the 6 KB drawing fail part-way.
# The program itself turns the limit's SIGXFSZ into an ordinary write error.
(
  ulimit -f 2
  exec "$flowsvg" "$example" "$work/keep/target.svg"
) >"$work/limit.out" 2>"$work/limit.err"
rc=$?
expect_rc limit 2
expect_stderr limit "Cannot create the SVG file: $work/keep/target.svg (File too large)"
expect_same limit "$work/keep/target.svg" "$work/earlier.bak"
[ "$(files_in "$work/keep")" = "target.svg " ] ||
  fail "limit: folder holds $(files_in "$work/keep")"
(
  ulimit -f 0
  exec "$flowsvg" --sample "$work/keep/target.svg"
) >"$work/sample_limit.out" 2>"$work/sample_limit.err"
rc=$?
expect_rc sample_limit 2
expect_same sample_limit "$work/keep/target.svg" "$work/earlier.bak"
[ "$(files_in "$work/keep")" = "target.svg " ] ||
  fail "sample_limit: folder holds $(files_in "$work/keep")"
run sample_missing --sample "$work/no folder/sample.txt"
expect_rc sample_missing 2
expect_stderr sample_missing "Cannot create the sample file: $work/no folder/sample.txt (No such file or directory)"
if [ -w /dev/full ]; then
  "$flowsvg" "$example" - >/dev/full 2>"$work/full.err"
  rc=$?
  expect_rc full 2
  expect_stderr full "Cannot create the SVG file: - (No space left on device)"
fi

# --- A replaced file keeps its permission bits ---------------------------
chmod 640 "$work/keep/target.svg"
run replace -q "$example" "$work/keep/target.svg"
expect_rc replace 0
expect_drawing_of_example replace "$work/keep/target.svg"
[ "$(stat -c %a "$work/keep/target.svg")" = 640 ] ||
  fail "replace: mode is $(stat -c %a "$work/keep/target.svg")"

# --- Every limit at once: 100 items, 20 sections, 15 pairs, 10 parents --
{
  printf '[Header]\nsubtitle = Every limit & <more>\ncompany = "Max" O'"'"'Brien\n'
  printf '[Summary]\ntext = one|two\\nthree|four|five|six|seven|eight\n'
  id=0
  for s in $(seq 1 20); do
    for k in 1 2 3 4 5; do
      id=$((id + 1))
      printf '[Group %d.Band <%d>]\nitemid = %d\n' "$s" "$s" "$id"
      printf 'fromid = %s\n' "$(seq -s, $((id - 10)) $((id - 1)))"
      printf 'title = Step %d, a title far longer than its box is wide\n' "$id"
      for p in $(seq 1 16); do
        printf 'Key %d & "q" = value <%d> long enough to be cut short\n' "$p" "$p"
      done
    done
  done
} >"$work/max.txt"
run max "$work/max.txt" "$work/max.svg"
expect_rc max 0
expect_stderr max "SVG file generated. File: $work/max.svg, Sections: 20, Items: 100"

# --- Characters XML forbids become U+FFFD --------------------------------
run forbidden "$src/testdata/forbidden_characters.txt" "$work/forbidden.svg"
expect_rc forbidden 0

# --- Every drawing is well-formed XML ------------------------------------
for svg in "$golden" "$work/golden/example.svg" "$work/pipe.svg" \
  "$work/pipe_default.svg" "$work/names/"*.svg "$work/keep/target.svg" \
  "$work/max.svg" "$work/forbidden.svg"; do
  case $svg in */drawing.svg) continue ;; esac  # a description named .svg
  xmllint --noout "$svg" || fail "xmllint rejects $svg"
done

finish
