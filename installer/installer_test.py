#!/usr/bin/env python3
"""Installs, upgrades and removes the package under Wine, as an administrator and
as one user would, and checks every file and registry value it leaves.

usage: installer_test.py EMULATOR VLHOST RUN_CASE SOURCE_DIR PACKAGE OLDER_PACKAGE VERSION

1. A listing of drive C: and of HKLM\\SOFTWARE and HKCU\\SOFTWARE is taken.
2. The older release is installed for all users, then upgraded in place by this
   one: the module is in Program Files, registered under MozillaPlugins in the
   view of its architecture with this release's values, and one product remains.
3. The host finds the module by type in the registry and shows a page; with
   the registered Version altered, it passes the module over.
4. A plain uninstall keeps the user's settings; the listing is as before.
5. The package is installed for the current user only: the registration is in
   HKCU and not in HKLM; the host finds it there. An uninstall asked to forget
   the settings removes them too; the listing is as before.
The listings leave out the settings key, which the viewer (and the host) writes
whenever it runs (steps 4 and 5 check it on its own), and Wine's own keys.
"""
import filecmp
import os
import re
import subprocess
import sys
import tempfile

PRODUCT, VENDOR = 'Vellarion', 'ZEB'
SETTINGS_KEY = f'HKEY_CURRENT_USER\\SOFTWARE\\{VENDOR}\\{PRODUCT}'
MARKER = 'installer-test-marker'


class Wine:
    def __init__(self, emulator, tmp):
        self.emulator, self.tmp = emulator, tmp

    def run(self, *args, check=True):
        run = subprocess.run([self.emulator, *args], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, timeout=300)
        if check and run.returncode:
            sys.exit(f'{" ".join(args)}: exit {run.returncode}\n{run.stdout.decode(errors="replace")}')
        return run

    def msiexec(self, *args, per_user=False, check=True):
        # ALLUSERS="" asks for a current-user install. Wine turns quotes in a Unix
        # argument into backslashes on the way to the Windows command line, so the
        # empty value is written bare, last, where nothing can follow it.
        self.run('msiexec', '/qn', *args, *(['ALLUSERS='] if per_user else []), check=check)

    def windows_path(self, path):
        return 'Z:' + path.replace('/', '\\')

    def export(self, key):
        """{key path: {value name: data text}} of a key's whole tree."""
        out = os.path.join(self.tmp, 'export.reg')
        if self.run('reg', 'export', key, self.windows_path(out), '/y', check=False).returncode:
            return {}
        with open(out, encoding='utf-16') as f:
            text = f.read().replace('\\\r\n  ', '').replace('\\\n  ', '')
        tree, current = {}, None
        for line in text.splitlines():
            if line.startswith('[') and line.endswith(']'):
                current = tree.setdefault(line[1:-1], {})
            elif current is not None and '=' in line:
                name, _, data = line.partition('=')
                current[name] = data
        return tree

    def drive_c(self):
        out = self.run('winepath', '-u', 'C:\\').stdout.decode().strip().splitlines()[-1]
        return os.path.realpath(out)


def rc_types(source):
    with open(os.path.join(source, 'resources', 'npvellarion.rc'), encoding='utf-8') as f:
        rc = dict(re.findall(r'VALUE\s+"(\w+)",\s*"([^"]*)"', f.read()))
    names = [re.sub(r' \(.*', '', n) for n in rc['FileOpenName'].split('|')]
    return rc, list(zip(rc['MIMEType'].split('|'), rc['FileExtents'].split('|'), names))


def listing(wine, drive_c):
    """Every file (with its size) on drive C: and every key and value under the two
    SOFTWARE roots, less the settings key and what the system rewrites by itself."""
    files = set()
    for root, dirs, names in os.walk(drive_c):
        rel = os.path.relpath(root, drive_c).replace(os.sep, '/') + '/'
        rel = '' if rel == './' else rel
        # Temporary folders: msiexec unpacks and deletes its scripts there.
        dirs[:] = [d for d in dirs if not re.fullmatch(r'(users/[^/]+|windows)/temp', (rel + d).lower())]
        files.update(f'{rel}{n} {os.path.getsize(os.path.join(root, n))}' for n in names)
    keys = set()
    for root in ('HKLM\\SOFTWARE', 'HKCU\\SOFTWARE'):
        for key, values in wine.export(root).items():
            # HKCU\SOFTWARE\Wine holds Wine's own state (it adds keys there the first
            # time a program opens a window); Windows has no such key.
            if key.upper().startswith((SETTINGS_KEY.upper(), 'HKEY_CURRENT_USER\\SOFTWARE\\WINE')):
                continue
            keys.add(key)
            keys.update(f'{key} {name}={data}' for name, data in values.items())
    return files, keys


def installer_bookkeeping(line):
    """Windows Installer's own containers, which Windows ships and Wine makes the
    first time anything is installed: empty, they are no trace of this package."""
    return re.search(r'\\(Installer\\(Features|Products|UpgradeCodes|Components|Managed|Patches|UserData.*)|'
                     r'Installer)$', line) is not None


def compare(before, now, when):
    problems = []
    for kind, old, new in (('file', before[0], now[0]), ('registry', before[1], now[1])):
        problems += [f'{when}: {kind} left behind: {x}' for x in sorted(new - old)
                     if not (kind == 'registry' and installer_bookkeeping(x))]
        problems += [f'{when}: {kind} gone: {x}' for x in sorted(old - new)]
    return problems


class Check:
    def __init__(self, wine, source, package_arch):
        self.wine, self.arch = wine, package_arch
        self.rc, self.types = rc_types(source)
        self.id = f'@{VENDOR.lower()}/{PRODUCT}-{package_arch}'
        self.problems = []

    def expect(self, ok, what):
        if not ok:
            self.problems.append(what)

    def view(self, hive):
        """Where the package's registration lands: a 32-bit package on 64-bit Windows
        writes HKLM's 32-bit view, WOW6432Node; HKCU\\SOFTWARE is one for both."""
        if hive == 'HKLM' and self.arch == 'x86' and self.wine.export('HKLM\\SOFTWARE\\Wow6432Node'):
            return 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node'
        return {'HKLM': 'HKEY_LOCAL_MACHINE\\SOFTWARE', 'HKCU': 'HKEY_CURRENT_USER\\SOFTWARE'}[hive]

    def registration(self, hive, version, module_dir):
        key = f'{self.view(hive)}\\MozillaPlugins\\{self.id}'
        found = self.wine.export(key)
        path = f'C:\\\\{module_dir}\\\\{PRODUCT}\\\\npvellarion.dll'
        expected = {key: {'"Path"': f'"{path}"', '"Description"': f'"{self.rc["FileDescription"]}"',
                          '"ProductName"': f'"{PRODUCT}"', '"Vendor"': f'"{VENDOR}"', '"Version"': f'"{version}"'},
                    f'{key}\\MimeTypes': {}}
        for mime, suffixes, name in self.types:
            expected[f'{key}\\MimeTypes\\{mime}'] = {'"Suffixes"': f'"{suffixes}"', '"Description"': f'"{name}"'}
        self.expect(found == expected, f'{hive} registration of {version}:\n  found    {found}\n  expected {expected}')

    def products(self):
        """{product code: DisplayVersion} of each installed release of this product."""
        found = {}
        for hive in ('HKLM', 'HKCU'):
            tree = self.wine.export(f'{hive}\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall')
            found.update({k.rsplit('\\', 1)[1]: v.get('"DisplayVersion"', '').strip('"')
                          for k, v in tree.items() if v.get('"DisplayName"') == f'"{PRODUCT}"'})
        return found

    def settings_marker(self):
        return self.wine.export(SETTINGS_KEY).get(SETTINGS_KEY, {}).get(f'"{MARKER}"')


def host_case(args, hive, version, name='installed_plugin'):
    emulator, vlhost, run_case, source = args[:4]
    env = dict(os.environ, VL_HIVE=hive, VL_VERSION=version, VL_VERSION_TEXT=version.replace('.', ', '))
    case = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'tests', name + '.case')
    run = subprocess.run([sys.executable, run_case, emulator, vlhost, 'unused.dll', source, case], env=env,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return None if run.returncode == 0 else f'{name} as {hive}:\n{run.stdout.decode(errors="replace")}'


def main():
    emulator, vlhost, run_case, source, package, older, version = sys.argv[1:8]
    older_version = re.search(r'-(\d+(?:\.\d+){3})-', os.path.basename(older)).group(1)
    arch = re.search(r'-(x64|x86)\.msi$', package).group(1)
    with tempfile.TemporaryDirectory() as tmp:
        wine = Wine(emulator, tmp)
        check = Check(wine, source, arch)
        drive_c = wine.drive_c()
        module_dir = 'Program Files (x86)' if arch == 'x86' and os.path.isdir(
            os.path.join(drive_c, 'Program Files (x86)')) else 'Program Files'
        module = os.path.join(drive_c, module_dir, PRODUCT, 'npvellarion.dll')
        pkg, old = wine.windows_path(os.path.abspath(package)), wine.windows_path(os.path.abspath(older))
        # A run that stopped half way may have left a release installed.
        for code in check.products():
            wine.msiexec('/x', code, check=False)
            wine.msiexec('/x', code, per_user=True, check=False)
        wine.run('reg', 'add', SETTINGS_KEY, '/v', MARKER, '/d', 'kept', '/f')
        before = listing(wine, drive_c)

        wine.msiexec('/i', old)
        check.registration('HKLM', older_version, module_dir)
        wine.msiexec('/i', pkg)
        releases = sorted(check.products().values())
        check.expect(releases == [version], f'installed releases after the upgrade: {releases}')
        check.expect(filecmp.cmp(module, os.path.join(os.path.dirname(package), 'npvellarion.dll'), shallow=False),
                     f'{module} is not the release module')
        check.registration('HKLM', version, module_dir)
        check.expect(not wine.export(f'{check.view("HKCU")}\\MozillaPlugins\\{check.id}'),
                     'an all-users install wrote to HKCU')
        failure = host_case(sys.argv[1:5], 'HKLM', version)
        check.expect(failure is None, failure)
        key = f'{check.view("HKLM")}\\MozillaPlugins\\{check.id}'
        wine.run('reg', 'add', key, '/v', 'Version', '/d', '0.0.0.1', '/f')
        failure = host_case(sys.argv[1:5], 'HKLM', version, 'installed_stale_version')
        check.expect(failure is None, failure)
        wine.run('reg', 'add', key, '/v', 'Version', '/d', version, '/f')
        wine.msiexec('/x', pkg)
        check.expect(check.settings_marker() == '"kept"', 'a plain uninstall removed the user\'s settings')
        check.problems += compare(before, listing(wine, drive_c), 'after the all-users uninstall')

        wine.msiexec('/i', pkg, per_user=True)
        check.registration('HKCU', version, module_dir)
        check.expect(not wine.export(f'{check.view("HKLM")}\\MozillaPlugins\\{check.id}'),
                     'a current-user install wrote to HKLM')
        failure = host_case(sys.argv[1:5], 'HKCU', version)
        check.expect(failure is None, failure)
        # Windows finds an installed product in whichever context it was installed;
        # Wine's msiexec looks only in the one ALLUSERS names, so the test names it.
        wine.msiexec('/x', pkg, 'REMOVESETTINGS=1', per_user=True)
        check.expect(check.settings_marker() is None, 'REMOVESETTINGS=1 left the user\'s settings')
        check.problems += compare(before, listing(wine, drive_c), 'after the current-user uninstall')
    if check.problems:
        sys.exit('\n'.join(check.problems))
    print(f'installed, upgraded, shown and removed for all users and for one user; the listing of '
          f'{len(before[0])} files and {len(before[1])} registry keys and values is the same after each uninstall')


if __name__ == '__main__':
    main()
