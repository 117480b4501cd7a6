#!/usr/bin/env python3
"""Builds an MSI from a WiX source with wixl, adding what wixl leaves out.

usage: make_msi.py WIXL MSIINFO MSIBUILD SOURCE.wxs OUT.msi [wixl options...]

wixl has no room for a <Condition> inside a <Component>; this script takes those
conditions out of the source, builds the package, then writes them into the
Component table's Condition column, where Windows Installer reads them.
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

WIX = '{http://schemas.microsoft.com/wix/2006/wi}'


def component_conditions(root):
    """Removes each component's <Condition> from the tree; returns {Id: condition}."""
    found = {}
    for comp in root.iter(WIX + 'Component'):
        for cond in comp.findall(WIX + 'Condition'):
            found[comp.get('Id')] = cond.text.strip()
            comp.remove(cond)
    return found


def set_conditions(msiinfo, msibuild, msi, conditions, tmp):
    table = subprocess.run([msiinfo, 'export', msi, 'Component'], check=True, stdout=subprocess.PIPE).stdout.decode()
    lines = table.split('\r\n') if '\r\n' in table else table.split('\n')
    header, rows = lines[:3], [l for l in lines[3:] if l]
    columns = header[0].split('\t')
    at_id, at_cond = columns.index('Component'), columns.index('Condition')
    seen = set()
    for i, row in enumerate(rows):
        cells = row.split('\t')
        if cells[at_id] in conditions:
            cells[at_cond] = conditions[cells[at_id]]
            seen.add(cells[at_id])
            rows[i] = '\t'.join(cells)
    if seen != set(conditions):
        sys.exit(f'components not in the package: {sorted(set(conditions) - seen)}')
    idt = os.path.join(tmp, 'Component.idt')
    with open(idt, 'w', newline='') as f:
        f.write('\r\n'.join(header + rows) + '\r\n')
    subprocess.run([msibuild, msi, '-i', idt], check=True)


def main():
    wixl, msiinfo, msibuild, source, out = sys.argv[1:6]
    ET.register_namespace('', WIX[1:-1])
    tree = ET.parse(source)
    conditions = component_conditions(tree.getroot())
    with tempfile.TemporaryDirectory() as tmp:
        plain = os.path.join(tmp, os.path.basename(source))
        tree.write(plain, encoding='utf-8', xml_declaration=True)
        # wixl warns that it ignores Package/@Platform, which nothing here sets; the
        # architecture comes from its -a option.
        run = subprocess.run([wixl, *sys.argv[6:], '-o', out, plain], stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
        text = run.stdout.decode(errors='replace')
        if run.returncode or re.search(r'CRITICAL|WARNING', text):
            sys.exit(f'wixl failed:\n{text}')
        set_conditions(msiinfo, msibuild, out, conditions, tmp)


if __name__ == '__main__':
    main()
