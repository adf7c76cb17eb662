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
