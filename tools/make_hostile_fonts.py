#!/usr/bin/python3
"""Builds a folder of broken and malicious font files, and its manifest.

Every file starts from a real font (DejaVu Sans, IPAGothic, both subset first so
that the folder stays small) or from a font synthesized here, and is then
damaged in one way: truncated, sized wrongly, with tables that overlap or lie
outside the file, with a hostile naming table, a zlib bomb, a corrupt Brotli
stream, a giant outline, and so on.

manifest.tsv lists one file per line:
    file <TAB> command line <TAB> dialog <TAB> what the file does
with the expected reaction of `glyphcensus` (report: exit 0 and the 16 report
lines; error: exit 1 and one error line naming the file; either: one of the two,
the damage leaves it to the font engine; partial: exit 5, the report and one
warning naming the file, for a WOFF2 file the decoder refused after the face's
tables) and of the Windows dialog (report, silence, or either).

Usage: make_hostile_fonts.py OUTPUT_FOLDER
"""
import io
import logging
import os
import random
import struct
import sys
import zlib

from fontTools import subset
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTCollection, TTFont, newTable
from woff2_collection import woff2_collection_bytes

DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
IPAGOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"

WOFF_SIZE_CAP = 256 * 1024 * 1024  # largest totalSfntSize the WOFF converter takes

KANJI_SAMPLE = ("一右雨円王音下火花貝学気九休玉金空月犬見五口校左三山子四糸字耳七車手十出女小上"
                "森人水正生青夕石赤千川先早草足村大男竹中虫町天田土二日入年白八百文木本名目立力林六"
                "亜哀愛悪握圧扱安案暗以衣位囲医依委威為胃尉異移偉意違維慰遺緯域育一壱逸稲芋印")


# ---------------------------------------------------------------------------
# Raw sfnt and WOFF writers, so that every field can be set to anything.

def checksum(data):
    data = data + b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def read_tables(sfnt):
    """[(tag, data)] of an sfnt font, in directory order."""
    count = struct.unpack(">H", sfnt[4:6])[0]
    tables = []
    for k in range(count):
        tag, _, offset, length = struct.unpack(">4sIII", sfnt[12 + 16 * k:28 + 16 * k])
        tables.append((tag, sfnt[offset:offset + length]))
    return tables


def table_records(sfnt):
    """[(tag, checksum, offset, length)] of an sfnt font, in directory order."""
    count = struct.unpack(">H", sfnt[4:6])[0]
    return [struct.unpack(">4sIII", sfnt[12 + 16 * k:28 + 16 * k]) for k in range(count)]


def search_fields(n):
    e = n.bit_length() - 1 if n else 0
    search_range = (1 << e) * 16 if n else 0
    return search_range, e, (n * 16 - search_range) & 0xFFFF


def build_sfnt(tables, version=0x00010000, num_tables=None):
    """An sfnt with the tables in tag order, each padded to 4 bytes."""
    tables = sorted(tables, key=lambda t: t[0])
    n = len(tables)
    header = struct.pack(">IH3H", version, n if num_tables is None else num_tables, *search_fields(n))
    directory = b""
    body = b""
    offset = 12 + 16 * n
    for tag, data in tables:
        directory += struct.pack(">4sIII", tag, checksum(data), offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    return header + directory + body


def set_record(sfnt, tag, offset=None, length=None):
    """The sfnt with the table record of `tag` pointing elsewhere."""
    out = bytearray(sfnt)
    for k, (t, _, o, l) in enumerate(table_records(sfnt)):
        if t == tag:
            struct.pack_into(">II", out, 12 + 16 * k + 8,
                             o if offset is None else offset, l if length is None else length)
            return bytes(out)
    raise KeyError(tag)


def record_of(sfnt, tag):
    for t, c, o, l in table_records(sfnt):
        if t == tag:
            return o, l
    raise KeyError(tag)


def build_woff(entries, blobs, flavor=0x00010000, total=None, num_tables=None):
    """A WOFF 1.0 file. `entries` are dicts with tag, orig (table bytes) and
    optionally comp (stored bytes), offset, compLength, origLength, checksum;
    any field given overrides the honest value. `blobs` are extra bytes
    appended after the tables."""
    n = len(entries)
    data = b""
    directory = []
    base = 44 + 20 * n
    honest_total = 12 + 16 * n
    for e in entries:
        orig = e["orig"]
        comp = e.get("comp")
        if comp is None:
            packed = zlib.compress(orig, 9)
            comp = packed if len(packed) < len(orig) else orig
        offset = base + len(data)
        data += comp + b"\0" * (-len(comp) % 4)
        directory.append(struct.pack(
            ">4sIIII", e["tag"], e.get("offset", offset), e.get("compLength", len(comp)),
            e.get("origLength", len(orig)), e.get("checksum", checksum(orig))))
        honest_total += len(orig) + (-len(orig) % 4)
    body = b"".join(directory) + data + blobs
    header = struct.pack(">4sIIHHIHHIIIII", b"wOFF", flavor, 44 + len(body),
                         n if num_tables is None else num_tables, 0,
                         honest_total if total is None else total, 1, 0, 0, 0, 0, 0, 0)
    return header + body


def woff_entries(sfnt):
    return [{"tag": tag, "orig": data} for tag, data in read_tables(sfnt)]


def set_u32(data, offset, value):
    out = bytearray(data)
    struct.pack_into(">I", out, offset, value)
    return bytes(out)


def set_u16(data, offset, value):
    out = bytearray(data)
    struct.pack_into(">H", out, offset, value)
    return bytes(out)


def raw_name_table(records, storage, count=None, storage_offset=None):
    """A naming table from (platform, encoding, language, nameID, length,
    offset) records and the storage bytes."""
    n = len(records)
    head = struct.pack(">HHH", 0, n if count is None else count,
                       6 + 12 * n if storage_offset is None else storage_offset)
    return head + b"".join(struct.pack(">6H", *r) for r in records) + storage


def with_table(sfnt, tag, data):
    tables = [(t, d) for t, d in read_tables(sfnt) if t != tag] + [(tag, data)]
    return build_sfnt(tables, version=struct.unpack(">I", sfnt[:4])[0])


# ---------------------------------------------------------------------------
# Base fonts.

def subset_font(path, unicodes):
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.hinting = False
    options.layout_features = []
    options.notdef_outline = True
    font = TTFont(path)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=unicodes)
    subsetter.subset(font)
    return font


def font_bytes(font, flavor=None):
    font.flavor = flavor
    out = io.BytesIO()
    font.save(out)
    return out.getvalue()


def synth_font(family, glyphs, cmap, upem=1000, ascent=800, descent=200, os2=None, cff=False):
    """A small font: `glyphs` maps glyph names to (advance, draw(pen)) and
    `cmap` maps code points to glyph names."""
    names = [".notdef"] + [g for g in glyphs if g != ".notdef"]
    fb = FontBuilder(upem, isTTF=not cff)
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap(cmap)
    if cff:
        from fontTools.pens.t2CharStringPen import T2CharStringPen
        charstrings = {}
        for name in names:
            advance, draw = glyphs.get(name, (upem // 2, None))
            pen = T2CharStringPen(advance, None)
            if draw:
                draw(pen)
            charstrings[name] = pen.getCharString()
        fb.setupCFF(family, {"FullName": family}, charstrings, {})
    else:
        ttglyphs = {}
        for name in names:
            _, draw = glyphs.get(name, (upem // 2, None))
            pen = TTGlyphPen(None)
            if draw:
                draw(pen)
            ttglyphs[name] = pen.glyph()
        fb.setupGlyf(ttglyphs)
    # Left side bearings as the outlines have them: TrueType places a glyph by
    # its lsb, not by its coordinates.
    from fontTools.pens.boundsPen import ControlBoundsPen
    metrics = {}
    for name in names:
        advance, draw = glyphs.get(name, (upem // 2, None))
        bounds = ControlBoundsPen(None)
        if draw:
            draw(bounds)
        metrics[name] = (advance, int(bounds.bounds[0]) if bounds.bounds else 0)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ascent, descent=-descent)
    fb.setupNameTable({"familyName": family, "styleName": "Regular"})
    os2_fields = dict(sTypoAscender=ascent, sTypoDescender=-descent, usWinAscent=ascent,
                      usWinDescent=descent)
    os2_fields.update(os2 or {})
    fb.setupOS2(**os2_fields)
    fb.setupPost()
    # Outlines at the 16-bit extremes overflow the side bearings that fontTools
    # would recompute; the glyphs keep their own bounds.
    fb.font.recalcBBoxes = False
    return font_bytes(fb.font)


def box(x0, y0, x1, y1):
    def draw(pen):
        pen.moveTo((x0, y0))
        pen.lineTo((x0, y1))
        pen.lineTo((x1, y1))
        pen.lineTo((x1, y0))
        pen.closePath()
    return draw


def zigzag(points, extreme):
    """One contour of `points` points sweeping between -extreme and +extreme
    and through the origin (glyf stores 16-bit steps between points)."""
    def draw(pen):
        pen.moveTo((-extreme, 0))
        for k in range(1, points):
            x = (-extreme, 0, extreme, 0)[k % 4]
            y = (0, -extreme, 0, extreme)[k % 4] * (k % 97) // 96
            pen.lineTo((x, y))
        pen.closePath()
    return draw


MEASURED_RANGES = [(0x21, 0x7E), (0x3041, 0x3096), (0x30A1, 0x30FA), (0x391, 0x3C9),
                   (0x410, 0x44F), (0x4E00, 0x9FFF), (0x2160, 0x217F)]


def all_measured(glyph):
    return {c: glyph for lo, hi in MEASURED_RANGES for c in range(lo, hi + 1)}


# ---------------------------------------------------------------------------
# The corpus.

class Corpus:
    def __init__(self, folder):
        self.folder = folder
        self.rows = []
        os.makedirs(folder, exist_ok=True)

    def add(self, name, data, cli, dialog, why):
        assert cli in ("report", "error", "either", "partial") and dialog in ("report", "silence", "either")
        assert name not in [r[0] for r in self.rows], name
        with open(os.path.join(self.folder, name), "wb") as f:
            f.write(data)
        self.rows.append((name, cli, dialog, why))

    def write_manifest(self):
        with open(os.path.join(self.folder, "manifest.tsv"), "w", encoding="utf-8") as f:
            f.write("# file\tcommand line\tdialog\twhat the file does\n")
            for row in self.rows:
                f.write("\t".join(row) + "\n")


def add_valid(c, dejavu, ipag, otf):
    c.add("valid_dejavu.ttf", dejavu, "report", "report", "intact subset of DejaVu Sans")
    c.add("valid_ipag.ttf", ipag, "report", "report", "intact subset of IPAGothic")
    c.add("valid_synth.otf", otf, "report", "report", "intact synthesized CFF font")
    c.add("valid_ipag.woff", build_woff(woff_entries(ipag), b""), "report", "report",
          "intact WOFF 1.0 of the IPAGothic subset")
    c.add("valid_dejavu.woff2", font_bytes(TTFont(io.BytesIO(dejavu)), "woff2"), "report", "report",
          "intact WOFF2 of the DejaVu subset")
    collection = TTCollection()
    collection.fonts = [TTFont(io.BytesIO(ipag)), TTFont(io.BytesIO(dejavu))]
    out = io.BytesIO()
    collection.save(out)
    c.add("valid_pair.ttc", out.getvalue(), "report", "report", "intact two-font collection")


def add_truncations(c, label, sfnt, ext="ttf"):
    """Cut the font at every table boundary, and at places inside the header and
    the table directory."""
    records = table_records(sfnt)
    n = len(records)
    cuts = {0: "empty file", 1: "one byte", 3: "inside the sfnt version", 4: "after the sfnt version",
            5: "inside numTables", 6: "after numTables", 11: "inside the offset table",
            12: "after the offset table", 12 + 16 * n - 1: "one byte short of the full directory",
            12 + 16 * n: "right after the table directory"}
    for k in (0, n // 2, n - 1):
        cuts.setdefault(12 + 16 * k + 8, "inside table record %d" % k)
        cuts.setdefault(12 + 16 * k + 16, "after table record %d" % k)
    for tag, _, offset, length in sorted(records, key=lambda r: r[2]):
        name = tag.decode("latin-1").strip().replace("/", "_")
        cuts.setdefault(offset, "at the start of %s" % name)
        cuts.setdefault(offset + length // 2, "in the middle of %s" % name)
        cuts.setdefault(offset + length, "at the end of %s" % name)
    for cut, why in sorted(cuts.items()):
        if cut >= len(sfnt):
            continue
        refused = cut < 4
        c.add("truncated_%s_%07d.%s" % (label, cut, ext), sfnt[:cut],
              "error" if refused else "either", "silence" if refused else "either",
              "%s cut %s (%d of %d bytes)" % (label, why, cut, len(sfnt)))


def add_directory_damage(c, sfnt):
    c.add("numtables_65535.ttf", set_u16(sfnt, 4, 65535), "either", "either",
          "numTables 65535; the walk runs into the table data and off the file")
    c.add("numtables_65535_bare.ttf", struct.pack(">IH3H", 0x00010000, 65535, 0, 0, 0),
          "either", "either", "numTables 65535 and no directory at all")
    c.add("numtables_0.ttf", set_u16(sfnt, 4, 0), "either", "either", "numTables 0")
    size = len(sfnt)
    cmap_offset, cmap_length = record_of(sfnt, b"cmap")
    glyf_offset, glyf_length = record_of(sfnt, b"glyf")
    loca_offset, _ = record_of(sfnt, b"loca")
    overlap = set_record(sfnt, b"name", offset=cmap_offset, length=cmap_length)
    c.add("overlap_name_on_cmap.ttf", overlap, "either", "either",
          "the naming table record points at the cmap bytes")
    c.add("overlap_name_on_directory.ttf", set_record(sfnt, b"name", offset=0, length=size),
          "either", "either", "the naming table covers the whole file, directory included")
    c.add("overlap_glyf_on_loca.ttf", set_record(sfnt, b"glyf", offset=loca_offset, length=glyf_length),
          "either", "either", "glyf starts where loca starts")
    c.add("past_end_name.ttf", set_record(sfnt, b"name", offset=size + 4096),
          "either", "either", "the naming table lies past the end of the file")
    c.add("past_end_name_straddle.ttf", set_record(sfnt, b"name", offset=size - 8, length=64),
          "either", "either", "the naming table starts inside the file and ends past it")
    c.add("past_end_name_wraps.ttf", set_record(sfnt, b"name", offset=0xFFFFFFF0, length=0x20),
          "either", "either", "naming table offset + length wraps around 2^32")
    c.add("past_end_name_length_max.ttf", set_record(sfnt, b"name", length=0xFFFFFFFF),
          "either", "either", "naming table length 0xFFFFFFFF")
    c.add("past_end_glyf.ttf", set_record(sfnt, b"glyf", length=0xFFFFFFF0),
          "either", "either", "glyf length near 4 GiB")
    c.add("past_end_cmap.ttf", set_record(sfnt, b"cmap", offset=size + 16),
          "either", "either", "cmap past the end of the file")
    c.add("past_end_glyf_offset.ttf", set_record(sfnt, b"glyf", offset=glyf_offset + 0x7FFFFFF0),
          "either", "either", "glyf offset 2 GiB past the file")
    version = struct.unpack(">I", sfnt[:4])[0]
    c.add("bad_sfnt_version.ttf", set_u32(sfnt, 0, 0x00020000), "error", "silence",
          "sfnt version 0x00020000 is refused")
    c.add("sfnt_version_true.ttf", set_u32(sfnt, 0, 0x74727565), "error", "silence",
          "Apple 'true' fonts are refused")
    c.add("not_a_font.txt", b"This is not a font file at all.\n" * 4, "error", "silence",
          "plain text")
    assert version == 0x00010000


def add_woff_damage(c, sfnt):
    entries = woff_entries(sfnt)
    honest = build_woff(entries, b"")
    total = struct.unpack(">I", honest[16:20])[0]
    c.add("woff_total_0.woff", set_u32(honest, 16, 0), "either", "either", "WOFF totalSfntSize 0")
    c.add("woff_total_12.woff", set_u32(honest, 16, 12), "either", "either",
          "WOFF totalSfntSize 12: the offset table alone")
    c.add("woff_total_small.woff", set_u32(honest, 16, total // 3), "either", "either",
          "WOFF totalSfntSize a third of what the tables need")
    c.add("woff_total_odd.woff", set_u32(honest, 16, total + 7), "report", "report",
          "WOFF totalSfntSize 7 bytes more than the tables need")
    c.add("woff_total_at_cap.woff", set_u32(honest, 16, WOFF_SIZE_CAP), "either", "either",
          "WOFF totalSfntSize exactly at the 256 MiB cap")
    c.add("woff_total_above_cap.woff", set_u32(honest, 16, WOFF_SIZE_CAP + 1), "error", "silence",
          "WOFF totalSfntSize one byte above the 256 MiB cap is refused")
    c.add("woff_total_2g.woff", set_u32(honest, 16, 0x80000000), "error", "silence",
          "WOFF totalSfntSize 2^31 is refused")
    c.add("woff_total_max.woff", set_u32(honest, 16, 0xFFFFFFFF), "error", "silence",
          "WOFF totalSfntSize 0xFFFFFFFF is refused")
    c.add("woff_flavor_ttcf.woff", set_u32(honest, 4, 0x74746366), "error", "silence",
          "collection-flavoured WOFF is refused")
    c.add("woff_header_only.woff", honest[:44], "either", "either", "WOFF header without directory")
    c.add("woff_short_header.woff", honest[:15], "error", "silence",
          "WOFF too short to hold totalSfntSize")
    for cut in (17, 30, 44 + 10, 44 + 20 * len(entries) // 2, 44 + 20 * len(entries),
                len(honest) // 2, len(honest) - 1):
        c.add("woff_truncated_%06d.woff" % cut, honest[:cut], "either", "either",
              "WOFF cut at %d of %d bytes" % (cut, len(honest)))
    c.add("woff_numtables_65535.woff", set_u16(honest, 12, 65535), "either", "either",
          "WOFF numTables 65535; the directory runs off the file")
    many = [{"tag": struct.pack(">I", (k * 2654435761) & 0xFFFFFFFF), "orig": b""} for k in range(65535)]
    c.add("woff_numtables_65535_full.woff", build_woff(many, b""), "either", "either",
          "WOFF with 65535 empty tables of scrambled tags (bytes 0x00 and 0x80+ included)")
    # Tables that overlap, lie past the end, or lie about their lengths.
    size = len(honest)
    def damaged(file_name, why, total_size=None, **changes):
        es = [dict(e) for e in entries]
        for tag, fields in changes.items():
            for e in es:
                if e["tag"] == tag.encode().ljust(4):
                    e.update(fields)
        c.add(file_name, build_woff(es, b"", total=total_size), "either", "either", why)
    first = 44 + 20 * len(entries)
    damaged("woff_overlap.woff", "WOFF name and cmap data at the same offset",
            name={"offset": first}, cmap={"offset": first})
    damaged("woff_overlap_directory.woff", "WOFF glyf data offset 0: the header as a table",
            glyf={"offset": 0})
    damaged("woff_past_end.woff", "WOFF name data past the end of the file", name={"offset": size + 100})
    damaged("woff_past_end_wraps.woff", "WOFF glyf offset + compLength wraps around 2^32",
            glyf={"offset": 0xFFFFFFF0, "compLength": 0x20})
    damaged("woff_complength_gt_orig.woff", "WOFF head compLength larger than origLength",
            head={"comp": zlib.compress(dict((e["tag"], e["orig"]) for e in entries)[b"head"]) + b"\0" * 200,
                  "origLength": 54})
    damaged("woff_complength_huge.woff", "WOFF glyf compLength 0xFFFFFFFF",
            glyf={"compLength": 0xFFFFFFFF})
    damaged("woff_origlength_4g.woff", "WOFF glyf origLength 0xFFFFFFF0 with an honest totalSfntSize",
            glyf={"origLength": 0xFFFFFFF0})
    damaged("woff_origlength_4g_stored.woff", "WOFF glyf stored with compLength = origLength = 0xFFFFFFF0",
            glyf={"origLength": 0xFFFFFFF0, "compLength": 0xFFFFFFF0})
    damaged("woff_origlength_4g_at_cap.woff", "WOFF glyf origLength near 4 GiB, totalSfntSize at the cap",
            total_size=WOFF_SIZE_CAP, glyf={"origLength": 0xFFFFFFF0})
    damaged("woff_corrupt_zlib.woff", "WOFF glyf data is not a zlib stream",
            glyf={"comp": bytes(range(256)) * 8, "origLength": 40000})
    damaged("woff_orig_zero.woff", "WOFF table with origLength 0 and compressed data",
            post={"origLength": 0})
    # zlib bombs: small files whose streams inflate far beyond origLength.
    bomb = zlib.compress(b"\0" * (64 << 20), 9)
    damaged("woff_zlib_bomb.woff", "WOFF glyf: %d bytes that inflate to 64 MiB, origLength 4096" % len(bomb),
            glyf={"comp": bomb, "origLength": 4096})
    bomb_total = 12 + 16 * len(entries) + sum(len(e["orig"]) + 3 for e in entries) + (96 << 20)
    damaged("woff_zlib_bomb_96m.woff", "WOFF glyf inflates to 64 MiB into a 96 MiB origLength",
            total_size=bomb_total, glyf={"comp": bomb, "origLength": 96 << 20})
    # Many entries, one stream: 1 MiB of empty stored blocks inflates to
    # nothing but costs its whole length every time it is inflated.
    empty_blocks = b"\x78\x01" + b"\x00\x00\x00\xff\xff" * ((1 << 20) // 5) + b"\x01\x00\x00\xff\xff" + \
        struct.pack(">I", 1)
    shared = [{"tag": struct.pack(">I", 0x41000000 + k), "orig": b"\0" * 4, "comp": b"",
               "offset": 44 + 20 * 20000, "compLength": len(empty_blocks)} for k in range(20000)]
    c.add("woff_shared_stream.woff", build_woff(shared, empty_blocks), "either", "either",
          "WOFF whose 20000 entries all point at one 1 MiB zlib stream of empty stored blocks")
    # Checks nothing else: same tag twice, and a tag of zero bytes.
    es = entries + [{"tag": b"name", "orig": b"\0" * 6}, {"tag": b"\0\0\0\0", "orig": b"x"},
                    {"tag": b"\xff\xfe\0\x01", "orig": b"yy"}]
    c.add("woff_duplicate_tags.woff", build_woff(es, b""), "either", "either",
          "WOFF with a second, empty naming table and tags with zero and high bytes")


def add_unneeded_tables_outside(c, sfnt):
    """Tables that only shaping or signing uses, running past the end: both
    glyph tests leave them out and measure the font."""
    damaged = sfnt
    for tag in (b"DSIG", b"GPOS", b"GSUB"):
        damaged = with_table(damaged, tag, b"\x5a" * 64)
    size = len(damaged)
    for tag in (b"DSIG", b"GPOS", b"GSUB"):
        offset, _ = record_of(damaged, tag)
        damaged = set_record(damaged, tag, length=size - offset + 4096)
    c.add("unneeded_tables_past_end.ttf", damaged, "report", "report",
          "GSUB, GPOS and DSIG run 4 KiB past the end of the file")
    offset, _ = record_of(damaged, b"GSUB")
    c.add("unneeded_table_offset_max.ttf", set_record(damaged, b"GSUB", offset=0xFFFFFFF0, length=0x20),
          "report", "report", "GSUB offset + length wraps around 2^32")


def add_one_directory_collection(c, sfnt):
    """A collection whose 20000 fonts are one directory with a naming table of
    65535 records; a last font lists glyf outside the file. Checked font by
    font, the structure check would walk 1.3 billion name records."""
    # Storage offsets reach 128 KiB at most: the strings are record bytes.
    records = [(1, 0, 0, 1, 6, k % 50) for k in range(65535)]
    font = with_table(sfnt, b"name", raw_name_table(records, b"", storage_offset=6))
    count = 20000
    header_size = 12 + 4 * (count + 1)
    broken = bytearray(font)
    glyf_record = [k for k, r in enumerate(table_records(font)) if r[0] == b"glyf"][0]
    struct.pack_into(">I", broken, 12 + 16 * glyf_record + 8, 0xFFFFFF00)
    first = header_size
    second = first + len(font)
    # Table offsets count from the start of the collection.
    def moved(sfnt_bytes, by):
        out = bytearray(sfnt_bytes)
        for k, (_, _, o, _) in enumerate(table_records(sfnt_bytes)):
            if o != 0xFFFFFF00:
                struct.pack_into(">I", out, 12 + 16 * k + 8, o + by)
        return bytes(out)
    header = struct.pack(">4sII", b"ttcf", 0x00010000, count + 1) + \
        struct.pack(">%dI" % count, *([first] * count)) + struct.pack(">I", second)
    c.add("ttc_one_directory_20000.ttc", header + moved(font, first) + moved(bytes(broken), second),
          "either", "either", "collection of 20000 fonts at one directory with 65535 name records, "
          "and a last font whose glyf lies outside the file")


def add_name_damage(c, sfnt):
    def name_font(name, table, why, cli="either"):
        c.add(name, with_table(sfnt, b"name", table), cli, "either", why)

    family = "Hostile".encode("utf-16-be")
    # 65535 accepted family records, each string at its own odd or even
    # offset, so that strings overlap each other. The storage offset cannot
    # reach past 786,426 bytes of records: the strings are record bytes, and
    # marking one changes records not walked yet.
    records = [(3, 1, 0x409, 1, 2 + k % 7, k) for k in range(65535)]
    name_font("name_65535_records.ttf", raw_name_table(records, b"", storage_offset=0xFFFF),
              "65535 accepted family records; overlapping strings inside the records")
    records = [(1, 0, 0, 1, 6, k % 50) for k in range(65535)]
    name_font("name_65535_mac_records.ttf", raw_name_table(records, b"", storage_offset=6),
              "65535 Macintosh family records")
    records = [(3, 1, 0x409, 1, len(family), 0)]
    name_font("name_count_65535_short.ttf", raw_name_table(records, family, count=65535),
              "name record count 65535 with one record present")
    name_font("name_string_outside_table.ttf",
              raw_name_table([(3, 1, 0x409, 1, 14, 4000)], family),
              "family string past the naming table's end")
    name_font("name_string_outside_image.ttf",
              raw_name_table([(3, 1, 0x411, 1, 14, 0xFFF0)], family, storage_offset=0xFFFF),
              "family string past the end of the image")
    name_font("name_string_straddles.ttf",
              raw_name_table([(3, 1, 0x409, 1, 600, 0)], family),
              "family string starts in the table and ends past the file")
    records = [(3, 1, 0x409, 1, length, 0) for length in (1, 3, 13, 519, 521, 0xFFFF)]
    name_font("name_odd_lengths.ttf", raw_name_table(records, family + b"\0" * 600),
              "family strings of lengths 1, 3, 13, 519, 521 and 65535")
    records = [(3, 1, 0x411, 1, 1, 0), (1, 0, 0, 1, 1, 0), (0, 3, 0, 1, 1, 0)]
    name_font("name_one_byte_strings.ttf", raw_name_table(records, b"V"),
              "one-byte family strings: too short to mark")
    long_name = ("長" * 600).encode("utf-16-be")
    name_font("name_600_units.ttf", raw_name_table([(3, 1, 0x411, 1, len(long_name), 0)], long_name),
              "a 600-unit family name", cli="report")
    cr = "A\rB".encode("utf-16-be")
    name_font("name_carriage_return.ttf", raw_name_table([(3, 1, 0x409, 1, len(cr), 0)], cr),
              "a family name with a carriage return inside", cli="report")
    surrogates = "\ud800V\udfff".encode("utf-16-be", "surrogatepass")
    name_font("name_lone_surrogates.ttf",
              raw_name_table([(3, 1, 0x409, 1, len(surrogates), 0)], surrogates),
              "a family name of unpaired surrogates", cli="report")
    sjis = bytes([0x82, 0xA0, 0x81, 0xFF, 0xFF, 0x80, 0xA0, 0xFD])
    name_font("name_bad_shift_jis.ttf", raw_name_table([(1, 1, 11, 1, len(sjis), 0)], sjis),
              "a Macintosh Japanese name that is not valid Shift_JIS")
    shared = ("VShared").encode("utf-16-be")
    records = [(3, 1, 0x409, 1, len(shared), 0), (0, 3, 0, 1, len(shared), 0),
               (3, 1, 0x411, 1, len(shared), 0), (3, 1, 0x411, 1, len(shared), 2)]
    name_font("name_shared_string.ttf", raw_name_table(records, shared),
              "English, Unicode and Japanese records share one string starting with V", cli="report")
    name_font("name_storage_offset_max.ttf",
              raw_name_table([(3, 1, 0x409, 1, len(family), 0)], family, storage_offset=0xFFFF),
              "storage offset 0xFFFF")
    name_font("name_empty_table.ttf", b"", "a naming table of 0 bytes")
    name_font("name_header_only.ttf", struct.pack(">HH", 0, 3), "a 4-byte naming table")
    # Two naming tables; the first is empty.
    tables = read_tables(sfnt) + [(b"name", b"")]
    c.add("name_twice.ttf", build_sfnt(tables), "either", "either", "two table records named 'name'")


def add_collection_damage(c, dejavu, ipag):
    collection = TTCollection()
    collection.fonts = [TTFont(io.BytesIO(ipag)), TTFont(io.BytesIO(dejavu))]
    out = io.BytesIO()
    collection.save(out)
    ttc = out.getvalue()
    size = len(ttc)
    c.add("ttc_first_offset_past_end.ttc", set_u32(ttc, 12, size + 1000), "error", "silence",
          "collection whose first font offset lies past the end of the file")
    c.add("ttc_first_offset_max.ttc", set_u32(ttc, 12, 0xFFFFFFFF), "error", "silence",
          "collection whose first font offset is 0xFFFFFFFF")
    c.add("ttc_first_offset_at_end.ttc", set_u32(ttc, 12, size - 2), "error", "silence",
          "collection whose first font offset leaves 2 bytes of the file")
    c.add("ttc_header_only.ttc", ttc[:12], "error", "silence", "collection header cut before the offset")
    c.add("ttc_directory_cut.ttc", ttc[:struct.unpack(">I", ttc[12:16])[0] + 6], "either", "either",
          "collection cut inside its first font's directory")
    c.add("ttc_numfonts_max.ttc", set_u32(ttc, 8, 0xFFFFFFFF), "report", "report",
          "collection claiming 2^32-1 fonts (the count is not looked at)")
    c.add("ttc_version_3.ttc", set_u32(ttc, 4, 0x00030000), "error", "silence",
          "collection version 3.0 is refused")
    c.add("ttc_capital_signature.ttc", b"TTCF" + ttc[4:], "report", "report",
          "collection signature in capitals")
    c.add("ttc_first_offset_self.ttc", set_u32(ttc, 12, 0), "error", "silence",
          "collection whose first font offset points at the collection header")


def add_woff2_damage(c, dejavu):
    woff2 = font_bytes(TTFont(io.BytesIO(dejavu)), "woff2")
    num_tables = struct.unpack(">H", woff2[12:14])[0]
    # The Brotli stream follows the header (48 bytes) and the table directory,
    # whose entries have variable length; damage the bytes well after it.
    stream = len(woff2) // 2
    corrupt = bytearray(woff2)
    for k in range(stream, min(stream + 64, len(woff2))):
        corrupt[k] ^= 0xA5
    c.add("woff2_corrupt_brotli.woff2", bytes(corrupt), "either", "either",
          "WOFF2 with 64 bytes of its Brotli stream inverted")
    corrupt = bytearray(woff2)
    corrupt[48 + 3 * num_tables:] = bytes(len(woff2) - 48 - 3 * num_tables)
    c.add("woff2_zero_stream.woff2", bytes(corrupt), "either", "either",
          "WOFF2 whose compressed stream is all zero bytes")
    c.add("woff2_truncated_half.woff2", woff2[:len(woff2) // 2], "either", "either",
          "WOFF2 cut in half")
    c.add("woff2_truncated_header.woff2", woff2[:19], "either", "either",
          "WOFF2 of 19 bytes: too short for totalSfntSize, empty image")
    c.add("woff2_total_max.woff2", set_u32(woff2, 16, 0xFFFFFFFF), "either", "either",
          "WOFF2 totalSfntSize 0xFFFFFFFF (capped at 30 MiB)")
    c.add("woff2_total_0.woff2", set_u32(woff2, 16, 0), "either", "either", "WOFF2 totalSfntSize 0")
    c.add("woff2_numtables_65535.woff2", set_u16(woff2, 12, 65535), "either", "either",
          "WOFF2 numTables 65535")
    c.add("woff2_compressed_size_max.woff2", set_u32(woff2, 20, 0xFFFFFFFF), "either", "either",
          "WOFF2 totalCompressedSize 0xFFFFFFFF")
    c.add("woff2_wrong_case.woff2", b"WOF2" + woff2[4:], "either", "either",
          "WOFF2 signature in capitals: accepted as a container, refused by the decoder")
    c.add("woff2_flavor_ttcf.woff2", set_u32(woff2, 4, 0x74746366), "error", "silence",
          "collection-flavoured WOFF2 is refused")
    # 31 MiB of repeated random blocks after the font's tables: the decoder
    # refuses the write that passes its 30 MiB limit, after every table of the
    # font (the file stays near 512 KiB, under the decoder's largest ratio).
    private = random.Random(24).randbytes(1 << 19) * 62
    c.add("woff2_past_size_limit.woff2",
          woff2_collection_bytes(dejavu, [(b"zzzz", private)], quality=2), "partial", "report",
          "WOFF2 decoding past 30 MiB in a private table after the font's tables: measured")


def add_outline_damage(c):
    measured = all_measured("huge")
    base = {"space": (500, None)}
    c.add("huge_outline_upem1000.ttf",
          synth_font("HugeOutline", dict(base, huge=(1000, zigzag(20000, 32767))), measured),
          "report", "report", "every measured character drawn by one glyph of 20000 points "
          "spanning -32767..32767 at 1000 units per em")
    c.add("huge_outline_upem16.ttf",
          synth_font("HugeOutline16", dict(base, huge=(16, zigzag(4000, 32767))), measured,
                     upem=16, ascent=13, descent=3),
          "report", "report", "glyph spanning -32767..32767 at 16 units per em: about 61,000 pixels wide")
    for upem in (40, 64):
        c.add("huge_outline_upem%d.ttf" % upem,
              synth_font("HugeOutline%d" % upem, dict(base, huge=(upem, zigzag(8, 32767))), measured,
                         upem=upem, ascent=upem * 4 // 5, descent=upem // 5),
              "report", "report", "an 8-point glyph spanning -32767..32767 at %d units per em: "
              "a bitmap of %d pixels square" % (upem, 2 * 32767 * 15 // upem))
    c.add("huge_metrics.ttf",
          synth_font("HugeMetrics", dict(base, box=(65535, box(0, 0, 10, 10))), all_measured("box"),
                     upem=16, ascent=32767, descent=32767,
                     os2={"usWinAscent": 65535, "usWinDescent": 65535}),
          "report", "report", "advance 65535 and winAscent/winDescent 65535 at 16 units per em")
    many = {"g%d" % k: (600, box(0, 0, 500, 500)) for k in range(3000)}
    cmap = {c_: "g%d" % (k % 3000) for k, c_ in enumerate(sorted(all_measured("x")))}
    c.add("many_glyphs.ttf", synth_font("ManyGlyphs", dict(base, **many), cmap), "report", "report",
          "3000 distinct glyphs covering every measured character")
    # A composite glyph that uses itself, and one whose component is out of range.
    font = TTFont(io.BytesIO(synth_font("Composite", dict(base, A=(600, box(0, 0, 500, 500))),
                                        {0x41: "A", 0x42: "A"})))
    from fontTools.ttLib.tables._g_l_y_f import Glyph
    # numberOfContours -1, bounds, then one component: flags ARGS_ARE_XY_VALUES,
    # the glyph's own index, offsets 0 and 0.
    own_index = font.getGlyphID("A")
    font["glyf"].glyphs["A"] = Glyph(struct.pack(">5hHHbb", -1, 0, 0, 500, 500, 0x0002, own_index, 0, 0))
    font.recalcBBoxes = False  # fontTools itself would recurse into the loop
    data = font_bytes(font)
    c.add("composite_self.ttf", data, "either", "either", "a composite glyph that is its own component")
    # loca pointing outside glyf; cmap glyph ids past numGlyphs; units per em 0.
    plain = synth_font("Plain", dict(base, A=(600, box(0, 0, 500, 500))), {0x41: "A", 0x42: "A"})
    loca_offset, loca_length = record_of(plain, b"loca")
    loca = bytearray(plain)
    for k in range(loca_offset + 2, loca_offset + loca_length, 2):
        struct.pack_into(">H", loca, k, 0xFFFF)
    c.add("loca_outside_glyf.ttf", bytes(loca), "either", "either", "loca entries far past glyf")
    head_offset, _ = record_of(plain, b"head")
    c.add("head_upem_0.ttf", set_u16(plain, head_offset + 18, 0), "either", "either",
          "head unitsPerEm 0")
    maxp_offset, _ = record_of(plain, b"maxp")
    c.add("maxp_numglyphs_65535.ttf", set_u16(plain, maxp_offset + 4, 65535), "either", "either",
          "maxp claims 65535 glyphs, the font has 3")
    hmtx_offset, _ = record_of(plain, b"hmtx")
    hhea_offset, _ = record_of(plain, b"hhea")
    c.add("hhea_metrics_65535.ttf", set_u16(plain, hhea_offset + 34, 65535), "either", "either",
          "hhea numberOfHMetrics 65535 with a short hmtx")
    del hmtx_offset
    # A cmap whose format 12 subtable claims 2^28 groups and holds two.
    groups = struct.pack(">III", 0x41, 0x5A, 2) + struct.pack(">III", 0x3041, 0x3096, 2)
    cmap12 = struct.pack(">HHIII", 12, 0, 16 + len(groups), 0, 0x10000000) + groups
    cmap = struct.pack(">HHHHI", 0, 1, 3, 10, 12) + cmap12
    c.add("cmap12_groups_huge.ttf", with_table(plain, b"cmap", cmap), "either", "either",
          "a format 12 cmap claiming 2^28 groups")
    # TrueType instructions that jump back forever: in the glyph, and in the
    # control value program that runs whenever a size is set.
    from fontTools.ttLib.tables import ttProgram
    loop = b"\xb8\xff\xfd\x1c"  # PUSHW -3, JMPR: back to the push
    for where in ("glyph", "prep"):
        font = TTFont(io.BytesIO(plain))
        program = ttProgram.Program()
        program.fromBytecode(loop)
        if where == "glyph":
            font["glyf"]["A"].program = program
        else:
            font["prep"] = newTable("prep")
            font["prep"].program = program
        font["maxp"].maxStackElements = 16
        font["maxp"].maxSizeOfInstructions = len(loop)
        c.add("instructions_loop_%s.ttf" % where, font_bytes(font), "either", "either",
              "TrueType instructions in the %s that jump back forever" % where)


def hole(x0, y0, x1, y1):
    """A counter-clockwise rectangle: it cancels a clockwise one around it."""
    def draw(pen):
        pen.moveTo((x0, y0))
        pen.lineTo((x1, y0))
        pen.lineTo((x1, y1))
        pen.lineTo((x0, y1))
        pen.closePath()
    return draw


def circle(cx, cy, r):
    """A clockwise circle of four quadratic arcs."""
    def draw(pen):
        pen.moveTo((cx, cy + r))
        pen.qCurveTo((cx + r, cy + r), (cx + r, cy))
        pen.qCurveTo((cx + r, cy - r), (cx, cy - r))
        pen.qCurveTo((cx - r, cy - r), (cx - r, cy))
        pen.qCurveTo((cx - r, cy + r), (cx, cy + r))
        pen.closePath()
    return draw


def add_clip_fonts(folder):
    """Fonts for the unit test of drawing outlines far larger than the drawing
    surface: each maps "A" to one glyph whose verdict is known by
    construction, at two sizes (about 960 and 240 pixels at 15 pixels per em),
    so that both ways of drawing are tested. 500 units per em: the cell is
    15 by 15 pixels, 500 by 500 units, from y = 400 down to y = -100."""
    os.makedirs(folder, exist_ok=True)
    big = 16000
    shapes = {
        # name: (contours, scaled with the size, and "A" present?)
        "square": ([(box(-big, -big, big, big), True)], True),
        "hole_over_cell": ([(box(-big, -big, big, big), True), (hole(-1000, -1500, 1500, 1500), False)], False),
        "hole_beside_cell": ([(box(-big, -big, big, big), True), (hole(3000, -1500, 3900, 1500), False)], True),
        "cancelled": ([(box(-big, -big, big, big), True), (hole(-15000, -15000, 15000, 15000), True)], False),
        "circle": ([(circle(0, 0, big), True)], True),
        "circle_hole": ([(circle(0, 0, big), True), (hole(-1000, -1500, 1500, 1500), False)], False),
        "beside_cell": ([(box(4000, -big, big, big), True)], False),
    }
    for name, (contours, _present) in shapes.items():
        for scale, size in ((1, "large"), (4, "small")):
            def draw(pen, contours=contours, scale=scale):
                from fontTools.pens.transformPen import TransformPen
                for contour, scaled in contours:
                    contour(TransformPen(pen, (1 / scale, 0, 0, 1 / scale, 0, 0)) if scaled else pen)
            data = synth_font("Clip", {"space": (250, None), "A": (500, draw)}, {0x20: "space", 0x41: "A"},
                              upem=500, ascent=400, descent=100)
            with open(os.path.join(folder, "clip_%s_%s.ttf" % (name, size)), "wb") as f:
                f.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    logging.getLogger("fontTools.subset").setLevel(logging.ERROR)
    c = Corpus(sys.argv[1])
    latin = list(range(0x20, 0x7F)) + list(range(0x391, 0x3CA)) + list(range(0x410, 0x450))
    kana = list(range(0x20, 0x7F)) + list(range(0x3041, 0x3097)) + list(range(0x30A1, 0x30FB))
    dejavu = font_bytes(subset_font(DEJAVU, latin))
    ipag = font_bytes(subset_font(IPAGOTHIC, kana + [ord(k) for k in KANJI_SAMPLE]))
    otf = synth_font("SynthCFF", {"space": (500, None), "A": (600, box(50, 0, 550, 700))},
                     {0x20: "space", 0x41: "A", 0x3042: "A"}, cff=True)
    # First in natural file-name order: the Windows program's walk through the
    # folder starts here.
    c.add("0_start_here.ttf", dejavu, "report", "report", "intact subset of DejaVu Sans, first in the folder")
    add_valid(c, dejavu, ipag, otf)
    add_truncations(c, "dejavu", dejavu)
    add_truncations(c, "ipag", ipag)
    add_truncations(c, "otf", otf, "otf")
    add_directory_damage(c, ipag)
    add_woff_damage(c, ipag)
    add_name_damage(c, ipag)
    add_unneeded_tables_outside(c, ipag)
    add_one_directory_collection(c, ipag)
    add_collection_damage(c, dejavu, ipag)
    add_woff2_damage(c, dejavu)
    add_outline_damage(c)
    c.write_manifest()
    add_clip_fonts(os.path.join(sys.argv[1], "clip"))


if __name__ == "__main__":
    main()
