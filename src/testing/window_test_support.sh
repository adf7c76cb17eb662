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
# with the look-alikes "o" and "0", and "l", "1", "i" and "|", taken as one.
plain() { tr -d ' \n/\\' <<<"$1" | tr 'A-Z' 'a-z' | tr 'o' '0' | tr 'l1|' 'iii'; }

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
