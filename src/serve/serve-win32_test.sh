#!/usr/bin/env bash
# flowsvg.exe --serve under Wine, reached from Linux with curl over the
# loopback port: the address line, the page built in, the description's
# bytes, a save on disk (by rename) converted and sent to the page's event
# stream, a page's save (PUT with the key) written and converted, the
# sockets on the loopback interface only, and Ctrl+C ending it with 130, the
# port free and nothing left beside the description and its drawing. A
# build without the page refuses --serve as not available.
# Usage: serve-win32_test.sh FLOWSVG_EXE SOURCE_DIR PAGE|none EMULATOR...
set -u
flowsvg=$1
src=$2
page=$3
runner=("${@:4}")
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-serve-wine-XXXXXX")
server=
trap '[ -n "$server" ] && kill -9 "$server" 2>/dev/null; kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

mkdir "$work/folder"
desc=$work/folder/plan.txt
svg=$work/folder/plan.svg
printf '[Line.One]\r\nitemid = 1\r\ntitle = Served\r\n' >"$desc"
native_desc=$(windows_path "$desc")

if [ "$page" = none ]; then
  run unavailable --serve "$native_desc"
  expect_rc unavailable 64
  grep -q -- '--serve is not available in this build' "$work/unavailable.err" ||
    fail "unavailable: stderr was $(cat "$work/unavailable.err")"
  finish
fi

# Started as a terminal starts it (Ctrl+C reaches it as SIGINT).
env --default-signal=INT "${runner[@]}" "$flowsvg" --serve "$native_desc" \
  >"$work/serve.out" 2>"$work/serve.err" &
server=$!
# Wine's first start of a program in a prefix can take a while.
for ((i = 0; i < 3; i++)); do poll grep -qs 'Preview at ' "$work/serve.err" && break; done
line=$(grep 'Preview at ' "$work/serve.err" | tr -d '\r')
if ! [[ $line =~ ^\[[0-9]{2}:[0-9]{2}:[0-9]{2}\]\ Preview\ at\ http://127\.0\.0\.1:([0-9]+)/#key=([0-9a-f]{32})$ ]]; then
  fail "no address line: $(cat "$work/serve.err")"
  finish
fi
port=${BASH_REMATCH[1]}
key=${BASH_REMATCH[2]}
base=http://127.0.0.1:$port
grep -q '>Served</text>' "$svg" || fail "the drawing was not written before the address line"

get() {  # URL [CURL ARGS...]: the status in $status, headers and body in $work
  status=$(curl -s -o "$work/body" -D "$work/headers" -w '%{http_code}' "${@:2}" "$1")
}
header() { tr -d '\r' <"$work/headers" | sed -n "s/^$1: //Ip"; }
has_tag() { grep -qxF "data: $2" "$1"; }

get "$base/"
[ "$status" = 200 ] || fail "GET /: status $status"
cmp -s "$page" "$work/body" || fail "GET /: not the page built in"
get "$base/description"
[ "$status" = 200 ] || fail "GET /description: status $status"
cmp -s "$desc" "$work/body" || fail "GET /description: not the description's bytes"
tag=$(header ETag)

# A page listens; the description is saved on disk as editors save it.
curl -sN "$base/events" >"$work/events" 2>/dev/null &
poll has_tag "$work/events" "$tag" || fail "the event stream did not start with the tag"
printf '[Line.One]\r\nitemid = 1\r\ntitle = Saved on disk\r\n' >"$desc.saving"
mv "$desc.saving" "$desc"
poll grep -q '>Saved on disk</text>' "$svg" || fail "the save on disk was not converted"
get "$base/description"
disk_tag=$(header ETag)
[ "$disk_tag" != "$tag" ] || fail "the ETag did not change with the save"
poll has_tag "$work/events" "$disk_tag" || fail "the save on disk was not sent to the page"

# A page's save: written into the file, then converted as any save.
printf '[Line.One]\r\nitemid = 1\r\ntitle = Saved in the page\r\n' >"$work/put"
get "$base/description" -X PUT --data-binary "@$work/put" \
  -H "X-Flowsvg-Key: $key" -H "If-Match: $disk_tag"
[ "$status" = 204 ] || fail "PUT with the key: status $status"
cmp -s "$work/put" "$desc" || fail "PUT: the file is not what the page saved"
poll grep -q '>Saved in the page</text>' "$svg" || fail "the page's save was not converted"

listening=$(ss -Hltn | awk '{print $4}' | grep ":$port\$" | sort | tr '\n' ' ')
case $listening in
  "127.0.0.1:$port " | "127.0.0.1:$port [::1]:$port ") ;;
  *) fail "listening on '$listening'" ;;
esac

kill -INT "$server"
poll eval '! kill -0 "$server" 2>/dev/null' || fail "--serve did not end on Ctrl+C"
wait "$server"
rc=$?
server=
expect_rc "--serve, after Ctrl+C" 130
ss -Hltn | grep -q ":$port\$" && fail "port $port still listened on"
[ "$(files_in "$work/folder")" = "plan.svg plan.txt " ] ||
  fail "the folder holds $(files_in "$work/folder")"

finish
