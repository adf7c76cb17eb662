#!/usr/bin/env python3
"""Converts a binary PPM image (P6, 8 bits a channel) into an RGB PNG, with
the standard library only.

Usage: ppm_to_png.py IN.ppm OUT.png
"""
import struct
import sys
import zlib


def read_ppm(data):
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    magic, width, height, top = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or top != 255:
        raise ValueError("only 8-bit binary PPM images")
    pixels = data[pos + 1:pos + 1 + 3 * width * height]
    if len(pixels) != 3 * width * height:
        raise ValueError("the image is cut short")
    return width, height, pixels


def png_bytes(width, height, pixels):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    stride = 3 * width
    raw = b"".join(b"\x00" + pixels[y * stride:(y + 1) * stride]
                   for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: ppm_to_png.py IN.ppm OUT.png")
    with open(sys.argv[1], "rb") as source:
        width, height, pixels = read_ppm(source.read())
    with open(sys.argv[2], "wb") as out:
        out.write(png_bytes(width, height, pixels))


if __name__ == "__main__":
    main()
