#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT

"""Draws the settings dialog's button glyphs (16 x 16, a normal and a disabled picture each)
as PNG files from the pixel maps below. Run from this folder; the logo is made with
ImageMagick (see the end of this file)."""
import struct, subprocess, zlib

PALETTE = {
    '.': None,                    # see-through
    'k': (0, 0, 0), 'g': (128, 128, 128), 's': (192, 192, 192), 'w': (255, 255, 255),
    'b': (0, 0, 160), 'B': (64, 128, 255), 'c': (0, 160, 200),
    'r': (200, 0, 0), 'R': (255, 64, 64),
    'y': (230, 190, 0), 'o': (150, 90, 30), 'O': (200, 130, 60),
}

GLYPHS = {
    # A paint brush: wooden handle, metal ferrule, bristles dipped in red paint.
    'brush': [
        "..............ko",
        ".............kOk",
        "............kOk.",
        "...........kOk..",
        "..........kOk...",
        ".........kOk....",
        "........kOk.....",
        ".......kgsk.....",
        "......kgsgk.....",
        ".....kkgsk......",
        "....kRRkk.......",
        "...kRrRRk.......",
        "..kRrrRk........",
        ".kRrrRk.........",
        "krrrkk..........",
        "kkkk............",
    ],
    # The letter A.
    'font': [
        "................",
        "......kk........",
        "......kk........",
        ".....kkkk.......",
        ".....k.kk.......",
        "....kk..kk......",
        "....k...kk......",
        "...kk....kk.....",
        "...kkkkkkkk.....",
        "..kk......kk....",
        "..k.......kk....",
        ".kk........kk...",
        "kkkk......kkkk..",
        "................",
        "................",
        "................",
    ],
    # A monitor with a blue screen on a stand.
    'monitor': [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kssssssssssssk.",
        ".ksbbbbbbbbbbsk.",
        ".ksbBBbbbbbbbsk.",
        ".ksbBbbbbbbbbsk.",
        ".ksbbbbbbbbbbsk.",
        ".ksbbbbbbbbbbsk.",
        ".ksbbbbbbbbbbsk.",
        ".ksbbbbbbbbbbsk.",
        ".kssssssssssgsk.",
        ".kkkkkkkkkkkkkk.",
        "......kggk......",
        "....kkkkkkkk....",
        "....kssssssk....",
        "....kkkkkkkk....",
    ],
    # A red cross.
    'cross': [
        "................",
        ".rr.........rr..",
        ".rRr.......rRr..",
        "..rRr.....rRr...",
        "...rRr...rRr....",
        "....rRr.rRr.....",
        ".....rRrRr......",
        "......rRr.......",
        ".....rRrRr......",
        "....rRr.rRr.....",
        "...rRr...rRr....",
        "..rRr.....rRr...",
        ".rRr.......rRr..",
        ".rr.........rr..",
        "................",
        "................",
    ],
}


def write_png(path, pixels):
    """pixels: rows of (r, g, b, a)."""
    h, w = len(pixels), len(pixels[0])
    raw = b''.join(b'\x00' + b''.join(struct.pack('BBBB', *p) for p in row) for row in pixels)
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def normal(rows):
    out = []
    for row in rows:
        assert len(row) == 16, row
        out.append([PALETTE[ch] + (255,) if PALETTE[ch] else (0, 0, 0, 0) for ch in row])
    return out


def disabled(rows):
    """The classic disabled look: the drawn shape in the shadow grey over a white copy moved
    one pixel right and down."""
    ink = [[PALETTE[ch] is not None for ch in row] for row in rows]
    out = [[(0, 0, 0, 0)] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            if ink[y][x] and x + 1 < 16 and y + 1 < 16:
                out[y + 1][x + 1] = (255, 255, 255, 255)
    for y in range(16):
        for x in range(16):
            if ink[y][x]:
                out[y][x] = (128, 128, 128, 255)
    return out


if __name__ == '__main__':
    for name, rows in GLYPHS.items():
        write_png(f'config/{name}.png', normal(rows))
        write_png(f'config/{name}_disabled.png', disabled(rows))
    # The about panel's logo: a 34 x 33 baseline JPEG, a white "T" on a blue gradient.
    subprocess.run(['convert', '-size', '34x33', 'gradient:#2050b0-#70b0f0',
                    '-fill', 'white', '-font', 'DejaVu-Sans-Bold', '-pointsize', '26',
                    '-gravity', 'center', '-annotate', '+0+1', 'T',
                    '-strip', '-interlace', 'none', '-sampling-factor', '2x2', '-quality', '90',
                    'config/logo.jpg'], check=True)

# The same pictures drawn for screens scaled by two ("<name>@2x.png", 32 x 32), from shapes
# rather than pixels, so that they are as fine as the text beside them. ImageMagick draws them.
FINE = {
    'config/brush': ["stroke black stroke-width 6 line 29,2 16,15",
                     "stroke '#c8823c' stroke-width 3 line 29,2 16,15",
                     "stroke black stroke-width 1 fill '#c0c0c0' polygon 13,13 18,18 15,21 10,16",
                     "stroke black stroke-width 1 fill '#e03030' path 'M 10,16 L 15,21 C 12,26 7,29 1,31 C 3,25 6,19 10,16 Z'"],
    'config/font': ["fill black font DejaVu-Serif-Bold font-size 30 gravity center text 0,1 'A'"],
    'config/monitor': ["fill black roundrectangle 1,3 30,23 2,2",
                       "fill '#0000a0' rectangle 4,6 27,20",
                       "fill '#4080ff' rectangle 6,8 12,10",
                       "fill black rectangle 13,23 18,26",
                       "fill black roundrectangle 7,26 24,29 1,1"],
    'config/cross': ["stroke '#c80000' stroke-width 4 stroke-linecap round line 6,6 25,25 line 25,6 6,25"],
    'menu_settings': ["stroke '#606060' stroke-width 4 stroke-linecap round line 11,11 26,26",
                      "stroke '#606060' stroke-width 3 fill none circle 9,9 9,3",
                      "stroke '#808080' stroke-width 2 line 26,5 17,14",
                      "stroke '#1040c0' stroke-width 5 stroke-linecap round line 15,16 6,25"],
    'menu_exit': ["stroke black stroke-width 1 fill '#f0e0b0' rectangle 7,2 24,29",
                  "stroke black stroke-width 1 fill '#965a1e' polygon 7,2 17,5 17,31 7,29",
                  "fill '#ffd700' stroke black stroke-width 1 circle 14,17 14,19"],
}


def draw_fine(name, shapes):
    args = ['convert', '-size', '32x32', 'xc:none']
    for shape in shapes:
        args += ['-draw', shape]
    subprocess.run(args + [f'{name}@2x.png'], check=True)


def disabled_fine(name):
    """The disabled look at twice the size: grey over a white copy moved by one screen pixel."""
    subprocess.run(['convert', '-size', '32x32', 'xc:none',
                    '(', f'{name}@2x.png', '-fill', 'white', '-colorize', '100', ')', '-geometry', '+2+2', '-composite',
                    '(', f'{name}@2x.png', '-fill', '#808080', '-colorize', '100', ')', '-geometry', '+0+0', '-composite',
                    f'{name}_disabled@2x.png'], check=True)


if __name__ == '__main__':
    for name, shapes in FINE.items():
        draw_fine(name, shapes)
        if name.startswith('config/'):
            disabled_fine(name)
    subprocess.run(['convert', '-size', '68x66', 'gradient:#2050b0-#70b0f0',
                    '-fill', 'white', '-font', 'DejaVu-Sans-Bold', '-pointsize', '52',
                    '-gravity', 'center', '-annotate', '+0+2', 'T',
                    '-strip', '-interlace', 'none', '-sampling-factor', '2x2', '-quality', '90',
                    'config/logo@2x.jpg'], check=True)
