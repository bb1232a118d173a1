#!/usr/bin/env python3
"""Tests of the linking rules of tools/check_notices.py on made-up notices
rows and copyright stanzas: a row or stanza that says "linked" for a library
the binary does not name in NEEDED fails, one that says "compiled in" for a
library it does name fails, and the true claims pass."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_notices  # noqa: E402


def row(name, sources, used_by):
    return {"name": name, "version": "1", "sources": set(sources), "used_by": used_by}


# The source packages of the NEEDED entries of a binary that links FreeType
# and brotli and has the woff2 decoder compiled in.
NEEDED_SOURCES = {"freetype", "brotli", "glibc"}


class GeneratorInputsTest(unittest.TestCase):
    """Each program answers for the generators whose tables it holds."""

    def test_the_extended_sets_are_the_commands_alone(self):
        root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        command = check_notices.generator_inputs(root, "glyphcensus")
        dialog = check_notices.generator_inputs(root, "GlyphCensus.exe")
        cmap = "/usr/share/poppler/cMap/Adobe-Japan1/UniJIS2004-UTF32-H"
        self.assertIn(cmap, command)
        self.assertNotIn(cmap, dialog)
        self.assertIn("/usr/share/edict/kanjidic", dialog & command)
        self.assertEqual(check_notices.generator_inputs(root, "another"), set())


class ProgramClaimsTest(unittest.TestCase):
    def test_each_program_takes_its_own_parentheses(self):
        self.assertEqual(check_notices.program_claims(
            "GlyphCensus.exe (static), glyphcensus (linked), browser build (compiled in)"),
            {"GlyphCensus.exe": "static", "glyphcensus": "linked", "browser build": "compiled in"})

    def test_names_without_parentheses_share_the_next_claim(self):
        self.assertEqual(check_notices.program_claims(
            "GlyphCensus.exe, glyphcensus, browser build (tables derived from it)"),
            {name: "tables derived from it" for name in ("GlyphCensus.exe", "glyphcensus", "browser build")})

    def test_words_after_a_semicolon_are_no_part_of_the_claim(self):
        self.assertEqual(check_notices.program_claims("glyphcensus (linked; part of the system, not shipped)"),
                         {"glyphcensus": "linked"})

    def test_a_name_with_no_claim_at_all(self):
        self.assertEqual(check_notices.program_claims("glyphcensus"), {"glyphcensus": ""})


class LinkingClaimsTest(unittest.TestCase):
    def faults(self, *rows):
        return check_notices.check_linking_claims(list(rows), NEEDED_SOURCES, "glyphcensus")

    def test_true_claims_pass(self):
        self.assertEqual(self.faults(
            row("FreeType", ["freetype"], "glyphcensus (linked), browser build (compiled in)"),
            row("woff2 (decoder)", ["woff2"], "GlyphCensus.exe (compiled in), glyphcensus (compiled in)"),
            row("GNU C Library", ["glibc"], "glyphcensus (linked; part of the system, not shipped)"),
            row("KANJIDIC", ["kanjidic"], "GlyphCensus.exe, glyphcensus (tables derived from it)"),
            row("MinGW-w64", ["mingw-w64"], "GlyphCensus.exe (static)")), [])

    def test_linked_without_a_needed_entry_fails(self):
        faults = self.faults(row("woff2 (decoder)", ["woff2"], "glyphcensus (linked)"))
        self.assertEqual(len(faults), 1)
        self.assertIn("woff2 (decoder)", faults[0])
        self.assertIn("NEEDED", faults[0])

    def test_compiled_in_with_a_needed_entry_fails(self):
        for claim in ("compiled in", "static", "tables derived from it"):
            faults = self.faults(row("brotli (decoder)", ["brotli"], f"glyphcensus ({claim})"))
            self.assertEqual(len(faults), 1, claim)
            self.assertIn("brotli", faults[0])

    def test_any_of_a_rows_packages_counts(self):
        self.assertEqual(self.faults(row("zlib", ["libz-mingw-w64", "freetype"], "glyphcensus (linked)")), [])

    def test_a_claim_of_other_words_fails(self):
        for used_by in ("glyphcensus (linked through libwoff2dec)", "glyphcensus"):
            self.assertEqual(len(self.faults(row("brotli (decoder)", ["brotli"], used_by))), 1, used_by)

    def test_rows_of_other_programs_are_left_alone(self):
        self.assertEqual(self.faults(row("MinGW-w64", ["mingw-w64"], "GlyphCensus.exe (linked)")), [])


STANZAS = """Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Comment: It links FreeType dynamically (Debian package libwoff1): no stanza.

Files: *
License: Expat

Files: /usr/include/freetype2/*
License: FTL
Comment: FreeType 2.12.1, linked dynamically (Debian package libfreetype6).

Files: .deps/woff2/*
License: Expat
Comment: The WOFF2 decoder, compiled in from the unpacked
 source package (Debian source package woff2), version 1.0.2-2.

Files: /usr/include/CLI/*
License: BSD-3-clause
Comment: CLI11, a header library compiled into /usr/bin/glyphcensus
 (Debian package libcli11-dev).

Files: coverage/sets/character_sets.cpp
License: CC-BY-SA-3.0
Comment: Generated from KANJIDIC (Debian package kanjidic).
"""


class CopyrightClaimsTest(unittest.TestCase):
    def faults(self, text, needed):
        with tempfile.NamedTemporaryFile("w", suffix="copyright", delete=False) as f:
            f.write(text)
        try:
            return check_notices.check_copyright_linking(f.name, needed)
        finally:
            os.remove(f.name)

    def test_only_stanzas_with_a_linking_phrase_make_claims(self):
        self.assertEqual(check_notices.copyright_claims(STANZAS), [
            ("/usr/include/freetype2/*", "dynamic", {"libfreetype6"}),
            (".deps/woff2/*", "embedded", {"woff2"}),
            ("/usr/include/CLI/*", "embedded", {"libcli11-dev"})])

    def test_several_packages_in_one_claim(self):
        claims = check_notices.copyright_claims(
            "Files: x\nComment: brotli, linked dynamically (Debian packages\n libwoff1, libbrotli1 and zlib1g).\n")
        self.assertEqual(claims, [("x", "dynamic", {"libwoff1", "libbrotli1", "zlib1g"})])

    def test_true_claims_pass(self):
        self.assertEqual(self.faults(STANZAS, {"libfreetype6", "freetype", "libc6", "glibc"}), [])

    def test_linked_dynamically_without_a_needed_entry_fails(self):
        text = STANZAS.replace("(Debian package libfreetype6)", "(Debian packages libfreetype6 and libwoff1)")
        faults = self.faults(text, {"libfreetype6", "freetype"})
        self.assertEqual(len(faults), 1)
        self.assertIn("libwoff1", faults[0])

    def test_compiled_in_with_a_needed_entry_fails(self):
        faults = self.faults(STANZAS, {"libfreetype6", "freetype", "libwoff2dec1.0.2", "woff2"})
        self.assertEqual(len(faults), 1)
        self.assertIn(".deps/woff2/*", faults[0])


if __name__ == "__main__":
    unittest.main()
