#!/usr/bin/env python3
"""Checks the code layout: the units (a header and its source) reach each other by #include only
downward through the folders' order, and no units form a circle.

Usage: layout-check.py [ROOT] [--graph]
Prints every circle of units and every include that reaches an upper folder (or a folder the
order does not name); exits 1 when there is any, 0 otherwise. --graph also prints which folders
each folder uses."""

import os
import re
import sys

# Lowest first; a folder may include its own units and those of the folders before it.
# Folders on one level do not use each other.
LEVELS = [
    ["widgets", "radioware"],
    ["links"],
    ["views", "interchange"],
    ["models"],
    ["sim", "fleet"],
    ["shell"],
    ["cli"],
]
# Programs and checks that sit above the house and may use all of it.
ON_TOP = {"tests", "bench", "fuzz", "build", "doc", "packaging", "scripts", "cmake"}

SOURCE = re.compile(r"\.(h|hpp|cpp|cc)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def level_of(folder):
    for index, folders in enumerate(LEVELS):
        if folder in folders:
            return index
    return None


def sources(root):
    for base, dirs, files in os.walk(root):
        rel = os.path.relpath(base, root)
        top = rel.split(os.sep)[0]
        # Build trees (build, build-asan, build-fuzz...) hold generated code, not the house.
        if rel == "." or top.startswith((".", "build")) or top in ON_TOP:
            dirs[:] = [] if rel != "." else [d for d in dirs if not d.startswith(".")]
            if rel != ".":
                continue
        for name in files:
            if SOURCE.search(name):
                yield os.path.normpath(os.path.join(rel, name))


def unit_of(path):
    return os.path.splitext(path)[0]


def resolver(paths):
    by_suffix = {}
    for path in paths:
        parts = path.split(os.sep)
        for i in range(len(parts)):
            by_suffix.setdefault(os.sep.join(parts[i:]), []).append(path)

    def resolve(including, name):
        local = os.path.normpath(os.path.join(os.path.dirname(including), name))
        if local in paths:
            return local
        found = by_suffix.get(os.path.normpath(name), [])
        if len(found) > 1:  # the same name in two folders: the nearer one is meant
            top = including.split(os.sep)[0]
            found = [p for p in found if p.split(os.sep)[0] == top] or found
        return found[0] if found else None  # a generated or library header

    return resolve


def unit_graph(root):
    paths = set(sources(root))
    resolve = resolver(paths)
    graph = {}
    for path in sorted(paths):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        uses = graph.setdefault(unit_of(path), set())
        for name in INCLUDE.findall(text):
            target = resolve(path, name)
            if target and unit_of(target) != unit_of(path):
                uses.add(unit_of(target))
    return graph


def circles(graph):
    """Strongly connected components of more than one unit (Tarjan, iterative)."""
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


def upward(graph):
    found = []
    for unit, uses in sorted(graph.items()):
        folder = unit.split(os.sep)[0]
        for used in sorted(uses):
            used_folder = used.split(os.sep)[0]
            if used_folder == folder:
                continue
            mine, theirs = level_of(folder), level_of(used_folder)
            if mine is None or theirs is None or theirs >= mine:
                found.append((unit, used))
    return found


def main(argv):
    root = next((a for a in argv[1:] if not a.startswith("--")),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    graph = unit_graph(root)
    found_circles = circles(graph)
    found_upward = upward(graph)
    for component in found_circles:
        print("circle: " + " -> ".join(component))
    for unit, used in found_upward:
        print("upward: %s uses %s" % (unit, used))
    if "--graph" in argv:
        folders = {}
        for unit, uses in graph.items():
            for used in uses:
                a, b = unit.split(os.sep)[0], used.split(os.sep)[0]
                if a != b:
                    folders.setdefault(a, set()).add(b)
        for folder in sorted(folders):
            print("%s uses %s" % (folder, ", ".join(sorted(folders[folder]))))
    print("%d units, %d circles, %d upward includes" %
          (len(graph), len(found_circles), len(found_upward)))
    return 1 if found_circles or found_upward else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
