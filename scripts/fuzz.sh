#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, ASan + UBSan), replays
# each target's seed corpus and saved findings (fuzz/corpus/, fuzz/regressions/)
# through CTest, then fuzzes every target for a bounded time, all targets at
# once. Fails on any finding: a crash, a sanitizer report, a broken check, a
# leak or an input that runs over 10 seconds. The input that caused it is left
# under build-fuzz/findings/<target>/; copy it into fuzz/regressions/<target>/
# with a name that says what it shows, and it is replayed from then on.
#
# FUZZ_SECONDS sets the fuzzing time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DFLOWSVG_FUZZ=ON -DFLOWSVG_TESTS=OFF \
  -DFLOWSVG_DESKTOP=OFF -DFLOWSVG_SANITIZE=OFF -DFLOWSVG_BENCH=OFF >/dev/null
# target, largest input, extra options
targets=(
  "fuzz_description 4096 -dict=fuzz/fuzz_description.dict"
  "fuzz_strings 1024"
  "fuzz_lines 16384"
)
names=()
for entry in "${targets[@]}"; do
  read -r name _ <<<"$entry"
  names+=("$name")
done
cmake --build build-fuzz -j "$(nproc)" --target "${names[@]}"

echo "-- replaying seed corpus and saved findings"
ctest --test-dir build-fuzz/fuzz --output-on-failure

echo "-- fuzzing each target for ${seconds} s"
pids=()
for entry in "${targets[@]}"; do
  read -r name max_len options <<<"$entry"
  mkdir -p "build-fuzz/corpus/$name" "build-fuzz/findings/$name" build-fuzz/logs
  # shellcheck disable=SC2086 # options is a list of flags
  build-fuzz/fuzz/"$name" -max_total_time="$seconds" -max_len="$max_len" \
    -timeout=10 -print_final_stats=1 ${options:-} \
    -artifact_prefix="build-fuzz/findings/$name/" \
    "build-fuzz/corpus/$name" "fuzz/corpus/$name" \
    >"build-fuzz/logs/$name.log" 2>&1 &
  pids+=($!)
done

failed=0
for k in "${!names[@]}"; do
  name=${names[$k]}
  if wait "${pids[$k]}"; then
    runs=$(grep -m1 '^stat::number_of_executed_units' "build-fuzz/logs/$name.log" |
      awk '{print $2}')
    echo "$name: no finding in ${runs:-?} runs"
  else
    failed=1
    echo "$name: FINDING (log build-fuzz/logs/$name.log)" >&2
    grep -E 'ERROR|FUZZ CHECK FAILED|SUMMARY|^#|Test unit written' \
      "build-fuzz/logs/$name.log" | tail -n 20 >&2
    ls "build-fuzz/findings/$name" >&2
  fi
done
exit "$failed"
