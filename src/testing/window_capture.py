#!/usr/bin/python3
"""Test helper for windows on an X display: writes a PNG of what an X window
shows, once two captures a tenth of a second apart agree (so that the
picture is not taken halfway through painting); optionally only the part X,
Y, WIDTH, HEIGHT of it, each pixel made ZOOM x ZOOM pixels (small text reads
better so). The window test of the Windows program uses it, where no helper
program can be built for the machine the test runs on.

Usage: window_capture.py WINDOW OUT.png [X Y WIDTH HEIGHT [ZOOM]]
Exit status 0 when written, 1 when the window cannot be read or never
settles.
"""
import sys
import time

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("GdkX11", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import Gdk, GdkPixbuf, GdkX11  # noqa: E402


def capture(window, part):
    width, height = window.get_width(), window.get_height()
    x, y, w, h = part if part else (0, 0, width, height)
    w = max(1, min(w, width - x))
    h = max(1, min(h, height - y))
    return Gdk.pixbuf_get_from_window(window, x, y, w, h)


def main():
    if len(sys.argv) not in (3, 7, 8):
        sys.exit("usage: window_capture.py WINDOW OUT.png [X Y W H [ZOOM]]")
    display = GdkX11.X11Display.get_default()
    if display is None:
        sys.exit("window_capture.py: no display")
    try:
        window = GdkX11.X11Window.foreign_new_for_display(
            display, int(sys.argv[1], 0))
    except TypeError:
        window = None
    if window is None:
        sys.exit("window_capture.py: no window " + sys.argv[1])
    part = [int(v) for v in sys.argv[3:7]] if len(sys.argv) >= 7 else None
    zoom = int(sys.argv[7]) if len(sys.argv) == 8 else 1

    before = capture(window, part)
    for _ in range(50):
        time.sleep(0.1)
        now = capture(window, part)
        if before is not None and now is not None and \
                before.get_pixels() == now.get_pixels():
            if zoom > 1:
                now = now.scale_simple(now.get_width() * zoom,
                                       now.get_height() * zoom,
                                       GdkPixbuf.InterpType.BILINEAR)
            now.savev(sys.argv[2], "png", [], [])
            return 0
        before = now
    sys.exit("window_capture.py: the window never settled")


if __name__ == "__main__":
    sys.exit(main())
