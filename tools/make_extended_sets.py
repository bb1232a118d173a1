#!/usr/bin/python3
"""Writes coverage/sets/extended_set_tables.cpp: the extended repertoires
(JIS non-kanji, JIS X 0212 kanji, name kanji, Adobe-Japan1's supplements, the
variation-sequence sets and the characters with vertical forms) as constant
data, built from the standards' own files on this machine.

Sources (Debian's /usr/bin/python3, Debian packages and data/):
  - JIS X 0208 rows 1-8 and JIS X 0212 rows 16-77: Python's euc_jp codec
    (JIS X 0212 behind 0x8F); JIS X 0213 plane 1 rows 1-13 and both planes
    for the vertical forms: the euc_jis_2004 codec; Windows-31J: cp932.
  - Name kanji: Unihan's kJinmeiyoKanji (package unicode-data 15.0).
  - Adobe-Japan1: the UniJIS2004-UTF32-H and -V CMaps (package poppler-data).
  - Vertical orientation: UAX #50's VerticalOrientation.txt (unicode-data).
  - Standardized variants: StandardizedVariants.txt (unicode-data).
  - Ideographic variation sequences: data/adobe-japan1/Adobe-Japan1_sequences.txt
    (2022-09-14) and data/ivd/IVD_Sequences.txt (2014-05-16).
Every character set leaves out the members of general category Zs, Zl, Zp,
Cc, Cf, Mn and Me (UnicodeData.txt), which no font draws with ink of their own.

Usage:
  make_extended_sets.py            write the file
  make_extended_sets.py --check    exit 1 if the committed file differs
  make_extended_sets.py --output F write to F instead
"""

import argparse
import bz2
import hashlib
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_character_sets import (DataError, cpp_string, expect,  # noqa: E402
                                 write_or_check)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUTPUT = os.path.join(ROOT, "coverage", "sets", "extended_set_tables.cpp")
UNICODE_DATA = "/usr/share/unicode/UnicodeData.txt"
UNIHAN_OTHER = "/usr/share/unicode/Unihan_OtherMappings.txt.bz2"
VERTICAL_ORIENTATION = "/usr/share/unicode/VerticalOrientation.txt"
STANDARDIZED_VARIANTS = "/usr/share/unicode/StandardizedVariants.txt"
CMAP_H = "/usr/share/poppler/cMap/Adobe-Japan1/UniJIS2004-UTF32-H"
CMAP_V = "/usr/share/poppler/cMap/Adobe-Japan1/UniJIS2004-UTF32-V"
AJ1_SEQUENCES = os.path.join(ROOT, "data", "adobe-japan1", "Adobe-Japan1_sequences.txt")
IVD_SEQUENCES = os.path.join(ROOT, "data", "ivd", "IVD_Sequences.txt")
HASHES = {
    AJ1_SEQUENCES: "c4f0e7cb18999442f7981450c825242e9e1a02c9177ec59019834cc1fd12ee7c",
    IVD_SEQUENCES: "df902e58514e67d1f2d057ecbce19592a2e30722b79bb6a7201db8e3ab84e41a",
}

NO_INK_CATEGORIES = {"Zs", "Zl", "Zp", "Cc", "Cf", "Mn", "Me"}
# The last CID of each Adobe-Japan1 supplement, 0 to 7.
AJ1_LAST_CIDS = [8283, 8358, 8719, 9353, 15443, 20316, 23057, 23059]

# (name, id, label, total) in report order; the sets of characters first.
CHARACTER_SETS = [
    ("JisX0208NonKanji", "jis-x-0208-non-kanji", "JIS非漢字", 523),
    ("JisX0213NonKanji", "jis-x-0213-non-kanji", "JIS2004非漢字", 1123),
    ("JisX0212Kanji", "jis-x-0212-kanji", "補助漢字", 5801),
    ("JinmeiyoKanji", "jinmeiyo-kanji", "人名用漢字", 863),
    ("VerticalForms", "vertical-forms", "縦書き字形", 98),
]
AJ1_TOTALS = [7776, 7806, 8152, 8152, 10113, 13780, 15841, 15842]
SEQUENCE_SETS = [
    ("IvsAdobeJapan1", "ivs-adobe-japan1", "IVS Adobe-Japan1", 14684),
    ("IvsHanyoDenshi", "ivs-hanyo-denshi", "IVS 汎用電子", 13045),
    ("IvsMojiJoho", "ivs-moji-joho", "IVS 文字情報", 10710),
    ("SvsCjkCompatibility", "svs-cjk-compatibility", "SVS 互換漢字", 1002),
]
VERTICAL_FORMS_EXPECTED = (
    "、。〈〉《》「」『』【】〔〕〖〗〘〙〜〝〟ぁぃぅぇぉっゃゅょゎゕゖ゛゜゠ァィゥェォッャュョヮヵヶー"
    "ㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ㌃㌍㌔㌘㌢㌣㌦㌧㌫㌶㌻㍉㍊㍍㍑㍗㍻㍼㍽㍾（），．：［］＿｛｜｝～￣")


# --- Reading the sources -----------------------------------------------------

def read_categories():
    categories = {}
    first = None
    with open(UNICODE_DATA, encoding="utf-8") as f:
        for line in f:
            fields = line.split(";")
            code, name, category = int(fields[0], 16), fields[1], fields[2]
            if name.endswith("First>"):
                first = code
            elif name.endswith("Last>"):
                for c in range(first, code + 1):
                    categories[c] = category
            else:
                categories[code] = category
    return categories


def decode_one(data, encoding):
    """The one code point the bytes decode to, or None."""
    try:
        text = data.decode(encoding)
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 else None


def jis_rows(encoding, rows, prefix=b""):
    """The code points of the rows' positions that decode to one, in
    row-cell order."""
    out = []
    for row in rows:
        for cell in range(1, 95):
            c = decode_one(prefix + bytes([0xA0 + row, 0xA0 + cell]), encoding)
            if c is not None:
                out.append(c)
    return out


def windows31j():
    out = set(range(0x20, 0x7F))
    for b in range(0xA1, 0xE0):
        c = decode_one(bytes([b]), "cp932")
        if c is not None:
            out.add(c)
    for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
            c = decode_one(bytes([lead, trail]), "cp932")
            if c is not None:
                out.add(c)
    return out


def read_cmap(path):
    """Code point -> CID of a UTF-32 CMap's own cidchar and cidrange lines
    (not those of a CMap it uses)."""
    name = os.path.basename(path)
    with open(path, encoding="latin-1") as f:
        text = f.read()
    mapping = {}

    def put(code, cid):
        expect(mapping.get(code, cid) == cid, "%s maps U+%04X twice" % (name, code))
        mapping[code] = cid

    for block in re.findall(r"begincidchar(.*?)endcidchar", text, re.S):
        for code, cid in re.findall(r"<([0-9a-fA-F]+)>\s+(\d+)", block):
            put(int(code, 16), int(cid))
    for block in re.findall(r"begincidrange(.*?)endcidrange", text, re.S):
        for first, last, cid in re.findall(r"<([0-9a-fA-F]+)>\s*<([0-9a-fA-F]+)>\s+(\d+)", block):
            for i, code in enumerate(range(int(first, 16), int(last, 16) + 1)):
                put(code, int(cid) + i)
    expect(mapping, "%s has no mappings" % name)
    return mapping


def read_vertical_orientation():
    values = {}
    with open(VERTICAL_ORIENTATION, encoding="utf-8") as f:
        for line in f:
            line = line.split("#")[0].strip()
            if not line:
                continue
            codes, value = [part.strip() for part in line.split(";")]
            first, _, last = codes.partition("..")
            for c in range(int(first, 16), int(last or first, 16) + 1):
                values[c] = value
    return values


def read_jinmeiyo():
    codes = set()
    with bz2.open(UNIHAN_OTHER, "rt", encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[1] == "kJinmeiyoKanji":
                codes.add(int(parts[0][2:], 16))
    return sorted(codes)


def read_sequences(path, collection):
    """(base, selector) pairs of one collection, in the file's order."""
    pairs = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#")[0].strip()
            if not line:
                continue
            fields = [part.strip() for part in line.split(";")]
            if fields[1] != collection:
                continue
            base, selector = (int(part, 16) for part in fields[0].split())
            pairs.append((base, selector))
    expect(len(set(pairs)) == len(pairs), "%s lists a %s sequence twice" % (path, collection))
    return pairs


def read_compatibility_variants():
    pairs = []
    with open(STANDARDIZED_VARIANTS, encoding="utf-8") as f:
        for line in f:
            line = line.split("#")[0].strip()
            if not line:
                continue
            fields = [part.strip() for part in line.split(";")]
            if fields[1].startswith("CJK COMPATIBILITY IDEOGRAPH-"):
                base, selector = (int(part, 16) for part in fields[0].split())
                pairs.append((base, selector))
    return pairs


def check_hashes():
    for path, expected in HASHES.items():
        with open(path, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        expect(digest == expected, "%s is not the file data/README.md names" % path)


# --- The sets ------------------------------------------------------------------

def build_sets():
    check_hashes()
    categories = read_categories()

    def inked(codes):
        return [c for c in codes if categories.get(c) not in NO_INK_CATEGORIES]

    horizontal = read_cmap(CMAP_H)
    vertical = read_cmap(CMAP_V)
    orientation = read_vertical_orientation()
    jis2004 = set(jis_rows("euc_jis_2004", range(1, 95)) +
                  jis_rows("euc_jis_2004", range(1, 95), b"\x8f"))
    vertical_forms = sorted(
        c for c in jis2004 | windows31j()
        if c in vertical and vertical[c] != horizontal.get(c) and orientation.get(c) in ("Tu", "Tr"))
    characters = {
        "JisX0208NonKanji": inked(jis_rows("euc_jp", range(1, 9))),
        "JisX0213NonKanji": inked(jis_rows("euc_jis_2004", range(1, 14))),
        "JisX0212Kanji": inked(jis_rows("euc_jp", range(16, 78), b"\x8f")),
        "JinmeiyoKanji": inked(read_jinmeiyo()),
        "VerticalForms": inked(vertical_forms),
    }
    for name, _, _, total in CHARACTER_SETS:
        codes = characters[name]
        expect(len(codes) == total, "%s has %d characters, not %d" % (name, len(codes), total))
        expect(len(set(codes)) == len(codes), "%s lists a character twice" % name)
    expect("".join(map(chr, characters["VerticalForms"])) == VERTICAL_FORMS_EXPECTED,
           "the vertical forms differ from the list of 98")
    expect(characters["JinmeiyoKanji"] == sorted(characters["JinmeiyoKanji"]),
           "name kanji not in code point order")

    aj1 = sorted((c, cid) for c, cid in horizontal.items()
                 if categories.get(c) not in NO_INK_CATEGORIES)
    supplements = []
    for c, cid in aj1:
        expect(1 <= cid <= AJ1_LAST_CIDS[-1], "CID %d past Adobe-Japan1-7" % cid)
        supplements.append(next(n for n, last in enumerate(AJ1_LAST_CIDS) if cid <= last))
    for n, total in enumerate(AJ1_TOTALS):
        count = sum(1 for s in supplements if s <= n)
        expect(count == total, "Adobe-Japan1-%d has %d code points, not %d" % (n, count, total))

    sequences = {
        "IvsAdobeJapan1": read_sequences(AJ1_SEQUENCES, "Adobe-Japan1"),
        "IvsHanyoDenshi": read_sequences(IVD_SEQUENCES, "Hanyo-Denshi"),
        "IvsMojiJoho": read_sequences(IVD_SEQUENCES, "Moji_Joho"),
        "SvsCjkCompatibility": read_compatibility_variants(),
    }
    for name, _, _, total in SEQUENCE_SETS:
        pairs = sequences[name]
        expect(len(pairs) == total, "%s has %d sequences, not %d" % (name, len(pairs), total))
        for base, selector in pairs:
            expect(selector_index(selector) is not None, "%s: selector U+%X" % (name, selector))
    return characters, [c for c, _ in aj1], supplements, sequences


def selector_index(selector):
    """0-15 for VS1-VS16 (U+FE00-FE0F), 16-255 for VS17-VS256 (U+E0100-E01EF)."""
    if 0xFE00 <= selector <= 0xFE0F:
        return selector - 0xFE00
    if 0xE0100 <= selector <= 0xE01EF:
        return selector - 0xE0100 + 16
    return None


# --- Writing the C++ source -----------------------------------------------------

def chunked(codes, size=100):
    return [codes[i:i + size] for i in range(0, len(codes), size)]


def render(characters, aj1, supplements, sequences):
    out = [
        "// Generated by tools/make_extended_sets.py from the JIS codecs, Unihan,",
        "// Adobe-Japan1's CMaps, UAX #50, the standardized variants and the",
        "// ideographic variation sequences of data/. Do not edit; run the generator.",
        "#include \"coverage/sets/extended_sets.h\"",
        "",
        "namespace glyphcensus {",
        "",
        "namespace {",
        "",
    ]
    for name, _, _, _ in CHARACTER_SETS:
        chunks = chunked([chr(c) for c in characters[name]])
        for i, chunk in enumerate(chunks, 1):
            out.append("const char16_t k%s%d[] =\n    %s;" % (name, i, cpp_string(chunk, "    ")))
        out.append("const char16_t* const k%sChunks[] = {%s};" % (
            name, ", ".join("k%s%d" % (name, i) for i in range(1, len(chunks) + 1))))
        out.append("")
    for name, _, _, _ in SEQUENCE_SETS:
        packed = ["0x%X" % (base << 8 | selector_index(selector)) for base, selector in sequences[name]]
        out.append("const uint32_t k%sSequences[] = {" % name)
        for i in range(0, len(packed), 10):
            out.append("    " + ", ".join(packed[i:i + 10]) + ",")
        out.append("};")
        out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("const CharacterSet kExtendedCharacterSets[kExtendedCharacterSetCount] = {")
    for name, _, label, _ in CHARACTER_SETS:
        chunks = chunked(characters[name])
        out.append("    {%s, k%sChunks, %d, %d, ProgressKind::kGroup}," % (
            cpp_string(list(label), ""), name, len(chunks), len(characters[name])))
    out.append("};")
    out.append("")
    out.append("const char* const kExtendedCharacterSetIds[kExtendedCharacterSetCount] = {")
    for _, set_id, _, _ in CHARACTER_SETS:
        out.append("    \"%s\"," % set_id)
    out.append("};")
    out.append("")
    out.append("const SequenceSet kSequenceSets[kSequenceSetCount] = {")
    for name, set_id, label, _ in SEQUENCE_SETS:
        out.append("    {\"%s\", %s, k%sSequences, %d}," % (set_id, cpp_string(list(label), ""), name,
                                                 len(sequences[name])))
    out.append("};")
    out.append("")
    out.append("// Every code point UniJIS2004-UTF32-H maps (but those drawn without ink),")
    out.append("// in code point order, and the supplement of its CID, one digit each.")
    out.append("const char16_t kAdobeJapan1Characters[] =\n    %s;" % cpp_string([chr(c) for c in aj1], "    "))
    digits = "".join(str(s) for s in supplements)
    out.append("const char kAdobeJapan1SupplementDigits[] =")
    out += ["    \"%s\"" % digits[i:i + 96] for i in range(0, len(digits), 96)]
    out[-1] += ";"
    out.append("const int32_t kAdobeJapan1Count = %d;" % len(aj1))
    out.append("const int32_t kAdobeJapan1LastCids[kAdobeJapan1SupplementCount] = {%s};" % (
        ", ".join(str(c) for c in AJ1_LAST_CIDS)))
    out.append("")
    out += ["}  // namespace glyphcensus", ""]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true", help="fail if the committed file differs")
    parser.add_argument("--output", default=OUTPUT)
    args = parser.parse_args()
    try:
        text = render(*build_sets())
    except OSError as e:
        print("make_extended_sets: %s (needs the Debian packages unicode-data and "
              "poppler-data, and the files of data/)" % e, file=sys.stderr)
        return 2
    except (DataError, KeyError, ValueError) as e:
        print("make_extended_sets: the data disagree: %s" % e, file=sys.stderr)
        return 2
    return write_or_check(text, args.output, args.check, "make_extended_sets")


if __name__ == "__main__":
    sys.exit(main())
