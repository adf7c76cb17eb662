#!/usr/bin/env bash
# flowsvg --serve driven for real over HTTP (curl): the address line once it
# listens and watches, the built-in page, loopback-only sockets, a save on
# disk seen as an event by two pages at once and converted, a save from a
# page written safely (owner and mode kept) and converted, a stale save
# refused, --open through the desktop's opener, a port already taken, and
# the ending signals leaving nothing behind. In a build without the page,
# --serve is refused as not available.
# Usage: serve_test.sh FLOWSVG SOURCE_DIR PAGE|none
set -u
flowsvg=$1
src=$2
page=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-serve-XXXXXX")
servers=()
trap 'for p in "${servers[@]}"; do kill -9 "$p" 2>/dev/null; done; kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

mkdir "$work/folder" "$work/bin"
desc=$work/folder/plan.txt
svg=$work/folder/plan.svg
cp "$example" "$desc"

if [ "$page" = none ]; then
  run unavailable --serve "$desc"
  expect_rc unavailable 64
  expect_stderr unavailable "flowsvg: --serve is not available in this build"
  [ -e "$svg" ] && fail "unavailable: $svg was written"
  finish
fi

# An owner, group and mode of their own, which a save from a page keeps.
chown 65534:65534 "$desc" 2>/dev/null
chmod 640 "$desc"
owner_mode=$(stat -c '%u:%g %a' "$desc")

# A desktop opener that records the address it is asked to open.
cat >"$work/bin/xdg-open" <<OPENER
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened"
OPENER
chmod +x "$work/bin/xdg-open"

# Starts flowsvg --serve ARGS... as a terminal would (SIGINT at its
# default, as Ctrl+C finds it) with its lines in $work/NAME.err; $server is
# its process, $address, $port and $key what its address line says.
start() {  # NAME ARGS...
  local name=$1
  shift
  PATH=$work/bin:$PATH env --default-signal=INT "$flowsvg" "$@" \
    >"$work/$name.out" 2>"$work/$name.err" &
  server=$!
  servers+=("$server")
  poll grep -qs 'Preview at ' "$work/$name.err" ||
    { fail "$name: no address line: $(cat "$work/$name.err")"; return 1; }
  local line
  line=$(grep 'Preview at ' "$work/$name.err")
  [[ $line =~ ^\[[0-9]{2}:[0-9]{2}:[0-9]{2}\]\ Preview\ at\ (http://127\.0\.0\.1:([0-9]+)/#key=([0-9a-f]{32}))$ ]] ||
    { fail "$name: address line is '$line'"; return 1; }
  address=${BASH_REMATCH[1]}
  port=${BASH_REMATCH[2]}
  key=${BASH_REMATCH[3]}
}
ended() { ! kill -0 "$server" 2>/dev/null; }
stop() {  # SIGNAL: $rc is then flowsvg's exit status
  kill "-$1" "$server"
  poll ended || { fail "flowsvg did not end on SIG$1"; kill -9 "$server"; }
  { wait "$server"; } 2>/dev/null
  rc=$?
}
tag_now() {
  curl -s -D - -o /dev/null "$base/description" | tr -d '\r' |
    sed -n 's/^ETag: //Ip'
}
has_tag() { grep -qxF "data: $2" "$1"; }

start first --serve "$desc" || finish
base=http://127.0.0.1:$port

# The line comes once the first conversion is done and the watch runs.
expect_drawing_of_example "first conversion" "$svg"
grep -q '^\[[0-9:]*\] SVG file generated. File: .*plan.svg, Sections: 1, Items: 4$' \
  "$work/first.err" || fail "no success line before the address: $(cat "$work/first.err")"

# Loopback only: 127.0.0.1 and, where it can be bound, ::1.
listening=$(ss -Hltnp | grep "pid=$server," | awk '{print $4}' | sort | tr '\n' ' ')
case "$listening" in
  "127.0.0.1:$port [::1]:$port " | "127.0.0.1:$port ") ;;
  *) fail "listening on '$listening', expected 127.0.0.1:$port and [::1]:$port only" ;;
esac

# The page built in, with its policy as a header.
curl -s -D "$work/page.headers" -o "$work/page.html" "$base/"
expect_same "GET /" "$work/page.html" "$page"
grep -qi "^Content-Security-Policy: .*connect-src 'self'" "$work/page.headers" ||
  fail "the page's policy lacks connect-src 'self': $(grep -i '^Content-Security' "$work/page.headers")"
grep -q 'data-mode="file"' "$work/page.html" || fail "the page served is not in its file mode"

# Two pages at once, on two of the names the server answers to.
curl -sN "$base/events" >"$work/a.events" 2>/dev/null &
curl -sN -H "Host: localhost:$port" "$base/events" >"$work/b.events" 2>/dev/null &
poll eval 'has_tag "$work/a.events" "$(tag_now)" && has_tag "$work/b.events" "$(tag_now)"' ||
  fail "the pages' streams did not start with the description's tag"

# A save on disk, as editors make it (a new file renamed over the old one).
sed 's/^subtitle = .*/subtitle = Saved in an editor/' "$example" >"$work/folder/.plan.txt.new"
mv "$work/folder/.plan.txt.new" "$desc"
disk_tag=$(tag_now)
poll eval 'has_tag "$work/a.events" "$disk_tag" && has_tag "$work/b.events" "$disk_tag"' ||
  fail "a save on disk did not reach both pages"
poll grep -q 'Saved in an editor' "$svg" || fail "the save on disk was not converted"

# A save from a page: written through the safe replacement (owner and mode
# kept, no temporary file left), converted, and announced to both pages.
chown 65534:65534 "$desc" 2>/dev/null
chmod 640 "$desc"
owner_mode=$(stat -c '%u:%g %a' "$desc")
sed 's/^subtitle = .*/subtitle = Saved from the page/' "$example" >"$work/body"
status=$(curl -s -o /dev/null -D "$work/put.headers" -w '%{http_code}' -X PUT \
  -H "X-Flowsvg-Key: $key" -H "If-Match: $disk_tag" --data-binary "@$work/body" \
  "$base/description")
[ "$status" = 204 ] || fail "PUT with the key and the tag: $status, expected 204"
expect_same "PUT" "$desc" "$work/body"
[ "$(stat -c '%u:%g %a' "$desc")" = "$owner_mode" ] ||
  fail "PUT: owner and mode $(stat -c '%u:%g %a' "$desc"), expected $owner_mode"
put_tag=$(tr -d '\r' <"$work/put.headers" | sed -n 's/^ETag: //Ip')
[ "$put_tag" = "$(tag_now)" ] || fail "PUT answered the tag $put_tag, the file's is $(tag_now)"
poll grep -q 'Saved from the page' "$svg" || fail "the save from the page was not converted"
poll eval 'has_tag "$work/a.events" "$put_tag" && has_tag "$work/b.events" "$put_tag"' ||
  fail "the save from the page did not reach both pages"
[ "$(files_in "$work/folder")" = "plan.svg plan.txt " ] ||
  fail "the folder holds $(files_in "$work/folder")"

# A save over a change it has not seen is refused; the file stays.
status=$(curl -s -o /dev/null -w '%{http_code}' -X PUT -H "X-Flowsvg-Key: $key" \
  -H "If-Match: $disk_tag" --data-binary "@$example" "$base/description")
[ "$status" = 412 ] || fail "PUT with a stale tag: $status, expected 412"
expect_same "stale PUT" "$desc" "$work/body"

# The port taken: the second flowsvg says so and ends with 69.
run taken --serve --port "$port" "$desc"
expect_rc taken 69
expect_stderr taken "$(grep -o '^\[[0-9:]*\] ' "$work/taken.err" | head -1)Cannot start the preview: http://127.0.0.1:$port (Address already in use)"

# Ctrl+C: 130, the port free, no temporary file, no process left.
first=$server
stop INT
[ "$rc" -eq 130 ] || fail "SIGINT: exit status $rc, expected 130"
ss -Hltn | awk '{print $4}' | grep -q ":$port\$" && fail "port $port still listened on after SIGINT"
[ "$(files_in "$work/folder")" = "plan.svg plan.txt " ] ||
  fail "after SIGINT the folder holds $(files_in "$work/folder")"
pgrep -P "$first" >/dev/null && fail "processes of flowsvg left: $(pgrep -aP "$first")"
wait  # the two event streams end with the server

# --open on the port asked for: the opener gets the printed address, and
# is reaped once it ends (no process of flowsvg's is left, not even ended).
start opened -q --serve --port "$port" --open "$desc" "$work/folder/other.svg" || finish
[ "$address" = "http://127.0.0.1:$port/#key=$key" ] || fail "--port $port: address $address"
poll test -s "$work/opened" || fail "--open: the opener was not run"
[ "$(cat "$work/opened")" = "$address" ] ||
  fail "--open: the opener got '$(cat "$work/opened")', expected '$address'"
poll eval '[ -z "$(ps --ppid "$server" -o pid=)" ]' ||
  fail "--open: the opener is left as $(ps --ppid "$server" -o pid=,stat=,comm=)"
[ "$(not_warnings "$work/opened.err")" = "$(grep 'Preview at' "$work/opened.err")" ] ||
  fail "-q --serve printed more than its address: $(cat "$work/opened.err")"
grep -q 'Saved from the page' "$work/folder/other.svg" ||
  fail "--serve INPUT OUTPUT: the drawing is not in OUTPUT"
stop TERM
[ "$rc" -eq 143 ] || fail "SIGTERM: exit status $rc, expected 143"

# Without --open no browser is started.
rm -f "$work/opened"
start quiet --serve "$desc" || finish
sleep 0.5
[ -e "$work/opened" ] && fail "without --open the opener was run"
stop HUP
[ "$rc" -eq 129 ] || fail "SIGHUP: exit status $rc, expected 129"
finish
