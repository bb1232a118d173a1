#!/usr/bin/python3
"""Writes the small seed files of the fuzz targets into fuzz/corpus/<target>/.

The seeds are committed; run this again only to change them. They are tiny
synthesized fonts in every container, plus small hostile cases from
tools/make_hostile_fonts.py. Inputs that once made a target fail are added
to the same folders by hand (named regression-*) and kept.
"""
import io
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import make_hostile_fonts as h  # noqa: E402
from woff2_collection import woff2_collection_bytes  # noqa: E402
from fontTools.ttLib import TTCollection, TTFont  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def tiny_fonts():
    glyphs = {"space": (500, None), "A": (600, h.box(50, 0, 550, 700)), "a": (500, h.box(50, 0, 450, 500)),
              "kana": (1000, h.zigzag(12, 450)), "kanji": (1000, h.box(100, -100, 900, 800))}
    cmap = {0x20: "space", 0x41: "A", 0x61: "a", 0x3042: "kana", 0x30A2: "kana", 0x4E00: "kanji",
            0x20B9F: "kanji"}
    ttf = h.synth_font("Tiny", glyphs, cmap)
    otf = h.synth_font("TinyCFF", glyphs, cmap, cff=True)
    return ttf, otf


def with_names(ttf):
    """Family names on all four accepted platforms, English and Japanese
    sharing one string, as CJK fonts do."""
    en = "VTiny".encode("utf-16-be")
    ja = "タイニー".encode("utf-16-be")
    storage = en + ja + b"Tiny" + bytes([0x83, 0x5E, 0x83, 0x43])
    records = [(0, 3, 0, 1, len(en), 0), (1, 0, 0, 1, 4, len(en) + len(ja)),
               (1, 1, 11, 1, 4, len(en) + len(ja) + 4), (3, 1, 0x409, 1, len(en), 0),
               (3, 1, 0x411, 1, len(en), 0), (3, 1, 0x411, 1, len(ja), len(en)),
               (3, 1, 0x409, 4, len(en), 0)]
    return h.with_table(ttf, b"name", h.raw_name_table(records, storage))


def collection(*fonts):
    ttc = TTCollection()
    ttc.fonts = [TTFont(io.BytesIO(f)) for f in fonts]
    out = io.BytesIO()
    ttc.save(out)
    return out.getvalue()


def write_woff2_collections(ttf, otf):
    """WOFF2 collections (flavor 'ttcf'): TrueType faces and CFF faces, each
    pair with one table differing so that nothing is shared, and one cut short."""
    tt = woff2_collection_bytes(collection(with_names(ttf), ttf))
    cff = woff2_collection_bytes(collection(otf, h.with_table(otf, b"name", h.raw_name_table(
        [(3, 1, 0x409, 1, 8, 0)], "Cff2".encode("utf-16-be")))))
    for target in ("fuzz_woff2", "fuzz_font_image"):
        write(target, "collection.woff2", tt)
        write(target, "collection_cff.woff2", cff)
    write("fuzz_woff2", "collection_truncated.woff2", tt[:len(tt) * 2 // 3])


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    ttf, otf = tiny_fonts()
    named = with_names(ttf)
    ttc = collection(named, ttf)
    woff = h.build_woff(h.woff_entries(ttf), b"")
    woff_stored = h.build_woff([dict(e, comp=e["orig"]) for e in h.woff_entries(ttf)], b"")
    woff_otf = h.build_woff(h.woff_entries(otf), b"", flavor=0x4F54544F)
    woff2 = h.font_bytes(TTFont(io.BytesIO(ttf)), "woff2")
    woff2_otf = h.font_bytes(TTFont(io.BytesIO(otf)), "woff2")
    entries = h.woff_entries(ttf)
    bomb = h.build_woff([dict(e, comp=zlib.compress(b"\0" * (1 << 20)), origLength=64)
                         if e["tag"] == b"glyf" else e for e in entries], b"")
    size = len(ttf)

    for target in ("fuzz_font_image", "fuzz_pipeline"):
        write(target, "tiny.ttf", ttf)
        write(target, "tiny.otf", otf)
        write(target, "tiny.ttc", ttc)
        write(target, "tiny.woff", woff)
        write(target, "tiny_otf.woff", woff_otf)
        write(target, "named.ttf", named)
    write("fuzz_pipeline", "tiny.woff2", woff2)
    write("fuzz_pipeline", "tiny_otf.woff2", woff2_otf)
    write("fuzz_coverage_map", "tiny.ttf", ttf)
    write("fuzz_coverage_map", "tiny.otf", otf)
    write("fuzz_coverage_map", "named.ttc", ttc)
    write("fuzz_coverage_map", "tiny.woff2", woff2)
    write("fuzz_font_image", "stored.woff", woff_stored)
    write("fuzz_font_image", "bomb.woff", bomb)
    write("fuzz_font_image", "total_0.woff", h.set_u32(woff, 16, 0))
    write("fuzz_font_image", "total_max.woff", h.set_u32(woff, 16, 0xFFFFFFFF))
    write("fuzz_font_image", "numtables_max.woff", h.set_u16(woff, 12, 65535))
    write("fuzz_font_image", "first_offset_past_end.ttc", h.set_u32(ttc, 12, len(ttc) + 8))
    write("fuzz_font_image", "short.ttf", ttf[:3])

    write("fuzz_woff2", "tiny.woff2", woff2)
    write("fuzz_woff2", "tiny_otf.woff2", woff2_otf)
    write("fuzz_woff2", "total_max.woff2", h.set_u32(woff2, 16, 0xFFFFFFFF))
    write("fuzz_woff2", "numtables_max.woff2", h.set_u16(woff2, 12, 65535))
    write("fuzz_woff2", "truncated.woff2", woff2[:len(woff2) // 2])
    write_woff2_collections(ttf, otf)

    write("fuzz_face_name", "tiny.ttf", ttf)
    write("fuzz_face_name", "named.ttf", named)
    write("fuzz_face_name", "named.ttc", ttc)
    write("fuzz_face_name", "tiny.otf", otf)
    family = "Odd".encode("utf-16-be")
    records = [(3, 1, 0x409, 1, 3, 0), (3, 1, 0x409, 1, 4, 1), (1, 0, 0, 1, 600, 0), (3, 1, 0x411, 1, 6, 0xFFF0)]
    write("fuzz_face_name", "odd_records.ttf", h.with_table(ttf, b"name", h.raw_name_table(records, family)))
    write("fuzz_face_name", "name_past_end.ttf", h.set_record(named, b"name", offset=size - 20, length=400))
    # Regression cases: inputs that once hung or exhausted a backend.
    huge = h.synth_font("Huge", {"space": (500, None), "huge": (16, h.zigzag(40, 32767))},
                        {0x20: "space", 0x41: "huge", 0x3042: "huge", 0x4E00: "huge"},
                        upem=16, ascent=13, descent=3)
    wraps = h.set_record(named, b"name", offset=0xFFFFFFF0, length=0x20)
    names_past_end = h.with_table(ttf, b"name", h.raw_name_table([(3, 1, 0x409, 1, 14, 0)], b"", count=65535))
    capitals = b"TTCF" + h.set_u32(ttc, 8, 0xFFFFFFFF)[4:]
    groups = struct.pack(">III", 0x41, 0x5A, 2)
    cmap12 = struct.pack(">HHHHI", 0, 1, 3, 10, 12) + struct.pack(">HHIII", 12, 0, 28, 0, 0x10000000) + groups
    write("fuzz_coverage_map", "regression-huge-outline.ttf", huge)
    for target in ("fuzz_pipeline", "fuzz_face_name", "fuzz_font_image"):
        write(target, "regression-cmap12-groups-huge.ttf", h.with_table(ttf, b"cmap", cmap12))
        write(target, "regression-huge-outline.ttf", huge)
        write(target, "regression-name-offset-wraps.ttf", wraps)
        write(target, "regression-name-records-past-end.ttf", names_past_end)
        write(target, "regression-numtables-65535.ttf", struct.pack(">IH3H", 0x00010000, 65535, 0, 0, 0))
        write(target, "regression-ttcf-capitals-count-max.ttc", capitals)
    # Tables outside the image: unneeded ones are dropped, needed ones named.
    gsub = h.with_table(named, b"GSUB", b"\x5a" * 32)
    gsub = h.set_record(gsub, b"GSUB", length=len(gsub))
    glyf = h.set_record(named, b"glyf", offset=len(named) - 8)
    one_directory = struct.pack(">4sII", b"ttcf", 0x00010000, 32) + struct.pack(">32I", *([12 + 128] * 32))
    moved = bytearray(named)
    for k, (_, _, offset, _) in enumerate(h.table_records(named)):
        struct.pack_into(">I", moved, 12 + 16 * k + 8, offset + len(one_directory))
    for target in ("fuzz_pipeline", "fuzz_face_name"):
        write(target, "gsub_past_end.ttf", gsub)
        write(target, "glyf_past_end.ttf", glyf)
        write(target, "one_directory.ttc", one_directory + bytes(moved))
    shared = [{"tag": struct.pack(">I", 0x41000000 + k), "orig": b"\0" * 4, "comp": b"",
               "offset": 44 + 20 * 50, "compLength": 64} for k in range(50)]
    write("fuzz_font_image", "shared_stream.woff",
          h.build_woff(shared, zlib.compress(b"\0" * 4000)[:64].ljust(64, b"\0")))
    cr = "A\rB".encode("utf-16-be")
    write("fuzz_face_name", "carriage_return.ttf",
          h.with_table(ttf, b"name", h.raw_name_table([(3, 1, 0x409, 1, len(cr), 0)], cr)))
    write_reaching_seeds(ttf)
    write_table_seeds(ttf, ttc)
    write_glyph_reader_seeds(ttf, ttc, otf)
    write_outline_seeds()
    write_covered_pixel_seeds()


def covered_pixel_input(flags, contours):
    """fuzz_covered_pixel_freetype's input: a flags byte (bit 0 overlap, bit 1
    even-odd, the rest the region's size), then per point x + 32 and y + 32
    (26.6) and a kind byte (0 on, 1 conic, 2 cubic) whose top bit ends a
    contour."""
    data = bytes([flags | 4 << 2])
    for contour in contours:
        for i, (x, y, kind) in enumerate(contour):
            data += bytes([x + 32, y + 32, kind | (0x80 if i == len(contour) - 1 else 0)])
    return data


def write_covered_pixel_seeds():
    def box(x0, y0, x1, y1, reversed_=False):
        points = [(x0, y0), (x1, y0), (x1, y1), (x0, y1)] if reversed_ else \
                 [(x0, y0), (x0, y1), (x1, y1), (x1, y0)]
        return [(x, y, 0) for x, y in points]
    target = "fuzz_covered_pixel_freetype"
    write(target, "square", covered_pixel_input(0, [box(0, 0, 192, 192)]))
    write(target, "opposed", covered_pixel_input(0, [box(64, 0, 120, 128)] +
                                                 [box(120, 0, 128, 128, True)] * 7))
    write(target, "hole", covered_pixel_input(0, [box(0, 0, 192, 192), box(64, 64, 128, 128, True)]))
    write(target, "conic", covered_pixel_input(0, [[(0, 0, 0), (96, 220, 1), (192, 0, 0)]]))
    write(target, "cubic_overlap", covered_pixel_input(1, [[(0, 0, 0), (0, 200, 2), (192, 200, 2),
                                                             (192, 0, 0)], box(32, 32, 160, 160)]))
    write(target, "evenodd", covered_pixel_input(2, [box(0, 0, 192, 192), box(0, 0, 192, 192)]))


def write_table_seeds(ttf, ttc):
    """The table directory reader: a font and a collection, a duplicate tag,
    a table running past the end, overlapping tables and a directory cut
    inside its last record."""
    write("fuzz_sfnt_tables", "tiny.ttf", ttf)
    write("fuzz_sfnt_tables", "tiny.ttc", ttc)
    records = h.table_records(ttf)
    first_tag, second_tag = records[0][0], records[1][0]
    duplicate = bytearray(ttf)
    duplicate[28:32] = first_tag  # the second record takes the first one's tag
    write("fuzz_sfnt_tables", "duplicate_tag.ttf", bytes(duplicate))
    write("fuzz_sfnt_tables", "table_past_end.ttf", h.set_record(ttf, first_tag, length=len(ttf)))
    write("fuzz_sfnt_tables", "overlapping.ttf", h.set_record(ttf, second_tag, offset=records[0][2]))
    write("fuzz_sfnt_tables", "records_cut.ttf", ttf[:12 + 16 * len(records) - 3])


def outline_input(header, contours):
    """fuzz_outline_interior's input: 4 header bytes, then per point x and y
    (32 bits, little-endian, shifted left by 20 for the small scale) and a
    kind byte whose top bit ends a contour."""
    data = bytes(header)
    for contour in contours:
        for i, (x, y, kind) in enumerate(contour):
            last = 0x80 if i == len(contour) - 1 else 0
            data += struct.pack("<ii", x << 20, y << 20) + bytes([kind | last])
    return data


def write_outline_seeds():
    """Outlines for the point search: a stem beside a bar, a ring, a conic
    slant and a cubic corner, in a box of about 40 x 40 units."""
    on, conic, cubic = 1, 0, 2
    stem = [(4, 2, on), (4, 36, on), (12, 36, on), (12, 2, on)]
    bar = [(0, 16, on), (0, 20, on), (30, 20, on), (30, 16, on)]
    write("fuzz_outline_interior", "stem_and_bar", outline_input([40, 36, 36, 4], [stem, bar]))
    ring = [(2, 2, on), (2, 36, on), (36, 36, on), (36, 2, on)]
    hole = [(8, 8, on), (30, 8, on), (30, 30, on), (8, 30, on)]
    write("fuzz_outline_interior", "ring", outline_input([40, 36, 36, 4], [ring, hole]))
    slant = [(0, 0, on), (6, 16, conic), (12, 32, on), (24, 32, on), (18, 16, conic), (12, 0, on)]
    corner = [(2, 2, on), (0, 20, cubic), (10, 36, cubic), (30, 36, on), (30, 2, on)]
    write("fuzz_outline_interior", "curves", outline_input([40, 36, 36, 4], [slant, corner]))


def rounded(x0, y0, x1, y1):
    """A box with quadratic corners (off-curve points) and a box hole."""
    def draw(pen):
        pen.moveTo((x0 + 50, y0))
        pen.qCurveTo((x0, y0), (x0, y0 + 50))
        pen.lineTo((x0, y1 - 50))
        pen.qCurveTo((x0, y1), (x0 + 25, y1), (x0 + 50, y1))
        pen.lineTo((x1, y1))
        pen.lineTo((x1, y0))
        pen.closePath()
        h.box(x0 + 100, y0 + 100, x1 - 100, y1 - 100)(pen)
    return draw


def write_glyph_reader_seeds(ttf, ttc, otf):
    """The TrueType glyph reader against FreeType: short and long loca, curves
    and holes, many points, fewer long metrics than glyphs, a collection, a
    CFF font and a glyf past the end (both declined); a version 1.0 maxp cut
    to its glyph count and an hmtx cut inside the first glyph's metrics (the
    reader declines the face, then the glyph)."""
    glyphs = {"space": (500, None), "o": (600, rounded(50, -20, 550, 700)), "A": (600, h.box(-40, 0, 550, 700)),
              "zig": (1000, h.zigzag(300, 900)), "B": (600, h.box(50, 0, 560, 700))}
    curves = h.synth_font("Curves", glyphs, {0x20: "space", 0x41: "A", 0x42: "B", 0x6F: "o", 0x4E00: "zig"})
    tables = dict(h.read_tables(curves))
    assert struct.unpack(">h", tables[b"head"][50:52])[0] == 0
    offsets = struct.unpack(">%dH" % (len(tables[b"loca"]) // 2), tables[b"loca"])
    tables[b"loca"] = struct.pack(">%dI" % len(offsets), *[2 * o for o in offsets])
    tables[b"head"] = tables[b"head"][:50] + struct.pack(">h", 1) + tables[b"head"][52:]
    long_loca = h.build_sfnt(list(tables.items()))
    target = "fuzz_truetype_glyphs_freetype"
    write(target, "tiny.ttf", ttf)
    write(target, "tiny.ttc", ttc)
    write(target, "tiny.otf", otf)
    write(target, "curves.ttf", curves)
    write(target, "curves_long_loca.ttf", long_loca)
    write(target, "glyf_past_end.ttf", h.set_record(ttf, b"glyf", offset=len(ttf) - 8))
    write(target, "maxp_cut.ttf", h.with_table(curves, b"maxp", tables[b"maxp"][:6]))
    write(target, "hmtx_cut.ttf", h.with_table(curves, b"hmtx", tables[b"hmtx"][:2]))


def write_reaching_seeds(ttf):
    """Seeds for rules the others leave unreached (make fuzz-coverage): a
    family name on the ISO platform (2), which no program accepts, and a cmap
    whose encoding records run past its end."""
    iso = "Iso".encode("utf-16-be")
    records = [(2, 1, 0, 1, len(iso), 0), (3, 1, 0x409, 1, len(iso), 0)]
    write("fuzz_face_name", "iso_platform_name.ttf", h.with_table(ttf, b"name", h.raw_name_table(records, iso)))
    write("fuzz_face_name", "cmap_records_past_end.ttf", h.with_table(ttf, b"cmap", struct.pack(">HH", 0, 100)))


if __name__ == "__main__":
    main()
