#!/usr/bin/python3
"""Writes coverage/sets/character_sets.cpp: the fifteen character sets as constant
UTF-16 data, built from the standards' own mappings on this machine.

Sources (Debian's /usr/bin/python3 and Debian packages only):
  - JIS X 0208 levels 1 and 2, Greek, Cyrillic: Python's euc_jp codec
    (row r, cell c is the bytes 0xA0+r, 0xA0+c), cross-checked against the
    euc_jis_2004 and cp932 codecs.
  - JIS X 0213:2004 levels 3 and 4: Python's euc_jis_2004 codec (plane 2
    behind 0x8F), cross-checked against Unihan's kJIS0213 (package
    unicode-data).
  - IBM extensions and NEC special characters: Python's cp932 codec.
  - Regular-use kanji: Unihan's kJoyoKanji (the 2010 list).
  - Grades, stroke counts, readings: KANJIDIC (package kanjidic); the kanji of
    the 1981 list are those with a Kanji & Kana index (IN) of 1 to 1945.

Usage:
  make_character_sets.py            write the file
  make_character_sets.py --check    exit 1 if the committed file differs
  make_character_sets.py --output F write to F instead
"""

import argparse
import bz2
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUTPUT = os.path.join(ROOT, "coverage", "sets", "character_sets.cpp")
UNIHAN_OTHER = "/usr/share/unicode/Unihan_OtherMappings.txt.bz2"
UNIHAN_IRG = "/usr/share/unicode/Unihan_IRGSources.txt.bz2"
KANJIDIC = "/usr/share/edict/kanjidic"

# --- Fixed texts of the small sets -----------------------------------------

LATIN = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
DIGITS = "0123456789"
# ASCII punctuation in code order, then the low line last.
ASCII_SYMBOLS = "".join(chr(c) for c in list(range(0x21, 0x30)) +
                        list(range(0x3A, 0x41)) + list(range(0x5B, 0x5F)) +
                        [0x60] + list(range(0x7B, 0x7F))) + "_"
HIRAGANA = ("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよわをん"
            "がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉゃゅょゎゐゑ")
KATAKANA = ("アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨワヲン"
            "ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポァィゥェォャュョヮヰヱヴ")
NEC_EXPECTED = ("①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ㍉㌔㌢㍍㌘㌧㌃㌶㍑㍗㌍㌦㌣㌫"
                "㍊㌻㎜㎝㎞㎎㎏㏄㎡㍻〝〟№㏍℡㊤㊥㊦㊧㊨㈱㈲㈹㍾㍽㍼≒≡∫∮∑√⊥∠∟⊿∵∩∪")
IBM_NON_KANJI_EXPECTED = "ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ\uFFE2\uFFE4\uFF07\uFF02㈱№℡∵"
GREEK_EXPECTED = "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩαβγδεζηθικλμνξοπρστυφχψω"
CYRILLIC_EXPECTED = ("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
                     "абвгдеёжзийклмнопрстуфхцчшщъыьэюя")

# --- Education kanji ---------------------------------------------------------

# Kanji that the 2017 course moved to another grade: (2017 grade, earlier
# grade, kanji). The earlier grades fix the sections of the set.
GRADE_MOVES = [
    (5, 4, "囲紀喜救型航告殺士史象賞貯停堂得毒費粉脈歴"),
    (6, 4, "胃腸"),
    (4, 5, "賀群徳富"),
    (4, 6, "城"),
    (6, 5, "恩券承舌銭退敵俵預"),
]
PREFECTURE_KANJI = "茨媛岡潟岐熊香佐埼崎滋鹿縄井沖栃奈梨阪阜"
SECTION_SIZES = [80, 160, 200, 200, 185, 181]
SECTION_FIRST = "一引悪愛圧異"
EDUCATION_OPENING = "一右雨円王音下火花貝学気九休玉金空月犬見五口校"

# --- Regular-use kanji ---------------------------------------------------------

# The list's 𠮟 is stored as 叱.
JOYO_REPLACEMENTS = {"\U00020B9F": "\u53F1"}
# Education kanji that stand after the other kanji of their stroke count.
LATE_EDUCATION_KANJI = "片思貿"
REGULAR_USE_OPENING = "一乙九七十人二入八力刀丁又了下口三山子女小上夕千川大土"
REGULAR_USE_ENDING = "鶴驚襲籠鑑鬱"
# Kanji & Kana (Hadamitzky/Spahn) numbers 1..1945 are the 1981 list.
OLD_LIST_LAST_INDEX = 1945


class DataError(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise DataError(message)


# --- Reading the sources -----------------------------------------------------

def decode(data, encoding):
    try:
        return data.decode(encoding)
    except UnicodeDecodeError:
        return None


def euc_row(row, cells, encoding="euc_jp", plane=1):
    prefix = b"\x8f" if plane == 2 else b""
    out = []
    for cell in cells:
        ch = decode(prefix + bytes([0xA0 + row, 0xA0 + cell]), encoding)
        if ch is not None:
            out.append(ch)
    return out


def shift_jis_bytes(row, cell):
    j1, j2 = row + 0x20, cell + 0x20
    s1 = ((j1 + 1) >> 1) + (0x70 if j1 <= 0x5E else 0xB0)
    if j1 & 1:
        s2 = j2 + 0x1F + (1 if j2 >= 0x60 else 0)
    else:
        s2 = j2 + 0x7E
    return bytes([s1, s2])


def cp932_range(first, last):
    out = []
    for code in range(first, last + 1):
        ch = decode(bytes([code >> 8, code & 0xFF]), "cp932")
        if ch is not None:
            out.append(ch)
    return out


def read_unihan(path, field):
    values = {}
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[1] == field:
                values[chr(int(parts[0][2:], 16))] = parts[2]
    return values


def read_kanjidic(path):
    """Maps each kanji to its grade, stroke count, Kanji & Kana index and
    readings (on'yomi first), from the legacy KANJIDIC text (EUC-JP)."""
    entries = {}
    with open(path, "rb") as f:
        for raw in f:
            line = raw.decode("euc_jp")
            if line.startswith("#"):
                continue
            fields = line.split()
            entry = {"grade": None, "strokes": None, "index": None,
                     "on": [], "kun": []}
            for token in fields[2:]:
                head, rest = token[0], token[1:]
                if head == "{" or (head == "T" and rest.isdigit()):
                    break  # meanings, or the name readings that follow T1/T2
                if head == "G" and rest.isdigit():
                    entry["grade"] = int(rest)
                elif head == "S" and rest.isdigit() and entry["strokes"] is None:
                    entry["strokes"] = int(rest)  # the first S is the accepted count
                elif token.startswith("IN") and token[2:].isdigit():
                    entry["index"] = int(token[2:])
                elif "\u30A1" <= head <= "\u30FA":
                    entry["on"].append(token)
                elif "\u3041" <= head <= "\u3096" or head == "-":
                    entry["kun"].append(token)
            entries[fields[0]] = entry
    return entries


# --- Reading order -------------------------------------------------------------

SMALL_KANA = str.maketrans("ぁぃぅぇぉっゃゅょゎ", "あいうえおつやゆよわ")
VOICED = {}
for plain, marks in (("かきくけこさしすせそたちつてとはひふへほ", 1),
                     ("はひふへほ", 2)):
    for ch in plain:
        VOICED[chr(ord(ch) + marks)] = (ch, marks)


def kana_key(reading):
    """Dictionary order: compare without voicing marks and small kana first,
    then with them."""
    hira = "".join(chr(ord(c) - 0x60) if "\u30A1" <= c <= "\u30F6" else c
                   for c in reading if c not in ".-")
    base = "".join(VOICED.get(c, (c, 0))[0] for c in hira).translate(SMALL_KANA)
    marks = tuple(VOICED.get(c, (c, 0))[1] for c in hira)
    return base, marks, hira


def reading_key(kanji, kanjidic, jis_code):
    entry = kanjidic[kanji]
    if entry["on"]:
        reading, kind = entry["on"][0], 0
    else:
        reading, kind = entry["kun"][0], 1
    base, marks, hira = kana_key(reading)
    return base, marks, kind, entry["strokes"], jis_code[kanji]


# --- Building the sets ---------------------------------------------------------

def jis_x0208_sets():
    level1, level2 = [], []
    for row in range(16, 85):
        cells = range(1, 95)
        if row == 47:
            cells = range(1, 52)
        if row == 84:
            cells = range(1, 7)
        chars = euc_row(row, cells)
        expect(len(chars) == len(cells), "JIS X 0208 row %d has gaps" % row)
        expect(chars == euc_row(row, cells, "euc_jis_2004"),
               "euc_jp and euc_jis_2004 disagree in row %d" % row)
        sjis = [decode(shift_jis_bytes(row, c), "cp932") for c in cells]
        expect(chars == sjis, "euc_jp and cp932 disagree in row %d" % row)
        (level1 if row <= 47 else level2).extend(chars)
    return level1, level2


def jis_x0213_positions(plane):
    if plane == 1:
        for row in range(1, 95):
            for cell in range(1, 95):
                if (row in (14, 15) or (row == 47 and cell >= 52) or
                        (row == 84 and cell >= 7) or row >= 85):
                    yield row, cell
    else:
        for row in [1, 3, 4, 5, 8, 12, 13, 14, 15] + list(range(78, 95)):
            for cell in range(1, 95 if row != 94 else 87):
                yield row, cell


def jis_x0213_level(plane, unihan_jis):
    chars = []
    for row, cell in jis_x0213_positions(plane):
        found = euc_row(row, [cell], "euc_jis_2004", plane)
        listed = unihan_jis.get((plane, row, cell))
        expect((found[0] if found else None) == listed,
               "euc_jis_2004 and Unihan kJIS0213 disagree at %d-%d-%d: %r %r"
               % (plane, row, cell, found, listed))
        chars.extend(found)
    return chars


def unihan_jis0213():
    positions = {}
    for ch, value in read_unihan(UNIHAN_OTHER, "kJIS0213").items():
        plane, row, cell = (int(x) for x in value.split(","))
        expect((plane, row, cell) not in positions, "kJIS0213 twice " + value)
        positions[(plane, row, cell)] = ch
    return positions


def education_sections(kanjidic, jis_code):
    earlier = {}
    for grade_2017, grade_before, kanji in GRADE_MOVES:
        for k in kanji:
            expect(kanjidic[k]["grade"] == grade_2017,
                   "%s is not in grade %d" % (k, grade_2017))
            earlier[k] = grade_before
    sections = [[] for _ in range(6)]
    for k, entry in kanjidic.items():
        grade = entry["grade"]
        if grade is None or grade > 6 or k in PREFECTURE_KANJI:
            continue
        sections[earlier.get(k, grade) - 1].append(k)
    for k in PREFECTURE_KANJI:
        expect(kanjidic[k]["grade"] in range(1, 7), k + " is no education kanji")
    expect([len(s) for s in sections] == SECTION_SIZES,
           "education sections: %r" % [len(s) for s in sections])
    for s in sections:
        s.sort(key=lambda k: reading_key(k, kanjidic, jis_code))
    # The list's own representative readings differ from KANJIDIC's first
    # reading in places (貝 is read かい there, バイ here): the stated opening
    # of grade 1 is kept as it stands.
    opening = list(EDUCATION_OPENING)
    expect(set(opening) <= set(sections[0]), "opening outside grade 1")
    sections[0] = opening + [k for k in sections[0] if k not in opening]
    for s, first in zip(sections, SECTION_FIRST):
        expect(s[0] == first, "section begins %s, not %s" % (s[0], first))
    return sections


def regular_use(kanjidic, jis_code, sections):
    listing = read_unihan(UNIHAN_OTHER, "kJoyoKanji")
    joyo = sorted(k for k, v in listing.items() if v == "2010")
    expect(len(joyo) == 2136, "kJoyoKanji lists %d kanji" % len(joyo))
    # KANJIDIC knows 剝 塡 頰 𠮟 only by their other forms 剥 填 頬 叱, which
    # kJoyoKanji points at the list's forms.
    other_form = {chr(int(v[2:], 16)): k for k, v in listing.items()
                  if v.startswith("U+")}
    strokes_unihan = read_unihan(UNIHAN_IRG, "kTotalStrokes")
    grade_of = {k: g for g, s in enumerate(sections, 1) for k in s}
    education_rank = {k: i for i, k in
                      enumerate(k for s in sections for k in s)}
    keyed = []
    for listed in joyo:
        k = JOYO_REPLACEMENTS.get(listed, listed)
        if listed in kanjidic:
            entry = kanjidic[listed]
            expect(entry["grade"] in (1, 2, 3, 4, 5, 6, 8),
                   listed + " has no regular-use grade in KANJIDIC")
            strokes = entry["strokes"]
            known_as = listed
        else:
            known_as = other_form[listed]
            entry = kanjidic[known_as]
            # The list's form may differ in strokes (頰 16, 頬 15).
            strokes = int(strokes_unihan[listed].split()[0])
        in_old_list = (entry["index"] or 0) in range(1, OLD_LIST_LAST_INDEX + 1)
        if k in grade_of and k not in LATE_EDUCATION_KANJI:
            group, rank = grade_of[k], (education_rank[k],)
        else:
            # The kanji of the 1981 list first, then those added in 2010.
            group = 7 if in_old_list else 8
            if k in LATE_EDUCATION_KANJI:
                group = 9
            rank = reading_key(known_as, kanjidic, jis_code)
        keyed.append(((strokes, group, rank), k))
    keyed.sort()
    return [k for _, k in keyed]


def build_sets():
    unihan_jis = unihan_jis0213()
    level1, level2 = jis_x0208_sets()
    level3 = jis_x0213_level(1, unihan_jis)
    level4 = jis_x0213_level(2, unihan_jis)
    expect(len(level3) + len(level4) == len(unihan_jis),
           "Unihan kJIS0213 lists kanji outside levels 3 and 4")

    jis_code = {}
    for plane, rows in ((1, range(1, 95)), (2, range(1, 95))):
        for row in rows:
            for cell in range(1, 95):
                ch = euc_row(row, [cell], "euc_jis_2004", plane)
                if ch and len(ch[0]) == 1 and ch[0] not in jis_code:
                    jis_code[ch[0]] = (plane, row, cell)

    kanjidic = read_kanjidic(KANJIDIC)
    sections = education_sections(kanjidic, jis_code)
    education = [k for s in sections for k in s] + list(PREFECTURE_KANJI)
    regular = regular_use(kanjidic, jis_code, sections)

    ibm = cp932_range(0xFA40, 0xFC4B)
    nec = cp932_range(0x8740, 0x879C)
    greek = euc_row(6, range(1, 95))
    cyrillic = euc_row(7, range(1, 95))

    expect("".join(ibm[:28]) == IBM_NON_KANJI_EXPECTED, "IBM non-kanji differ")
    expect("".join(nec) == NEC_EXPECTED, "NEC special characters differ")
    expect("".join(greek) == GREEK_EXPECTED, "Greek differs")
    expect("".join(cyrillic) == CYRILLIC_EXPECTED, "Cyrillic differs")
    expect("".join(euc_row(4, range(1, 95))) ==
           "".join(chr(c) for c in range(0x3041, 0x3094)), "row 4 differs")
    expect("".join(euc_row(5, range(1, 95))) ==
           "".join(chr(c) for c in range(0x30A1, 0x30F7)), "row 5 differs")

    sets = [
        ("LatinLetters", "英字", [list(LATIN)], "Group"),
        ("Digits", "数字", [list(DIGITS)], "None"),
        ("AsciiSymbols", "記号", [list(ASCII_SYMBOLS)], "None"),
        ("Hiragana", "ひらがな", [list(HIRAGANA)], "Group"),
        ("Katakana", "カタカナ", [list(KATAKANA)], "None"),
        ("EducationKanji", "教育漢字", chunked(education), "Numbered"),
        ("RegularUseKanji", "常用漢字", chunked(regular), "Numbered"),
        ("JisLevel1", "第一水準", chunked(level1), "Numbered"),
        ("JisLevel2", "第二水準", chunked(level2), "Numbered"),
        ("JisLevel3", "第三水準", chunked(level3), "Numbered"),
        ("JisLevel4", "第四水準", chunked(level4), "Numbered"),
        ("IbmExtensions", "IBM拡張文字", [ibm[:28]] + chunked(ibm[28:]), "Group"),
        ("NecSpecials", "NEC特殊文字", [nec], "None"),
        ("GreekLetters", "ギリシア文字", [greek], "None"),
        ("CyrillicLetters", "キリル文字", [cyrillic], "None"),
    ]
    check_sets(dict((name, [c for chunk in chunks for c in chunk])
                    for name, _, chunks, _ in sets), sets)
    return sets


# The sets' stable ids for machines (--sets, --require, JSON and CSV), by set.
SET_IDS = {
    "LatinLetters": "ascii-letters", "Digits": "digits", "AsciiSymbols": "ascii-symbols",
    "Hiragana": "hiragana", "Katakana": "katakana", "EducationKanji": "education-kanji",
    "RegularUseKanji": "regular-use-kanji", "JisLevel1": "jis-x-0208-level-1",
    "JisLevel2": "jis-x-0208-level-2", "JisLevel3": "jis-x-0213-level-3",
    "JisLevel4": "jis-x-0213-level-4", "IbmExtensions": "ibm-extensions",
    "NecSpecials": "nec-special", "GreekLetters": "greek", "CyrillicLetters": "cyrillic",
}


def chunked(chars, size=100):
    return [chars[i:i + size] for i in range(0, len(chars), size)]


def check_sets(flat, sets):
    """The stated facts about the sets, checked against what the data gave."""
    totals = [52, 10, 32, 77, 78, 1026, 2136, 2965, 3390, 1259, 2436, 388, 83,
              48, 66]
    for (name, _, chunks, _), total in zip(sets, totals):
        chars = flat[name]
        expect(len(chars) == total, "%s has %d" % (name, len(chars)))
        expect(len(set(chars)) == total, name + " repeats a character")
    expect(sum(len(c) for _, _, c, _ in sets) == 148, "chunk count")
    all_chars = [c for chars in flat.values() for c in chars]
    expect(len(all_chars) == 14046, "character count")
    expect(len(set(all_chars)) == 10594,
           "%d distinct characters" % len(set(all_chars)))
    units = sum(len(chunk_text(ch)) + 1 for _, _, cs, _ in sets for ch in cs)
    expect(units == 14497, "%d UTF-16 units" % units)

    l1, l2, l3, l4 = (flat[n] for n in ("JisLevel1", "JisLevel2", "JisLevel3",
                                         "JisLevel4"))
    expect((l1[0], l1[-1]) == ("\u4E9C", "\u8155"), "level 1 ends")
    expect((l2[0], l2[-1]) == ("\u5F0C", "\u7199"), "level 2 ends")
    expect("".join(l2[-6:]) == "堯槇遙瑤凜熙", "level 2 last row")
    expect(len(chunk_text(l3)) == 1285 and len(chunk_text(l4)) == 2713, "units")
    expect(sum(ord(c) > 0xFFFF for c in l3) == 26, "level 3 supplementary")
    expect(sum(ord(c) > 0xFFFF for c in l4) == 277, "level 4 supplementary")
    expect(sum(0xF900 <= ord(c) <= 0xFAFF for c in l3) == 73, "compatibility")
    # The ten kanji added in 2004 at their code positions.
    expect(l3[0] == "俱" and l3[-5:] == list("姸屛幷瘦繫"), "2004 additions")
    for ch, pos in (("剝", (15, 94)), ("\U00020B9F", (47, 52)), ("吞", (47, 94)),
                    ("噓", (84, 7))):
        expect(euc_row(pos[0], [pos[1]], "euc_jis_2004") == [ch],
               "%s not at 1-%d-%d" % (ch, pos[0], pos[1]))
    expect((l4[0], l4[-1]) == ("\U00020089", "\U0002A6B2"), "level 4 ends")

    ibm, nec = flat["IbmExtensions"], flat["NecSpecials"]
    expect((ibm[28], ibm[-1]) == ("\u7E8A", "\u9ED1"), "IBM kanji ends")
    expect(sum(c in set(l3) | set(l4) for c in ibm[28:]) == 276, "IBM in 0213")
    expect(set(ibm) & set(nec) == set("ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ№℡∵㈱"), "IBM and NEC share")

    edu, reg = flat["EducationKanji"], flat["RegularUseKanji"]
    expect("".join(edu[:len(EDUCATION_OPENING)]) == EDUCATION_OPENING, "opening")
    expect("".join(edu[-20:]) == PREFECTURE_KANJI, "prefecture kanji last")
    expect(set(edu) <= set(l1) and set(edu) <= set(reg), "education subsets")
    expect("".join(reg[:len(REGULAR_USE_OPENING)]) == REGULAR_USE_OPENING,
           "regular-use opening: " + "".join(reg[:30]))
    expect("".join(reg[-len(REGULAR_USE_ENDING):]) == REGULAR_USE_ENDING,
           "regular-use ending: " + "".join(reg[-12:]))
    expect(all(ord(c) <= 0xFFFF for c in reg), "regular-use outside the BMP")
    expect(set(reg) - set(l1) - set(l2) == set("剝塡頰"), "regular-use in 0208")
    expect(set("剝塡頰") <= set(l3), "剝塡頰 in level 3")


# --- Writing the C++ source -----------------------------------------------------

def chunk_text(chars):
    """UTF-16 code units of the characters."""
    units = []
    for ch in chars:
        data = ch.encode("utf-16-le")
        units.extend(int.from_bytes(data[i:i + 2], "little")
                     for i in range(0, len(data), 2))
    return units


def cpp_literal(chars):
    out = []
    for ch in chars:
        c = ord(ch)
        if 0x20 <= c < 0x7F and ch not in "\"\\?":
            out.append(ch)
        elif ch in "\"\\?":
            out.append("\\" + ch)
        elif c > 0xFFFF:
            out.append("\\U%08X" % c)
        else:
            out.append("\\u%04X" % c)
    return out


def cpp_string(chars, indent, per_line=16):
    pieces = cpp_literal(chars)
    lines = ["u\"%s\"" % "".join(pieces[i:i + per_line])
             for i in range(0, len(pieces), per_line)] or ['u""']
    return ("\n" + indent).join(lines)


def render(sets):
    out = [
        "// Generated by tools/make_character_sets.py from the JIS X 0208,",
        "// JIS X 0213:2004 and Windows-31J mappings, Unihan and KANJIDIC.",
        "// Do not edit; run the generator instead.",
        "#include \"coverage/sets/character_sets.h\"",
        "",
        "namespace glyphcensus {",
        "",
        "namespace {",
        "",
    ]
    for name, label, chunks, _ in sets:
        out.append("// %s: %d characters in %d chunk%s." % (
            name, sum(len(c) for c in chunks), len(chunks),
            "" if len(chunks) == 1 else "s"))
        for i, chunk in enumerate(chunks, 1):
            out.append("const char16_t k%s%d[] =\n    %s;" % (
                name, i, cpp_string(chunk, "    ")))
        out.append("const char16_t* const k%sChunks[] = {%s};" % (
            name, ", ".join("k%s%d" % (name, i) for i in range(1, len(chunks) + 1))))
        out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("const CharacterSet kCharacterSets[kCharacterSetCount] = {")
    for name, label, chunks, progress in sets:
        out.append("    {%s, k%sChunks, %d, %d, ProgressKind::k%s},  // %s" % (
            cpp_string(list(label), ""), name, len(chunks),
            sum(len(c) for c in chunks), progress, name))
    out.append("};")
    out.append("")
    out.append("const char* const kCharacterSetIds[kCharacterSetCount] = {")
    for name, _, _, _ in sets:
        out.append("    \"%s\"," % SET_IDS[name])
    out.append("};")
    out.append("")
    out += ["}  // namespace glyphcensus", ""]
    return "\n".join(out)


def write_or_check(text, output, check, tool):
    """Writes the generated file, or with `check` compares it with the
    committed one: exit status 1 when it is out of date."""
    if check:
        try:
            with open(output, encoding="ascii") as f:
                current = f.read()
        except OSError:
            current = None
        if current != text:
            print("%s: %s is out of date; run tools/%s.py" % (tool, output, tool), file=sys.stderr)
            return 1
        return 0
    with open(output, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="fail if the committed file differs")
    parser.add_argument("--output", default=OUTPUT)
    args = parser.parse_args()
    try:
        text = render(build_sets())
    except OSError as e:
        print("make_character_sets: %s (needs the Debian packages unicode-data "
              "and kanjidic)" % e, file=sys.stderr)
        return 2
    except (DataError, KeyError) as e:
        print("make_character_sets: the data disagree: %s" % e, file=sys.stderr)
        return 2
    return write_or_check(text, args.output, args.check, "make_character_sets")


if __name__ == "__main__":
    sys.exit(main())
