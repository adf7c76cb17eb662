#!/usr/bin/env bash
# Sets everything up and runs every test: the tests of a normal build
# (warnings as errors, the desktop window under Xvfb and the Debian package
# built, installed, run and removed again included), then the browser page
# (the converter in WebAssembly, the page in headless Chromium), then the same tests
# built with AddressSanitizer and UndefinedBehaviorSanitizer, then the
# Windows build (flowsvg.exe and flowsvg-desktop.exe, their tests under Wine,
# the window on a private Xvfb display included, the zip and the installer),
# then a bounded fuzzing run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
total=0

# Runs the tests of one build folder and adds them to the total.
run_tests() {
  local dir=$1
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" | tee "$dir/ctest.log"
  total=$((total + $(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.log")))
}

bash scripts/setup.sh

# The three builds are the presets of CMakePresets.json; each gives every
# option a run depends on, so that a build folder configured otherwise
# before (tests off, say) never runs stale or missing tests.

echo "== normal build and tests"
cmake --preset normal >/dev/null
cmake --build build -j "$jobs"
run_tests build

echo "== the browser page (WebAssembly; the page in headless Chromium)"
bash scripts/web.sh build-web
# The npm package against flowsvg's bytes and warnings, the page and the
# static site in Chromium; every test is counted like CTest's.
(cd web && FLOWSVG=$PWD/../build/src/cli/flowsvg FLOWSVG_WEB=$PWD/../build-web \
  npm test 2>&1) | tee build-web/test.log | grep -E '^(not )?ok|^# (pass|fail)'
grep -q '^# fail 0$' build-web/test.log || { echo "browser page tests failed"; exit 1; }
total=$((total + $(sed -n 's/^# pass \([0-9]*\)$/\1/p' build-web/test.log)))

echo "== sanitizer build and tests (ASan + UBSan)"
cmake --preset sanitize >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_tests build-asan
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== Windows build and tests (mingw-w64; the tests under Wine)"
# A prefix of its own for each run, made by the first test (about 10 s);
# a server left from an earlier run of this folder is stopped first.
if [ -d build-win64/wineprefix ]; then
  WINEPREFIX=$PWD/build-win64/wineprefix wineserver -k 2>/dev/null || true
  rm -rf build-win64/wineprefix
fi
cmake --preset windows >/dev/null
cmake --build build-win64 -j "$jobs"
run_tests build-win64

if [ -f scripts/fuzz.sh ]; then
  echo "== fuzzing"
  bash scripts/fuzz.sh
fi
echo "All test runs passed."
echo "tests: $total passed, 0 failed"
