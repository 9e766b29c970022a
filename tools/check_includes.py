#!/usr/bin/env python3
"""Fails when a project include points up a layer or closes a circle.

The program's folders stack as app > strategy > actiongraph > ui > core >
platform; inside core the model is the floor, the readers and writers, the
analysis, the concepts and the expressions stand on it, the learning above
them, and the whole load of a log on top; inside actiongraph and strategy the Qt-free model/
lies under the window code. A file may include headers of its own layer or
below, never above.

A circle is looked for between units: a header and the source beside it with
the same name count as one unit, so "a.cpp includes b.h and b.cpp includes a.h"
is a circle although no header includes itself. The one circle let through is
a class's private header (X.h and XParts.h, the latter with no source of its
own) that the class's sources share and that includes the class's header.

Usage: check_includes.py [ROOT]   (ROOT defaults to the repository)
Exit status 0 when clean, 1 with one line per fault otherwise.
"""

import os
import re
import sys

# Rank of each top folder, and of the subfolders inside it; a subfolder not
# listed takes the rank of the default entry ("" key), if there is one.
LAYERS = {
    "platform": (0, {"": 0, "qt": 1}),
    "core": (1, {"model": 0, "io": 1, "analysis": 1, "concepts": 1, "expr": 1, "learning": 2, "load": 3}),
    "ui": (2, {"": 0}),
    "actiongraph": (3, {"model": 0, "": 1}),
    "strategy": (4, {"model": 0, "": 1}),
    "app": (5, {"": 0}),
}

SOURCE_EXTENSIONS = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def layer_of(path):
    """(top rank, sub rank) of a path relative to the root, or None when the
    path lies in no layer, or a string naming the folder when it lies in a layer
    folder that has no rank."""
    parts = path.split("/")
    top = LAYERS.get(parts[0])
    if top is None:
        return None
    rank, subs = top
    sub = parts[1] if len(parts) > 2 else ""
    if sub in subs:
        return (rank, subs[sub])
    if "" in subs:
        return (rank, subs[""])
    return "/".join(parts[:2])


def project_files(root):
    for top in LAYERS:
        base = os.path.join(root, top)
        for folder, dirs, files in os.walk(base):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_EXTENSIONS):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def includes_of(root, path):
    """(line number, included path relative to root) of every project include;
    an include resolves against the root first, then against the file's folder.
    Includes that resolve to neither (system, generated) are left out."""
    found = []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            name = m.group(1)
            for candidate in (name, os.path.normpath(os.path.join(os.path.dirname(path), name))):
                candidate = candidate.replace(os.sep, "/")
                if os.path.isfile(os.path.join(root, candidate)):
                    found.append((number, candidate))
                    break
    return found


def unit_of(path):
    return os.path.splitext(path)[0]


def strongly_connected(graph):
    """Tarjan's components of more than one unit, iteratively."""
    index, low, on_stack, stack, result = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    result.append(sorted(component))
    return result


def one_circle(graph, component):
    """A shortest way round the component from its first unit, for the message."""
    members = set(component)
    start = component[0]
    previous = {start: None}
    queue = [start]
    while queue:
        node = queue.pop(0)
        for child in sorted(graph.get(node, ())):
            if child == start:
                way = [start]
                while node is not None:
                    way.append(node)
                    node = previous[node]
                return list(reversed(way))
            if child in members and child not in previous:
                previous[child] = node
                queue.append(child)
    return component + [start]


def is_private_header_pair(root, component):
    """A class's private header: a header with no source of its own, beside the
    class's header and named after it (StringGrid.h and StringGridParts.h),
    shared by the class's source files and including the class's header."""
    if len(component) != 2:
        return False
    a, b = sorted(component, key=len)
    if os.path.dirname(a) != os.path.dirname(b) or not b.startswith(a) or b == a:
        return False
    return not any(os.path.isfile(os.path.join(root, b + ext)) for ext in (".cpp", ".cc"))


def check(root):
    faults = []
    graph = {}
    # Which file of a unit brings each edge, to name the include in a message.
    witness = {}
    for path in project_files(root):
        here = layer_of(path)
        if isinstance(here, str):
            faults.append(f"{path}: the folder {here} has no place in the layers")
            continue
        unit = unit_of(path)
        graph.setdefault(unit, set())
        for number, target in includes_of(root, path):
            there = layer_of(target)
            if isinstance(there, str):
                faults.append(f"{path}:{number}: includes {target}, whose folder {there} has no place in the layers")
                continue
            if there is None:
                continue
            if there > here:
                faults.append(f"{path}:{number}: includes {target}, which lies in a layer above")
            other = unit_of(target)
            if other != unit:
                graph[unit].add(other)
                witness.setdefault((unit, other), f"{path}:{number}")
    for component in strongly_connected(graph):
        if is_private_header_pair(root, component):
            continue
        way = one_circle(graph, component)
        steps = ", ".join(f"{witness[(a, b)]} includes {b}" for a, b in zip(way, way[1:]))
        faults.append(f"circle of includes {' -> '.join(way)}: {steps}")
    return faults


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    faults = check(root)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include fault(s)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
