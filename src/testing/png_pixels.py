#!/usr/bin/env python3
"""Checks pixels of a PNG screenshot against colour ranges.

Usage: png_pixels.py FILE WIDTH HEIGHT PROBE...
A probe is "label:x,y:r0-r1,g0-g1,b0-b1". Prints one line per probe and
exits 1 when the size or any pixel is off. Decodes 8-bit RGB or RGBA PNGs
without interlacing, with the standard library's zlib only.
"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError("unsupported PNG: depth %d colour %d interlace %d"
                         % (depth, colour, interlace))
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            upper_left = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - upper_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                pred = left if pa <= pb and pa <= pc else (
                    up if pb <= pc else upper_left)
                line[i] = (line[i] + pred) & 255
        rows.append(line)
        previous = line
    return width, height, lambda x, y: tuple(rows[y][x * step:x * step + 3])


def main(args):
    path, want_width, want_height = args[0], int(args[1]), int(args[2])
    width, height, pixel = read_png(path)
    ok = (width, height) == (want_width, want_height)
    print("size %dx%d (expected %dx%d)" % (width, height, want_width,
                                          want_height))
    for probe in args[3:]:
        label, point, ranges = probe.split(":")
        x, y = (int(v) for v in point.split(","))
        limits = [tuple(int(v) for v in r.split("-")) for r in ranges.split(",")]
        rgb = pixel(x, y)
        good = all(lo <= c <= hi for c, (lo, hi) in zip(rgb, limits))
        ok = ok and good
        print("%s %s at %d,%d: rgb%s, wanted %s" % (
            "ok  " if good else "FAIL", label, x, y, rgb, ranges))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
