#!/usr/bin/env bash
# PNG and PDF speed: flowsvg writing the largest description as PNG and PDF
# (its picture program flowsvg-picture drawing its SVG with src/raster,
# librsvg with cairo), against
# rsvg-convert drawing the same SVG (the goal: no slower) and, as a
# yardstick from another tool, Graphviz's dot -Tpng drawing a graph of the
# same size (the same 100 boxes with their titles and 15 lines each, in 20
# clusters, and an arrow for each of their 1,000 fromid links). Whole
# processes, command after command round after round
# (bench/alternate_runs.cc); the minimum of each.
# Also checks that nothing of librsvg, cairo or fontconfig is linked into
# flowsvg or its picture program: they are opened only when a picture is
# drawn.
# ROUNDS sets the rounds (default 3; a round takes about a minute).
# Exits 1 when a goal is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
rounds=${ROUNDS:-3}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DFLOWSVG_BENCH=ON -DFLOWSVG_TESTS=OFF -DFLOWSVG_DESKTOP=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" --target flowsvg flowsvg_bench \
  alternate_runs flowsvg-picture >/dev/null
bench=build-bench/bench/flowsvg_bench
flowsvg=$PWD/build-bench/src/cli/flowsvg
picture_program=$PWD/build-bench/src/lib/flowsvg/flowsvg-picture
alternate=build-bench/bench/alternate_runs
results=$PWD/build-bench/results-raster
rm -rf "$results"
mkdir -p "$results"

"$bench" --write-largest "$results/largest.txt"
"$flowsvg" -q "$results/largest.txt" "$results/largest.svg"

# The graph for dot: each item a box with its title and content lines,
# each section a cluster, an arrow from each of its fromid items.
python3 - "$results/largest.txt" >"$results/largest.dot" <<'PY'
import re, sys
sections, items, current, section = [], {}, None, None
for line in open(sys.argv[1], encoding="utf-8"):
    line = line.strip()
    m = re.match(r"^\[(.*)\]$", line)
    if m:
        section, current = m.group(1), None
        continue
    key, _, value = (part.strip() for part in line.partition("="))
    if key == "itemid":
        current = {"id": value, "from": [], "lines": [], "section": section}
        items[value] = current
        if section not in sections:
            sections.append(section)
    elif current is not None and key == "fromid":
        current["from"] = [v.strip() for v in value.split(",") if v.strip()]
    elif current is not None and key == "title":
        current["title"] = value
    elif current is not None and key and key != "image":
        current["lines"].append(f"{key}: {value}")
quote = lambda s: s.replace("\\", "\\\\").replace('"', '\\"')
print("digraph largest {\n  rankdir=LR;\n  node [shape=box, fontname=Arial];")
for k, name in enumerate(sections):
    print(f'  subgraph cluster_{k} {{\n    label="{quote(name)}";')
    for item in items.values():
        if item["section"] == name:
            label = "\\n".join([item.get("title", item["id"])] + item["lines"])
            print(f'    n{item["id"]} [label="{quote(label)}"];')
    print("  }")
for item in items.values():
    for parent in item["from"]:
        if parent in items:
            print(f'  n{parent} -> n{item["id"]};')
print("}")
PY
echo "boxes $(grep -c '\[label=' "$results/largest.dot"), arrows $(grep -c -- '->' "$results/largest.dot")"

echo "== PNG ($rounds rounds)"
"$alternate" "$rounds" \
  flowsvg-png - "$flowsvg" -q "$results/largest.txt" "$results/a.png" :: \
  rsvg-png - /usr/bin/rsvg-convert -o "$results/b.png" "$results/largest.svg" :: \
  dot-png - /usr/bin/dot -Tpng -o "$results/c.png" "$results/largest.dot" \
  | tee "$results/png.txt"
echo "== PDF ($rounds rounds)"
"$alternate" "$rounds" \
  flowsvg-pdf - "$flowsvg" -q "$results/largest.txt" "$results/a.pdf" :: \
  rsvg-pdf - /usr/bin/rsvg-convert -f pdf -o "$results/b.pdf" "$results/largest.svg" \
  | tee "$results/pdf.txt"
ls -l "$results"/a.png "$results"/b.png "$results"/c.png "$results"/a.pdf \
  "$results"/b.pdf | awk '{print $5, $NF}'
{ ldd "$flowsvg" 2>&1 || true; ldd "$picture_program"; } >"$results/ldd.txt"

python3 - "$results" <<'PY'
import sys
results = sys.argv[1]
def timings(name):
    out = {}
    for line in open(f"{results}/{name}"):
        parts = line.split()
        out[parts[-3]] = float(parts[-2])
    return out
t = {**timings("png.txt"), **timings("pdf.txt")}
goals = []
for mine, theirs in (("flowsvg-png", "rsvg-png"), ("flowsvg-pdf", "rsvg-pdf")):
    ratio = t[mine] / t[theirs]
    goals.append((f"{mine} vs {theirs}",
                  f"{t[mine] / 1e3:.0f} ms vs {t[theirs] / 1e3:.0f} ms = {ratio:.2f} x",
                  "<= 1.05 x", ratio <= 1.05))
print(f"dot -Tpng of a graph of the same size: {t['dot-png'] / 1e3:.0f} ms")
linked = [l for l in open(f"{results}/ldd.txt")
          if any(n in l for n in ("rsvg", "cairo", "fontconfig", "glib"))]
goals.append(("flowsvg and its picture program link none of librsvg, "
              "cairo, fontconfig, GLib", "none" if not linked else "".join(linked),
              "none", not linked))
print("\n== goals")
for what, figure, target, met in goals:
    print(f"{'met   ' if met else 'MISSED'}  {what}: {figure} (goal {target})")
sys.exit(0 if all(met for *_, met in goals) else 1)
PY
