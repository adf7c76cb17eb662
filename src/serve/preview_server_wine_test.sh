#!/usr/bin/env bash
# The preview server built for Windows, run under Wine and reached from
# Linux with curl over the loopback port: the page, the description and its
# ETag, a Host of another site refused, a save from a page written into the
# file and announced to two event streams at once, a save without the key
# refused, the sockets on the loopback interface only, and Ctrl+C (SIGINT,
# which Wine hands to the console control handlers) ending it with 130 and
# the port given back.
# Usage: preview_server_wine_test.sh PREVIEW_DRIVER_EXE SOURCE_DIR EMULATOR...
set -u
driver=$1
src=$2
runner=("${@:3}")
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-serve-wine-XXXXXX")
server=
trap '[ -n "$server" ] && kill -9 "$server" 2>/dev/null; kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

page=$work/page.html
desc=$work/chart.txt
printf '<!doctype html><title>preview</title>\n' >"$page"
cp "$example" "$desc"

# Started as a terminal starts it (Ctrl+C reaches it as SIGINT); it serves
# and watches the description's folder until then.
env --default-signal=INT "${runner[@]}" "$driver" "$(windows_path "$page")" \
  "$(windows_path "$desc")" </dev/null >"$work/driver.out" 2>"$work/driver.err" &
server=$!
# Wine's first start of a program in a prefix can take a while.
for ((i = 0; i < 600; i++)); do
  [ -s "$work/driver.out" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
# A Windows program's line ends in CR LF.
if ! read -r _ port _ ipv6 _ key < <(tr -d '\r' <"$work/driver.out") ||
  [ -z "$key" ]; then
  fail "the driver printed no port: $(cat "$work/driver.err")"
  finish
fi
base=http://127.0.0.1:$port
[ "$ipv6" = yes ] || echo "note: ::1 cannot be bound here; 127.0.0.1 alone serves"

get() {  # URL [CURL ARGS...]: the status in $status, headers and body in $work
  status=$(curl -s -o "$work/body" -D "$work/headers" -w '%{http_code}' "${@:2}" "$1")
}
header() { tr -d '\r' <"$work/headers" | sed -n "s/^$1: //Ip"; }

get "$base/"
[ "$status" = 200 ] || fail "GET /: status $status"
cmp -s "$page" "$work/body" || fail "GET /: not the page's bytes"
[ "$(header Cache-Control)" = no-store ] || fail "GET /: Cache-Control '$(header Cache-Control)'"
[ "$(header X-Content-Type-Options)" = nosniff ] || fail "GET /: no nosniff"
[ -n "$(header Content-Security-Policy)" ] || fail "GET /: no Content-Security-Policy"

get "$base/description"
[ "$status" = 200 ] || fail "GET /description: status $status"
cmp -s "$desc" "$work/body" || fail "GET /description: not the description's bytes"
tag=$(header ETag)
[[ $tag == \"*\" ]] || fail "GET /description: ETag '$tag'"

get "$base/" -H "Host: evil.example:$port"
[ "$status" = 421 ] || fail "another site's Host: status $status, expected 421"

if [ "$ipv6" = yes ]; then
  get "http://[::1]:$port/description"
  [ "$status" = 200 ] || fail "GET /description over ::1: status $status"
fi

# Two pages listen; one saves.
curl -sN "$base/events" >"$work/a.events" 2>/dev/null &
a=$!
curl -sN "http://localhost:$port/events" >"$work/b.events" 2>/dev/null &
b=$!
has_tag() { grep -qxF "data: $2" "$1"; }
poll eval 'has_tag "$work/a.events" "$tag" && has_tag "$work/b.events" "$tag"' ||
  fail "the event streams did not start with the description's tag"

printf '[Flow.Steps]\r\nitemid = 1\r\ntitle = Saved from the page\r\n' >"$work/saved"
get "$base/description" -X PUT --data-binary "@$work/saved" -H "If-Match: $tag"
[ "$status" = 403 ] || fail "a save without the key: status $status, expected 403"
get "$base/description" -X PUT --data-binary "@$work/saved" \
  -H "X-Flowsvg-Key: $key" -H "If-Match: $tag"
[ "$status" = 204 ] || fail "a save with the key: status $status, expected 204"
cmp -s "$work/saved" "$desc" || fail "the description is not what the page saved"
new_tag=$(header ETag)
[ -n "$new_tag" ] && [ "$new_tag" != "$tag" ] || fail "the save's ETag '$new_tag'"
poll eval 'has_tag "$work/a.events" "$new_tag" && has_tag "$work/b.events" "$new_tag"' ||
  fail "the save was not announced to both pages"
[ "$(files_in "$work")" = "a.events b.events body chart.txt driver.err driver.out headers page.html saved " ] ||
  fail "the folder holds $(files_in "$work")"

# Listening on the loopback interface only.
listening=$(ss -Hltn | awk '{print $4}' | grep ":$port\$" | sort | tr '\n' ' ')
want="127.0.0.1:$port "
[ "$ipv6" = yes ] && want="127.0.0.1:$port [::1]:$port "
[ "$listening" = "$want" ] || fail "listening on '$listening', expected '$want'"

# Ctrl+C: it stops, the streams end, the port is free.
kill -INT "$server"
poll eval '! kill -0 "$server" 2>/dev/null' || fail "the driver did not end on Ctrl+C"
wait "$server"
rc=$?
server=
expect_rc "the driver's end on Ctrl+C" 130
poll eval '! kill -0 "$a" 2>/dev/null && ! kill -0 "$b" 2>/dev/null' ||
  fail "the event streams stayed open after the server stopped"
ss -Hltn | grep -q ":$port\$" && fail "port $port still listened on"

finish
