#!/usr/bin/python3
"""The fast ink test against the exact one, character by character.

Usage: check_fast_path.py GLYPHCENSUS [--jobs N] PATH...   (files or folders)

Runs glyphcensus --missing --format jsonl over the paths with --ink-test
exact (every glyph hinted and drawn) and default (every glyph hinted, judged
without drawing where a pixel is surely covered), and compares, for every
face and set, the count and the list of missing code points. Any difference
is a fault of the fast path: exit status 1, with the characters that differ.
(--ink-test sampled is not exact by construction and not compared here.)
"""
import json
import subprocess
import sys


def measure(glyphcensus, mode, jobs, paths):
    """{(path, face): {set id: (present, missing code points)}} and the exit status."""
    result = subprocess.run([glyphcensus, "--ink-test", mode, "--missing", "--format", "jsonl",
                             "-r", "-j", str(jobs)] + paths,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    faces = {}
    for line in result.stdout.decode("utf-8").splitlines():
        record = json.loads(line)
        key = (record.get("path"), record.get("face"))
        faces[key] = {s["id"]: (s["present"], tuple(s["missing_code_points"]))
                      for s in record.get("sets", [])}
    return faces, result.returncode


def differences(exact, fast, mode):
    lines = []
    if exact.keys() != fast.keys():
        lines.append(f"{mode}: other faces measured: {sorted(set(exact) ^ set(fast), key=str)}")
    for key in sorted(exact.keys() & fast.keys(), key=str):
        for set_id, (present, missing) in exact[key].items():
            other = fast[key].get(set_id)
            if other == (present, missing):
                continue
            if other is None:
                lines.append(f"{mode}: {key[0]} face {key[1]} {set_id}: not measured")
                continue
            changed = sorted(set(missing) ^ set(other[1]))
            lines.append(f"{mode}: {key[0]} face {key[1]} {set_id}: present {other[0]}, exact "
                         f"{present}; differing code points "
                         + " ".join(f"U+{c:04X}" for c in changed[:20]))
    return lines


def main():
    args = sys.argv[1:]
    if len(args) < 2:
        raise SystemExit(__doc__)
    glyphcensus, paths, jobs = args[0], args[1:], 2
    if paths[0] == "--jobs":
        jobs, paths = int(paths[1]), paths[2:]
    exact, status = measure(glyphcensus, "exact", jobs, paths)
    problems = []
    for mode in ("default",):
        fast, fast_status = measure(glyphcensus, mode, jobs, paths)
        if fast_status != status:
            problems.append(f"{mode}: exit status {fast_status}, exact {status}")
        problems += differences(exact, fast, mode)
    sets = sum(len(v) for v in exact.values())
    for line in problems:
        print(line)
    print(f"fast path against exact: {len(exact)} faces, {sets} sets, "
          f"{len(problems)} differences")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
