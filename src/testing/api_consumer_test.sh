#!/usr/bin/env bash
# Installs the converter library into a temporary prefix, builds the example
# program of examples/api against it with find_package(flowsvg CONFIG), and
# checks that it draws the sample and a description with warnings exactly as
# flowsvg does for the same time (SOURCE_DATE_EPOCH), that pkg-config finds
# the same library, and that eight threads at once draw what one does.
# A sanitized build installs sanitized libraries: the example is then built
# with the same sanitizers.
# Usage: api_consumer_test.sh SOURCE_DIR BUILD_DIR FLOWSVG CXX [sanitized]
set -u
src=$1
build=$2
flowsvg=$3
cxx=$4
flags=
[ "${5:-}" = sanitized ] && flags="-fsanitize=address,undefined -fno-omit-frame-pointer"
. "$src/src/testing/test_support.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-api-XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" --component dev >"$work/install.log" 2>&1 ||
  fail "cmake --install of the library: $(tail -3 "$work/install.log")"
cmake -S "$src/examples/api" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" >"$work/configure.log" 2>&1 ||
  fail "configuring the example: $(tail -5 "$work/configure.log")"
cmake --build "$work/build" >"$work/build.log" 2>&1 ||
  fail "building the example: $(tail -5 "$work/build.log")"
example=$work/build/flowsvg_api_example

stamp="2026-12-10 09:30:00"
epoch=$(TZ=UTC date -d "$stamp" +%s)
"$example" --sample "$stamp" >"$work/api.svg" || fail "the example failed on the sample"
"$flowsvg" --sample - | SOURCE_DATE_EPOCH=$epoch "$flowsvg" -q - - >"$work/cli.svg"
cmp -s "$work/api.svg" "$work/cli.svg" || fail "the sample: the library's SVG differs from flowsvg's"

printf '[Header]\nsubtitle = A test\n[A.b]\nitemid = 1\ntitel = x\nstray \xe2\x80\xae line\n' >"$work/warned.txt"
"$example" "$stamp" <"$work/warned.txt" >"$work/api2.svg" 2>"$work/api2.err" ||
  fail "the example failed on a description with warnings"
SOURCE_DATE_EPOCH=$epoch "$flowsvg" -q - - <"$work/warned.txt" >"$work/cli2.svg"
"$flowsvg" --check - <"$work/warned.txt" >"$work/cli2.err"
cmp -s "$work/api2.svg" "$work/cli2.svg" || fail "warned description: the SVGs differ"
expect_same "warnings" "$work/api2.err" "$work/cli2.err"

"$example" --threads || fail "eight threads at once drew differently"

# pkg-config gives what a Makefile needs.
if command -v pkg-config >/dev/null; then
  printf '#include <flowsvg/flowsvg.h>\nint main() { return flowsvg::convert("[A]\\n", {"2026-12-10 09:30:00"}).svg.empty(); }\n' >"$work/tiny.cc"
  export PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig
  "$cxx" -std=c++20 $flags "$work/tiny.cc" -o "$work/tiny" \
    $(pkg-config --cflags --libs flowsvg) ||
    fail "building with pkg-config flowsvg"
  "$work/tiny" || fail "the pkg-config program drew nothing"
fi
finish
