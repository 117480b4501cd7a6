#!/usr/bin/env python3
"""Checks the built module's import and export tables with objdump.

usage: check_module.py OBJDUMP MODULE.dll
Browsers find the three entry points by their bare names, and the module must
load on a machine that has nothing but Windows itself: every imported DLL is
a system one (the C and C++ run-times and the image libraries are linked in).
"""
import re
import subprocess
import sys

SYSTEM_DLLS = {
    'advapi32.dll', 'comctl32.dll', 'comdlg32.dll', 'gdi32.dll', 'kernel32.dll', 'msvcrt.dll', 'ole32.dll',
    'oleaut32.dll', 'shell32.dll', 'user32.dll', 'version.dll', 'winspool.drv', 'ws2_32.dll', 'wininet.dll',
    'shlwapi.dll', 'gdiplus.dll',
}
EXPORTS = ['NP_GetEntryPoints', 'NP_Initialize', 'NP_Shutdown']


def main():
    objdump, module = sys.argv[1:3]
    text = subprocess.run([objdump, '-p', module], check=True, stdout=subprocess.PIPE).stdout.decode()
    imports = [m.lower() for m in re.findall(r'DLL Name: (\S+)', text)]
    exports = re.findall(r'^\s*\[\s*\d+\]\s+(\S+)$', text.split('[Ordinal/Name Pointer] Table', 1)[-1], re.M)
    problems = [f'imports a non-system DLL: {m}' for m in imports if m not in SYSTEM_DLLS]
    if sorted(exports) != EXPORTS:
        problems.append(f'exports {exports}, expected exactly {EXPORTS}')
    print('imports:', ' '.join(imports))
    print('exports:', ' '.join(exports))
    if problems:
        sys.exit('\n'.join(problems))


if __name__ == '__main__':
    main()
