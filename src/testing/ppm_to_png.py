#!/usr/bin/env python3
"""Converts a binary PPM image (P6, 8 bits a channel) into an RGB PNG, with
the standard library only; optionally only the part X, Y, WIDTH, HEIGHT of
it, each pixel made ZOOM x ZOOM pixels (for reading small text back).

Usage: ppm_to_png.py IN.ppm OUT.png [X Y WIDTH HEIGHT [ZOOM]]
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


def crop(width, height, pixels, box, zoom):
    x, y, w, h = box
    x, y = max(0, min(x, width)), max(0, min(y, height))
    w, h = max(0, min(w, width - x)), max(0, min(h, height - y))
    rows = []
    for row in range(y, y + h):
        line = pixels[3 * (row * width + x):3 * (row * width + x + w)]
        line = b"".join(line[i:i + 3] * zoom for i in range(0, len(line), 3))
        rows.extend([line] * zoom)
    return w * zoom, h * zoom, b"".join(rows)


def main():
    if len(sys.argv) not in (3, 7, 8):
        sys.exit("usage: ppm_to_png.py IN.ppm OUT.png [X Y WIDTH HEIGHT [ZOOM]]")
    with open(sys.argv[1], "rb") as source:
        width, height, pixels = read_ppm(source.read())
    if len(sys.argv) >= 7:
        box = [int(v) for v in sys.argv[3:7]]
        zoom = int(sys.argv[7]) if len(sys.argv) == 8 else 1
        width, height, pixels = crop(width, height, pixels, box, zoom)
    with open(sys.argv[2], "wb") as out:
        out.write(png_bytes(width, height, pixels))


if __name__ == "__main__":
    main()
