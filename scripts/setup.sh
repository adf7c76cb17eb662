#!/usr/bin/env bash
# Installs what building and testing flowsvg needs on Debian 12: compilers,
# CMake, GoogleTest, Google Benchmark, wxWidgets, Xvfb and the X tools the
# window test drives, xmllint and libxml2, Chromium for the render check.
# As root it runs apt-get itself; otherwise it prints the line to run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev
  libgtest-dev libbenchmark-dev libxml2-dev libxml2-utils
  libwxgtk3.2-dev libx11-dev xvfb xdotool wmctrl x11-utils
  chromium librsvg2-bin hyperfine time python3 fonts-dejavu-core
  xfsprogs acl
)

# Building and checking the Debian package: dpkg-shlibdeps and
# dpkg-buildflags, lintian, the desktop entry's and metadata's validators,
# man; pgrep for the package test.
packages+=(dpkg-dev lintian desktop-file-utils appstream man-db procps)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
