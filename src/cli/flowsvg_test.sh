#!/usr/bin/env bash
# End-to-end checks of the flowsvg program: exit codes, messages, "-" for
# standard input and output, default output names, failed writes that must
# leave an earlier file alone, the golden drawing of the bundled example, and
# an XML parse (xmllint) of every SVG produced.
# Usage: flowsvg_test.sh FLOWSVG SOURCE_DIR [HOLD_FILE [RUNNER...]]
# With HOLD_FILE the program is the Windows one, flowsvg.exe: it is started
# through RUNNER (the emulator: Wine's "wine" with its environment), given
# Windows paths, and its checks of what POSIX alone has (file-size limits,
# /dev/full, modes) make way for a file held open by another program.
set -u
flowsvg=$1
src=$2
holder=${3:-}
runner=("${@:4}")
windows=${holder:+yes}
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-cli-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

# The system's words for a reason, by what went wrong. Windows and Wine
# word them differently; either is accepted for the Windows program.
if [ -n "$windows" ]; then
  missing_file=("The system cannot find the file specified" "File not found")
  missing_folder=("The system cannot find the path specified" "Path not found")
  is_folder=("Access is denied" "Access denied")
else
  missing_file=("No such file or directory")
  missing_folder=("No such file or directory")
  is_folder=("Is a directory")
fi

if [ -n "$windows" ]; then
  native_work=$(windows_path "$work")
  native_src=$(windows_path "$src")
fi

# native PATH: a path under the work or source folder as the program is
# given it: as it is on POSIX, the Windows form with backslashes for
# flowsvg.exe.
native() {
  if [ -z "$windows" ]; then
    printf '%s' "$1"
    return
  fi
  local base=$src native_base=$native_src
  case $1 in "$work"*) base=$work native_base=$native_work ;; esac
  local rest=${1#"$base"}
  printf '%s' "$native_base${rest//\//\\}"
}

# NAME TEXT REASON...: stderr is the one line TEXT followed by one of the
# reasons in parentheses.
expect_error() {
  local name=$1 text=$2 got reason
  shift 2
  got=$(not_warnings "$work/$name.err")
  for reason in "$@"; do
    [ "$got" = "$text ($reason)" ] && return
  done
  fail "$name: stderr was '$got', expected '$text (${1:-})'"
}

# The program with what starts it.
program=("${runner[@]}" "$flowsvg")

# --- The golden drawing of the bundled example --------------------------
mkdir "$work/golden"
run golden "$(native "$example")" "$(native "$work/golden/example.svg")"
expect_rc golden 0
expect_stderr golden "SVG file generated. File: $(native \
  "$work/golden/example.svg"), Sections: 1, Items: 4"
expect_drawing_of_example golden "$work/golden/example.svg"
[ -s "$work/golden.out" ] && fail "golden: wrote to standard output"

# The bundled example gives exactly the warnings true of it, before the
# success line: its shortened Note value, and its line 41 (the second part of
# the summary line, after the CR inside it) with no "=".
shown_example=$(native "$example")
cat >"$work/golden.expected" <<EOF
$shown_example:13: warning: the value of "Note" is shown cut short as "Confirm the order with th..."; a box line holds 28 characters, key and ":" included (a character above U+FFFF counts as two)
$shown_example:41: warning: "Dates are examples only" is no section line, comment or key = value line; the line is ignored
SVG file generated. File: $(native "$work/golden/example.svg"), Sections: 1, Items: 4
EOF
diff -u "$work/golden.expected" "$work/golden.err" || fail "golden: warnings differ"
run golden_quiet -q "$(native "$example")" "$(native "$work/golden/quiet.svg")"
expect_rc golden_quiet 0
[ -s "$work/golden_quiet.err" ] && fail "golden_quiet: -q still printed"

# --- The sample description is the bundled example ----------------------
run sample --sample "$(native "$work/sample.txt")"
expect_rc sample 0
expect_same sample "$work/sample.txt" "$example"
run sample_stdout --sample -
expect_rc sample_stdout 0
expect_same sample_stdout "$work/sample_stdout.out" "$example"

# --- Standard input and output -------------------------------------------
"${program[@]}" - - <"$example" >"$work/pipe.svg" 2>"$work/pipe.err"
rc=$?
expect_rc pipe 0
expect_drawing_of_example pipe "$work/pipe.svg"
# A closed standard input is an input that cannot be opened, not an empty one.
"${program[@]}" - "$(native "$work/closed.svg")" <&- >"$work/closed.out" \
  2>"$work/closed.err"
rc=$?
expect_rc closed 1
# Windows starts a program without a standard input handle ("The handle is
# invalid"); Wine hands one over that GetFileType refuses ("Invalid
# function"). Both fail as the closed descriptor does on POSIX.
expect_error closed "Cannot open the description file: -" \
  "Bad file descriptor" "The handle is invalid" "Invalid function"
[ -e "$work/closed.svg" ] && fail "closed: wrote a drawing"
expect_stderr pipe "SVG file generated. File: -, Sections: 1, Items: 4"
cat "$example" | "${program[@]}" -q - >"$work/pipe_default.svg" \
  2>"$work/pipe_default.err"
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
  run names -q "$(native "$work/names/$input")"
  expect_rc "names $input" 0
  [ -f "$work/names/$output" ] || fail "names: $input did not give $output"
  [ -s "$work/names.err" ] && fail "names $input: -q still printed"
done
expect_same "names: input kept" "$work/names/drawing.svg" "$example"

# --- The input cannot be opened: 1 --------------------------------------
run missing_input "$(native "$work/no such file.txt")" \
  "$(native "$work/missing.svg")"
expect_rc missing_input 1
expect_error missing_input "Cannot open the description file: $(native \
  "$work/no such file.txt")" "${missing_file[@]}"
[ -e "$work/missing.svg" ] && fail "missing_input: an output was written"
run folder_input "$(native "$work/names")"
expect_rc folder_input 1
expect_error folder_input "Cannot open the description file: $(native \
  "$work/names")" "${is_folder[@]}"

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
  if [ -z "$windows" ] && [ -w /dev/full ]; then
    "$flowsvg" $args >/dev/full 2>/dev/null
    rc=$?
    expect_rc "$args into a full output" 2
  fi
  "${program[@]}" $args >&- 2>/dev/null
  rc=$?
  expect_rc "$args into a closed output" 2
done

# --- The output cannot be written: 2, earlier file left as it was -------
mkdir "$work/keep"
printf 'earlier drawing\r\n' >"$work/keep/target.svg"
cp "$work/keep/target.svg" "$work/earlier.bak"
run missing_folder "$(native "$example")" "$(native "$work/no folder/target.svg")"
expect_rc missing_folder 2
expect_error missing_folder "Cannot create the SVG file: $(native \
  "$work/no folder/target.svg")" "${missing_folder[@]}"
run sample_missing --sample "$(native "$work/no folder/sample.txt")"
expect_rc sample_missing 2
expect_error sample_missing "Cannot create the sample file: $(native \
  "$work/no folder/sample.txt")" "${missing_folder[@]}"
if [ -n "$windows" ]; then
  # Another program holds the file open without letting it be replaced:
  # after a second of retries, 2, and the file and its folder as they were.
  mkfifo "$work/hold.in"
  "${runner[@]}" "$holder" "$(native "$work/keep/target.svg")" \
    <"$work/hold.in" >"$work/hold.out" 2>&1 &
  holding=$!
  exec 9>"$work/hold.in"
  poll grep -q held "$work/hold.out" || fail "hold: $(cat "$work/hold.out")"
  for what in drawing sample; do
    if [ $what = drawing ]; then
      run locked "$(native "$example")" "$(native "$work/keep/target.svg")"
      caption="Cannot create the SVG file"
    else
      run locked --sample "$(native "$work/keep/target.svg")"
      caption="Cannot create the sample file"
    fi
    expect_rc "locked $what" 2
    expect_stderr locked \
      "$caption: $(native "$work/keep/target.svg") (locked by another program)"
    expect_same "locked $what" "$work/keep/target.svg" "$work/earlier.bak"
    [ "$(files_in "$work/keep")" = "target.svg " ] ||
      fail "locked $what: folder holds $(files_in "$work/keep")"
  done
  exec 9>&-
  wait "$holding"
else
  # What Windows does not have: file-size limits and /dev/full.
  # A file-size limit of 2 KiB makes writing the 6 KB drawing fail part-way.
  # The program itself turns the limit's SIGXFSZ into an ordinary write
  # error.
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
  if [ -w /dev/full ]; then
    "$flowsvg" "$example" - >/dev/full 2>"$work/full.err"
    rc=$?
    expect_rc full 2
    expect_stderr full "Cannot create the SVG file: - (No space left on device)"
  fi
fi

# --- A replaced file keeps its permission bits (POSIX) -------------------
[ -z "$windows" ] && chmod 640 "$work/keep/target.svg"
run replace -q "$(native "$example")" "$(native "$work/keep/target.svg")"
expect_rc replace 0
expect_drawing_of_example replace "$work/keep/target.svg"
[ -z "$windows" ] && { [ "$(stat -c %a "$work/keep/target.svg")" = 640 ] ||
  fail "replace: mode is $(stat -c %a "$work/keep/target.svg")"; }
[ "$(files_in "$work/keep")" = "target.svg " ] ||
  fail "replace: folder holds $(files_in "$work/keep")"

# --- The output is the input under another name: 2, input untouched ------
# (file_safety_test.sh checks this and more on POSIX.)
if [ -n "$windows" ]; then
  cp "$example" "$work/same.txt"
  # File names on Windows ignore case, and "/" separates as "\\" does.
  run same "$(native "$work/same.txt")" "$native_work/SAME.TXT"
  expect_rc same 2
  expect_stderr same \
    "Cannot create the SVG file: $native_work/SAME.TXT (it is the input file)"
  expect_same same "$work/same.txt" "$example"
fi

# --- Wildcards -------------------------------------------------------------
# Windows' shells leave "*" and "?" to the program: flowsvg.exe expands them
# in the file part of every description argument, in every mode, letters in
# either case, in name order, before its outputs are named; folders are no
# matches, and a pattern that matches nothing is exit status 1. POSIX shells
# expand them themselves: there a "*" that arrives is part of a name.
mkdir -p "$work/wild/sub" "$work/wild/d.txt" "$work/wild/out"
for name in b.txt A.txt c.TXT notes.txt.bak page.html sub/z.txt sub/y.txt; do
  cp "$example" "$work/wild/$name"
done
# The outputs a run's success lines name, in the order printed.
written() {
  not_warnings "$work/$1.err" |
    sed -n 's/^SVG file generated. File: \(.*\), Sections: 1, Items: 4$/\1/p' |
    tr '\n' ' '
}
cd "$work/wild" || fail "no folder $work/wild"
if [ -n "$windows" ]; then
  usage_line="usage: flowsvg [-q] INPUT [OUTPUT] | flowsvg [-q] [-j N] (-O | --out-dir DIR) FILE... | flowsvg [-q] --check FILE... | flowsvg [-q] --watch (INPUT [OUTPUT] | -O FILE... | --out-dir DIR FILE...) | flowsvg --sample PATH | flowsvg --help | flowsvg --version"
  # --serve is in it where the build has the browser page.
  run help_before --help
  if grep -q -- --serve "$work/help_before.out"; then
    usage_line=${usage_line/"| flowsvg --sample"/"| flowsvg [-q] --serve [--port N] [--open] INPUT [OUTPUT] | flowsvg --sample"}
  fi
  set -f  # the patterns reach the program as they are, as from cmd.exe
  while IFS='|' read -r name args status printed; do
    # shellcheck disable=SC2086  # the words are the arguments
    run "wild_$name" $args
    expect_rc "wildcards $name ($args)" "$status"
    if [ "$status" -eq 0 ]; then
      [ "$(written "wild_$name")" = "$printed" ] ||
        fail "wildcards $name: wrote '$(written "wild_$name")', expected '$printed'"
    else
      [ "$(not_warnings "$work/wild_$name.err")" = "${printed//USAGE/$usage_line}" ] ||
        fail "wildcards $name: stderr '$(cat "$work/wild_$name.err")', expected '$printed'"
    fi
  done <<'CASES'
beside|-O *.txt|0|A.svg b.svg c.svg 
out_dir|--out-dir out sub\*.txt *.txt|0|out/y.svg out/z.svg out/A.svg out/b.svg out/c.svg 
single_one|B*.TXT named.svg|0|named.svg 
single_many|?.t?t|64|flowsvg: ?.t?t matches 3 files, but INPUT is one file (-O or --out-dir convert many); USAGE
no_match|-O sub\*.txt *.svgz|1|Cannot open the description file: *.svgz (no file matches)
short_names|--check *.htm|1|Cannot open the description file: *.htm (no file matches)
watch|--watch *.ini|1|Cannot open the description file: *.ini (no file matches)
CASES
  set +f
  [ -e sub/y.svg ] && fail "wildcards no_match: converted before refusing"
  # --check reads the files in name order, letters in either case.
  run wild_check --check '*.TXT'
  expect_rc "wildcards --check" 3
  [ "$(cut -d: -f1 "$work/wild_check.out" | uniq | tr '\n' ' ')" = "A.txt b.txt c.TXT " ] ||
    fail "wildcards --check read: $(cut -d: -f1 "$work/wild_check.out" | uniq)"
  # "/?" is the help, and the help offers --watch.
  run slash_help '/?'
  expect_rc "/?" 0
  run help --help
  cmp -s "$work/slash_help.out" "$work/help.out" || fail "/? is not the help"
  grep -q -- --watch "$work/help.out" || fail "the help does not offer --watch"
else
  run wild_literal -O '*.txt'
  expect_rc "wildcards literal" 1
  expect_error wild_literal "Cannot open the description file: *.txt" \
    "${missing_file[@]}"
fi
cd "$work" || fail "no folder $work"

# --- Descriptions saved by Windows editors ------------------------------
# With a UTF-8 byte-order mark, or in UTF-16 of either byte order with its
# mark, the example gives the same drawing and the same warnings as itself.
mkdir "$work/saved"
printf '\xef\xbb\xbf' | cat - "$example" >"$work/saved/utf8-bom.txt"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$example"; } >"$work/saved/utf16le.txt"
{ printf '\xfe\xff'; iconv -f UTF-8 -t UTF-16BE "$example"; } >"$work/saved/utf16be.txt"
for form in utf8-bom utf16le utf16be; do
  run saved "$(native "$work/saved/$form.txt")" "$(native "$work/saved/$form.svg")"
  expect_rc "saved as $form" 0
  expect_drawing_of_example "saved as $form" "$work/saved/$form.svg"
  shown_input=$(native "$work/saved/$form.txt")
  while IFS= read -r line; do
    case $line in
      "$shown_example":*) echo "$shown_input${line#"$shown_example"}" ;;
      *) echo "SVG file generated. File: $(native "$work/saved/$form.svg"), Sections: 1, Items: 4" ;;
    esac
  done <"$work/golden.expected" >"$work/saved.expected"
  tr -d '\r' <"$work/saved.err" | diff -u "$work/saved.expected" - ||
    fail "saved as $form: the warnings differ from the example's"
done

# --- Two inputs, one new SVG: the second is refused, named --------------
# Spelled differently, the two outputs are one file; on Windows names that
# differ only in letter case are one file too, on POSIX two.
mkdir -p "$work/clash/sub"
for case in "a.txt:sub/../a.ini:one" "b.txt:./B.INI:two"; do
  IFS=: read -r first second on_posix <<<"$case"
  rm -f "$work/clash/"*.*
  printf '[Header]\nsubtitle = FROM-1\n' >"$work/clash/$first"
  printf '[Header]\nsubtitle = FROM-2\n' >"$work/clash/${second##*/}"
  first_out=$work/clash/${first%.*}.svg
  second_out=$work/clash/${second%.*}.svg
  run clash -O "$(native "$work/clash/$first")" "$(native "$work/clash/$second")"
  if [ -z "$windows" ] && [ "$on_posix" = two ]; then
    expect_rc "clash $second" 0
    [ -f "$first_out" ] && [ -f "$second_out" ] ||
      fail "clash $second: folder holds $(files_in "$work/clash")"
    continue
  fi
  expect_rc "clash $second" 2
  {
    echo "SVG file generated. File: $(native "$first_out"), Sections: 0, Items: 0"
    echo "Cannot create the SVG file: $(native "$second_out") (it is also the output of $(native "$work/clash/$first"))"
  } >"$work/clash.expected"
  tr -d '\r' <"$work/clash.err" | diff -u "$work/clash.expected" - ||
    fail "clash $second: stderr differs"
  grep -q FROM-1 "$first_out" || fail "clash $second: the drawing is not the first one's"
done

# --- Nothing a terminal would act on is printed raw ----------------------
# A file name that starts with "-" is an unknown option; it is shown with its
# controls, bidirectional marks and separators escaped, on one line.
run escape_option $'-\e]0;PWNED\a\e[2J\nfake line.txt'
expect_rc escape_option 64
case $(cat "$work/escape_option.err") in
  'flowsvg: unknown option -\x1b]0;PWNED\x07\x1b[2J\x0afake line.txt; usage: flowsvg '*) ;;
  *) fail "escape_option: stderr was $(cat -v "$work/escape_option.err")" ;;
esac
[ "$(wc -l <"$work/escape_option.err")" -eq 1 ] || fail "escape_option: not one line"
# A name with a C1 control and a right-to-left override; a description line
# with a bidirectional isolate and a line separator in a warning.
run escape_name "$(native "$work/x")"$'\xc2\x85\xe2\x80\xaegpj.txt'
expect_rc escape_name 1
expect_error escape_name "Cannot open the description file: $(native "$work/x")"'\u0085\u202Egpj.txt' \
  "${missing_file[@]}"
printf '[Flow.Steps]\nitemid = 1\ntitle: \xe2\x81\xa6x\xe2\x80\xa8y\n' >"$work/escape.txt"
run escape_warning --check "$(native "$work/escape.txt")"
expect_rc escape_warning 3
[ "$(tr -d '\r' <"$work/escape_warning.out")" = "$(native "$work/escape.txt"):3: warning: \"title: \\u2066x\\u2028y\" is no section line, comment or key = value line; the line is ignored (did you mean \"title = \\u2066x\\u2028y\"?)" ] ||
  fail "escape_warning: stdout was $(cat "$work/escape_warning.out")"

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
run max "$(native "$work/max.txt")" "$(native "$work/max.svg")"
expect_rc max 0
expect_stderr max "SVG file generated. File: $(native "$work/max.svg"), Sections: 20, Items: 100"

# --- Characters XML forbids become U+FFFD --------------------------------
run forbidden "$(native "$src/testdata/forbidden_characters.txt")" \
  "$(native "$work/forbidden.svg")"
expect_rc forbidden 0

# --- PNG and PDF where the build has them not (Windows) ------------------
# Asked by extension or by -T, they are a usage error that says where to
# get them; nothing is written, and the SVG path is as before.
if [ -n "$windows" ]; then
  unavailable="PNG and PDF output are not available in this build; the browser page's Download PNG and Print give them"
  cp "$example" "$work/pictures.txt"
  printf 'earlier\r\n' >"$work/pictures.png"
  for args in "pictures.txt pictures.png" "pictures.txt pictures.PDF" \
    "-T png pictures.txt -" "-T pdf -O pictures.txt"; do
    # shellcheck disable=SC2086  # the words are the arguments
    (cd "$work" && ${runner[@]+"${runner[@]}"} "$flowsvg" $args) \
      >"$work/pictures.out" 2>"$work/pictures.err"
    rc=$?
    expect_rc "pictures ($args)" 64
    expect_stderr pictures "$unavailable"
    [ ! -s "$work/pictures.out" ] || fail "pictures ($args): wrote to standard output"
  done
  [ "$(cat "$work/pictures.png")" = $'earlier\r' ] || fail "pictures: the earlier PNG changed"
  [ ! -e "$work/pictures.PDF" ] || fail "pictures: a PDF was written"
  (cd "$work" && ${runner[@]+"${runner[@]}"} "$flowsvg" -q -T svg pictures.txt pictures.svg)
  rc=$?
  expect_rc "pictures: -T svg" 0
  expect_drawing_of_example "pictures: -T svg" "$work/pictures.svg"
fi

# --- Every drawing is well-formed XML ------------------------------------
for svg in "$golden" "$work/golden/example.svg" "$work/pipe.svg" \
  "$work/pipe_default.svg" "$work/names/"*.svg "$work/keep/target.svg" \
  "$work/max.svg" "$work/forbidden.svg"; do
  case $svg in */drawing.svg) continue ;; esac  # a description named .svg
  xmllint --noout "$svg" || fail "xmllint rejects $svg"
done

finish
