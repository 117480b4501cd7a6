#!/usr/bin/env python3
"""Writes the smallest i386 Linux program (it only exits with status 0), so a script can
ask the kernel itself whether 32-bit programs run here; no 32-bit package is needed."""
import os
import struct
import sys

CODE = bytes([0xB8, 1, 0, 0, 0,   # mov eax, 1 (exit)
              0x31, 0xDB,         # xor ebx, ebx
              0xCD, 0x80])        # int 0x80
BASE, EHDR, PHDR = 0x08048000, 52, 32
size = EHDR + PHDR + len(CODE)
header = b'\x7fELF' + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    '<HHIIIIIHHHHHH', 2, 3, 1, BASE + EHDR + PHDR, EHDR, 0, 0, EHDR, PHDR, 1, 0, 0, 0)
segment = struct.pack('<IIIIIIII', 1, 0, BASE, BASE, size, size, 5, 0x1000)
with open(sys.argv[1], 'wb') as f:
    f.write(header + segment + CODE)
os.chmod(sys.argv[1], 0o755)
