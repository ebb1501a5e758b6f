#!/usr/bin/env python3
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
