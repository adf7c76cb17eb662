#!/usr/bin/env bash
# Sets everything up, builds flowsvg and converts the bundled example
# description to SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target flowsvg
mkdir -p out
build/src/cli/flowsvg examples/sample_flowchart.txt out/sample_flowchart.svg
echo "SVG written to: $(pwd)/out/sample_flowchart.svg"
