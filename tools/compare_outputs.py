#!/usr/bin/env python3
"""Compares what two glyphcensus binaries write for the same fonts: stdout,
stderr and exit status of the text report, --missing, json, jsonl, csv and
tsv, and the coverage maps of --map (single-face files) and --map-dir, byte
for byte. For refactors that must change no output.

    tools/compare_outputs.py OLD NEW FILE_OR_FOLDER...

Folders are searched for files of any name (hostile corpora have odd ones).
Prints one line per difference and a summary; exits 1 when anything differs.
"""
import os
import subprocess
import sys
import tempfile

RUNS = [[], ["--missing"], ["--format", "json"], ["--format", "jsonl", "--missing"],
        ["--format", "csv"], ["--format", "tsv"]]


def files_of(paths):
    for path in paths:
        if os.path.isdir(path):
            for root, _, names in os.walk(path):
                for name in sorted(names):
                    yield os.path.join(root, name)
        else:
            yield path


def run(binary, args, cwd):
    done = subprocess.run([binary, "-j", "1"] + args, capture_output=True, cwd=cwd, timeout=600)
    return done.returncode, done.stdout, done.stderr


def folder_bytes(folder):
    out = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            out[name] = f.read()
    return out


def compare_maps(old, new, font, work):
    """--map-dir for every file, and --map for files of one face."""
    results = []
    for mode in ("--map-dir", "--map"):
        outputs = []
        for tag, binary in (("old", old), ("new", new)):
            # The same place for both, so that paths in the output agree.
            target = os.path.join(work, "maps")
            subprocess.run(["rm", "-rf", target])
            os.makedirs(target)
            where = target if mode == "--map-dir" else os.path.join(target, "map.svg")
            code, out, err = run(binary, [mode, where, "--format", "json", font], work)
            outputs.append((code, out, err, folder_bytes(target)))
        results.append((mode, outputs[0] == outputs[1]))
    return results


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    old, new = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    fonts = [os.path.abspath(p) for p in files_of(sys.argv[3:])]
    differences = 0
    compared = 0
    with tempfile.TemporaryDirectory() as work:
        for font in fonts:
            for args in RUNS:
                compared += 1
                if run(old, args + [font], work) != run(new, args + [font], work):
                    differences += 1
                    print("differs:", " ".join(args) or "(text)", font)
            for mode, same in compare_maps(old, new, font, work):
                compared += 1
                if not same:
                    differences += 1
                    print("differs:", mode, font)
    print(f"{len(fonts)} files, {compared} comparisons, {differences} differences")
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
