# Helpers that the end-to-end test scripts share; source it after setting
# `flowsvg` (the program under test), `src` (the source folder) and `work`
# (a scratch folder). Each check that fails prints one FAIL line and counts;
# `finish` ends the script with the verdict.

failures=0
example=$src/examples/sample_flowchart.txt
golden=$src/testdata/sample_flowchart.svg

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run NAME ARGS...: runs flowsvg with the arguments (through the command in
# the array `runner`, an emulator, when the script set one); stdout, stderr
# and the exit status land in $work/NAME.out, .err and $rc.
run() {
  local name=$1
  shift
  ${runner[@]+"${runner[@]}"} "$flowsvg" "$@" >"$work/$name.out" \
    2>"$work/$name.err"
  rc=$?
}

expect_rc() {  # NAME WANTED
  [ "$rc" -eq "$2" ] || fail "$1: exit status $rc, expected $2"
}

# The lines of a file that are not warnings about a description
# ("FILE:LINE: warning: ..." and the line counting those not shown).
not_warnings() {
  grep -Ev '^.*:[0-9]+: warning: |^.*: warning: [0-9]+ more warnings' "$1"
}

expect_stderr() {  # NAME TEXT: besides warnings, stderr is the one line TEXT
  local got
  got=$(not_warnings "$work/$1.err")
  [ "$got" = "$2" ] || fail "$1: stderr was '$got', expected '$2'"
  [ "$(not_warnings "$work/$1.err" | wc -l)" -eq 1 ] ||
    fail "$1: stderr is not one line"
}

expect_same() {  # NAME FILE1 FILE2
  cmp -s "$2" "$3" || fail "$1: $2 differs from $3"
}

# The drawing without its timestamp line (line 7, which alone may differ).
without_time() { sed 7d "$1"; }

expect_drawing_of_example() {  # NAME SVG
  if ! diff -u <(without_time "$golden") <(without_time "$2"); then
    fail "$1: drawing differs from $golden (diff above)"
  fi
  sed -n 7p "$2" | grep -Eq \
    $'^<!-- Generated: [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} -->\r$' ||
    fail "$1: timestamp line is '$(sed -n 7p "$2")'"
}

# The Windows form of a path (Z:\tmp\... under Wine): winepath run through
# `runner` when the script set one (not empty), cygpath on Windows itself.
windows_path() {
  if command -v winepath >/dev/null && [ -n "${runner[*]+set}" ]; then
    "${runner[@]}" winepath -w "$1" | tr -d '\r'
  else
    cygpath -w "$1"
  fi
}

files_in() { ls -A "$1" | tr '\n' ' '; }

# Runs the command until it succeeds, 20 seconds at most.
poll() {
  local i
  for ((i = 0; i < 200; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}
