#!/usr/bin/env python3
"""Compares two PNG pictures of the same size pixel by pixel.

Usage: png_difference.py A B
Prints "MAX COUNT": the largest difference of one colour channel, and how
many pixels differ by more than 8 in some channel; "size" when the sizes
differ.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "testing"))
from png_pixels import read_png  # noqa: E402


def main(args):
    wa, ha, a = read_png(args[0])
    wb, hb, b = read_png(args[1])
    if (wa, ha) != (wb, hb):
        print("size")
        return 0
    largest, count = 0, 0
    for y in range(ha):
        for x in range(wa):
            d = max(abs(p - q) for p, q in zip(a(x, y), b(x, y)))
            largest = max(largest, d)
            count += d > 8
    print("%d %d" % (largest, count))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
