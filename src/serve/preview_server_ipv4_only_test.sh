#!/usr/bin/env bash
# Where ::1 cannot be bound (IPv6 off on the loopback interface), the
# preview server serves on 127.0.0.1 alone, and says so; a chosen port too.
# Run in a network namespace of its own (root and unshare needed; skipped,
# exit 77, where they are not to be had), so that the machine's own
# interfaces are left as they are.
# Usage: preview_server_ipv4_only_test.sh PREVIEW_DRIVER SOURCE_DIR
set -u
driver=$1
src=$2
if [ "${IN_NAMESPACE:-}" != yes ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare -n true 2>/dev/null; then
    echo "skipped: no network namespace can be made here"
    exit 77
  fi
  exec env IN_NAMESPACE=yes unshare -n bash "$0" "$@"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-serve-v4-XXXXXX")
server=
trap '[ -n "$server" ] && kill -9 "$server" 2>/dev/null; rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

ip link set lo up
sysctl -qw net.ipv6.conf.lo.disable_ipv6=1 ||
  { echo "skipped: IPv6 cannot be turned off here"; exit 77; }

page=$work/page.html
printf '<!doctype html><title>preview</title>\n' >"$page"
cp "$example" "$work/chart.txt"

for chosen in "" 8123; do
  : >"$work/driver.out"
  "$driver" ${chosen:+--port "$chosen"} "$page" "$work/chart.txt" \
    >"$work/driver.out" 2>"$work/driver.err" &
  server=$!
  poll test -s "$work/driver.out" ||
    { fail "port '$chosen': the driver printed nothing: $(cat "$work/driver.err")"; continue; }
  read -r _ port _ ipv6 _ key <"$work/driver.out"
  [ -z "$chosen" ] || [ "$port" = "$chosen" ] || fail "--port $chosen: port $port"
  [ "$ipv6" = no ] || fail "port '$chosen': says ::1 is served"
  listening=$(ss -Hltn | awk '{print $4}' | sort | tr '\n' ' ')
  [ "$listening" = "127.0.0.1:$port " ] ||
    fail "port '$chosen': listening on '$listening', expected 127.0.0.1:$port alone"
  status=$(curl -s -o "$work/body" -w '%{http_code}' "http://127.0.0.1:$port/description")
  [ "$status" = 200 ] || fail "port '$chosen': GET /description: status $status"
  cmp -s "$work/chart.txt" "$work/body" || fail "port '$chosen': not the description's bytes"
  kill -TERM "$server"
  wait "$server"
  server=
done

finish
