#!/usr/bin/env python3
"""Writes the gauges' two bitmaps as uncompressed Windows BMP files.

sound.bmp:    10 x 10, 8 bits per pixel, every pixel black (the Sound gauge).
debugger.bmp: 150 x 25, 4 bits per pixel, every pixel RGB (0, 49, 0)
              (the Debugger gauge's background).
Run it again after changing either picture; its output is committed.
"""
import os
import struct
import sys


def bmp(width, height, bits, palette, index):
    row = (width * bits + 31) // 32 * 4
    pixels = bytearray()
    for _ in range(height):
        line = bytearray(row)
        for x in range(width):
            if bits == 8:
                line[x] = index
            else:
                shift = 4 if x % 2 == 0 else 0
                line[x // 2] |= index << shift
        pixels += line
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       len(palette), len(palette))
    offset = 14 + len(info) + len(colours)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + colours + bytes(pixels)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(out, "sound.bmp"), "wb") as f:
        f.write(bmp(10, 10, 8, [(0, 0, 0)] * 256, 0))
    with open(os.path.join(out, "debugger.bmp"), "wb") as f:
        f.write(bmp(150, 25, 4, [(0, 49, 0)] + [(0, 0, 0)] * 15, 0))


if __name__ == "__main__":
    main()
