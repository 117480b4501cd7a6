#!/usr/bin/env python3
"""Builds the module's .cur files from the pictures in cursors.txt.

usage: make_cursors.py cursors.txt OUTPUT_DIR
Each picture becomes OUTPUT_DIR/NAME.cur: a 32 x 32 monochrome cursor whose
colour (XOR) and mask (AND) planes follow the picture's characters.
"""
import struct
import sys

SIZE = 32
# character -> (and bit, xor bit)
PLANES = {'.': (1, 0), '#': (0, 0), 'o': (0, 1), '^': (1, 1)}


def parse(path):
    cursors, current = [], None
    with open(path, encoding='ascii') as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip('\n')
            if not line or line.startswith('# '):
                continue
            if line.startswith('cursor '):
                _, name, x, y = line.split()
                current = (name, int(x), int(y), [])
                cursors.append(current)
                continue
            if current is None or len(line) > SIZE or set(line) - set(PLANES):
                sys.exit(f'{path}:{number}: not a picture row')
            current[3].append(line)
    for name, x, y, rows in cursors:
        if len(rows) > SIZE or not 0 <= x < SIZE or not 0 <= y < SIZE:
            sys.exit(f'{path}: cursor {name} does not fit 32 x 32')
    return cursors


def plane_rows(rows, which):
    out = []
    for r in range(SIZE):
        row = rows[r] if r < len(rows) else ''
        bits = 0
        for c in range(SIZE):
            ch = row[c] if c < len(row) else '.'
            bits = (bits << 1) | PLANES[ch][which]
        out.append(struct.pack('>I', bits))  # most significant bit is the leftmost pixel
    return b''.join(reversed(out))  # device-independent bitmaps are stored bottom-up


def cursor_file(x, y, rows):
    xor_plane = plane_rows(rows, 1)
    and_plane = plane_rows(rows, 0)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 1, 0, len(xor_plane) + len(and_plane), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + xor_plane + and_plane
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, x, y, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    for name, x, y, rows in parse(sys.argv[1]):
        with open(f'{sys.argv[2]}/{name}.cur', 'wb') as f:
            f.write(cursor_file(x, y, rows))


if __name__ == '__main__':
    main()
