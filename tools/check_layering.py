#!/usr/bin/env python3
"""Checks the layering of the program folders from their #include lines
(docs/architecture.md):

- fontio/ includes nothing of coverage/, and neither fontio/ nor coverage/
  includes a front end's header (app/, cli/, web/);
- no front end includes another front end's header (what two of them share
  belongs in the core);
- in fontio/ and coverage/ only Windows files (_win or _gdi in the name)
  include windows.h;
- only FreeType files (_freetype in the name) include FreeType's headers,
  and only HarfBuzz files (_harfbuzz) HarfBuzz's;
- coverage/'s modules include only the modules below them (COVERAGE_MODULES:
  output/ and sets/ never include presence/, for instance); the entry point
  coverage/measure_font.h, at the folder's top, may include them all;
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

# The modules of coverage/ (its sub-folders) and the modules each may include
# besides itself. shaping/ is where text shaping (HarfBuzz) goes: it may read
# the sets and the presence test, and results/ may count with it.
COVERAGE_MODULES = {
    "sets": set(),
    "geometry": set(),
    "presence": {"geometry"},
    "shaping": {"sets", "presence", "geometry"},
    "results": {"sets", "presence", "shaping"},
    "output": {"sets", "results"},
    "map": {"sets", "presence", "results", "output"},
}
FREETYPE_HEADER = re.compile(r"^(ft2build\.h|freetype/)")
HARFBUZZ_HEADER = re.compile(r"^(harfbuzz/)?hb[-.a-z]*\.h$")


def coverage_module(path):
    """The coverage/ module of a path ("" for the folder's top), or None."""
    parts = path.split("/")
    if parts[0] != "coverage":
        return None
    return parts[1] if len(parts) > 2 else ""


def coverage_faults(where, path, target):
    source, included = coverage_module(path), coverage_module(target)
    if source is None or included is None or source == "" or included == source:
        return []
    if source not in COVERAGE_MODULES:
        return [f"{where}: coverage/{source}/ is not a module of coverage/ (tools/check_layering.py)"]
    if included == "" or included not in COVERAGE_MODULES[source]:
        return [f"{where}: coverage/{source}/ includes {target}, which its module may not include"]
    return []


def library_faults(where, path, quote, target):
    if quote == "<" and FREETYPE_HEADER.match(target) and "_freetype" not in path:
        return [f"{where}: FreeType outside the FreeType files (_freetype)"]
    if HARFBUZZ_HEADER.match(target) and "_harfbuzz" not in path:
        return [f"{where}: HarfBuzz outside the HarfBuzz files (_harfbuzz)"]
    return []


def layering_faults(root, path, number, quote, target):
    folder = path.split("/")[0]
    where = f"{path}:{number}"
    faults = library_faults(where, path, quote, target)
    if faults:
        return faults
    if quote == '"':
        faults = coverage_faults(where, path, target)
        if faults:
            return faults
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
