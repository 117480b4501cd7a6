#!/usr/bin/env python3
"""Builds the toolbar's icons and logo from the pictures in toolbar_art.txt.

usage: make_toolbar_art.py toolbar_art.txt OUTPUT_DIR
Each "icon ID NAME" picture becomes OUTPUT_DIR/tbID.ico, a 32 x 32 icon of 16
colours with the 16 x 16 picture in its middle; each "bitmap NAME W H" picture
becomes OUTPUT_DIR/NAME.bmp, a 16-colour bitmap of exactly that size.
"""
import struct
import sys

ICON = 32
PICTURE = 16
# The 16 standard colours in their usual order: character -> (r, g, b).
PALETTE = [
    ('k', (0x00, 0x00, 0x00)), ('m', (0x80, 0x00, 0x00)), ('g', (0x00, 0x80, 0x00)), ('o', (0x80, 0x80, 0x00)),
    ('n', (0x00, 0x00, 0x80)), ('p', (0x80, 0x00, 0x80)), ('t', (0x00, 0x80, 0x80)), ('s', (0xC0, 0xC0, 0xC0)),
    ('d', (0x80, 0x80, 0x80)), ('r', (0xFF, 0x00, 0x00)), ('l', (0x00, 0xFF, 0x00)), ('y', (0xFF, 0xFF, 0x00)),
    ('b', (0x00, 0x00, 0xFF)), ('f', (0xFF, 0x00, 0xFF)), ('c', (0x00, 0xFF, 0xFF)), ('w', (0xFF, 0xFF, 0xFF)),
]
INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}
TRANSPARENT = '.'


def parse(path):
    pictures, current = [], None
    with open(path, encoding='ascii') as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip('\n')
            if not line or line.startswith('# '):
                continue
            words = line.split()
            if words[0] == 'icon' and len(words) == 3:
                current = {'kind': 'icon', 'id': int(words[1]), 'w': PICTURE, 'h': PICTURE, 'rows': []}
                pictures.append(current)
                continue
            if words[0] == 'bitmap' and len(words) == 4:
                current = {'kind': 'bitmap', 'name': words[1], 'w': int(words[2]), 'h': int(words[3]), 'rows': []}
                pictures.append(current)
                continue
            allowed = set(INDEX) | ({TRANSPARENT} if current and current['kind'] == 'icon' else set())
            if current is None or len(line) > current['w'] or set(line) - allowed:
                sys.exit(f'{path}:{number}: not a picture row')
            current['rows'].append(line)
    for p in pictures:
        # An icon may leave rows and columns out (they stay clear); a bitmap has no clear pixels.
        full = len(p['rows']) == p['h'] and all(len(r) == p['w'] for r in p['rows'])
        if len(p['rows']) > p['h'] or (p['kind'] == 'bitmap' and not full):
            sys.exit(f'{path}: picture {p.get("id", p.get("name"))} does not fit {p["w"]} x {p["h"]}')
    return pictures


def palette_bytes():
    return b''.join(struct.pack('BBBB', b, g, r, 0) for _, (r, g, b) in PALETTE)


def nibble_rows(grid, width):
    """4-bit rows, bottom-up, each padded to a multiple of four bytes."""
    stride = (width * 4 + 31) // 32 * 4
    out = []
    for row in grid:
        data = bytearray(stride)
        for x, index in enumerate(row):
            data[x // 2] |= index << (4 if x % 2 == 0 else 0)
        out.append(bytes(data))
    return b''.join(reversed(out))


def mask_rows(grid, width):
    stride = (width + 31) // 32 * 4
    out = []
    for row in grid:
        bits = 0
        for transparent in row:
            bits = (bits << 1) | transparent
        out.append(bits.to_bytes(stride, 'big'))  # the leftmost pixel is the highest bit
    return b''.join(reversed(out))


def icon_file(rows):
    offset = (ICON - PICTURE) // 2
    colour = [[0] * ICON for _ in range(ICON)]
    clear = [[1] * ICON for _ in range(ICON)]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != TRANSPARENT:
                colour[y + offset][x + offset] = INDEX[ch]
                clear[y + offset][x + offset] = 0
    xor_plane = nibble_rows(colour, ICON)
    and_plane = mask_rows(clear, ICON)
    header = struct.pack('<IiiHHIIiiII', 40, ICON, ICON * 2, 1, 4, 0, len(xor_plane) + len(and_plane), 0, 0, 16, 0)
    image = header + palette_bytes() + xor_plane + and_plane
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', ICON, ICON, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def bitmap_file(width, height, rows):
    pixels = nibble_rows([[INDEX[ch] for ch in row] for row in rows], width)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    body = header + palette_bytes() + pixels
    return struct.pack('<2sIHHI', b'BM', 14 + len(body), 0, 0, 14 + 40 + 64) + body


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    for p in parse(sys.argv[1]):
        if p['kind'] == 'icon':
            with open(f'{sys.argv[2]}/tb{p["id"]}.ico', 'wb') as f:
                f.write(icon_file(p['rows']))
        else:
            with open(f'{sys.argv[2]}/{p["name"]}.bmp', 'wb') as f:
                f.write(bitmap_file(p['w'], p['h'], p['rows']))


if __name__ == '__main__':
    main()
