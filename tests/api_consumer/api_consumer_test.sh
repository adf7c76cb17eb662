#!/usr/bin/env bash
# Installs the converter core (cmake --install, component dev) into a
# temporary prefix, builds two programs against it as any other program
# would (tests/api_consumer with find_package(flowsvg CONFIG REQUIRED); the
# README's example with pkg-config), and checks what they convert against
# the flowsvg program, with SOURCE_DATE_EPOCH giving the same time.
# Usage: api_consumer_test.sh BUILD_DIR SOURCE_DIR FLOWSVG CXX [CXXFLAGS...]
set -u
build=$1
src=$2
flowsvg=$3
cxx=$4
shift 4
flags="$*"
work=
. "$src/src/testing/test_support.sh"
pass() { echo "ok: $*"; }
cleanup() { [ -n "$work" ] && rm -rf "$work"; }
trap cleanup EXIT
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-api-XXXXXX")

cmake --install "$build" --component dev --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install of the core"; finish; }
for f in include/flowsvg/flowsvg.h lib/libflowsvg.a lib/cmake/flowsvg/flowsvgConfig.cmake \
  lib/pkgconfig/flowsvg.pc; do
  [ -f "$work/prefix/$f" ] || fail "installed: $f"
done
pass "installed: the header, libflowsvg.a, the CMake package and flowsvg.pc"

cmake -S "$src/tests/api_consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "find_package(flowsvg CONFIG REQUIRED)"; finish; }
cmake --build "$work/consumer" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "building against flowsvg::core"; finish; }
pass "a program of its own builds against flowsvg::core"

# The same moment for both: SOURCE_DATE_EPOCH counts UTC seconds.
epoch=1796895000
stamp=$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
(cd "$work" && "$flowsvg" --sample sample.txt >/dev/null &&
  SOURCE_DATE_EPOCH=$epoch "$flowsvg" sample.txt sample.svg 2>warnings.all >/dev/null)
grep ': warning: ' "$work/warnings.all" >"$work/warnings.txt" || true
[ -s "$work/sample.svg" ] || fail "flowsvg drew the sample"
"$work/consumer/api_consumer" "$stamp" "$work/sample.svg" "$work/warnings.txt" ||
  fail "the consumer's checks"
pass "the sample as flowsvg draws it; eight descriptions on eight threads as one at a time"

# shellcheck disable=SC2046
PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig "$cxx" -std=c++20 $flags \
  "$src/tests/api_consumer/readme_example.cc" -o "$work/readme_example" \
  $(PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig pkg-config --cflags --libs flowsvg) ||
  fail "the README's example builds with pkg-config"
"$work/readme_example" >"$work/readme.svg" 2>"$work/readme.err" || fail "the README's example runs"
[ "$(sed -n '7p' "$work/readme.svg")" = $'<!-- Generated: 2026-12-10 09:30:00 -->\r' ] ||
  fail "the README's example stamps its time: $(sed -n '7p' "$work/readme.svg")"
cmp -s "$work/readme.err" "$work/warnings.txt" ||
  fail "the README's example prints the warnings as flowsvg does"
pass "the README's example builds with pkg-config and prints what flowsvg prints"
finish
