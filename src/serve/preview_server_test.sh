#!/usr/bin/env bash
# The preview server over real HTTP (curl) behind its test program: every
# line of its surface as one table, the listening sockets (loopback only),
# saves on disk seen as events by two pages at once, saves from a page
# written safely, the connection limit, idle connections closed while event
# streams stay open, and Ctrl+C ending it with nothing left behind.
# Usage: preview_server_test.sh PREVIEW_DRIVER SOURCE_DIR
set -u
driver=$1
src=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-serve-XXXXXX")
server=
trap '[ -n "$server" ] && kill -9 "$server" 2>/dev/null; kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

page=$work/page.html
desc=$work/folder/chart.txt
mkdir "$work/folder"
printf '<!doctype html><title>preview</title>\n' >"$page"
cp "$example" "$desc"
# An owner, group and mode of its own, which a save from the page keeps.
chown 65534:65534 "$desc" 2>/dev/null
chmod 640 "$desc"
owner_mode=$(stat -c '%u:%g %a' "$desc")

# Starts the driver as a terminal would (SIGINT at its default, as Ctrl+C
# finds it) and reads its port, IPv6 and key from its first line.
start() {  # ARGS...
  rm -f "$work/driver.out"
  env --default-signal=INT "$driver" "$@" "$page" "$desc" \
    >"$work/driver.out" 2>"$work/driver.err" &
  server=$!
  poll test -s "$work/driver.out" ||
    { fail "the driver printed nothing: $(cat "$work/driver.err")"; return 1; }
  read -r _ port _ ipv6 _ key <"$work/driver.out"
}
ended() { ! kill -0 "$server" 2>/dev/null; }
stop() {  # SIGNAL: $rc is then the driver's exit status
  kill "-$1" "$server"
  poll ended || { fail "the driver did not end on SIG$1"; kill -9 "$server"; }
  wait "$server"
  rc=$?
  server=
}

start || finish
base=http://127.0.0.1:$port
[ "$ipv6" = yes ] || echo "note: ::1 cannot be bound here; 127.0.0.1 alone serves"

# An idle connection and an event stream, opened first and looked at last:
# the one is closed after 30 s, the other is still open then.
seconds_since() { awk -v t="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.2f\n", now - t }'; }
began=$(date +%s.%N)
(
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  cat <&3 >/dev/null
  seconds_since "$began" >"$work/idle.closed"
) &
curl -sN "$base/events" >"$work/long.events" 2>/dev/null &
long_stream=$!

# --- The surface, one request a row ---------------------------------------
# HOST: ok (127.0.0.1:PORT), local (localhost:PORT), LOCAL (LOCALHOST:PORT),
#   v6 (the request to [::1]), evil (another name), port (another port),
#   none (no Host header).
# KEY: - (none), right, wrong, upper (the key in capitals), empty.
# MATCH: - (no If-Match), now (the description's ETag), stale, star (*).
# BODY: - (none), small, limit (16 MiB exactly), over (16 MiB + 1),
#   overchunked (the same, chunked, so no length is announced).
# WRITES: whether the description is then the body.
printf '[Flow.Steps]\r\nitemid = 1\r\ntitle = Saved from the page\r\n' >"$work/small"
tag_now() {
  curl -s -D - -o /dev/null "$base/description" | tr -d '\r' |
    sed -n 's/^ETag: //Ip'
}
cp "$desc" "$work/original"
cp "$work/small" "$desc"
stale_tag=$(tag_now)
cp "$work/original" "$desc"
head -c $((16 * 1024 * 1024)) /dev/zero | tr '\0' 'x' >"$work/limit"
cp "$work/limit" "$work/over"
printf 'x' >>"$work/over"

request() {  # METHOD PATH HOST KEY MATCH BODY: the status in $status
  local args=(-s -o "$work/body" -D "$work/headers" -w '%{http_code}' -X "$1")
  # A HEAD request's answer has no body to wait for.
  [ "$1" = HEAD ] && args=(-s -I -o "$work/body" -D "$work/headers" -w '%{http_code}')
  local url=$base$2
  case $3 in
    ok) ;;
    local) args+=(-H "Host: localhost:$port") ;;
    LOCAL) args+=(-H "Host: LOCALHOST:$port") ;;
    v6) url=http://[::1]:$port$2 ;;
    evil) args+=(-H "Host: evil.example:$port") ;;
    port) args+=(-H "Host: 127.0.0.1:$((port == 65535 ? 1 : port + 1))") ;;
    none) args+=(-H "Host:") ;;
  esac
  case $4 in
    right) args+=(-H "X-Flowsvg-Key: $key") ;;
    wrong) args+=(-H "X-Flowsvg-Key: 0123456789abcdef0123456789abcdef") ;;
    upper) args+=(-H "X-Flowsvg-Key: ${key^^}") ;;
    empty) args+=(-H "X-Flowsvg-Key;") ;;
  esac
  case $5 in
    now) args+=(-H "If-Match: $(tag_now)") ;;
    stale) args+=(-H "If-Match: $stale_tag") ;;
    star) args+=(-H "If-Match: *") ;;
  esac
  case $6 in
    small | limit | over) args+=(--data-binary "@$work/$6") ;;
    overchunked) args+=(-H "Transfer-Encoding: chunked" --data-binary "@$work/over") ;;
  esac
  status=$(curl "${args[@]}" "$url")
}

header() { tr -d '\r' <"$work/headers" | sed -n "s/^$1: //Ip"; }

while read -r name want method path host key_ match body writes; do
  [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
  [ "$host" = v6 ] && [ "$ipv6" != yes ] && continue
  cp "$work/original" "$desc"
  before=$(tag_now)
  request "$method" "$path" "$host" "$key_" "$match" "$body"
  [ "$status" = "$want" ] || fail "$name: status $status, expected $want"
  # What every answer carries, and what none does.
  [ "$(header Cache-Control)" = no-store ] || fail "$name: Cache-Control '$(header Cache-Control)'"
  [ "$(header X-Content-Type-Options)" = nosniff ] || fail "$name: no nosniff"
  header Content-Security-Policy | grep -q "default-src 'none'" ||
    fail "$name: Content-Security-Policy '$(header Content-Security-Policy)'"
  ! grep -qi '^Access-Control-' "$work/headers" || fail "$name: a CORS header"
  if [ "$writes" = yes ]; then
    cmp -s "$work/$body" "$desc" || fail "$name: the description is not the body"
    [ "$(header ETag)" = "$(tag_now)" ] || fail "$name: ETag '$(header ETag)' is not the file's"
    [ "$(stat -c '%u:%g %a' "$desc")" = "$owner_mode" ] ||
      fail "$name: owner and mode $(stat -c '%u:%g %a' "$desc"), expected $owner_mode"
  else
    cmp -s "$work/original" "$desc" || fail "$name: the description changed"
  fi
  case $name in
    page*) cmp -s "$page" "$work/body" || fail "$name: not the page's bytes"
      [ "$(header Content-Type)" = "text/html; charset=utf-8" ] || fail "$name: Content-Type" ;;
    description*) cmp -s "$desc" "$work/body" || fail "$name: not the description's bytes"
      [ "$(header ETag)" = "$before" ] || fail "$name: ETag '$(header ETag)', expected '$before'" ;;
    not-allowed*) [ -n "$(header Allow)" ] || fail "$name: no Allow header" ;;
  esac
done <<'EOF'
# name                 status method path          host  key   match body        writes
page                   200    GET    /             ok    -     -     -           no
page-localhost         200    GET    /             local -     -     -           no
page-LOCALHOST         200    GET    /             LOCAL -     -     -           no
page-ipv6              200    GET    /             v6    -     -     -           no
page-query             200    GET    /?x=1         ok    -     -     -           no
description            200    GET    /description  ok    -     -     -           no
description-ipv6       200    GET    /description  v6    -     -     -           no
host-other-name        421    GET    /             evil  -     -     -           no
host-other-port        421    GET    /description  port  -     -     -           no
host-missing           421    GET    /             none  -     -     -           no
put-other-name         421    PUT    /description  evil  right now   small       no
unknown-path           404    GET    /index.html   ok    -     -     -           no
unknown-subpath        404    GET    /description/ ok    -     -     -           no
unknown-put            404    PUT    /file         ok    right now   small       no
not-allowed-post       405    POST   /             ok    -     -     small       no
not-allowed-head       405    HEAD   /             ok    -     -     -           no
not-allowed-options    405    OPTIONS /description ok    -     -     -           no
not-allowed-delete     405    DELETE /description  ok    right now   -           no
not-allowed-put-page   405    PUT    /             ok    right now   small       no
not-allowed-put-events 405    PUT    /events       ok    right now   small       no
put-no-key             403    PUT    /description  ok    -     now   small       no
put-wrong-key          403    PUT    /description  ok    wrong now   small       no
put-key-in-capitals    403    PUT    /description  ok    upper now   small       no
put-empty-key          403    PUT    /description  ok    empty now   small       no
put-no-if-match        412    PUT    /description  ok    right -     small       no
put-stale-if-match     412    PUT    /description  ok    right stale small       no
put-if-match-star      412    PUT    /description  ok    right star  small       no
put-over-limit         413    PUT    /description  ok    right now   over        no
put-over-limit-chunked 413    PUT    /description  ok    right now   overchunked no
put-at-limit           204    PUT    /description  ok    right now   limit       yes
put                    204    PUT    /description  ok    right now   small       yes
put-localhost          204    PUT    /description  local right now   small       yes
put-ipv6               204    PUT    /description  v6    right now   small       yes
EOF
cp "$work/original" "$desc"

# A stale tag changes nothing and leaves no temporary file; neither does a
# save (the folder holds the description alone).
[ "$(files_in "$work/folder")" = "chart.txt " ] ||
  fail "the folder holds $(files_in "$work/folder")"

# The description gone: its bytes cannot be served, with the reason.
mv "$desc" "$work/away"
request GET /description ok - - -
[ "$status" = 500 ] || fail "description gone: status $status, expected 500"
grep -q 'No such file or directory' "$work/body" || fail "description gone: body '$(cat "$work/body")'"
mv "$work/away" "$desc"

# --- Listening on the loopback interface only -----------------------------
listening=$(ss -Hltnp | grep "pid=$server," | awk '{print $4}' | sort | tr '\n' ' ')
want="127.0.0.1:$port "
[ "$ipv6" = yes ] && want="127.0.0.1:$port [::1]:$port "
[ "$listening" = "$want" ] || fail "listening on '$listening', expected '$want'"

# --- Two pages at once: saves on disk and from a page reach both ---------
curl -sN "$base/events" >"$work/a.events" 2>/dev/null &
a=$!
curl -sN "http://localhost:$port/events" >"$work/b.events" 2>/dev/null &
b=$!
events() { grep -c '^event: change$' "$1"; }
has_tag() { grep -qxF "data: $2" "$1"; }
poll eval '[ "$(events "$work/a.events")" -ge 1 ] && [ "$(events "$work/b.events")" -ge 1 ]' ||
  fail "a new stream does not start with the description's tag"
has_tag "$work/a.events" "$(tag_now)" || fail "the first event is not the description's tag"

# Saved on disk as editors save: a new file renamed over the old one.
save_on_disk() {  # TITLE
  printf '[Flow.Steps]\r\nitemid = 1\r\ntitle = %s\r\n' "$1" >"$desc.saving"
  mv "$desc.saving" "$desc"
}
save_on_disk "Saved in an editor"
disk_tag=$(tag_now)
poll eval 'has_tag "$work/a.events" "$disk_tag" && has_tag "$work/b.events" "$disk_tag"' ||
  fail "a save on disk was not sent to both pages"

# Page A saves; page B, holding the same tag, is refused and told of A's save.
request PUT /description ok right now small
[ "$status" = 204 ] || fail "page A's save: status $status"
a_tag=$(header ETag)
poll eval 'has_tag "$work/b.events" "$a_tag"' || fail "page B was not told of page A's save"
stale_tag=$disk_tag
request PUT /description ok right stale small
[ "$status" = 412 ] || fail "page B's save on a stale tag: status $status"
# The same save seen by the watch sends nothing more.
sleep 0.5
[ "$(grep -c "^data: $a_tag\$" "$work/a.events")" -eq 1 ] ||
  fail "page A's save was announced $(grep -c "^data: $a_tag\$" "$work/a.events") times"
kill "$a" "$b" 2>/dev/null
wait "$a" "$b" 2>/dev/null

# --- At most 32 connections; one more is refused, not queued --------------
open_connections() {
  local i
  for ((i = 0; i < $1; i++)); do
    exec {fd}<>"/dev/tcp/127.0.0.1/$port"
    held+=("$fd")
  done
}
close_connections() {
  local fd
  for fd in "${held[@]}"; do exec {fd}>&-; done
  held=()
}
held=()
# The idle connection and the long event stream opened above count too.
open_connections 30
sleep 0.3
curl -s -o /dev/null -m 5 "$base/" && fail "a 33rd connection was answered"
close_connections
poll curl -sf -o /dev/null "$base/" || fail "no connection taken after the others closed"

# --- Idle connections closed after 30 s; event streams stay ---------------
wait_until() {  # SECONDS since the start of the checks above
  local left
  left=$(awk -v want="$1" -v gone="$(seconds_since "$began")" 'BEGIN { print want - gone }')
  [ "${left:0:1}" = "-" ] || sleep "$left"
}
wait_until 33
if [ -s "$work/idle.closed" ]; then
  idle=$(cat "$work/idle.closed")
  awk -v s="$idle" 'BEGIN { exit !(s >= 29.5 && s < 32) }' ||
    fail "the idle connection was closed after $idle s, expected 30"
else
  fail "the idle connection is still open after 33 s"
fi
kill -0 "$long_stream" 2>/dev/null || fail "the event stream did not stay open"
[ "$(grep -c '^:' "$work/long.events")" -ge 2 ] ||
  fail "the event stream got $(grep -c '^:' "$work/long.events") comment lines in 33 s, expected 2"

# --- Ctrl+C: the server ends, nothing is left -----------------------------
stop INT
expect_rc "after SIGINT" 130
wait "$long_stream" 2>/dev/null
ss -Hltn | awk '{print $4}' | grep -q ":$port\$" && fail "port $port still listened on after SIGINT"
[ "$(files_in "$work/folder")" = "chart.txt " ] ||
  fail "after SIGINT the folder holds $(files_in "$work/folder")"

# --- A chosen port: the one just left is had again at once; a taken one
# is refused with the reason --------------------------------------------
start --port "$port" || finish
[ "$(read -r _ p _ <"$work/driver.out"; echo "$p")" = "$port" ] || fail "--port $port not used"
"$driver" --port "$port" "$page" "$desc" >"$work/taken.out" 2>"$work/taken.err"
rc=$?
expect_rc "a port taken" 69
grep -q 'Address already in use' "$work/taken.err" || fail "a port taken: '$(cat "$work/taken.err")'"
stop TERM
expect_rc "after SIGTERM" 143

finish
