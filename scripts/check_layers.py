#!/usr/bin/env python3
"""Checks the include structure of src/: every folder includes only itself and the layers below it,
and no includes go in a circle.

    check_layers.py SRC_DIR     one line per fault, "file:line: ...", and exit status 1 on any
    check_layers.py --self-test runs the check on small trees made for the purpose

The layers, lowest first; the folders of one layer are peers and do not include one another.
Because the layers are in a strict order, a circle between folders needs an include upward or
between peers, and that include is reported; a circle between files is found on its own.
"""
import os
import re
import sys
import tempfile

LAYERS = [
    {"services"},
    {"stopwatch", "lapfile", "restart"},
    {"windows"},
    {"shell"},
    {"app"},
    {"main.cpp"},  # src/main.cpp: the entry point, above everything
]
RANK = {unit: rank for rank, layer in enumerate(LAYERS) for unit in layer}
SOURCES = (".h", ".hpp", ".c", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def unit_of(relative):
    """The folder a file under src/ belongs to, or the file itself when it lies in src/."""
    return relative.split("/", 1)[0]


def read_includes(root):
    """{source file: [(line number, included text, the file it names or None)]}, paths relative
    to root. Any file may be included; only sources are read."""
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            files[os.path.relpath(path, root).replace(os.sep, "/")] = path
    includes = {}
    for relative, path in sorted(files.items()):
        if not relative.endswith(SOURCES):
            continue
        found = []
        with open(path, encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                text = match.group(1)
                # As the compiler looks: beside the including file first, then from src/.
                target = None
                for base in (os.path.dirname(relative), ""):
                    candidate = os.path.normpath(os.path.join(base, text)).replace(os.sep, "/")
                    if candidate in files:
                        target = candidate
                        break
                found.append((number, text, target))
        includes[relative] = found
    return includes


def layer_faults(includes, shown):
    faults = []
    unknown = sorted({unit_of(f) for f in includes if unit_of(f) not in RANK})
    for unit in unknown:
        faults.append(f"{shown(unit)}: not one of the layers ({', '.join(sorted(RANK))})")
    for source, found in sorted(includes.items()):
        here = unit_of(source)
        for number, text, target in found:
            where = f"{shown(source)}:{number}"
            if target is None:
                faults.append(f'{where}: includes "{text}", which names no file under src/')
                continue
            there = unit_of(target)
            if here == there or here not in RANK or there not in RANK:
                continue
            if RANK[there] > RANK[here]:
                faults.append(f'{where}: includes "{text}": {there} is a higher layer than {here}')
            elif RANK[there] == RANK[here]:
                faults.append(f'{where}: includes "{text}": {there} and {here} are peers')
    return faults


def strong_components(edges):
    """Tarjan's strongly connected components: the files that reach one another through includes."""
    index, low, stack, on_stack, components = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for _, target in edges[node]:
            if target not in index:
                visit(target)
                low[node] = min(low[node], low[target])
            elif target in on_stack:
                low[node] = min(low[node], index[target])
        if low[node] == index[node]:
            component = set()
            while node not in component:
                component.add(stack.pop())
            on_stack.difference_update(component)
            components.append(component)

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return components


def circle_faults(includes, shown):
    """For each group of files that include one another in a circle, the shortest circle through
    its first file, named by the include line that closes it."""
    # Only sources include: a file that is no source (a table included as text) ends a path.
    edges = {f: [(n, t) for n, _, t in found if t in includes] for f, found in includes.items()}
    faults = []
    for component in strong_components(edges):
        start = min(component)
        if len(component) == 1 and all(t != start for _, t in edges[start]):
            continue
        came_from, frontier, closing = {start: None}, [start], None
        while closing is None:
            reached = []
            for node in frontier:
                for number, target in edges[node]:
                    if target == start and closing is None:
                        closing = (node, number)
                    elif target in component and target not in came_from:
                        came_from[target] = node
                        reached.append(target)
            frontier = reached
        last, number = closing
        path = [last]
        while came_from[path[-1]] is not None:
            path.append(came_from[path[-1]])
        circle = " -> ".join(reversed([start] + path))
        faults.append(f"{shown(last)}:{number}: closes a circle of includes: {circle}")
    return faults


def check(root):
    root = os.path.normpath(root)
    name = os.path.basename(root)
    includes = read_includes(root)

    def shown(relative):
        return f"{name}/{relative}"

    return layer_faults(includes, shown) + circle_faults(includes, shown)


def make_tree(root, files):
    for relative, text in files.items():
        path = os.path.join(root, "src", relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
    return os.path.join(root, "src")


CLEAN = {
    "services/text.hpp": "#pragma once\n",
    "services/files.hpp": '#include "services/text.hpp"\n',
    "stopwatch/stopwatch.hpp": '#include "../services/text.hpp"\n',
    "lapfile/lap_log.cpp": '#include "lap_log.hpp"\n#include "services/files.hpp"\n',
    "lapfile/lap_log.hpp": "#pragma once\n#include <string>\n",
    "restart/restart.hpp": '#include "services/files.hpp"\n',
    "windows/description.hpp": '#include "services/text.hpp"\n',
    "shell/shell.hpp": '#include "windows/description.hpp"\n',
    "shell/shell.cpp": '#include "shell/shell.hpp"\n#include "restart/restart.hpp"\n',
    "app/handlers.cpp": '#include "shell/shell.hpp"\n#include "lapfile/lap_log.hpp"\n#include "stopwatch/stopwatch.hpp"\n',
    "main.cpp": '#include "app/handlers.hpp"\n',
    "app/handlers.hpp": '#include "shell/shell.hpp"\n',
}

# Each case: the files that differ from the clean tree, and the faults expected as "file:line".
CASES = [
    ("clean tree", {}, []),
    ("an upward include", {"windows/main_window.cpp": '#include "windows/description.hpp"\n#include "shell/shell.hpp"\n'},
     ["src/windows/main_window.cpp:2"]),
    ("an include between peers", {"lapfile/lap_log.cpp": '#include "lap_log.hpp"\n#include "../stopwatch/stopwatch.hpp"\n'},
     ["src/lapfile/lap_log.cpp:2"]),
    ("a circle between files", {"shell/a.hpp": '#include "shell/b.hpp"\n', "shell/b.hpp": '#pragma once\n#include "c.hpp"\n',
                                "shell/c.hpp": '#include "shell/a.hpp"\n'},
     ["src/shell/c.hpp:1"]),
    ("a file that includes itself", {"services/text.hpp": '#pragma once\n#include "text.hpp"\n'},
     ["src/services/text.hpp:2"]),
    ("an include that names no file", {"stopwatch/stopwatch.hpp": '#include "services/txet.hpp"\n'},
     ["src/stopwatch/stopwatch.hpp:1"]),
    ("a folder that is no layer", {"gui/x.hpp": "#pragma once\n"}, ["src/gui"]),
]


def self_test():
    failures = 0
    for title, changes, expected in CASES:
        with tempfile.TemporaryDirectory() as root:
            faults = check(make_tree(root, {**CLEAN, **changes}))
        places = sorted(f.split(": ", 1)[0] for f in faults)
        verdict = "fails" if faults else "passes"
        right = places == sorted(expected)
        failures += not right
        print(f"{'ok' if right else 'WRONG'}: {title}: the check {verdict}" + "".join(f"\n    {f}" for f in faults))
    print(f"{len(CASES) - failures} passed, {failures} failed")
    return 1 if failures else 0


def main(args):
    if args == ["--self-test"]:
        return self_test()
    if len(args) != 1 or not os.path.isdir(args[0]):
        print("usage: check_layers.py SRC_DIR | --self-test", file=sys.stderr)
        return 2
    faults = check(args[0])
    for fault in faults:
        print(fault)
    if faults:
        print(f"layering: {len(faults)} fault(s)")
        return 1
    print("layering: every include goes to its own folder or a lower layer, and none closes a circle")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
