#!/usr/bin/python3
"""The cmap-only peer of glyphcensus: for each font file (its first face),
how many characters of each of the 15 sets its cmap maps. No ink test.

Usage: cmap_coverage.py FONT...
The sets are read from the program's own tables (coverage/sets/character_sets.cpp).
"""
import os
import re
import sys

from fontTools.ttLib import TTFont

TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "coverage", "sets",
                      "character_sets.cpp")


def read_sets(path=TABLES):
    """[(name, set of code points)] in table order."""
    sets, name, text = [], None, []
    literal = re.compile(r'u"((?:[^"\\]|\\.)*)"')
    with open(path, encoding="utf-8") as source:
        for line in source:
            header = re.match(r"// (\w+): \d+ characters", line)
            if header:
                name, text = header.group(1), []
            elif name is not None and "Chunks[] =" in line:
                sets.append((name, set("".join(text))))
                name = None
            elif name is not None:
                for match in literal.finditer(line):
                    escaped = match.group(1).replace("\\?", "?")
                    text.append(escaped.encode("ascii").decode("unicode_escape"))
    return sets


def coverage(path, sets):
    font = TTFont(path, fontNumber=0, lazy=True)
    mapped = set(font.getBestCmap() or {})
    font.close()
    return [sum(1 for c in chars if ord(c) in mapped) for _, chars in sets]


def main():
    sets = read_sets()
    for path in sys.argv[1:]:
        counts = coverage(path, sets)
        print(os.path.basename(path) + "\t" + " ".join(str(n) for n in counts))
    return 0


if __name__ == "__main__":
    sys.exit(main())
