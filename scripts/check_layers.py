#!/usr/bin/env python3
"""Checks the product's #include lines against the layer order in scripts/layers.txt.

Fails on
  - an include of a folder above the including one, of a peer on the same layer, of a
    win/ shell from portable code, or of a folder that is not a layer (tests, the host);
  - a Win32 header (windows.h, commctrl.h, ...) anywhere outside win/ folders and vlhost/;
  - a circle between folders, unless the baseline lists it or a wider one holding it;
  - a folder with C/C++ sources that is neither a layer nor one of the known non-layers.
Includes that break the order today, and the circles they make, are listed in
scripts/layers_baseline.txt; the check fails on any violation not listed there and on
any listed one that no longer occurs, so the list only shrinks and always says what is
left. (An include that the order allows can still close a new circle through one that
is listed: that fails too.)

  check_layers.py [--root DIR]            the check and a one-line summary
  check_layers.py [--root DIR] --graph    the folder picture the README shows
"""
import argparse
import os
import re
import sys

# Not layers: the test browser, resources, test helpers, fuzz targets, the WebAssembly
# entry points and the guide's test. They may include the product; the product may not
# include them.
NOT_LAYERS = {"vlhost", "resources", "testing", "fuzz", "wasm", "docs"}
# Win32 headers that portable code must not see. The shells and the test browser use them.
WIN32_HEADERS = {
    "windows.h", "windowsx.h", "winsock2.h", "ws2tcpip.h", "commctrl.h", "commdlg.h", "cderr.h",
    "colordlg.h", "richedit.h", "winspool.h", "wininet.h", "mapi.h", "shlobj.h", "shellapi.h",
    "shlwapi.h", "objbase.h", "objidl.h", "ole2.h", "oleauto.h", "gdiplus.h", "winreg.h",
    "winuser.h", "wingdi.h", "winbase.h", "winnt.h", "uxtheme.h", "dwmapi.h", "mmsystem.h",
}
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# Files that only tests and benchmarks build: held to the Win32 rule, not to the order.
TEST_MACROS = re.compile(r"vl_(?:core_test|win_test|test_support)\(([^)]*)\)")
TEST_NAME = re.compile(r"(_test\.|_bench\.|(^|/)test_|(^|/)bench/)")


def read_order(root):
    layers = []
    with open(os.path.join(root, "scripts", "layers.txt")) as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if line:
                layers.append(line)
    return {folder: i for i, layer in enumerate(layers) for folder in layer}, layers


def read_baseline(root):
    entries, groups = set(), []
    with open(os.path.join(root, "scripts", "layers_baseline.txt")) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line.startswith("circle:"):
                groups.append(sorted(x.strip() for x in line[len("circle:"):].split(",")))
            elif line:
                src, _, header = line.partition(" -> ")
                entries.add((src.strip(), header.strip()))
    return entries, groups


def source_files(root):
    for top in sorted(os.listdir(root)):
        if top.startswith(".") or top == "build" or not os.path.isdir(os.path.join(root, top)):
            continue
        for d, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = sorted(x for x in dirs if not x.startswith(".") and x != "node_modules")
            for name in sorted(files):
                if SOURCE.search(name):
                    yield os.path.relpath(os.path.join(d, name), root).replace(os.sep, "/")


def test_files(root, folders):
    """Files a folder's sources.cmake names as tests or test helpers, with their headers."""
    found = set()
    for folder in folders:
        path = os.path.join(root, folder, "sources.cmake")
        if not os.path.exists(path):
            continue
        with open(path) as f:
            for group in TEST_MACROS.findall(f.read()):
                for name in group.split():
                    rel = os.path.normpath(os.path.join(folder, name)).replace(os.sep, "/")
                    found.add(rel)
                    found.add(re.sub(r"\.c(pp)?$", ".h", rel))
    return found


def node(path):
    """The folder a file belongs to for layering: `view` or its shell `view/win`."""
    parts = path.split("/")
    return parts[0] + "/win" if len(parts) > 2 and parts[1] == "win" else parts[0]


def problem(rank, src, header):
    a, b = node(src), node(header)
    fa, fb = a.split("/")[0], b.split("/")[0]
    if fb not in rank:
        return "includes %s/, which is not a layer" % fb
    if b.endswith("/win") and not a.endswith("/win"):
        return "portable code includes a Win32 shell"
    if rank[fb] > rank[fa]:
        return "includes %s, a layer above" % fb
    if rank[fb] == rank[fa] and fa != fb:
        return "includes %s, a peer on the same layer" % fb
    return None


def circles(edges):
    """Strongly connected groups of more than one folder (Tarjan)."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index, low, stack, on, out = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in sorted(graph[v]):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                out.append(sorted(group))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return out


def scan(root):
    rank, layers = read_order(root)
    tests = test_files(root, rank)
    errors, violations = [], {}
    edges = {}  # (from node, to node) -> includes behind it
    for path in source_files(root):
        top = path.split("/")[0]
        if "/" not in path:
            continue
        if top not in rank and top not in NOT_LAYERS:
            errors.append("%s: folder %s/ is in no layer; place it in scripts/layers.txt" % (path, top))
            continue
        with open(os.path.join(root, path), errors="replace") as f:
            text = f.read()
        product = top in rank and path not in tests and not TEST_NAME.search(path)
        for quote, header in INCLUDE.findall(text):
            if quote == "<":
                windowed = "/win/" in path or top == "vlhost"
                if header.lower() in WIN32_HEADERS and not windowed:
                    errors.append("%s: includes <%s> outside a win/ folder" % (path, header))
                continue
            if not product or "/" not in header:
                continue
            a, b = node(path), node(header)
            if a != b:
                edges.setdefault((a, b), []).append((path, header))
            why = problem(rank, path, header)
            if why:
                violations[(path, header)] = why
    return rank, layers, errors, violations, edges


def check(root):
    rank, layers, errors, violations, edges = scan(root)
    baseline, known_circles = read_baseline(root)
    for (src, header), why in sorted(violations.items()):
        if (src, header) not in baseline:
            errors.append("%s: #include \"%s\" %s" % (src, header, why))
    for src, header in sorted(baseline - set(violations)):
        errors.append("%s -> %s is in scripts/layers_baseline.txt but no longer breaks the order: "
                      "remove the line" % (src, header))
    found = circles(edges)
    for group in found:
        if not any(set(group) <= set(known) for known in known_circles):
            errors.append("circle between %s" % ", ".join(group))
    for known in known_circles:
        if known not in found:
            errors.append("circle: %s is in scripts/layers_baseline.txt but the circle is now %s: "
                          "update the line" % (", ".join(known), "smaller or gone"))
    folders = {n.split("/")[0] for e in edges for n in e if n.split("/")[0] in rank}
    upward = {(a, b) for (a, b), incs in edges.items() if any(i in violations for i in incs)}
    print("layers: %d folders, %d edges (%d against the order), %d circles, %d violations left in the baseline"
          % (len(folders), len(edges), len(upward), len(found), len(violations)))
    for e in errors:
        print("error: " + e, file=sys.stderr)
    return 1 if errors else 0


def graph(root):
    rank, layers, _, violations, edges = scan(root)
    order = lambda n: (-rank.get(n.split("/")[0], -1), n)
    nodes = sorted({n for e in edges for n in e if n.split("/")[0] in rank}, key=order)
    print("Layers, bottom to top: " + " -> ".join("{%s}" % ", ".join(l) if len(l) > 1 else l[0]
                                                   for l in layers))
    print("Folder dependencies, top layer first (! marks an edge against the order):")
    for n in nodes:
        outs = sorted({b for (a, b) in edges if a == n}, key=order)
        marked = ["!" + b if any(i in violations for i in edges[(n, b)]) else b for b in outs]
        print("  %-14s -> %s" % (n, ", ".join(marked) if marked else "(nothing)"))
    found = circles(edges)
    print("Circles: " + ("; ".join("{" + ", ".join(g) + "}" for g in found) if found else "none"))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--graph", action="store_true", help="print the folder picture")
    parser.add_argument("--write-baseline", action="store_true",
                        help="list today's violations (for the first baseline only)")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    if args.graph:
        return graph(root)
    if args.write_baseline:
        _, _, _, violations, edges = scan(root)
        for src, header in sorted(violations):
            print("%s -> %s" % (src, header))
        for group in circles(edges):
            print("circle: " + ", ".join(group))
        return 0
    return check(root)


if __name__ == "__main__":
    sys.exit(main())
