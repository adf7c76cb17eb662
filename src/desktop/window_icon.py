#!/usr/bin/python3
"""Test helper for the GTK window's icon: reads the icon a window offers the
window manager (its _NET_WM_ICON property, through xprop), and makes and
reads PNG images to compare it with.

Usage:
  window_icon.py sizes WINDOW          the sizes of its images: "16 32 ..."
  window_icon.py pixel WINDOW SIZE     the centre pixel of its SIZE image,
                                       as RRGGBBAA
  window_icon.py png-pixel PNG         the centre pixel of a PNG, RRGGBBAA
  window_icon.py solid PNG SIZE RRGGBB writes a SIZE x SIZE PNG of one colour
"""
import subprocess
import sys

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf  # noqa: E402


def images(window):
    """The window's icon images as (size, ARGB values) pairs."""
    shown = subprocess.run(
        ["xprop", "-id", window, "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON"],
        check=True, capture_output=True, text=True).stdout
    if "=" not in shown:
        return []
    values = [int(v) for v in shown.split("=", 1)[1].split(",")]
    found, at = [], 0
    while at + 2 <= len(values):
        width, height = values[at], values[at + 1]
        found.append((width, values[at + 2:at + 2 + width * height]))
        at += 2 + width * height
    return found


def main():
    command = sys.argv[1]
    if command == "sizes":
        print(" ".join(str(size) for size, _ in images(sys.argv[2])))
    elif command == "pixel":
        size = int(sys.argv[3])
        for width, argb in images(sys.argv[2]):
            if width == size:
                value = argb[(size // 2) * size + size // 2]
                print("%06x%02x" % (value & 0xFFFFFF, value >> 24))
                return 0
        return 1
    elif command == "png-pixel":
        image = GdkPixbuf.Pixbuf.new_from_file(sys.argv[2])
        pixels = image.get_pixels()
        x, y = image.get_width() // 2, image.get_height() // 2
        at = y * image.get_rowstride() + x * image.get_n_channels()
        channels = list(pixels[at:at + image.get_n_channels()]) + [255]
        print("%02x%02x%02x%02x" % tuple(channels[:4]))
    elif command == "solid":
        size, colour = int(sys.argv[3]), int(sys.argv[4], 16)
        image = GdkPixbuf.Pixbuf.new(GdkPixbuf.Colorspace.RGB, True, 8, size,
                                     size)
        image.fill((colour << 8) | 0xFF)
        image.savev(sys.argv[2], "png", [], [])
    else:
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
