#!/usr/bin/env python3
"""Packs PNG images into one Windows icon (.ico) file.

Usage: pack_ico.py OUTPUT.ico IMAGE.png...

Each PNG is stored whole, as Windows Vista and later read icons: the
directory entry gives its width and height (0 meaning 256) and the image
data is the PNG file itself.
"""
import struct
import sys


def png_size(data):
    """Width and height from a PNG's IHDR chunk."""
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG image")
    return struct.unpack(">II", data[16:24])


def pack(images):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    body = b""
    for data in images:
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise ValueError("an icon image is at most 256 pixels wide")
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0,
                               1, 32, len(data), offset + len(body))
        body += data
    return header + entries + body


def main(argv):
    if len(argv) < 3:
        sys.stderr.write("usage: pack_ico.py OUTPUT.ico IMAGE.png...\n")
        return 64
    images = []
    for name in argv[2:]:
        with open(name, "rb") as f:
            images.append(f.read())
    with open(argv[1], "wb") as f:
        f.write(pack(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
