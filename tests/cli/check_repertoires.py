#!/usr/bin/python3
"""The extended repertoires through the command: --sets groups, set totals
and kinds, variation sequences read from cmap format 14, the CIDs of a
CID-keyed Adobe-Japan1 font, --require and --missing with the new sets, and
the vertical forms (shaped with HarfBuzz), with a second opinion from
hb-shape on real fonts when it is installed.

The fonts are made by tools/make_repertoire_test_fonts.py in a temporary
folder.

Usage: check_repertoires.py GLYPHCENSUS
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

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
IPAG = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
TOTALS = {
    "jis-x-0208-non-kanji": 523, "jis-x-0213-non-kanji": 1123, "jis-x-0212-kanji": 5801,
    "jinmeiyo-kanji": 863, "adobe-japan1-0": 7776, "adobe-japan1-1": 7806,
    "adobe-japan1-2": 8152, "adobe-japan1-3": 8152, "adobe-japan1-4": 10113,
    "adobe-japan1-5": 13780, "adobe-japan1-6": 15841, "adobe-japan1-7": 15842,
    "ivs-adobe-japan1": 14684, "ivs-hanyo-denshi": 13045, "ivs-moji-joho": 10710,
    "svs-cjk-compatibility": 1002, "vertical-forms": 98,
}
NOTO_CJK = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
HB_SHAPE = "/usr/bin/hb-shape"


def sets_of(*args):
    status, out, err = run("--format", "json", *args)
    check(status == 0, "%s: exit %d: %s" % (args, status, err))
    return {s["id"]: s for s in json.loads(out)["faces"][0]["sets"]}


def check_groups():
    status, default, _ = run(IPAG)
    check(status == 0 and len(default.splitlines()) == 16, "the default report has 15 sets")
    check(run("--sets", "dialog", IPAG)[1] == default, "--sets dialog is the default")
    extended = sets_of("--sets", "extended", IPAG)
    check(list(extended) == list(TOTALS), "--sets extended gives the new sets in order")
    for set_id, total in TOTALS.items():
        set_ = extended.get(set_id, {})
        check(set_.get("total") == total, "%s has %s, not %d" % (set_id, set_.get("total"), total))
        check(set_.get("group") == "extended", "%s is in the extended group" % set_id)
        kind = "sequences" if set_id.startswith(("ivs-", "svs-")) else "characters"
        check(set_.get("kind") == kind, "%s is a set of %s" % (set_id, kind))
    everything = sets_of("--sets", "all", IPAG)
    check(len(everything) == 15 + len(TOTALS), "--sets all gives all sets")
    check(list(sets_of("--sets", "hiragana,extended", IPAG))[:2] == ["hiragana", "jis-x-0208-non-kanji"],
          "ids and groups mix, in measuring order")
    check(sets_of("--sets", "dialog", IPAG)["hiragana"]["group"] == "dialog", "the fifteen are the dialog's")
    status, _, err = run("--sets", "extended,nonesuch", IPAG)
    check(status == 2 and "nonesuch" in err, "an unknown id is refused with exit 2")
    status, out, _ = run("--format", "csv", "--sets", "extended", IPAG)
    header = next(csv.reader(io.StringIO(out)))
    check(header[5:] == list(TOTALS), "the CSV has a column per new set")


def check_sequences(fonts):
    font = os.path.join(fonts, "sequences.ttf")
    found = sets_of("--missing", "--sets", "ivs-adobe-japan1,ivs-moji-joho", font)
    aj1 = found["ivs-adobe-japan1"]
    # Present: the default sequence of a mapped base, a non-default one, and a
    # non-default one whose base is unmapped (a renderer shows its glyph).
    check(aj1["present"] == 3, "three Adobe-Japan1 sequences are present, not %d" % aj1["present"])
    missing = [tuple(pair) for pair in aj1["missing_sequences"]]
    check(len(missing) == 14684 - 3, "every other sequence is listed as missing")
    for pair in [(0x4E08, 0xE0100), (0x4E08, 0xE0101), (0x4E0E, 0xE0100)]:
        check(pair not in missing, "U+%04X U+%X is present" % pair)
    # A default sequence whose base is unmapped, and a base with no sequence.
    for pair in [(0x4E0E, 0xE0101), (0x4E9C, 0xE0100)]:
        check(pair in missing, "U+%04X U+%X is missing" % pair)
    check("missing_code_points" not in aj1, "a set of sequences lists no code points")
    moji = found["ivs-moji-joho"]
    check(moji["present"] == 0 and [0x4E08, 0xE0102] in moji["missing_sequences"],
          "a sequence of an empty glyph is missing")
    # A selector whose bases begin with U+0000: U+349E's own glyph is found.
    svs = sets_of("--missing", "--sets", "svs-cjk-compatibility", font)["svs-cjk-compatibility"]
    check(svs["present"] == 1 and [0x349E, 0xFE00] not in svs["missing_sequences"],
          "U+349E U+FE00 is present, not %d sequences" % svs["present"])
    # A selector listing more bases than a face keeps listed, and one asked
    # after it: FreeType is asked for each of their sequences.
    wide = sets_of("--missing", "--sets", "svs-cjk-compatibility",
                   os.path.join(fonts, "wide_selector.ttf"))["svs-cjk-compatibility"]
    check(wide["present"] == 3 and not {(0x349E, 0xFE00), (0x3B9D, 0xFE00), (0x3B9D, 0xFE01)} &
          {tuple(pair) for pair in wide["missing_sequences"]},
          "the default sequences of the mapped bases and U+3B9D U+FE01 are present, not %d" % wide["present"])
    status, out, _ = run("--missing", "--sets", "ivs-adobe-japan1", font)
    lines = out.splitlines()
    check(lines[1] == "IVS Adobe-Japan1：3/14,684", "the text line: %r" % lines[1])
    listed = lines[2:]
    check(all(line.count(" U+") == 20 for line in listed[:-1]), "ten sequences to a line")
    check(any("与\U000E0101 U+4E0E U+E0101" in line for line in listed),
          "a missing sequence reads as the sequence and both code points")
    check(sum(line.count(" U+") for line in listed) == 2 * (14684 - 3), "every one is listed")
    # --require counts sequences.
    check(run("--sets", "ivs-adobe-japan1", "--require", "ivs-adobe-japan1=3", font)[0] == 0, "a met sequence requirement")
    check(run("--sets", "ivs-adobe-japan1", "--require", "ivs-adobe-japan1=4", font)[0] == 3, "an unmet sequence requirement")
    status, _, err = run("--sets", "ivs-adobe-japan1", "--require", "ivs-adobe-japan1=14685", font)
    check(status == 2 and "14684 sequences" in err, "a count past the sequences is refused")


def check_reasons(fonts):
    font = os.path.join(fonts, "reasons.ttf")
    letters = sets_of("--missing", "--sets", "ascii-letters", font)["ascii-letters"]
    reasons = dict(zip(letters["missing"], letters["missing_reasons"]))
    check(len(letters["missing_reasons"]) == len(letters["missing_code_points"]) == 51,
          "a reason for each missing character")
    expected = {"B": "empty", "C": "no-ink", "D": "blank", "E": "notdef", "F": "unmapped", "z": "unmapped"}
    for character, reason in expected.items():
        check(reasons.get(character) == reason, "%s is %s, not %s" % (character, reason, reasons.get(character)))
    check("A" not in reasons, "A is drawn")
    status, out, _ = run("--why", "--sets", "ascii-letters", font)
    check(status == 0 and out.splitlines()[2:5] == ["  unmapped (47)",
                                                 "    abcdefghijklmnopqrstuvwxyzFGHIJKLMNOPQRS",
                                                 "    TUVWXYZ"], "--why groups by reason: %r" % out)
    check("  no-ink (1)\n    C\n" in out and "  empty (1)\n    B\n" in out, "--why names each reason")
    # Without --why, --missing lists the characters as before.
    check(run("--missing", "--sets", "ascii-letters", font)[1].splitlines()[2].startswith("  abc"),
          "--missing alone keeps its list")
    sequences = sets_of("--missing", "--sets", "ivs-adobe-japan1,ivs-moji-joho",
                        os.path.join(fonts, "sequences.ttf"))
    for set_id, pair, reason in [("ivs-adobe-japan1", [0x4E0E, 0xE0101], "unmapped"),
                                 ("ivs-adobe-japan1", [0x4E9C, 0xE0100], "not-in-format-14"),
                                 ("ivs-moji-joho", [0x4E08, 0xE0102], "empty"),
                                 ("ivs-moji-joho", [0x4E08, 0xE0103], "not-in-format-14")]:
        set_ = sequences[set_id]
        index = set_["missing_sequences"].index(pair)
        check(set_["missing_reasons"][index] == reason, "U+%04X U+%X is %s" % (pair[0], pair[1], reason))


def check_cids(fonts):
    found = sets_of("--sets", "extended", os.path.join(fonts, "cid_japan1.otf"))
    # Inked CIDs 34, 1200, 8284 and 23059; CID 20000 is empty, CID 1 the space.
    expected = [2, 3, 3, 3, 3, 3, 3, 4]
    for n, count in enumerate(expected):
        set_ = found["adobe-japan1-%d" % n]
        check(set_.get("cids_present") == count, "AJ1-%d: %s CIDs, not %d" % (n, set_.get("cids_present"), count))
        check(set_.get("cids_total") == [8283, 8358, 8719, 9353, 15443, 20316, 23057, 23059][n],
              "AJ1-%d: its last CID" % n)
        check(set_["present"] == 2, "AJ1-%d: U+0041 and U+4E9C are drawn" % n)
    check("cids_present" not in found["jis-x-0208-non-kanji"], "CIDs only for Adobe-Japan1 sets")
    check("cids_present" not in sets_of("--sets", "adobe-japan1-7", IPAG)["adobe-japan1-7"],
          "no CIDs for a TrueType font")


def check_non_kanji(fonts):
    found = sets_of("--sets", "jis-x-0208-non-kanji,jis-x-0213-non-kanji",
                    os.path.join(fonts, "jis_symbols.ttf"))
    # The twelve symbols; the ideographic space is not a member.
    check(found["jis-x-0208-non-kanji"]["present"] == 12, "twelve JIS symbols drawn")
    check(found["jis-x-0213-non-kanji"]["present"] == 12, "twelve JIS2004 symbols drawn")


def vertical_reasons(font, *args):
    """{character: reason} of the missing members of vertical-forms, and the count."""
    found = sets_of("--missing", "--sets", "vertical-forms", *args, font)["vertical-forms"]
    check(len(found["missing_reasons"]) == len(found["missing_code_points"]) == 98 - found["present"],
          "%s: a reason for each missing vertical form" % os.path.basename(font))
    return dict(zip(found["missing"], found["missing_reasons"])), found["present"]


def check_vertical_font(font, present, reasons, unmapped, *args):
    """The count, the reasons of the characters in `reasons`, and every other
    missing character unmapped."""
    name = os.path.basename(font) + "".join(" " + a for a in args)
    found, count = vertical_reasons(font, *args)
    check(count == present, "%s: %d vertical forms, not %d" % (name, count, present))
    for character, reason in reasons.items():
        check(found.get(character) == reason,
              "%s: %s is %s, not %s" % (name, character, found.get(character), reason))
    others = [r for c, r in found.items() if c not in reasons]
    check(len(others) == unmapped and set(others) <= {"unmapped"},
          "%s: %d others unmapped: %r" % (name, unmapped, sorted(set(others))))


def check_vertical_forms(fonts):
    vert = os.path.join(fonts, "vert.ttf")
    # 'vert' maps 、。ー（ to glyphs of their own, that of （ empty; 〈 has none
    # (its presentation form is mapped, but a font with 'vert' does not get
    # it); 〜 becomes two glyphs, which are not one vertical form.
    vert_reasons = {"（": "empty", "〈": "no-vertical-form", "〜": "no-vertical-form"}
    check_vertical_font(vert, 3, vert_reasons, 92)
    check(all(c not in vertical_reasons(vert)[0] for c in "、。ー"), "、。ー have vertical forms")
    check_vertical_font(os.path.join(fonts, "vert.woff"), 3, vert_reasons, 92)
    # HarfBuzz applies 'vert' only: 'vrt2' gives no vertical form.
    none = {c: "no-vertical-form" for c in "、。ー（〈〜"}
    check_vertical_font(os.path.join(fonts, "vrt2_only.ttf"), 0, none, 92)
    # A 'vert' feature, even empty, turns off the presentation forms.
    check_vertical_font(os.path.join(fonts, "vert_empty.ttf"), 0, none, 92)
    # No GSUB: the 25 members with a presentation form get it (that of 〉
    # empty); ー has none.
    forms = {"〉": "empty", "ー": "no-vertical-form"}
    check_vertical_font(os.path.join(fonts, "presentation_forms.ttf"), 24, forms, 72)
    found = vertical_reasons(os.path.join(fonts, "presentation_forms.ttf"))[0]
    check(all(c not in found for c in "、〈（｝"), "、〈（｝ take their presentation forms")
    # A GSUB table HarfBuzz's sanitizer refuses is as none: 〈 takes its
    # presentation form, the others keep their glyphs.
    check_vertical_font(os.path.join(fonts, "vert_broken.ttf"), 1,
                        {c: "no-vertical-form" for c in "、。ー（〜"}, 92)
    # Each face of a collection is shaped from its own tables.
    pair = os.path.join(fonts, "vert_pair.ttc")
    check_vertical_font(pair, 24, forms, 72, "--face", "0")
    check_vertical_font(pair, 3, vert_reasons, 92, "--face", "1")
    # The text forms: --why names the reason, the counts line the set.
    status, out, _ = run("--why", "--sets", "vertical-forms", vert)
    check(status == 0 and out.splitlines()[1] == "縦書き字形：3/98", "the text line: %r" % out)
    check("  empty (1)\n    （\n" in out and "  no-vertical-form (2)\n    〈〜\n" in out,
          "--why groups the vertical forms by reason: %r" % out)
    check(run("--sets", "vertical-forms", "--require", "vertical-forms=3", vert)[0] == 0,
          "a met vertical forms requirement")
    check(run("--sets", "vertical-forms", "--require", "vertical-forms=4", vert)[0] == 3,
          "an unmet vertical forms requirement")
    # Without --missing the count is the same.
    plain = sets_of("--sets", "vertical-forms", vert)["vertical-forms"]
    check(plain["present"] == 3 and "missing" not in plain, "the count without --missing")


def shaped_glyphs(font, face, text_file, direction):
    """hb-shape's glyph ids for each line of the file."""
    result = subprocess.run([HB_SHAPE, "--direction=" + direction, "--language=ja",
                             "--face-index=%d" % face, "--no-glyph-names", "--no-positions",
                             "--no-clusters", "--text-file=" + text_file, font],
                            stdout=subprocess.PIPE, check=True, timeout=600)
    return [line.strip("[]").split("|") for line in result.stdout.decode("ascii").splitlines()]


def check_vertical_second_opinion(fonts, font, face):
    """Among the members the font draws, glyphcensus finds a vertical form for
    those hb-shape shapes top to bottom into one glyph other than the one it
    shapes them into left to right."""
    # reasons.ttf maps ASCII alone: every member is missing there, in order.
    members = [chr(c) for c in sets_of("--missing", "--sets", "vertical-forms",
                                       os.path.join(fonts, "reasons.ttf"))["vertical-forms"]["missing_code_points"]]
    text_file = os.path.join(fonts, "members.txt")
    with open(text_file, "w", encoding="utf-8") as out:
        out.write("".join(c + "\n" for c in members))
    vertical = shaped_glyphs(font, face, text_file, "ttb")
    horizontal = shaped_glyphs(font, face, text_file, "ltr")
    # The same characters as a --chars set: which the font draws at all.
    found = sets_of("--face", str(face), "--missing", "--sets", "vertical-forms",
                    "--chars", text_file, font)
    undrawn = found["members.txt"]["missing"]
    forms = found["vertical-forms"]
    reasons = dict(zip(forms["missing"], forms["missing_reasons"]))
    name = "%s face %d" % (os.path.basename(font), face)
    check(len(members) == len(vertical) == len(horizontal) == 98, "%s: 98 members shaped" % name)
    disagree = ["U+%04X" % ord(c) for c, ttb, ltr in zip(members, vertical, horizontal)
                if c not in undrawn and
                (len(ttb) == 1 and ttb != ltr[:1]) != (reasons.get(c) != "no-vertical-form")]
    check(not disagree, "%s: hb-shape disagrees on %s" % (name, disagree))
    check(len(undrawn) < 8 and forms["present"] > 80, "%s: %d vertical forms" % (name, forms["present"]))


def main():
    cli_check.program = sys.argv[1]
    with tempfile.TemporaryDirectory() as fonts:
        subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "tools", "make_repertoire_test_fonts.py"),
                        fonts], check=True)
        check_sequences(fonts)
        check_cids(fonts)
        check_reasons(fonts)
        check_non_kanji(fonts)
        check_vertical_forms(fonts)
        for font in [IPAG, NOTO_CJK] if os.path.exists(HB_SHAPE) else []:
            if os.path.exists(font):
                check_vertical_second_opinion(fonts, font, 0)
        if not os.path.exists(HB_SHAPE):
            print("SKIP the second opinion on vertical forms: %s is not installed" % HB_SHAPE)
    if os.path.exists(IPAG):
        check_groups()
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
