#!/usr/bin/python3
"""The faces of a collection measured together (sharing the verdicts of faces
that load their glyphs alike) must give what each face gives measured alone.

Usage: check_shared_verdicts.py GLYPHCENSUS PATH...   (files or folders)

For every collection (ttcf) among the paths, compares the JSON Lines record of
each face from one run over the whole file with the record of a run with
--face for that face alone. Exit status 1 on any difference.
"""
import os
import subprocess
import sys


def collections(paths):
    for path in paths:
        files = [path] if os.path.isfile(path) else sorted(
            os.path.join(folder, name) for folder, _, names in os.walk(path) for name in names)
        for name in files:
            with open(name, "rb") as font:
                if font.read(4) == b"ttcf":
                    yield name


def records(glyphcensus, path, extra):
    result = subprocess.run([glyphcensus, "--missing", "--format", "jsonl", "-j", "2"] + extra
                            + [path], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return result.stdout.decode("utf-8").splitlines()


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    glyphcensus = sys.argv[1]
    faces = differences = 0
    for path in collections(sys.argv[2:]):
        together = records(glyphcensus, path, [])
        for index, line in enumerate(together):
            if '"face":' not in line or '"error"' in line:
                continue  # a file-level error, or faces left out
            alone = records(glyphcensus, path, ["--face", str(index)])
            faces += 1
            if alone != [line]:
                differences += 1
                print(f"DIFFERENT  {path} face {index}")
    print(f"shared verdicts: {faces} faces of collections, {differences} differences")
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
