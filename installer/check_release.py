#!/usr/bin/env python3
"""Checks one architecture's release files by reading them (no Windows needed).

usage: check_release.py OBJDUMP OBJCOPY MSIINFO BUILT.dll RELEASE_DIR VERSION

- The released module has no .debug_* section, and its code is byte for byte the
  built module's: stripping must not touch .text.
- The debug file holds those sections, carries the module's build id, and is the
  file the module's .gnu_debuglink names (by name and CRC-32).
- The package installs that module for its architecture: the platform, the
  Program Files folder and the 64-bit component flag agree, its version is
  VERSION, and its two registrations are for all users (HKLM) and for one (HKCU).
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

MACHINES = {0x14C: 'x86', 0x8664: 'x64'}


def run(*args):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout.decode(errors='replace')


def sections(objdump, path):
    return re.findall(r'^\s*\d+\s+(\S+)\s', run(objdump, '-h', path), re.M)


def section_bytes(objcopy, path, name, tmp):
    """The section's contents; empty when the file has no such section."""
    out = os.path.join(tmp, name.strip('.') + '-' + os.path.basename(path))
    subprocess.run([objcopy, '--dump-section', f'{name}={out}', path, os.path.join(tmp, 'scratch')],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not os.path.exists(out):
        return b''
    with open(out, 'rb') as f:
        data = f.read()
    os.remove(out)
    return data


def build_id(objdump, path):
    found = re.search(r'RSDS signature ([0-9a-f]+) age (\d+)', run(objdump, '-p', path))
    return found and found.groups()


def machine(path):
    with open(path, 'rb') as f:
        data = f.read(4096)
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    return MACHINES.get(struct.unpack_from('<H', data, pe + 4)[0])


def table(msiinfo, msi, name):
    rows = run(msiinfo, 'export', msi, name).replace('\r', '').split('\n')
    columns = rows[0].split('\t')
    return [dict(zip(columns, r.split('\t'))) for r in rows[3:] if r]


def check_module(objdump, objcopy, built, release, tmp):
    problems = []
    stripped, debug = os.path.join(release, 'npvellarion.dll'), os.path.join(release, 'npvellarion.dll.debug')
    debug_sections = [s for s in sections(objdump, built) if s.startswith('.debug_')]
    if not debug_sections:
        problems.append(f'{built} has no debug sections to split off')
    left = [s for s in sections(objdump, stripped) if s.startswith('.debug_')]
    if left:
        problems.append(f'released module keeps {left}')
    missing = set(debug_sections) - set(sections(objdump, debug))
    if missing:
        problems.append(f'debug file lacks {sorted(missing)}')
    if section_bytes(objcopy, built, '.text', tmp) != section_bytes(objcopy, stripped, '.text', tmp):
        problems.append('.text differs between the built and the released module')
    ids = {path: build_id(objdump, path) for path in (built, stripped, debug)}
    if None in ids.values() or len(set(ids.values())) != 1:
        problems.append(f'build ids differ or are missing: {ids}')
    # The link is the file's name, a NUL, padding to four bytes, then its CRC-32.
    link = section_bytes(objcopy, stripped, '.gnu_debuglink', tmp)
    name = link.split(b'\0', 1)[0].decode()
    at = (len(name) + 4) // 4 * 4
    crc = struct.unpack_from('<I', link, at)[0] if len(link) >= at + 4 else None
    with open(debug, 'rb') as f:
        actual = zlib.crc32(f.read())
    if not link:
        problems.append('released module has no .gnu_debuglink')
    elif name != os.path.basename(debug) or crc != actual:
        problems.append(f'debug link names {name} with CRC {crc}; the debug file is {os.path.basename(debug)} '
                        f'with CRC {actual}')
    return problems, stripped


def check_package(msiinfo, msi, stripped, version):
    problems = []
    arch = machine(stripped)
    suminfo = run(msiinfo, 'suminfo', msi)
    platform = re.search(r'^Template: (\w+);', suminfo, re.M).group(1)
    if platform != {'x64': 'x64', 'x86': 'Intel'}[arch]:
        problems.append(f'a {arch} module in a package for {platform}')
    props = {r['Property']: r['Value'] for r in table(msiinfo, msi, 'Property')}
    if props.get('ProductVersion') != version:
        problems.append(f'package version {props.get("ProductVersion")}, the module is {version}')
    folders = {r['Directory'] for r in table(msiinfo, msi, 'Directory')}
    wanted = 'ProgramFiles64Folder' if arch == 'x64' else 'ProgramFilesFolder'
    if wanted not in folders:
        problems.append(f'no {wanted} among {sorted(folders)}')
    components = {r['Component']: r for r in table(msiinfo, msi, 'Component')}
    for c in components.values():
        if bool(int(c['Attributes']) & 256) != (arch == 'x64'):  # msidbComponentAttributes64bit
            problems.append(f'component {c["Component"]} has attributes {c["Attributes"]} in a {arch} package')
    conditions = {c['Condition'] for c in components.values()}
    if not {'ALLUSERS', 'NOT ALLUSERS'} <= conditions:
        problems.append(f'no all-users/one-user registration pair among conditions {conditions}')
    roots = {(r['Component_'], r['Root']) for r in table(msiinfo, msi, 'Registry')}
    hives = {components[c]['Condition']: root for c, root in roots}
    if hives.get('ALLUSERS') != '2' or hives.get('NOT ALLUSERS') != '1':
        problems.append(f'registration hives by condition: {hives}')
    files = table(msiinfo, msi, 'File')
    if [(f['FileName'], int(f['FileSize'])) for f in files] != [('npvellarion.dll', os.path.getsize(stripped))]:
        problems.append(f'package files {files}, expected the released module alone')
    return problems


def main():
    objdump, objcopy, msiinfo, built, release, version = sys.argv[1:7]
    with tempfile.TemporaryDirectory() as tmp:
        problems, stripped = check_module(objdump, objcopy, built, release, tmp)
    msis = [f for f in os.listdir(release) if f.endswith('.msi')]
    if len(msis) != 1:
        problems.append(f'expected one package in {release}, found {msis}')
    else:
        problems += check_package(msiinfo, os.path.join(release, msis[0]), stripped, version)
    if problems:
        sys.exit('\n'.join(problems))
    print(f'{release}: stripped module, matching debug file and package checked')


if __name__ == '__main__':
    main()
