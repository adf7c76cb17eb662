#!/usr/bin/env bash
# flowsvg.exe --watch under Wine, driven for real: a save by writing the
# file in place and a save by renaming a new file over it each give one
# conversion with its time line; the folder removed and made again is said
# once and converted again once the description is back; Ctrl+C (SIGINT,
# which Wine hands to the console control handlers) ends the watch with
# status 130, and a Ctrl+C in the midst of a large conversion leaves no
# temporary file behind.
# Usage: watch-win32_test.sh FLOWSVG_EXE SOURCE_DIR EMULATOR...
set -u
flowsvg=$1
src=$2
runner=("${@:3}")
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-watch-wine-XXXXXX")
watcher=
trap '[ -n "$watcher" ] && kill -9 "$watcher" 2>/dev/null; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"
export SOURCE_DATE_EPOCH=1700000000

describe() {  # TITLE [ITEMS]
  printf '[Flow.Steps]\r\n'
  for k in $(seq 1 "${2:-1}"); do printf 'itemid = %d\r\ntitle = %s\r\n' "$k" "$1"; done
}

# The Windows form of a path in the work folder (Z:\tmp\...).
native_work=$(windows_path "$work")
native() { local rest=${1#"$work"}; printf '%s' "$native_work${rest//\//\\}"; }

# Starts flowsvg.exe in the background with SIGINT at its default, as a
# terminal starts a program (Ctrl+C reaches it).
start() {  # LOG ARGS...
  local log=$1
  shift
  env --default-signal=INT "${runner[@]}" "$flowsvg" "$@" 2>"$log" &
  watcher=$!
}

ended() { ! kill -0 "$watcher" 2>/dev/null; }

# Ctrl+C: SIGINT to the watcher, then waits for it to end; $rc its status.
interrupt() {
  kill -INT "$watcher"
  if ! poll ended; then
    fail "the watch did not end on Ctrl+C"
    kill -9 "$watcher"
  fi
  wait "$watcher"
  rc=$?
  watcher=
}

conversions() { grep -c '^\[[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\] SVG file generated\. ' "$1"; }
converted() { [ "$(conversions "$1")" -ge "$2" ]; }

run help --help
grep -q -- '--watch' "$work/help.out" || fail "--help does not offer --watch"

# --- Saves in place and by rename, then Ctrl+C ------------------------------
mkdir "$work/one"
plan=$work/one/plan.txt
describe "First" >"$plan"
start "$work/one.log" --watch "$(native "$plan")"
# Wine's first start of a program in a prefix can take a while.
for ((i = 0; i < 3; i++)); do poll converted "$work/one.log" 1 && break; done
converted "$work/one.log" 1 || fail "one: no first conversion: $(cat "$work/one.log")"
describe "In place" 2 >"$plan"
poll grep -q '>In place</text>' "$work/one/plan.svg" || fail "one: the save in place gave no drawing"
poll converted "$work/one.log" 2 || fail "one: the save in place gave no line"
describe "Renamed" 3 >"$plan.saving"
mv "$plan.saving" "$plan"
poll grep -q '>Renamed</text>' "$work/one/plan.svg" || fail "one: the save by rename gave no drawing"
poll converted "$work/one.log" 3 || fail "one: the save by rename gave no line"
sleep 0.5  # time for a conversion too many to show up
[ "$(conversions "$work/one.log")" -eq 3 ] ||
  fail "one: $(conversions "$work/one.log") conversions for 1 start and 2 saves: $(cat "$work/one.log")"
tr -d '\r' <"$work/one.log" | tail -1 |
  grep -qxF "[$(tail -1 "$work/one.log" | cut -c2-9)] SVG file generated. File: $(native "$work/one/plan.svg"), Sections: 1, Items: 3" ||
  fail "one: the last line is $(tail -1 "$work/one.log")"
interrupt
expect_rc "one, after Ctrl+C" 130
[ "$(files_in "$work/one")" = "plan.svg plan.txt " ] ||
  fail "one: the folder holds $(files_in "$work/one")"

# --- The folder removed and made again -------------------------------------
mkdir "$work/gone"
describe "Before" >"$work/gone/plan.txt"
start "$work/gone.log" --watch -O "$(native "$work/gone/plan.txt")"
for ((i = 0; i < 3; i++)); do poll converted "$work/gone.log" 1 && break; done
waiting() { grep -c "Cannot open the description file: .*plan.txt (.*); waiting for it" "$work/gone.log"; }
for round in 1 2; do
  rm -rf "$work/gone"
  said() { [ "$(waiting)" -eq "$1" ]; }
  poll said "$round" ||
    fail "gone, round $round: the missing description was not said: $(cat "$work/gone.log")"
  sleep 1.2  # the folder is looked for meanwhile: no more lines
  mkdir "$work/gone"
  sleep 1.2  # back, but still without the description: no more lines
  describe "Back $round" >"$work/gone/plan.saving"
  mv "$work/gone/plan.saving" "$work/gone/plan.txt"
  poll grep -q ">Back $round</text>" "$work/gone/plan.svg" ||
    fail "gone, round $round: no conversion once the description was back"
  [ "$(waiting)" -eq "$round" ] || fail "gone, round $round: said $(waiting) times"
done
interrupt
expect_rc "gone, after Ctrl+C" 130
[ "$(conversions "$work/gone.log")" -eq 3 ] ||
  fail "gone: $(conversions "$work/gone.log") conversions, expected 3: $(cat "$work/gone.log")"

# --- Ctrl+C while a large description is converted ---------------------------
# Whether it comes during the conversion (the temporary file's handler ends
# the program) or during the wait after it, nothing is left but the
# description and a whole drawing.
mkdir "$work/large"
describe "Large" 4000 >"$work/large/plan.txt"
for delay in 0.05 0.2 0.5; do
  start "$work/large.log" --watch -q "$(native "$work/large/plan.txt")"
  for ((i = 0; i < 3; i++)); do poll test -f "$work/large/plan.svg" && break; done
  [ -f "$work/large/plan.svg" ] || fail "large: no first drawing: $(cat "$work/large.log")"
  describe "Large" 4000 >"$work/large/plan.saving"
  mv "$work/large/plan.saving" "$work/large/plan.txt"
  sleep "$delay"
  interrupt
  [ "$(files_in "$work/large")" = "plan.svg plan.txt " ] ||
    fail "large, Ctrl+C after $delay s: the folder holds $(files_in "$work/large")"
  tail -c 10 "$work/large/plan.svg" | grep -q '</svg>' ||
    fail "large, Ctrl+C after $delay s: the drawing is not whole"
done

# Every line a watch printed starts with the time of day.
for log in "$work/one.log" "$work/gone.log"; do
  untimed=$(grep -v '^\[[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\] ' "$log")
  [ -z "$untimed" ] || fail "$(basename "$log"): lines without the time: $untimed"
done

finish
