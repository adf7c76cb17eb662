#!/usr/bin/env bash
# Installs what building and testing flowsvg needs on Debian 12: compilers,
# CMake, GoogleTest, Google Benchmark, GTK 3, Xvfb, a window manager
# (openbox) and the X tools the window test drives, python3-gi for its drag
# source, tesseract to read the window back, xdg-user-dirs to compare the
# documents folder with, xmllint and libxml2, Chromium for the render check,
# what the Windows build needs, Liberation Sans and fontTools for the table
# of text widths, and perf; emscripten, Node.js and npm for the browser
# page (scripts/web.sh); Boost's headers, curl and ss for the preview server;
# librsvg, cairo and fontconfig's headers, poppler's tools and Graphviz for
# PNG and PDF output, its tests and benchmarks.
# As root it runs apt-get itself; otherwise it prints the line to run.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev
  libgtest-dev libbenchmark-dev libxml2-dev libxml2-utils
  libgtk-3-dev libx11-dev xvfb xdotool wmctrl x11-utils
  openbox python3-gi gir1.2-gtk-3.0 tesseract-ocr tesseract-ocr-eng
  xdg-user-dirs
  chromium librsvg2-bin hyperfine time python3 fonts-dejavu-core
  xfsprogs acl
  # Windows: the mingw-w64 cross compiler (posix threads), GoogleTest's
  # sources, Wine to run the tests, NSIS for the installer.
  g++-mingw-w64-x86-64-posix googletest wine wine64 nsis
)
# The advance widths of Liberation Sans behind the width warnings
# (scripts/liberation_sans_widths.py), and perf for profiling the speed goals.
packages+=(fonts-liberation2 python3-fonttools linux-perf)
# The preview server: Boost.Beast and Boost.Asio (header-only, for both the
# Linux and the Windows builds); curl and ss (iproute2) for its tests.
packages+=(libboost-dev curl iproute2)

# PNG and PDF output: the headers of librsvg, cairo and fontconfig (the
# libraries themselves are opened at run time, only for PNG and PDF),
# poppler's pdfinfo, pdftotext and pdffonts to read the PDFs back in the
# tests, and Graphviz's dot as the benchmarks' yardstick for a PNG.
packages+=(librsvg2-dev libcairo2-dev libfontconfig-dev poppler-utils
  graphviz)

# Building and checking the Debian packages: dpkg-shlibdeps and
# dpkg-buildflags, lintian, the desktop entry's and metadata's validators,
# man; pgrep for the package test; bash-completion to drive flowsvg's
# completion in its test; xdg-utils (xdg-mime) to ask which program opens
# text files; the D-Bus session and AT-SPI the window test reads the
# buttons' accessible names through.
packages+=(dpkg-dev lintian desktop-file-utils appstream man-db procps
  bash-completion xdg-utils dbus at-spi2-core gir1.2-atspi-2.0)

# The browser page (scripts/web.sh): emscripten compiles the converter to
# WebAssembly; Node.js and npm fetch the page's pinned packages (web/
# package-lock.json), bundle it and run its tests (Chromium, above, is the
# browser they drive). A Node.js that is already there (as from another
# source than Debian, with its own npm) is used as it is.
packages+=(emscripten)
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi

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
