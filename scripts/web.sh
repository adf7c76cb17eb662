#!/usr/bin/env bash
# Builds the browser page into build-web/ (or the folder given):
#   flowsvg.html   the whole page in one file, to open from disk or any host
#   site/          the same page as index.html with its script and styles
#   npm/           the npm package flowsvg (an ES module with the converter)
# The converter is compiled to WebAssembly with Debian's emscripten
# (build-web/wasm); the page's npm packages come from web/package-lock.json.
# Usage: scripts/web.sh [OUT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-web}" && cd "${1:-$root/build-web}" && pwd)

bash "$root/scripts/setup.sh"

# Debian's emscripten runs its JavaScript tools with the node on the PATH;
# a node that is not Debian's own finds Debian's node packages (acorn) only
# through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

version=$(sed -n 's/^project(flowsvg VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")

echo "== WebAssembly (emscripten)"
emcmake cmake -S "$root/web" -B "$out/wasm" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/wasm"

echo "== npm packages (web/package-lock.json)"
# Installed again only when the lock file changed since the last install.
if ! cmp -s "$root/web/package-lock.json" \
    "$root/web/node_modules/.package-lock.json.installed" 2>/dev/null; then
  (cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$root/web/package-lock.json" "$root/web/node_modules/.package-lock.json.installed"
fi

echo "== page, site and npm package"
node "$root/web/build.mjs" "$out/wasm" "$out" "$version"
html=$out/flowsvg.html
echo "$html: $(stat -c %s "$html") bytes, $(gzip -9c "$html" | wc -c) gzipped"
