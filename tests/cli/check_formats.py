#!/usr/bin/python3
"""glyphcensus's machine-readable output, its exit statuses and --chars.

Parses the JSON, JSON Lines, CSV and TSV outputs back with Python's own
modules and requires the same counts as the text report, for test fonts and a
real collection; checks a hostile family name in every format, a --chars file
of mixed BMP and supplementary characters, and each exit status.

Usage: check_formats.py GLYPHCENSUS TESTDATA
"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile

import cli_check
from cli_check import check, failures, run

from fontTools.ttLib import TTFont

NOTO = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
IPAG = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"


def text_counts(report):
    """[(family, {label: present})] from text reports, using each line's form."""
    faces = []
    for block in report.strip("\n").split("\n\n"):
        lines = block.split("\n")
        if " (face " in lines[0] or lines[0].startswith("/"):
            lines = lines[1:]
        counts = {}
        for line in lines[1:]:
            if line.startswith("  "):
                continue  # a --missing list
            label, value = line.split("：", 1)
            if value == "－":
                counts[label] = 0
            elif value.startswith("全"):
                counts[label] = int(value[1:].replace(",", ""))
            else:
                counts[label] = int(value.split("/")[0].replace(",", ""))
        faces.append((lines[0], counts))
    return faces


def check_formats_agree(font, *extra):
    status, text, _ = run(*extra, font)
    check(status == 0, f"{font}: text exit {status}")
    expected = text_counts(text)
    status, document, _ = run("--format", "json", *extra, font)
    faces = json.loads(document)["faces"]
    status, lines, _ = run("--format", "jsonl", *extra, font)
    line_faces = [json.loads(line) for line in lines.splitlines()]
    check(faces == line_faces, f"{font}: json and jsonl differ")
    check(len(faces) == len(expected), f"{font}: {len(faces)} JSON faces, {len(expected)} text")
    for face, (family, counts) in zip(faces, expected):
        check(face["schema"] == 1 and face["path"] == font, f"{font}: schema or path")
        check(face["family"].replace("\r", " ").replace("\n", " ").strip() == family,
              f"{font}: family {face['family']!r} vs {family!r}")
        check({s["label"]: s["present"] for s in face["sets"]} == counts, f"{font}: JSON counts")
    for fmt, delimiter in (("csv", ","), ("tsv", "\t")):
        status, table, _ = run("--format", fmt, *extra, font)
        rows = list(csv.DictReader(io.StringIO(table, newline=""), delimiter=delimiter))
        check(len(rows) == len(faces), f"{font}: {fmt} rows")
        for row, face in zip(rows, faces):
            check(row["family"] == face["family"], f"{font}: {fmt} family {row['family']!r}")
            check(int(row["face"]) == face["face"] and row["container"] == face["container"],
                  f"{font}: {fmt} face or container")
            check(all(int(row[s["id"]]) == s["present"] for s in face["sets"]),
                  f"{font}: {fmt} counts")
    return faces


def hostile_name_font(folder):
    """glyphtest_full.ttf renamed: a comma, quotes and a line break in its
    Macintosh family name (a UTF-16 name ends at its first line break)."""
    font = TTFont(os.path.join(DATA, "glyphtest_full.ttf"))
    name = 'Odd, "Quoted"\r\nName'
    font["name"].names = []
    font["name"].setName(name, 1, 1, 0, 0)       # Macintosh Roman, English
    path = os.path.join(folder, "odd name.ttf")
    font.save(path)
    return path


def main():
    check_formats_agree(os.path.join(DATA, "glyphtest_edges.ttf"), "--missing")
    check_formats_agree(os.path.join(DATA, "collection.ttc"))
    noto = check_formats_agree(NOTO)
    check([f["family"] for f in noto][:1] == ["Noto Sans CJK JP"], "Noto face 0 is Japanese")
    check(len(noto) == 10 and all(f["family"].startswith("Noto Sans") and "CJK" in f["family"]
                                  for f in noto), f"Noto families {[f['family'] for f in noto]}")
    check_formats_agree(NOTO, "--face", "0", "--sets", "education-kanji,jis-x-0213-level-4")

    with tempfile.TemporaryDirectory() as folder:
        odd = hostile_name_font(folder)
        faces = check_formats_agree(odd)
        check(faces[0]["family"] == 'Odd, "Quoted"\r\nName', f"odd name kept: {faces[0]['family']!r}")
        status, text, _ = run(odd)
        check(text.split("\n")[:2] == ['Odd, "Quoted"  Name', "英字：全52"],
              f"a line break in the name adds no text line: {text[:40]!r}")

        # --chars: BMP, supplementary, white space and a byte order mark.
        chars = os.path.join(folder, "text.txt")
        with open(chars, "w", encoding="utf-8") as f:
            f.write("\ufeff漢字 あ\t𠮟\n𩸽😀漢\r\n")
        status, out, _ = run("--format", "json", "--missing", "--sets", "none", "--chars", chars, IPAG)
        (made,) = json.loads(out)["faces"][0]["sets"]
        check((made["id"], made["total"], made["present"]) == ("text.txt", 6, 5), f"--chars {made}")
        check(made["missing"] == "😀" and made["missing_code_points"] == [0x1F600], f"--chars {made}")

        # Exit statuses: 2 for a bad --chars file (named, with its byte offset).
        bad = os.path.join(folder, "bad.txt")
        with open(bad, "wb") as f:
            f.write("漢字".encode() + b"\xc0\xaf")
        status, out, err = run("--chars", bad, IPAG)
        check(status == 2 and out == "" and f"{bad}: not valid UTF-8 at byte offset 6" in err,
              f"bad --chars: {status} {err!r}")
        status, _, err = run("--require", "nec-special", IPAG)
        check(status == 3 and "nec-special: 82 of 83, required all 83" in err, f"require: {status} {err!r}")
        status, _, _ = run("--require", "nec-special=82", "--require", "text.txt=5", "--chars", chars, IPAG)
        check(status == 0, f"requirements met: {status}")
        status, out, err = run("--require", "nec-special", IPAG, os.path.join(folder, "none.ttf"))
        check(status == 1 and "required all 83" in err and "none.ttf: cannot open" in err,
              f"1 wins over 3: {status} {err!r}")
        # Coverage maps: one per face, named after the file and the face.
        maps = os.path.join(folder, "maps")
        collection = os.path.join(DATA, "collection.ttc")
        status, out, _ = run("--map-dir", maps, "--sets", "digits", "--format", "jsonl",
                             collection, os.path.join(DATA, "tt.ttf"))
        check(status == 0 and sorted(os.listdir(maps)) ==
              ["collection.ttc.0.svg", "collection.ttc.1.svg", "tt.ttf.svg"]
              and json.loads(out.splitlines()[1])["map"] == os.path.join(maps, "collection.ttc.1.svg"),
              f"--map-dir: {status} {sorted(os.listdir(maps))}")
        status, _, err = run("--map", os.path.join(folder, "one.svg"), collection)
        check(status == 1 and "choose one with --face" in err, f"--map of a collection: {err!r}")
        status, out, _ = run("--format", "jsonl", os.path.join(folder, "none.ttf"))
        record = json.loads(out)
        check(status == 1 and record["error"].startswith("cannot open") and record["face"] is None,
              f"error record {record}")

    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    cli_check.program, DATA = sys.argv[1], sys.argv[2]
    sys.exit(main())
