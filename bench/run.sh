#!/usr/bin/env bash
# One command for every speed figure: builds a Release build in build-bench,
# runs the benchmarks (parse, layout, write and all three for the example and
# the largest description; reading 1, 10 and 100 MB files), then times the
# whole flowsvg process converting the largest description against cp
# copying the SVG it writes (hyperfine, side by side in one run) and measures
# its peak memory (/usr/bin/time -v). Prints the figures, checks the goals
# and exits 1 when one is missed:
#   flowsvg process                    <= 2 x cp of its SVG
#   in-process parse + layout + write  <  1 ms for the largest description
#   peak resident memory of flowsvg    <  8 MB
# The in-process figures are taken with their files in /dev/shm (RAM-backed),
# so they show the converter's own work; the conversion is also timed on the
# disk, where replacing the output adds the file system's write-back.
# Arguments are passed to the benchmark program, for example
#   bench/run.sh --benchmark_filter=largest
# Results stay in build-bench/results/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DFLOWSVG_BENCH=ON -DFLOWSVG_TESTS=OFF -DFLOWSVG_DESKTOP=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target flowsvg flowsvg_bench >/dev/null
bench=build-bench/bench/flowsvg_bench
flowsvg=build-bench/src/cli/flowsvg
results=build-bench/results
rm -rf "$results"
mkdir -p "$results"

# In-process figures are our own code's cost: their files live in RAM-backed
# storage (/dev/shm), so no figure includes the disk's write-back. The whole
# conversion is measured once more on the disk, for comparison.
ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}
echo "== benchmarks (files in $ram)"
TMPDIR=$ram "$bench" --benchmark_out="$results/benchmarks.json" \
  --benchmark_out_format=json "$@"
echo "== the whole conversion again, files on the disk ($results)"
TMPDIR=$(pwd)/$results "$bench" --benchmark_filter='BM_Convert' \
  --benchmark_out="$results/benchmarks-disk.json" --benchmark_out_format=json

echo "== whole process: flowsvg converting the largest description vs cp"
"$bench" --write-largest "$results/largest.txt"
"$flowsvg" -q "$results/largest.txt" "$results/largest.svg"
hyperfine -N --warmup 30 --min-runs 300 --export-json "$results/hyperfine.json" \
  "$flowsvg -q $results/largest.txt $results/largest.svg" \
  "cp $results/largest.svg $results/copy.svg"

echo "== peak memory"
/usr/bin/time -v "$flowsvg" -q "$results/largest.txt" "$results/largest.svg" \
  2>"$results/time.txt"
grep -E 'Maximum resident' "$results/time.txt"

python3 - "$results" <<'PY'
import json, re, sys
results = sys.argv[1]
marks = json.load(open(f"{results}/benchmarks.json"))["benchmarks"]
convert = next((m for m in marks if m["name"] == "BM_Convert/largest"), None)
runs = json.load(open(f"{results}/hyperfine.json"))["results"]
flowsvg_s, cp_s = runs[0]["mean"], runs[1]["mean"]
rss_kb = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)",
                       open(f"{results}/time.txt").read()).group(1))
goals = [
    ("flowsvg process vs cp of its SVG", f"{flowsvg_s * 1e3:.2f} ms vs "
     f"{cp_s * 1e3:.2f} ms = {flowsvg_s / cp_s:.2f} x", "<= 2 x",
     flowsvg_s <= 2 * cp_s),
    ("peak resident memory of flowsvg", f"{rss_kb / 1024:.2f} MB", "< 8 MB",
     rss_kb < 8 * 1024),
]
if convert is None:
    goals.append(("in-process convert (largest)", "not run", "< 1 ms", False))
else:
    us = convert["real_time"] * {"us": 1, "ms": 1e3, "ns": 1e-3}[convert["time_unit"]]
    goals.append(("in-process parse + layout + write (largest)",
                  f"{us / 1e3:.3f} ms", "< 1 ms", us < 1000))
disk = json.load(open(f"{results}/benchmarks-disk.json"))["benchmarks"]
on_disk = next((m for m in disk if m["name"] == "BM_Convert/largest"), None)
if on_disk is not None:
    us = on_disk["real_time"] * {"us": 1, "ms": 1e3, "ns": 1e-3}[on_disk["time_unit"]]
    print(f"(for comparison: the same conversion with its files on the disk "
          f"takes {us / 1e3:.3f} ms)")
print("\n== goals")
for what, figure, goal, met in goals:
    print(f"{'met   ' if met else 'MISSED'}  {what}: {figure} (goal {goal})")
sys.exit(0 if all(met for *_, met in goals) else 1)
PY
