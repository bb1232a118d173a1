#!/usr/bin/python3
"""The release gate through the command: --baseline and --compare on fonts
made from one another (tools/make_release_test_fonts.py), each loss and its
reason in text and JSON, gains, gone fonts, the exit statuses, and the
baselines that are refused.

Usage: check_release_gate.py GLYPHCENSUS
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

import cli_check
from cli_check import check, failures, run

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SETS = "hiragana,ivs-adobe-japan1,vertical-forms"
HOW_TO = "write a baseline with: glyphcensus --format json --missing"
# Each later release: the set that lost a member, the member, why it is missing now.
LOSSES = {
    "unmapped": ("hiragana", 0x3042, "unmapped"),
    "emptied": ("hiragana", 0x3044, "empty"),
    "moved": ("hiragana", 0x3046, "no-ink"),
    "no-sequence": ("ivs-adobe-japan1", [0x4E08, 0xE0101], "not-in-format-14"),
    "no-vert": ("vertical-forms", 0x3001, "no-vertical-form"),
}
LABELS = {"hiragana": "ひらがな", "ivs-adobe-japan1": "IVS Adobe-Japan1", "vertical-forms": "縦書き字形"}


def face_of(out):
    faces = json.loads(out)["faces"]
    check(len(faces) == 1, "one face in %r" % out[:200])
    return faces[0]


def write_baseline(fonts, work, *extra):
    path = os.path.join(work, "baseline.json")
    status, out, err = run("--format", "json", "--missing", "--sets", SETS, *extra,
                           os.path.join(fonts, "release-1.ttf"))
    check(status == 0, "the baseline is written: %d %s" % (status, err))
    with open(path, "w", encoding="utf-8") as baseline:
        baseline.write(out)
    return path


def check_losses(fonts, baseline):
    for name, (set_id, member, reason) in LOSSES.items():
        font = os.path.join(fonts, name + ".ttf")
        status, out, err = run("--baseline", baseline, "--format", "json", font)
        face = face_of(out)
        check(status == 6, "%s: exit 6 on a loss, not %d (%s)" % (name, status, err))
        check(face.get("lost") == {set_id: [member]}, "%s: lost %s" % (name, face.get("lost")))
        check(face.get("lost_reasons") == {set_id: [reason]},
              "%s: the reason is %s" % (name, face.get("lost_reasons")))
        check(face.get("gained") == {} and face.get("not_compared") == [],
              "%s: nothing gained, everything compared" % name)
        check(face.get("baseline", "").endswith("release-1.ttf"), "%s names its baseline" % name)
        # The baseline's sets are measured whatever --sets says.
        check([s["id"] for s in face["sets"]][-2:] == ["ivs-adobe-japan1", "vertical-forms"],
              "%s: the baseline's sets are measured" % name)
        status, text, _ = run("--baseline", baseline, "--sets", "none", "--why", font)
        label = LABELS[set_id]
        check(status == 6 and ("\nlost %s：1\n  %s (1)\n" % (label, reason)) in text,
              "%s: the text names the loss and its reason:\n%s" % (name, text))
        status, text, _ = run("--baseline", baseline, "--sets", "none", font)
        shown = "丈\U000E0101 U+4E08 U+E0101" if isinstance(member, list) else chr(member)
        check(text.endswith("lost %s：1\n  %s\n" % (label, shown)), "%s: the lost member:\n%s" % (name, text))


def check_no_loss(fonts, baseline):
    first = os.path.join(fonts, "release-1.ttf")
    status, out, err = run("--baseline", baseline, first)
    check(status == 0 and "lost" not in out and err == "", "the same font: exit 0, no loss: %d %s" % (status, err))
    status, out, _ = run("--compare", "--format", "json", first, first)
    face = face_of(out)
    check(status == 0 and face["lost"] == {} and face["gained"] == {}, "--compare of one font with itself")
    status, out, _ = run("--baseline", baseline, "--format", "json", os.path.join(fonts, "gained.ttf"))
    face = face_of(out)
    check(status == 0 and face["gained"] == {"hiragana": [0x3048]} and face["lost"] == {},
          "a gain is listed and is no loss: %d %s" % (status, face.get("gained")))
    status, text, _ = run("--baseline", baseline, "--sets", "none", os.path.join(fonts, "gained.ttf"))
    check("\ngained ひらがな：1\n  え\n" in text, "the text lists the gain:\n" + text)
    # One face in the baseline and one measured: compared whatever its name.
    status, out, _ = run("--baseline", baseline, "--format", "json", os.path.join(fonts, "renamed.ttf"))
    check(status == 0 and "lost" in face_of(out), "the one face of each is compared")


def check_matching(fonts, work):
    two = os.path.join(work, "two.json")
    status, out, _ = run("--format", "json", "--missing", "--sets", "hiragana",
                         os.path.join(fonts, "release-1.ttf"), os.path.join(fonts, "renamed.ttf"))
    with open(two, "w", encoding="utf-8") as baseline:
        baseline.write(out)
    status, out, err = run("--baseline", two, "--format", "json", os.path.join(fonts, "unmapped.ttf"),
                           os.path.join(fonts, "moved.ttf"))
    faces = json.loads(out)["faces"]
    check(status == 6 and [f["lost"] for f in faces] == [{"hiragana": [0x3042]}, {"hiragana": [0x3046]}],
          "faces are held to the baseline face of their family: %d %s" % (status, out[:300]))
    other = os.path.join(work, "other-family.ttf")
    subprocess.run(["/usr/bin/python3", "-c", (
        "import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); "
        "f['name'].setName('Third Test', 1, 3, 1, 0x409); f.save(sys.argv[2])"),
        os.path.join(fonts, "unmapped.ttf"), other], check=True)
    status, out, err = run("--baseline", two, "--format", "json", other, os.path.join(fonts, "moved.ttf"))
    faces = json.loads(out)["faces"]
    check(status == 6 and "lost" not in faces[0] and "other-family.ttf: warning: no face of the baseline" in err,
          "a face without a baseline face is said on stderr: %d %r" % (status, err))
    status, _, err = run("--baseline", two, other)
    check(status == 0 and "warning: no face of the baseline" in err,
          "no baseline face changes no status: %d %r" % (status, err))


def check_compare_folders(fonts, work):
    old, new = os.path.join(work, "old"), os.path.join(work, "new")
    for folder in (old, new, os.path.join(old, "sub"), os.path.join(new, "sub")):
        os.makedirs(folder)
    shutil.copy(os.path.join(fonts, "release-1.ttf"), os.path.join(old, "a.ttf"))
    shutil.copy(os.path.join(fonts, "release-1.ttf"), os.path.join(old, "sub", "b.ttf"))
    shutil.copy(os.path.join(fonts, "unmapped.ttf"), os.path.join(new, "a.ttf"))
    shutil.copy(os.path.join(fonts, "release-1.ttf"), os.path.join(new, "sub", "c.ttf"))
    status, out, err = run("--compare", "-r", "--format", "jsonl", "--sets", "hiragana", old, new)
    records = [json.loads(line) for line in out.splitlines()]
    check(status == 6, "--compare of folders: exit 6, not %d" % status)
    check(records[0]["path"].endswith("a.ttf") and records[0]["lost"] == {"hiragana": [0x3042]},
          "a.ttf is held to the old a.ttf: %s" % records[0])
    check("lost" not in records[1] and "c.ttf: warning: not in the old side" in err,
          "a new font is said on stderr: %r" % err)
    check(records[2].get("gone") is True and records[2]["path"].endswith(os.path.join("sub", "b.ttf")),
          "a font gone from the new folder: %s" % records[2])
    status, text, _ = run("--compare", "-r", "--sets", "hiragana", old, new)
    check(status == 6 and text.endswith("gone: %s\n" % os.path.join(old, "sub", "b.ttf")),
          "the text names the gone font:\n" + text)
    # Only the fonts gone: still a loss.
    os.remove(os.path.join(new, "a.ttf"))
    status, out, _ = run("--compare", "-r", "--sets", "hiragana", old, new)
    check(status == 6 and out.count("gone: ") == 2, "fonts gone from a folder: exit 6, not %d" % status)
    status, _, err = run("--compare", os.path.join(fonts, "release-1.ttf"), new)
    check(status == 2 and "two font files or two folders" in err, "a font and a folder: %d %r" % (status, err))
    status, _, err = run("--compare", old)
    check(status == 2, "--compare needs two operands: %d" % status)
    status, _, err = run("--compare", "--baseline", "x.json", old, new)
    check(status == 2, "--compare and --baseline: %d" % status)


def check_statuses(fonts, baseline):
    moved = os.path.join(fonts, "moved.ttf")
    status, _, err = run("--baseline", baseline, "--require", "hiragana", moved)
    check(status == 6 and "requirement not met" in err, "a loss comes before an unmet requirement: %d" % status)
    status, _, _ = run("--baseline", baseline, moved, os.path.join(fonts, "none.ttf"))
    check(status == 1, "a file not measured comes before a loss: %d" % status)
    status, out, _ = run("--baseline", baseline, "--format", "csv", moved)
    check(status == 6 and out.count("\n") == 2, "CSV keeps its rows: %d %r" % (status, out))
    _, helptext, _ = run("--help")
    check("  6  a face lost characters or sequences since its baseline" in helptext,
          "--help documents status 6")


def check_refused_baselines(fonts, work, baseline):
    first = os.path.join(fonts, "release-1.ttf")
    with open(baseline, encoding="utf-8") as source:
        good = source.read()
    status, out, _ = run("--format", "json", "--sets", SETS, first)
    cases = {
        "another program's JSON": json.dumps({"format": "fonttools", "glyphs": ["a"]}),
        "JSON without --missing": out,
        "a damaged report": good[: len(good) // 2],
        "another schema": good.replace('"schema": 1', '"schema": 2', 1),
        "an empty file": "",
    }
    for name, text in cases.items():
        path = os.path.join(work, "refused.json")
        with open(path, "w", encoding="utf-8") as refused:
            refused.write(text)
        status, out, err = run("--baseline", path, first)
        check(status == 2 and out == "" and HOW_TO in err, "%s is refused: %d %r" % (name, status, err))
    status, _, err = run("--baseline", os.path.join(work, "nowhere.json"), first)
    check(status == 2 and "nowhere.json" in err, "a missing baseline: %d %r" % (status, err))
    status, _, err = run("--baseline", work, first)
    check(status == 2, "a folder as the baseline: %d %r" % (status, err))
    lines = os.path.join(work, "baseline.jsonl")
    status, out, _ = run("--format", "jsonl", "--missing", "--sets", SETS, first)
    with open(lines, "w", encoding="utf-8") as jsonl:
        jsonl.write(out)
    status, out, err = run("--baseline", lines, os.path.join(fonts, "emptied.ttf"))
    check(status == 6, "a JSON Lines baseline: %d %r" % (status, err))


def main():
    cli_check.program = sys.argv[1]
    with tempfile.TemporaryDirectory() as work:
        fonts = os.path.join(work, "fonts")
        subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "tools", "make_release_test_fonts.py"),
                        fonts], check=True)
        baseline = write_baseline(fonts, work)
        check_losses(fonts, baseline)
        check_no_loss(fonts, baseline)
        check_matching(fonts, work)
        check_compare_folders(fonts, work)
        check_statuses(fonts, baseline)
        check_refused_baselines(fonts, work, baseline)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
