#!/usr/bin/env python3
"""Draws the desktop icon, a map pin over the circle that picks the group,
and writes it as SVG and as PNG at the sizes desktops ask for.

One list of shapes feeds both: the SVG is written from it and the PNGs are
rasterised from it here (supersampled, no libraries needed), so the two
never drift apart. Small sizes drop the POI dots and widen the thin lines so
that they stay visible.

The 32-pixel drawing is also the main window's icon, nodalux_icon.bmp in the
folder above, so the window and the menu entry look alike.

Run it again after changing the drawing; the output files are committed."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
NAME = 'org.nodalux.Nodalux'
SIZES = (16, 32, 48, 64, 128, 256)
UNITS = 256  # the drawing's own coordinate range

AREA_CENTRE = (128.0, 146.0)
AREA_RADIUS = 100.0
HEAD_CENTRE = (128.0, 70.0)
HEAD_RADIUS = 48.0

COLOURS = {
    'area': (216, 236, 248, 255),
    'ring': (47, 109, 181, 255),
    'inside': (29, 63, 110, 255),
    'outside': (140, 150, 162, 255),
    'shadow': (0, 0, 0, 70),
    'pin_edge': (142, 16, 32, 255),
    'pin': (215, 38, 61, 255),
    'hole': (255, 255, 255, 255),
}
INSIDE_DOTS = ((70, 172), (176, 196), (196, 150), (104, 214))
OUTSIDE_DOTS = ((28, 40), (230, 34))
DOT_RADIUS = 9.0


def pin(scale):
    """The pin's head and tip, grown by `scale` about the head's centre."""
    r = HEAD_RADIUS * scale
    tip = (AREA_CENTRE[0], HEAD_CENTRE[1] + (AREA_CENTRE[1] - HEAD_CENTRE[1]) * scale)
    return r, tip


def shapes(size):
    """Layers, bottom first: (kind, colour, geometry)."""
    px = UNITS / size  # one target pixel in drawing units
    ring = max(10.0, 1.25 * px)
    edge = max(4.0, 0.75 * px)
    out = [
        ('disc', 'area', (AREA_CENTRE, AREA_RADIUS)),
        ('ring', 'ring', (AREA_CENTRE, AREA_RADIUS, ring)),
    ]
    if size > 32:
        out += [('disc', 'inside', (c, DOT_RADIUS)) for c in INSIDE_DOTS]
        out += [('disc', 'outside', (c, DOT_RADIUS)) for c in OUTSIDE_DOTS]
        out.append(('ellipse', 'shadow', (AREA_CENTRE, 18.0, 6.0)))
    out.append(('pin', 'pin_edge', pin((HEAD_RADIUS + edge) / HEAD_RADIUS)))
    out.append(('pin', 'pin', pin(1.0)))
    out.append(('disc', 'hole', (HEAD_CENTRE, max(18.0, 1.5 * px))))
    return out


def pin_corners(r, tip):
    """Where the pin's straight sides touch its head."""
    cx, cy = HEAD_CENTRE
    d = tip[1] - cy
    a = math.acos(r / d)
    return (cx - r * math.sin(a), cy + r * math.cos(a)), (cx + r * math.sin(a), cy + r * math.cos(a))


def inside(kind, geometry, x, y):
    if kind == 'disc':
        (cx, cy), r = geometry
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == 'ring':
        (cx, cy), r, w = geometry
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        return (r - w / 2) ** 2 <= d2 <= (r + w / 2) ** 2
    if kind == 'ellipse':
        (cx, cy), rx, ry = geometry
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1
    if kind == 'pin':
        r, tip = geometry
        cx, cy = HEAD_CENTRE
        if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
            return True
        left, right = pin_corners(r, tip)
        return in_triangle((x, y), tip, left, right)
    raise ValueError(kind)


def in_triangle(p, a, b, c):
    def side(p1, p2, p3):
        return (p1[0] - p3[0]) * (p2[1] - p3[1]) - (p2[0] - p3[0]) * (p1[1] - p3[1])
    d1, d2, d3 = side(p, a, b), side(p, b, c), side(p, c, a)
    negative = d1 < 0 or d2 < 0 or d3 < 0
    positive = d1 > 0 or d2 > 0 or d3 > 0
    return not (negative and positive)


def bounds(kind, geometry):
    """A box in drawing units that holds the shape, to skip far pixels."""
    if kind in ('disc', 'ring'):
        (cx, cy), r = geometry[0], geometry[1]
        grow = geometry[2] / 2 if kind == 'ring' else 0
        return cx - r - grow, cy - r - grow, cx + r + grow, cy + r + grow
    if kind == 'ellipse':
        (cx, cy), rx, ry = geometry
        return cx - rx, cy - ry, cx + rx, cy + ry
    r, tip = geometry
    cx, cy = HEAD_CENTRE
    return cx - r, cy - r, cx + r, tip[1]


def rasterise(size, samples):
    layers = [(kind, COLOURS[colour], geometry, bounds(kind, geometry))
              for kind, colour, geometry in shapes(size)]
    px = UNITS / size
    rows = []
    for j in range(size):
        row = bytearray()
        for i in range(size):
            x0, y0 = i * px, j * px
            live = [l for l in layers
                    if l[3][0] <= x0 + px and l[3][2] >= x0 and l[3][1] <= y0 + px and l[3][3] >= y0]
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sj in range(samples):
                for si in range(samples):
                    x = x0 + (si + 0.5) * px / samples
                    y = y0 + (sj + 0.5) * px / samples
                    c = [0.0, 0.0, 0.0, 0.0]
                    for kind, colour, geometry, _ in live:
                        if inside(kind, geometry, x, y):
                            a = colour[3] / 255
                            c = [colour[k] * a + c[k] * (1 - a) for k in range(3)] + [a + c[3] * (1 - a)]
                    for k in range(4):
                        acc[k] += c[k]
            n = samples * samples
            alpha = acc[3] / n
            if alpha <= 0:
                row += b'\0\0\0\0'
            else:
                row += bytes(min(255, round(acc[k] / n / alpha)) for k in range(3))
                row.append(min(255, round(alpha * 255)))
        rows.append(bytes(row))
    return rows


def write_png(path, rows, size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
    raw = b''.join(b'\0' + r for r in rows)
    png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
           chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
    with open(path, 'wb') as f:
        f.write(png)


def write_bmp(path, rows, size):
    """A 32-bit BMP with alpha (BITMAPV4HEADER, BI_BITFIELDS), bottom row
    first, as the program's resource script embeds its window icon."""
    data = bytearray()
    for row in reversed(rows):
        for i in range(size):
            r, g, b, a = row[4 * i:4 * i + 4]
            data += bytes((b, g, r, a))
    info = struct.pack('<IiiHHIIiiII', 108, size, size, 1, 32, 3, len(data), 2835, 2835, 0, 0)
    info += struct.pack('<IIII', 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000)
    info += b'sRGB' + b'\0' * 48  # colour space: sRGB, no end points or gamma
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + data)


def svg():
    def fill(colour):
        r, g, b, a = COLOURS[colour]
        text = f'fill="#{r:02x}{g:02x}{b:02x}"'
        return text + (f' fill-opacity="{a / 255:.3f}"' if a < 255 else '')
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{UNITS}" height="{UNITS}" '
           f'viewBox="0 0 {UNITS} {UNITS}">',
           '  <title>Nodalux</title>']
    for kind, colour, geometry in shapes(UNITS):
        if kind == 'disc':
            (cx, cy), r = geometry
            out.append(f'  <circle cx="{cx:g}" cy="{cy:g}" r="{r:g}" {fill(colour)}/>')
        elif kind == 'ring':
            (cx, cy), r, w = geometry
            rgb = '#%02x%02x%02x' % COLOURS[colour][:3]
            out.append(f'  <circle cx="{cx:g}" cy="{cy:g}" r="{r:g}" fill="none" '
                       f'stroke="{rgb}" stroke-width="{w:g}"/>')
        elif kind == 'ellipse':
            (cx, cy), rx, ry = geometry
            out.append(f'  <ellipse cx="{cx:g}" cy="{cy:g}" rx="{rx:g}" ry="{ry:g}" {fill(colour)}/>')
        else:
            r, tip = geometry
            left, right = pin_corners(r, tip)
            out.append(f'  <path d="M{tip[0]:g},{tip[1]:.2f} L{left[0]:.2f},{left[1]:.2f} '
                       f'A{r:g},{r:g} 0 1 1 {right[0]:.2f},{right[1]:.2f} Z" {fill(colour)}/>')
    out.append('</svg>')
    return '\n'.join(out) + '\n'


def main():
    with open(os.path.join(HERE, NAME + '.svg'), 'w') as f:
        f.write(svg())
    for size in SIZES:
        samples = 8 if size <= 64 else 4
        rows = rasterise(size, samples)
        write_png(os.path.join(HERE, f'{NAME}-{size}.png'), rows, size)
        if size == 32:  # the main window's own icon
            write_bmp(os.path.join(HERE, '..', 'nodalux_icon.bmp'), rows, size)


if __name__ == '__main__':
    main()
