#!/usr/bin/env python3
"""Draws the program's bitmaps (toolbar strip, default POI symbol) and
writes them as 24-bit BMP files beside this script.

Run it again after changing a drawing; the BMP files are committed."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

PALETTE = {
    '.': None,               # background (light grey on the toolbar)
    'k': (0, 0, 0),
    'w': (255, 255, 255),
    'y': (240, 200, 60),     # folder
    'o': (180, 130, 30),     # folder edge
    'b': (40, 80, 180),      # floppy
    'g': (160, 160, 160),
    'r': (200, 30, 30),
    'G': (30, 150, 60),
    'd': (100, 60, 30),      # door
}

OPEN = [
    "................",
    "................",
    "................",
    ".oooo...........",
    ".oyyyo..........",
    ".oyyyyoooooo....",
    ".oyyyyyyyyyo....",
    ".oyyoooooooooo..",
    ".oyoyyyyyyyyyo..",
    ".oyoyyyyyyyyo...",
    ".ooyyyyyyyyyo...",
    ".ooyyyyyyyyo....",
    ".oooooooooooo...",
    "................",
    "................",
    "................",
]

APPEND = [
    "...........GG...",
    "...........GG...",
    ".........GGGGGG.",
    ".oooo....GGGGGG.",
    ".oyyyo.....GG...",
    ".oyyyyoooooGGo..",
    ".oyyyyyyyyyo....",
    ".oyyoooooooooo..",
    ".oyoyyyyyyyyyo..",
    ".oyoyyyyyyyyo...",
    ".ooyyyyyyyyyo...",
    ".ooyyyyyyyyo....",
    ".oooooooooooo...",
    "................",
    "................",
    "................",
]

SAVE = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbbwwwwwwwwbbk.",
    ".kbbwwwwwwwwbbk.",
    ".kbbwwwwwwwwbbk.",
    ".kbbwwwwwwwwbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbggggggggbbk.",
    ".kbbggkkggggbbk.",
    ".kbbggkkggggbbk.",
    ".kbbggkkggggbbk.",
    ".kbbggggggggbbk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]

CIRCLE = [
    "................",
    ".....kkkkkk.....",
    "...kk......kk...",
    "..k..........k..",
    "..k..........k..",
    ".k............k.",
    ".k.....rr.....k.",
    ".k....rrrr....k.",
    ".k....rrrr....k.",
    ".k.....rr.....k.",
    ".k............k.",
    "..k..........k..",
    "..k..........k..",
    "...kk......kk...",
    ".....kkkkkk.....",
    "................",
]

EXIT = [
    "................",
    "..kkkkkkkk......",
    "..kddddddk......",
    "..kddddddk......",
    "..kddddddk...r..",
    "..kddddddk...rr.",
    "..kddddddrrrrrrr",
    "..kddddwdrrrrrrr",
    "..kddddddk...rr.",
    "..kddddddk...r..",
    "..kddddddk......",
    "..kddddddk......",
    "..kddddddk......",
    "..kkkkkkkk......",
    "................",
    "................",
]


def write_bmp(name, pixels, width, height):
    """pixels[y][x] = (r, g, b), top row first."""
    row_size = (width * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixels[y][x]
            row += bytes((b, g, r))
        row += b'\0' * (row_size - len(row))
        data += row
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(header + info + data)


def render(rows, background, scale=1):
    out = []
    for row in rows:
        line = []
        for ch in row:
            colour = PALETTE[ch] or background
            line += [colour] * scale
        for _ in range(scale):
            out.append(list(line))
    return out


def main():
    grey = (192, 192, 192)
    images = [OPEN, APPEND, SAVE, CIRCLE, EXIT]
    strip = [[] for _ in range(16)]
    for image in images:
        rendered = render(image, grey)
        for y in range(16):
            strip[y] += rendered[y]
    write_bmp('toolbar_30101.bmp', strip, 80, 16)
    # The window icon, nodalux_icon.bmp, is drawn by icons/make_icons.py.
    # The default POI symbol: a red pin on white, the size overlays use.
    pin = [row[:] for row in render(CIRCLE, (255, 255, 255))]
    symbol = [[(255, 255, 255)] * 22 for _ in range(22)]
    for y in range(16):
        for x in range(16):
            symbol[y + 3][x + 3] = pin[y][x]
    write_bmp('default_symbol.bmp', symbol, 22, 22)


if __name__ == '__main__':
    main()
