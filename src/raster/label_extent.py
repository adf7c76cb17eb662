#!/usr/bin/env python3
"""Measures how far text reaches across a picture, left and right.

Usage: label_extent.py FILE X0 X1 Y0 Y1
Prints "LEFT RIGHT": the first and last column in X0..X1 that holds, in rows
Y0..Y1, a pixel of dark text (red below 200 on a pale ground, anti-aliased
edges included); "none" when there is none.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "testing"))
from png_pixels import read_png  # noqa: E402


def main(args):
    path = args[0]
    x0, x1, y0, y1 = (int(v) for v in args[1:5])
    _, _, pixel = read_png(path)
    columns = [x for x in range(x0, x1 + 1)
               if any(pixel(x, y)[0] < 200 for y in range(y0, y1 + 1))]
    print("%d %d" % (columns[0], columns[-1]) if columns else "none")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
