#!/usr/bin/env python3
"""The layering check passes on the tree and fails on each kind of fault planted in a copy."""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
CHECK = os.path.join(ROOT, "scripts", "check_layers.py")
failures = []


def run(root):
    p = subprocess.run([sys.executable, CHECK, "--root", root], capture_output=True, text=True)
    return p.returncode, p.stdout + p.stderr


def expect(name, root, code, text=None):
    rc, out = run(root)
    if rc != code or (text and text not in out):
        failures.append("%s: exit %d, wanted %d%s\n%s" % (name, rc, code, " and %r" % text if text else "", out))


def edit(root, path, old, new):
    full = os.path.join(root, path)
    with open(full) as f:
        body = f.read()
    assert old in body, (path, old)
    with open(full, "w") as f:
        f.write(body.replace(old, new, 1))


def first_baselined(root):
    with open(os.path.join(root, "scripts", "layers_baseline.txt")) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                return [x.strip() for x in line.split(" -> ")]
    return None


expect("the tree", ROOT, 0, "violations left")
with tempfile.TemporaryDirectory() as tmp:
    # Sources, the build lists and the check's own files are all it reads.
    def ignore(d, names):
        keep = lambda n: os.path.isdir(os.path.join(d, n)) or n.endswith((".c", ".cpp", ".h", ".cmake", ".txt"))
        return [n for n in names if n in ("build", ".git", "node_modules", "corpus") or not keep(n)]

    def fresh(name):
        copy = os.path.join(tmp, name)
        shutil.copytree(ROOT, copy, ignore=ignore)
        return copy

    copy = fresh("up")
    edit(copy, "base/text.cpp", '#include "base/text.h"', '#include "base/text.h"\n#include "host/viewer.h"')
    expect("an upward include", copy, 1, 'base/text.cpp: #include "host/viewer.h" includes host, a layer above')

    copy = fresh("peer")
    edit(copy, "inspect/tag_names.cpp", '#include "inspect/', '#include "update/update_rules.h"\n#include "inspect/')
    expect("an include of a peer", copy, 1, "a peer on the same layer")

    copy = fresh("shell")
    edit(copy, "view/geometry.cpp", '#include "view/geometry.h"',
         '#include "view/geometry.h"\n#include "config/win/registry_store.h"')
    expect("portable code including a shell", copy, 1, "portable code includes a Win32 shell")

    copy = fresh("windows")
    edit(copy, "decode/colour.cpp", "#include", "#include <Windows.h>\n#include")
    expect("windows.h outside win/", copy, 1, "decode/colour.cpp: includes <Windows.h> outside a win/ folder")

    copy = fresh("folder")
    os.makedirs(os.path.join(copy, "extras"))
    with open(os.path.join(copy, "extras", "x.cpp"), "w") as f:
        f.write('#include "base/text.h"\n')
    expect("a folder in no layer", copy, 1, "folder extras/ is in no layer")

    # A baselined include that was removed must leave the list, or the list lies.
    entry = first_baselined(ROOT)
    if entry:
        copy = fresh("stale")
        edit(copy, entry[0], '#include "%s"' % entry[1], "")
        expect("a stale baseline line", copy, 1, "%s -> %s is in scripts/layers_baseline.txt" % tuple(entry))

    # A listed upward include may not close a new circle: base -> config is planted and
    # listed, and config's own includes of base close the circle. (Planted rather than
    # taken from the baseline, which shrinks as the code is put in order.)
    def plant_circle(name, circle_line=None):
        copy = fresh(name)
        edit(copy, "base/text.cpp", '#include "base/text.h"', '#include "base/text.h"\n#include "config/bounded_text.h"')
        with open(os.path.join(copy, "scripts", "layers_baseline.txt"), "a") as f:
            f.write("base/text.cpp -> config/bounded_text.h\n" + (circle_line + "\n" if circle_line else ""))
        return copy

    expect("a new circle through a listed include", plant_circle("circle"), 1, "error: circle between base, config")
    # A circle that shrank must be written down smaller.
    expect("a circle listed wider than it is", plant_circle("shrunk", "circle: base, config, decode"), 1,
           "the circle is now smaller or gone")

for f in failures:
    print("FAILED " + f)
print("%d cases failed" % len(failures) if failures else "all cases passed")
sys.exit(1 if failures else 0)
