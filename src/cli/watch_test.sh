#!/usr/bin/env bash
# End-to-end checks of flowsvg --watch, driven for real: the description is
# saved the way editors save (a new file renamed over the old one), each save
# gives one conversion with its time line, the drawing in place is that of
# the last save, and SIGINT or SIGTERM ends the watch with the conventional
# status and no temporary file left.
# Usage: watch_test.sh FLOWSVG SOURCE_DIR
set -u
flowsvg=$1
src=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-watch-XXXXXX")
watcher=
trap '[ -n "$watcher" ] && kill -9 "$watcher" 2>/dev/null; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"
export SOURCE_DATE_EPOCH=1700000000

describe() {  # TITLE [ITEMS]
  printf '[Flow.Steps]\n'
  for k in $(seq 1 "${2:-1}"); do printf 'itemid = %d\ntitle = %s\n' "$k" "$1"; done
}

# Saves a description as an editor does: written beside it, renamed over it.
save() {  # FILE TITLE [ITEMS]
  describe "$2" "${3:-1}" >"$1.saving"
  mv "$1.saving" "$1"
}

# Starts flowsvg in the background as a terminal would: a shell without job
# control starts background commands with SIGINT ignored, and a watch keeps
# an interruption its parent ignored, so SIGINT is put back to its default
# (Ctrl+C in a terminal reaches a program that way).
start() {  # LOG ARGS...
  local log=$1
  shift
  env --default-signal=INT "$flowsvg" "$@" 2>"$log" &
  watcher=$!
}

# Whether the watcher has ended.
ended() { ! kill -0 "$watcher" 2>/dev/null; }

# Sends the watcher SIGNAL and waits for it to end (as long as poll does);
# $rc is then its exit status.
stop() {  # SIGNAL
  kill "-$1" "$watcher"
  if ! poll ended; then
    fail "the watch did not end on SIG$1"
    kill -9 "$watcher"
  fi
  wait "$watcher"
  rc=$?
  watcher=
}

# The number of conversions the watch has reported in LOG.
conversions() { grep -c '^\[[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\] SVG file generated\. ' "$1"; }

# converted LOG N: LOG reports N conversions or more (waited for with poll).
converted() { [ "$(conversions "$1")" -ge "$2" ]; }

# --- One description, saved three times, stopped with SIGINT -------------
mkdir "$work/one"
save "$work/one/plan.txt" "First"
start "$work/one.log" --watch "$work/one/plan.txt" "$work/one/plan.svg"
poll converted "$work/one.log" 1 || fail "one: no first conversion"
for k in 2 3 4; do
  save "$work/one/plan.txt" "Save $k" "$k"
  poll converted "$work/one.log" "$k" || fail "one: save $k gave no conversion"
  grep -q ">Save $k</text>" "$work/one/plan.svg" || fail "one: plan.svg is not save $k"
done
sleep 0.3  # time for a conversion too many to show up
[ "$(conversions "$work/one.log")" -eq 4 ] ||
  fail "one: $(conversions "$work/one.log") conversions for 1 start and 3 saves"
grep -q "^\[..:..:..\] SVG file generated. File: $work/one/plan.svg, Sections: 1, Items: 4$" \
  "$work/one.log" || fail "one: no line for the last save: $(cat "$work/one.log")"
stop INT
expect_rc "one, after SIGINT" 130
"$flowsvg" -q "$work/one/plan.txt" "$work/one/again.svg"
cmp -s "$work/one/plan.svg" "$work/one/again.svg" ||
  fail "one: the watched drawing differs from a conversion of the last save"
[ "$(files_in "$work/one")" = "again.svg plan.svg plan.txt " ] ||
  fail "one: folder holds $(files_in "$work/one")"

# --- Many quick saves: the drawing in place is the last one --------------
mkdir "$work/quick"
save "$work/quick/plan.txt" "Start"
start "$work/quick.log" -q --watch "$work/quick/plan.txt"
poll test -f "$work/quick/plan.svg"
for k in $(seq 1 20); do save "$work/quick/plan.txt" "Quick $k"; done
poll grep -q '>Quick 20</text>' "$work/quick/plan.svg" ||
  fail "quick: not the last save"
stop TERM
expect_rc "quick, after SIGTERM" 143
[ -s "$work/quick.log" ] && fail "quick: -q still printed $(cat "$work/quick.log")"
[ "$(files_in "$work/quick")" = "plan.svg plan.txt " ] ||
  fail "quick: folder holds $(files_in "$work/quick")"

# --- -T png: the watch draws the picture beside the description ---------
mkdir "$work/png"
save "$work/png/plan.txt" "Picture"
start "$work/png.log" --watch -T png "$work/png/plan.txt"
poll grep -q "^\[..:..:..\] PNG file generated. File: $work/png/plan.png, Sections: 1, Items: 1$" \
  "$work/png.log" || fail "png: no first picture: $(cat "$work/png.log")"
save "$work/png/plan.txt" "Picture 2" 2
poll grep -q "PNG file generated. File: $work/png/plan.png, Sections: 1, Items: 2$" \
  "$work/png.log" || fail "png: the save gave no picture: $(cat "$work/png.log")"
stop TERM
expect_rc "png, after SIGTERM" 143
[ "$(head -c 4 "$work/png/plan.png" | od -An -c | tr -d ' ')" = 211PNG ] ||
  fail "png: plan.png is no PNG"
[ "$(files_in "$work/png")" = "plan.png plan.txt " ] ||
  fail "png: folder holds $(files_in "$work/png")"

# --- Several files: a save converts only its own, with its warnings ------
mkdir "$work/many" "$work/many/out"
save "$work/many/a.txt" "A"
save "$work/many/b.txt" "B"
start "$work/many.log" --watch --out-dir "$work/many/out" "$work/many/a.txt" \
  "$work/many/b.txt"
poll converted "$work/many.log" 2 || fail "many: no first conversions"
printf '[Flow.Steps]\nitemid = 1\ntitle = B2\nstray line\n' >"$work/many/b.saving"
mv "$work/many/b.saving" "$work/many/b.txt"
poll converted "$work/many.log" 3 || fail "many: the save of b gave no conversion"
sleep 0.3
[ "$(grep -c "File: $work/many/out/a.svg" "$work/many.log")" -eq 1 ] ||
  fail "many: a.svg converted again though a.txt did not change"
tail -2 "$work/many.log" | head -1 |
  grep -q "^\[..:..:..\] $work/many/b.txt:4: warning: \"stray line\"" ||
  fail "many: no warning before the line of b: $(tail -2 "$work/many.log")"
grep -q '>B2</text>' "$work/many/out/b.svg" || fail "many: out/b.svg is not the save"
stop INT
expect_rc "many, after SIGINT" 130

# --- The folder removed and made again -------------------------------------
# The watch says once that the description is missing, looks for the folder
# again, and converts again when the description is back; again after a
# second removal. A description missing from the start is waited for too.
mkdir "$work/gone"
save "$work/gone/plan.txt" "Before"
start "$work/gone.log" --watch -O "$work/gone/plan.txt" "$work/absent.txt"
poll converted "$work/gone.log" 1 || fail "gone: no first conversion"
waiting_line() {  # PATH
  echo "Cannot open the description file: $1 (No such file or directory); waiting for it"
}
said_waiting() {  # PATH: how many times the log says PATH is waited for
  grep -c "^\[..:..:..\] $(waiting_line "$1" | sed 's/[][\.*^$]/\\&/g')$" "$work/gone.log"
}
for round in 1 2; do
  rm -rf "$work/gone"
  poll test "$(said_waiting "$work/gone/plan.txt")" -eq "$round" ||
    fail "gone, round $round: the missing description was not said: $(cat "$work/gone.log")"
  sleep 1.2  # the folder is looked for meanwhile: no more lines
  mkdir "$work/gone"
  sleep 1.2  # back, but still without the description: no more lines
  save "$work/gone/plan.txt" "Back $round"
  poll grep -q ">Back $round</text>" "$work/gone/plan.svg" ||
    fail "gone, round $round: no conversion once the description was back"
  [ "$(said_waiting "$work/gone/plan.txt")" -eq "$round" ] ||
    fail "gone, round $round: said $(said_waiting "$work/gone/plan.txt") times"
done
[ "$(said_waiting "$work/absent.txt")" -eq 1 ] ||
  fail "gone: the absent description was said $(said_waiting "$work/absent.txt") times"
save "$work/absent.txt" "Late"
poll test -f "$work/absent.svg" || fail "gone: the late description was not converted"
stop TERM
expect_rc "gone, after SIGTERM" 143
[ "$(conversions "$work/gone.log")" -eq 4 ] ||
  fail "gone: $(conversions "$work/gone.log") conversions, expected 4: $(cat "$work/gone.log")"

# --- A folder that cannot be watched --------------------------------------
run nofolder --watch "$work/no such folder/plan.txt"
expect_rc nofolder 1
grep -qx "\[..:..:..\] Cannot watch the folder: $work/no such folder (No such file or directory)" \
  "$work/nofolder.err" || fail "nofolder: stderr was $(cat "$work/nofolder.err")"

# --- Every line a watch printed starts with the time of day ---------------
for log in "$work/"*.log "$work/nofolder.err"; do
  untimed=$(grep -v '^\[[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\] ' "$log")
  [ -z "$untimed" ] || fail "$(basename "$log"): lines without the time: $untimed"
done

finish
