#!/usr/bin/env python3
"""The product's folder dependency graph, read from its #include lines.

Usage: include-graph.py [--dot] [--check] [TOP]

Each folder of the product (app/, app/diskview/, framework/, ...; tests,
tools and fuzz targets are left out) is a node; an arrow A -> B says a file
in A includes a file in B ("top/relative/path.h", as the sources write
them). Prints the arrows with their counts, or with --dot the graph for
Graphviz (`dot -Tsvg`). --check fails (exit 1) when
  - the framework or the portable foundations (platform/, geometry/) include
    anything of the program or its libraries (an arrow up), or
  - the parts of the product (its top folders: app/, framework/,
    parvane/, ...) form a circle, or
  - the framework's own files (a header and its source are one unit) do, or
  - the folders of one part (app/ and app/diskview/) do, or
  - a folder that lies below the rest of its part (the disk overview's scan
    engine, app/diskview/scan/ and its own folders) includes anything of the
    product but itself and the foundations.
"""
import os
import re
import sys
from collections import defaultdict

PRODUCT = ("app", "framework", "geometry", "platform", "parvane", "tunara", "outside", "res")
FOUNDATIONS = ("framework", "platform", "geometry")
# Below the rest of their part: the scan engine sits under the disk
# overview's controls and plans, which include it, never the other way.
BELOW_THEIR_PART = (os.path.join("app", "diskview", "scan"),)
SOURCE = (".h", ".hpp", ".cpp", ".c", ".rc", ".in")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(top):
    for part in PRODUCT:
        for root, _, files in os.walk(os.path.join(top, part)):
            for name in files:
                if name.endswith(SOURCE):
                    yield os.path.relpath(os.path.join(root, name), top)


def resolve(top, source, target):
    for candidate in (target, os.path.join(os.path.dirname(source), target)):
        if os.path.isfile(os.path.join(top, candidate)):
            return os.path.normpath(candidate)
    return None  # generated (build tree) or a system header


def folder(path):
    return os.path.dirname(path)


def part(folder_path):
    return folder_path.split(os.sep)[0]


def within(folder_path, top):
    return folder_path == top or folder_path.startswith(top + os.sep)


def unit(path):
    return os.path.splitext(path)[0]


def cycles(edges):
    """Strongly connected components with more than one node (Tarjan)."""
    index, low, stack, on, found = {}, {}, [], set(), []
    counter = [0]
    nodes = set(edges) | {b for targets in edges.values() for b in targets}

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in edges.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(nodes):
        if v not in index:
            visit(v)
    return found


def main(argv):
    dot = "--dot" in argv
    check = "--check" in argv
    rest = [a for a in argv if not a.startswith("--")]
    top = os.path.abspath(rest[0] if rest else os.path.join(os.path.dirname(__file__), "..", ".."))

    arrows = defaultdict(lambda: defaultdict(list))  # folder -> folder -> [file -> file]
    units = defaultdict(set)                          # framework unit -> units
    for source in sources(top):
        with open(os.path.join(top, source), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            path = resolve(top, source, target)
            if not path or path.split(os.sep)[0] not in PRODUCT:
                continue
            a, b = folder(source), folder(path)
            if a != b:
                arrows[a][b].append(f"{source} -> {path}")
            elif a == "framework" and unit(source) != unit(path):
                units[unit(source)].add(unit(path))

    if dot:
        print("digraph dependencies {\n  rankdir=BT;\n  node [shape=box, fontname=Helvetica];")
        for a in sorted(arrows):
            for b in sorted(arrows[a]):
                print(f'  "{a}/" -> "{b}/" [label="{len(arrows[a][b])}"];')
        print("}")
    else:
        for a in sorted(arrows):
            for b in sorted(arrows[a]):
                print(f"{a}/ -> {b}/ ({len(arrows[a][b])})")

    faults = []
    for a in sorted(arrows):
        if a.split(os.sep)[0] not in FOUNDATIONS:
            continue
        for b in sorted(arrows[a]):
            if b.split(os.sep)[0] not in FOUNDATIONS:
                faults.append(f"arrow up from {a}/ to {b}/: " + "; ".join(arrows[a][b]))
    for low in BELOW_THEIR_PART:
        for a in sorted(arrows):
            if not within(a, low):
                continue
            for b in sorted(arrows[a]):
                if not within(b, low) and b.split(os.sep)[0] not in FOUNDATIONS:
                    faults.append(f"arrow up from {a}/ to {b}/: " + "; ".join(arrows[a][b]))
    parts = defaultdict(set)
    for a in arrows:
        for b in arrows[a]:
            if part(a) != part(b):
                parts[part(a)].add(part(b))
    for circle in cycles(parts):
        faults.append("circle of parts " + ", ".join(c + "/" for c in circle))
    for circle in cycles({a: set(arrows[a]) for a in arrows}):
        if len({part(c) for c in circle}) == 1:
            detail = "; ".join(x for a in circle for b in circle if b in arrows.get(a, {})
                               for x in arrows[a][b])
            faults.append("circle inside " + part(circle[0]) + "/: " + detail)
    for circle in cycles(units):
        faults.append("circle of framework files: " + ", ".join(circle))
    if check:
        for fault in faults:
            print("FAULT: " + fault, file=sys.stderr)
        return 1 if faults else 0
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
