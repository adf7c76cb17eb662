#!/usr/bin/env bash
# One command for every speed figure. Builds a Release build in build-bench,
# runs the in-process benchmarks (Google Benchmark: parse, layout, write and
# all three for the example and the largest description; reading 1, 10 and
# 100 MB files), then times whole processes, each against its yardstick,
# command after command round after round (bench/alternate_runs.cc) so that
# load from elsewhere falls on both alike, and compares the minimum of each
# (medians on a shared machine swing too much between identical runs).
# Prints the figures, checks the goals and exits 1 when one is missed:
#
#   in-process parse + layout + write, largest description   < 0.5 ms
#   flowsvg into a new file          <= 1.15 x cp of its SVG into a new file
#   flowsvg replacing an SVG, flushes included
#                                    <= 1.25 x a bare durable replacement
#   flowsvg -O of 1,000 descriptions of the example's size
#                                    <= 1.5 x cp of the 1,000 SVGs into a
#                                       fresh folder
#   flowsvg --watch, from the rename of a saved description to the new SVG
#   in place, median of 20 saves     <= 10 ms
#   flowsvg --serve, median of 20: a save on disk to the "change" event
#   at a page, a page's save (PUT) to its answer with the file replaced,
#   and the same save to the new SVG in place
#                                    <= 20 ms each
#   flowsvg --check of 1, 10, 100 MB stays linear: the 100 MB file takes at
#   most 12.5 times the 10 MB one, in each shape
#   peak resident memory of one conversion of the largest  < 8 MB
#
# Also reported, without a goal: the batch of 1,000 largest descriptions,
# and a batch that replaces its 1,000 SVGs (one flush for all).
#
# The in-process figures are taken with their files in /dev/shm (RAM-backed),
# so they show the converter's own work; the processes run on the disk of
# build-bench/results. Arguments go to the benchmark program, e.g.
#   bench/run.sh --benchmark_filter=largest
# ROUNDS sets the rounds of the single-file comparisons (default 40).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
rounds=${ROUNDS:-40}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DFLOWSVG_BENCH=ON -DFLOWSVG_TESTS=OFF -DFLOWSVG_DESKTOP=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target flowsvg flowsvg_bench \
  alternate_runs durable_replace watch_latency preview_latency >/dev/null
bench=build-bench/bench/flowsvg_bench
flowsvg=$PWD/build-bench/src/cli/flowsvg
alternate=build-bench/bench/alternate_runs
results=$PWD/build-bench/results
rm -rf "$results"
mkdir -p "$results"

ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}
echo "== in-process benchmarks (files in $ram; minimum of 10 repetitions)"
TMPDIR=$ram "$bench" --benchmark_repetitions=10 \
  --benchmark_out="$results/benchmarks.json" --benchmark_out_format=json "$@"
echo "== the whole conversion again, files on the disk ($results)"
TMPDIR=$results "$bench" --benchmark_filter='BM_Convert' \
  --benchmark_repetitions=10 --benchmark_out="$results/benchmarks-disk.json" \
  --benchmark_out_format=json >/dev/null

"$bench" --write-largest "$results/largest.txt"
"$flowsvg" -q "$results/largest.txt" "$results/largest.svg"

echo "== flowsvg into a new file vs cp into a new file ($rounds rounds)"
"$alternate" "$rounds" \
  flowsvg "rm -f $results/new.svg" "$flowsvg" -q "$results/largest.txt" "$results/new.svg" :: \
  cp "rm -f $results/copy.svg" /bin/cp "$results/largest.svg" "$results/copy.svg" \
  | tee "$results/new-file.txt"

echo "== flowsvg replacing an SVG vs a bare durable replacement ($rounds rounds)"
cp "$results/largest.svg" "$results/replaced.svg"
cp "$results/largest.svg" "$results/durable.svg"
"$alternate" "$rounds" \
  flowsvg - "$flowsvg" -q "$results/largest.txt" "$results/replaced.svg" :: \
  durable - build-bench/bench/durable_replace "$results/largest.svg" "$results/durable.svg" \
  | tee "$results/replace.txt"

# batch NAME DESCRIPTION ROUNDS: 1,000 copies of DESCRIPTION converted by
# one flowsvg -O into new SVGs beside them, against cp of those SVGs into a
# fresh folder; then the same conversion replacing the SVGs it wrote. Each
# round works in a fresh folder, and the folders of earlier rounds are only
# moved aside, not removed, until the end: ext4 makes creating files in a
# folder where many were just deleted far slower (it steps over recently
# freed inodes), which would blur both figures.
batch() {
  local name=$1 description=$2 batch_rounds=$3
  local dir=$results/batch-$name
  mkdir -p "$dir/in" "$dir/svg" "$dir/old" "$dir/work" "$dir/copy"
  echo 0 >"$dir/round"
  for k in $(seq -w 1 1000); do cp "$description" "$dir/in/d$k.txt"; done
  "$flowsvg" -q -O "$dir"/in/*.txt
  mv "$dir"/in/*.svg "$dir/svg/"
  cp "$dir"/in/*.txt "$dir/work/"  # the names the timed runs are given
  local next="n=\$((\$(cat $dir/round) + 1)); echo \$n >$dir/round"
  "$alternate" "$batch_rounds" \
    flowsvg "$next; mv $dir/work $dir/old/work\$n && mkdir $dir/work && cp $dir/in/*.txt $dir/work/" \
    "$flowsvg" -q -O "@glob:$dir/work/*.txt" :: \
    cp "mv $dir/copy $dir/old/copy\$(cat $dir/round) && mkdir $dir/copy" \
    /bin/cp "@glob:$dir/svg/*.svg" "$dir/copy/" \
    | tee "$results/batch-$name.txt"
  "$alternate" "$batch_rounds" \
    replacing - "$flowsvg" -q -O "@glob:$dir/work/*.txt" \
    | tee "$results/batch-$name-replacing.txt"
  rm -rf "$dir"
}
echo "== a batch of 1,000 descriptions of the example's size (20 rounds)"
batch example examples/sample_flowchart.txt 20
echo "== a batch of 1,000 largest descriptions (3 rounds)"
batch largest "$results/largest.txt" 3

echo "== flowsvg --watch: from the rename of a save to the new SVG in place"
mkdir -p "$results/watch"
build-bench/bench/watch_latency "$flowsvg" examples/sample_flowchart.txt \
  "$results/watch" 20 | tee "$results/watch.txt"

echo "== flowsvg --serve: a save on disk to the event at a page, a page's save to its answer and to the SVG"
mkdir -p "$results/preview"
build-bench/bench/preview_latency "$flowsvg" \
  examples/sample_flowchart.txt "$results/preview" 20 | tee "$results/preview.txt"

echo "== flowsvg --check of 1, 10 and 100 MB"
: >"$results/check.txt"
for shape in one-line one-line-utf8 comment-lines; do
  for mb in 1 10 100; do
    "$bench" --write-large "$shape" "$mb" "$results/large.txt"
    # --check exits 3 when it warns (a key line before any section).
    printf '%s %s ' "$shape" "$mb" >>"$results/check.txt"
    "$alternate" 3 check - /bin/sh -c "'$flowsvg' -q --check '$results/large.txt'; [ \$? -ne 1 ]" \
      | tee -a "$results/check.txt"
  done
done
rm -f "$results/large.txt"

echo "== peak memory"
/usr/bin/time -v "$flowsvg" -q "$results/largest.txt" "$results/largest.svg" \
  2>"$results/time.txt"
grep -E 'Maximum resident' "$results/time.txt"

python3 - "$results" <<'PY'
import json, re, sys
results = sys.argv[1]

def timings(name):
    """label -> (minimum, median) in microseconds, from alternate_runs."""
    out = {}
    for line in open(f"{results}/{name}"):
        parts = line.split()
        out[parts[-3]] = (float(parts[-2]), float(parts[-1]))
    return out

def fastest(file, name):
    """The minimum over repetitions of a benchmark, in microseconds."""
    marks = json.load(open(f"{results}/{file}"))["benchmarks"]
    scale = {"us": 1, "ms": 1e3, "ns": 1e-3}
    times = [m["real_time"] * scale[m["time_unit"]] for m in marks
             if m.get("run_name", m["name"]) == name
             and m.get("run_type") == "iteration"]
    return min(times) if times else None

goals = []
def goal(what, figure, target, met):
    goals.append((what, figure, target, met))

us = fastest("benchmarks.json", "BM_Convert/largest")
goal("in-process parse + layout + write (largest)",
     "not run" if us is None else f"{us / 1e3:.3f} ms", "< 0.5 ms",
     us is not None and us < 500)
new = timings("new-file.txt")
ratio = new["flowsvg"][0] / new["cp"][0]
goal("flowsvg into a new file vs cp into a new file",
     f"{new['flowsvg'][0] / 1e3:.2f} ms vs {new['cp'][0] / 1e3:.2f} ms = "
     f"{ratio:.2f} x", "<= 1.15 x", ratio <= 1.15)
rep = timings("replace.txt")
ratio = rep["flowsvg"][0] / rep["durable"][0]
goal("flowsvg replacing an SVG vs a bare durable replacement",
     f"{rep['flowsvg'][0] / 1e3:.2f} ms vs {rep['durable'][0] / 1e3:.2f} ms = "
     f"{ratio:.2f} x", "<= 1.25 x", ratio <= 1.25)
bat = timings("batch-example.txt")
ratio = bat["flowsvg"][0] / bat["cp"][0]
goal("flowsvg -O of 1,000 example-size descriptions vs cp of their SVGs",
     f"{bat['flowsvg'][0] / 1e3:.1f} ms vs {bat['cp'][0] / 1e3:.1f} ms = "
     f"{ratio:.2f} x", "<= 1.5 x", ratio <= 1.5)
median, low, high = (float(x) for x in open(f"{results}/watch.txt").read().split())
goal("flowsvg --watch, save to new SVG, median of 20",
     f"{median / 1e3:.2f} ms (from {low / 1e3:.2f} to {high / 1e3:.2f} ms)",
     "<= 10 ms", median <= 10000)
preview = {}
for line in open(f"{results}/preview.txt"):
    what, median, low, high = line.split()
    preview[what] = (float(median), float(low), float(high))
for what, label in (("save", "--serve: save on disk to the event at a page"),
                    ("put", "--serve: a page's save (PUT) to its answer"),
                    ("svg", "--serve: a page's save (PUT) to the SVG on disk")):
    median, low, high = preview[what]
    goal(f"{label}, median of 20",
         f"{median / 1e3:.2f} ms (from {low / 1e3:.2f} to {high / 1e3:.2f} ms)",
         "<= 20 ms", median <= 20000)
check = {}
for line in open(f"{results}/check.txt"):
    shape, mb, _, low, _ = line.split()
    check[(shape, int(mb))] = float(low)
for shape in ("one-line", "one-line-utf8", "comment-lines"):
    t1, t10, t100 = (check[(shape, mb)] for mb in (1, 10, 100))
    goal(f"flowsvg --check linear, {shape}",
         f"1 / 10 / 100 MB: {t1 / 1e3:.1f} / {t10 / 1e3:.1f} / {t100 / 1e3:.1f} ms"
         f" ({100 / (t100 / 1e6):.0f} MB/s at 100 MB)",
         "100 MB <= 12.5 x 10 MB", t100 <= 12.5 * t10)
rss_kb = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)",
                       open(f"{results}/time.txt").read()).group(1))
goal("peak resident memory of flowsvg", f"{rss_kb / 1024:.2f} MB", "< 8 MB",
     rss_kb < 8 * 1024)

print("\n== figures without a goal")
disk = fastest("benchmarks-disk.json", "BM_Convert/largest")
if disk is not None:
    print(f"in-process conversion of the largest, files on the disk: "
          f"{disk / 1e3:.3f} ms")
big = timings("batch-largest.txt")
print(f"flowsvg -O of 1,000 largest descriptions: {big['flowsvg'][0] / 1e3:.0f} ms"
      f" vs cp of their SVGs {big['cp'][0] / 1e3:.0f} ms = "
      f"{big['flowsvg'][0] / big['cp'][0]:.2f} x")
for name, label in (("batch-example-replacing.txt", "example-size"),
                    ("batch-largest-replacing.txt", "largest")):
    t = timings(name)["replacing"][0]
    print(f"flowsvg -O replacing the 1,000 {label} SVGs it wrote "
          f"(one flush for all): {t / 1e3:.0f} ms")
print("\n== goals")
for what, figure, target, met in goals:
    print(f"{'met   ' if met else 'MISSED'}  {what}: {figure} (goal {target})")
sys.exit(0 if all(met for *_, met in goals) else 1)
PY
