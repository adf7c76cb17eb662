# Helpers that the window tests (the GTK window under Xvfb, the Win32
# window under Wine) share, on top of test_support.sh. Source it after
# setting `src` (the source folder) and `work` (a scratch folder); the
# script defines its own `fail`, which ends it at the first failure.
. "$src/src/testing/test_support.sh"

pass() { echo "ok: $*"; }

# The text in the picture $1, its lines joined by spaces.
read_text() { tesseract "$1" - 2>/dev/null | tr '\n' ' ' | tr -s ' '; }

# A text as read back from the screen, for comparing: without spaces,
# slashes and line breaks (often lost or added when read), in lower case,
# with the look-alikes taken as one: "o" and "0"; "l", "1", "i" and "|";
# "(", "{" and "["; ")", "}" and "]"; "g" and "q"; "v" and "w" (as in
# ".svg" read as ".svq" or ".swg" on a busy machine).
plain() {
  tr -d ' \n/\\' <<<"$1" | tr 'A-Z' 'a-z' | tr 'o' '0' | tr 'l1|' 'iii' |
    tr '{[}]qw' '(())gv'
}

# Whether the text $1, read back from the screen, holds the word $2.
reads() { [[ "$(plain "$1")" == *"$(plain "$2")"* ]]; }

# Fails unless the text $1 holds each of the following words.
holds() {
  local text=$1 word
  shift
  for word in "$@"; do
    reads "$text" "$word" || fail "'$word' not in: $text"
  done
}

visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
gone() { ! visible "$1"; }

# Starts the program in the background (its output in $work/$1.log, the
# command after the name) and sets app_pid.
start_app() {
  local name=$1
  shift
  "$@" </dev/null >"$work/$name.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
}

# Presses keys in the active window, with no modifier left pressed.
keys() { xdotool key --clearmodifiers "$@"; }

# Waits until the program $app_pid has ended and checks its exit status.
ended_with() {
  local expected=$1 status=0
  ended() { [ ! -e "/proc/$app_pid" ] || grep -q '^[0-9]* (.*) Z' "/proc/$app_pid/stat"; }
  poll ended || fail "still running"
  wait "$app_pid" || status=$?
  [ "$status" -eq "$expected" ] || fail "exit status $status, not $expected"
}

# The drawing without its timestamp line.
strip_time() { grep -v '^<!-- Generated: ' "$1" | tr -d '\r'; }

# Starts a private display with a window manager (openbox) and exports
# DISPLAY; fails, having said why and stopped both, when the pair does not
# come up. Xvfb picks a free number and writes it to fd 3. On a machine
# shared with other displays starting and stopping, now and then the pair
# does not come up (a display that answers and is gone the next moment):
# callers try it again, three times at most.
display_ready() { xprop -root >/dev/null 2>&1; }
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_display() {
  local xvfb wm i
  rm -f "$work/display"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
    3>"$work/display" 2>"$work/xvfb.log" </dev/null &
  xvfb=$!
  pids+=("$xvfb")
  if poll test -s "$work/display"; then
    export DISPLAY=":$(cat "$work/display")"
    if poll display_ready; then
      openbox --sm-disable </dev/null >"$work/openbox.log" 2>&1 &
      wm=$!
      pids+=("$wm")
      for ((i = 0; i < 100; i++)); do
        wm_ready && return 0
        sleep 0.1
      done
      echo "openbox did not start on $DISPLAY: $(ps -o stat=,wchan=,args= -p "$wm")"
      cat "$work/openbox.log"
      kill "$wm" 2>/dev/null
    fi
  fi
  echo "Xvfb: $(cat "$work/xvfb.log")"
  kill "$xvfb" 2>/dev/null
  unset DISPLAY
  return 1
}

# Stops every process started in the background whose number is in pids.
stop_started() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

# Writes a one-box description under a path of 300 and more characters and
# sets long to its path.
make_long_description() {
  local part
  long="$work/long"
  for part in Kilometres-of-folders Across-the-whole-disk With-more-words-here \
    And-still-more-words Until-it-is-long; do
    long="$long/$part-$part-$part"
  done
  mkdir -p "$long"
  long="$long/Kilimanjaro-route.txt"
  printf '[Line.Long]\r\nitemid = 1\r\n' >"$long"
}

# Sets x, y, w and h to the place and size of window $1's client area, and
# left, right, top and bottom to the window manager's frame around it.
window_geometry() {
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF}
    /Absolute upper-left Y/ {y=$NF} /^ *Width/ {w=$NF} /^ *Height/ {h=$NF}
    END {print x, y, w, h}')
  read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
    sed 's/.*= //; s/,//g')
}

# The file: URI of the path $1.
file_uri() {
  /usr/bin/python3 -c 'import sys, urllib.parse; print("file://" + urllib.parse.quote(sys.argv[1]))' "$1"
}

# Starts a drag source (drag_source.py beside the window tests) that offers
# the URIs given, one per drag, and sets source_window to its window.
start_drag() {
  /usr/bin/python3 "$src/src/testing/drag_source.py" "$work/drag-ready" "$@" \
    </dev/null >"$work/drag.log" 2>&1 &
  pids+=("$!")
  poll test -s "$work/drag-ready" || fail "the drag source did not start"
  source_window=$(cat "$work/drag-ready")
}

# Drags the source's next URI with the mouse onto the program's $window.
drop() {
  xdotool mousemove --window "$source_window" 60 60 mousedown 1
  sleep 0.1
  xdotool mousemove --window "$source_window" 70 70
  sleep 0.1
  xdotool mousemove --window "$window" 300 300
  sleep 0.2
  xdotool mousemove --window "$window" 350 320
  sleep 0.2
  xdotool mouseup 1
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
}

# Waits until the input's path label in $window reads as each word given
# and holds an ellipsis, and sets label to what was read; fails after 20
# tries. The random folder name at a path's start is read back wrong now
# and then, so each try reads the label at three magnifications. Uses the
# caller's screenshot WINDOW OUT X Y W H ZOOM.
read_long_label() {
  local try zoom word all
  for ((try = 0; try < 20; try++)); do
    for zoom in 2 3 4; do
      screenshot "$window" "$work/label.png" 230 70 450 20 "$zoom" || break
      label=$(read_text "$work/label.png")
      all=1
      for word in "$@"; do reads "$label" "$word" || all=0; done
      [[ "$label" == *…* || "$label" == *...* ]] || all=0
      [ "$all" = 1 ] && return 0
    done
    sleep 0.2
  done
  fail "the long input label: $label"
}

# Write sample over an edited sample ($1, in the program's folder): a
# question box that holds the words after $2, where Escape and Enter (Cancel
# is the default) keep the edits and Replace writes the sample, whose bytes
# are those of $2. Uses the caller's sample_button and answer_box.
edited_sample_asks() {
  local file=$1 sample=$2
  shift 2
  printf 'Owner = me\r\n' >>"$file"
  cp "$file" "$work/edited.txt"
  sample_button
  answer_box desktop-question.png Escape || fail "no question box"
  holds "$box_text" "$@"
  cmp -s "$file" "$work/edited.txt" || fail "Escape replaced it"
  sample_button
  answer_box desktop-question.png Return || fail "no question box"
  cmp -s "$file" "$work/edited.txt" || fail "Enter replaced it"
  sample_button
  answer_box desktop-question.png shift+Tab space || fail "no question box"
  poll cmp -s "$file" "$sample" || fail "Replace did not write the sample"
  pass "edited sample: Escape and Enter keep it, Replace replaces it"
}
