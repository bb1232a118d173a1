#!/usr/bin/env python3
"""Checks the layering of the program folders from their #include lines
(docs/architecture.md):

- fontio/ includes nothing of coverage/, and neither fontio/ nor coverage/
  includes a front end's header (app/, cli/, web/);
- no front end includes another front end's header (what two of them share
  belongs in the core);
- in fontio/ and coverage/ only Windows files (_win or _gdi in the name)
  include windows.h;
- no include circle between the program's modules (a module is a header and
  its source, e.g. fontio/font_image.h and fontio/font_image.cpp).

    tools/check_layering.py [ROOT]      (default: the repository)

Prints each fault and exits 1 when there is one.
"""
import os
import re
import sys

FOLDERS = ["fontio", "coverage", "app", "cli", "web"]
LAYER = {"fontio": 0, "coverage": 1, "app": 2, "cli": 2, "web": 2}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def sources(root):
    for folder in FOLDERS:
        base = os.path.join(root, folder)
        if not os.path.isdir(base):
            continue
        for dirpath, _, names in os.walk(base):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    path = os.path.join(dirpath, name)
                    yield os.path.relpath(path, root).replace(os.sep, "/")


def includes(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1), match.group(2)


def module(path):
    return os.path.splitext(path)[0]


FRONT_ENDS = ("app", "cli", "web")


def layering_faults(root, path, number, quote, target):
    folder = path.split("/")[0]
    where = f"{path}:{number}"
    if folder in FRONT_ENDS:
        other = target.split("/")[0]
        if quote == '"' and other in FRONT_ENDS and other != folder:
            return [f"{where}: {folder}/ includes {target}, another front end's header"]
        return []
    if quote == '"' and target.split("/")[0] in LAYER:
        if LAYER[target.split("/")[0]] > LAYER[folder]:
            return [f"{where}: {folder}/ includes {target}, a header of a layer above it"]
    if target.lower() == "windows.h" and not re.search(r"_(win|gdi)\.(h|cpp)$", path):
        return [f"{where}: windows.h outside the Windows files (_win, _gdi)"]
    return []


def find_circle(graph):
    """A list of modules forming a circle, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for next_node in sorted(graph.get(node, ())):
            if state.get(next_node) == "open":
                return stack[stack.index(next_node):] + [next_node]
            if next_node not in state:
                circle = visit(next_node)
                if circle:
                    return circle
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            circle = visit(node)
            if circle:
                return circle
    return None


def check(root):
    faults = []
    graph = {}
    for path in sources(root):
        for number, quote, target in includes(root, path):
            faults += layering_faults(root, path, number, quote, target)
            if quote == '"' and target.split("/")[0] in LAYER and module(target) != module(path):
                graph.setdefault(module(path), set()).add(module(target))
    circle = find_circle(graph)
    if circle:
        faults.append("include circle: " + " -> ".join(circle))
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    faults = check(root)
    for fault in faults:
        print(fault)
    print(f"layering: {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
