"""WOFF2 collections (flavor 'ttcf') made from a font collection, and WOFF2
fonts made from a single font the same way.

fontTools writes WOFF2 fonts but not WOFF2 collections, so this writes them
from the format's definition: every table with its null transform (glyf and
loca with transform version 3), each font's tables listed in its own entries
(no table shared), one Brotli stream.

Usage as a module: woff2_collection_bytes(ttc_bytes) -> bytes
                  woff2_collection_bytes(ttc_bytes, extra_tables, quality) -> bytes
extra_tables, [(tag, data)], are added after each font's own tables (a private
table that makes the decoded font large, say); quality is Brotli's.
"""
import struct

import brotli


def _base128(value):
    """UIntBase128: 7 bits a byte, most significant first."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def _u255(value):
    """255UInt16, in its plain one- or three-byte forms."""
    return bytes([value]) if value < 253 else b"\xfd" + struct.pack(">H", value)


def _fonts_of(ttc):
    """[(sfnt version, [(tag, data)])] of a TrueType collection (version None
    for a single font), tables in tag order except that loca follows glyf
    directly, as WOFF2 requires."""
    if ttc[:4] == b"ttcf":
        _, version, count = struct.unpack(">4sII", ttc[:12])
        offsets = struct.unpack(">%dI" % count, ttc[12:12 + 4 * count])
    else:
        version, offsets = None, [0]
    fonts = []
    for offset in offsets:
        flavor, num_tables = struct.unpack(">IH", ttc[offset:offset + 6])
        tables = {}
        for k in range(num_tables):
            entry = ttc[offset + 12 + 16 * k:offset + 28 + 16 * k]
            tag, _, start, length = struct.unpack(">4sIII", entry)
            tables[tag] = ttc[start:start + length]
        order = sorted(t for t in tables if t != b"loca")
        if b"glyf" in tables:
            order.insert(order.index(b"glyf") + 1, b"loca")
        fonts.append((flavor, [(tag, tables[tag]) for tag in order]))
    return version, fonts


def woff2_collection_bytes(ttc, extra_tables=(), quality=11):
    version, fonts = _fonts_of(ttc)
    fonts = [(flavor, tables + list(extra_tables)) for flavor, tables in fonts]
    directory = b""
    stream = b""
    collection = b"" if version is None else struct.pack(">I", version) + _u255(len(fonts))
    index = 0
    sfnt_size = 0 if version is None else 12 + 4 * len(fonts)
    for flavor, tables in fonts:
        if version is not None:
            collection += _u255(len(tables)) + struct.pack(">I", flavor)
        sfnt_size += 12 + 16 * len(tables)
        for tag, data in tables:
            null_transform = 0xC0 if tag in (b"glyf", b"loca") else 0x00
            directory += bytes([0x3F | null_transform]) + tag + _base128(len(data))
            stream += data
            sfnt_size += (len(data) + 3) & ~3
            if version is not None:
                collection += _u255(index)
            index += 1
    compressed = brotli.compress(stream, quality=quality)
    body = directory + collection + compressed
    length = 48 + len(body)
    padding = b"\0" * (-length % 4)
    flavor = 0x74746366 if version is not None else fonts[0][0]
    header = struct.pack(">4sIIHHIIHHIIIII", b"wOF2", flavor, length + len(padding), index,
                         0, sfnt_size, len(compressed), 1, 0, 0, 0, 0, 0, 0)
    return header + body + padding
