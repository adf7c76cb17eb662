#!/usr/bin/env bash
# Sets everything up and runs every test: the tests of a normal build
# (warnings as errors, the desktop window under Xvfb included), then the same
# tests built with AddressSanitizer and UndefinedBehaviorSanitizer, then a
# bounded fuzzing run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/setup.sh

echo "== normal build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLOWSVG_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizer build and tests (ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFLOWSVG_WERROR=ON \
  -DFLOWSVG_SANITIZE=ON -DFLOWSVG_DESKTOP=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ -f scripts/fuzz.sh ]; then
  echo "== fuzzing"
  bash scripts/fuzz.sh
fi
echo "All test runs passed."
