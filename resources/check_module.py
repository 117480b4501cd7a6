#!/usr/bin/env python3
"""Checks the built module's import and export tables, its machine type and its
version strings, reading the file only (it runs on machines that cannot run it).

usage: check_module.py OBJDUMP MODULE.dll [RC_FILE [MACHINE [VERSION]]]   (MACHINE: i386 or x86-64)
Browsers find the three entry points by their bare names, and the module must
load on a machine that has nothing but Windows itself: every imported DLL is
a system one (the C and C++ run-times and the image libraries are linked in).
A browser loads only a module of its own architecture, and reads the MIME types
from the version strings before loading it: both builds carry those of RC_FILE,
and the file version VERSION ("2, 0, 0, 2", which the .rc takes from the build).
"""
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {
    'advapi32.dll', 'comctl32.dll', 'comdlg32.dll', 'gdi32.dll', 'kernel32.dll', 'msvcrt.dll', 'ole32.dll',
    'oleaut32.dll', 'shell32.dll', 'user32.dll', 'version.dll', 'winspool.drv', 'ws2_32.dll', 'wininet.dll',
    'shlwapi.dll', 'gdiplus.dll',
}
EXPORTS = ['NP_GetEntryPoints', 'NP_Initialize', 'NP_Shutdown']


MACHINES = {0x14C: 'i386', 0x8664: 'x86-64'}


def machine_of(data):
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        return None
    return MACHINES.get(struct.unpack_from('<H', data, pe + 4)[0])


def version_strings(data):
    """The StringFileInfo values: each is its key in UTF-16, a terminator, padding to
    four bytes from the module's start, then the value up to its terminator."""
    found = {}
    for key in ('ProductName', 'FileVersion', 'MIMEType', 'FileExtents', 'FileOpenName'):
        at = data.find((key + '\0').encode('utf-16-le'))
        if at < 0 or at % 2:
            continue
        value = at + 2 * len(key) + 2
        value += (4 - value % 4) % 4
        end = value
        while end + 1 < len(data) and data[end:end + 2] != b'\0\0':
            end += 2
        found[key] = data[value:end].decode('utf-16-le')
    return found


def rc_strings(rc_file):
    with open(rc_file, encoding='utf-8') as f:
        return dict(re.findall(r'VALUE\s+"(\w+)",\s*"([^"]*)"', f.read()))


def main():
    objdump, module = sys.argv[1:3]
    with open(module, 'rb') as f:
        data = f.read()
    text = subprocess.run([objdump, '-p', module], check=True, stdout=subprocess.PIPE).stdout.decode()
    imports = [m.lower() for m in re.findall(r'DLL Name: (\S+)', text)]
    exports = re.findall(r'^\s*\[\s*\d+\]\s+(\S+)$', text.split('[Ordinal/Name Pointer] Table', 1)[-1], re.M)
    problems = [f'imports a non-system DLL: {m}' for m in imports if m not in SYSTEM_DLLS]
    if sorted(exports) != EXPORTS:
        problems.append(f'exports {exports}, expected exactly {EXPORTS}')
    machine = machine_of(data)
    if machine is None:
        problems.append('not a PE module of a known machine type')
    elif len(sys.argv) > 4 and machine != sys.argv[4]:
        problems.append(f'built for {machine}, expected {sys.argv[4]}')
    strings = version_strings(data)
    if len(sys.argv) > 3:
        expected = rc_strings(sys.argv[3])
        if len(sys.argv) > 5:
            expected['FileVersion'] = sys.argv[5]
        problems += [f'version string {k} is {strings.get(k)!r}, the .rc says {v!r}'
                     for k, v in expected.items() if k in ('ProductName', 'FileVersion', 'MIMEType',
                                                           'FileExtents', 'FileOpenName') and strings.get(k) != v]
    print('machine:', machine)
    print('imports:', ' '.join(imports))
    print('exports:', ' '.join(exports))
    for k, v in strings.items():
        print(f'version {k}: {v}')
    if problems:
        sys.exit('\n'.join(problems))


if __name__ == '__main__':
    main()
