#!/usr/bin/env python3
"""Tests of tools/check_layering.py on small made-up trees: each rule is
caught, and a tree that keeps them passes."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layering  # noqa: E402


def make_tree(files):
    root = tempfile.mkdtemp()
    for path, text in files.items():
        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(root, path), "w") as f:
            f.write(text)
    return root


CLEAN = {
    "fontio/reader.h": "#pragma once\n#include <cstdint>\n",
    "fontio/reader.cpp": '#include "fontio/reader.h"\n',
    "coverage/count.h": '#pragma once\n#include "fontio/reader.h"\n',
    "coverage/count_gdi.cpp": '#include <windows.h>\n#include "coverage/count.h"\n',
    "cli/main.cpp": '#include "coverage/count.h"\n#include "cli/options.h"\n',
    "cli/options.h": "#pragma once\n",
    "app/window.cpp": "#include <windows.h>\n",
}


class CheckLayeringTest(unittest.TestCase):
    def faults(self, extra):
        return check_layering.check(make_tree({**CLEAN, **extra}))

    def test_a_clean_tree_passes(self):
        self.assertEqual(self.faults({}), [])

    def test_core_including_a_front_end_fails(self):
        for front_end in ("app/window.h", "cli/options.h", "web/page.h"):
            faults = self.faults({"coverage/count.cpp": f'#include "{front_end}"\n'})
            self.assertEqual(len(faults), 1, front_end)
            self.assertIn("layer above", faults[0])

    def test_a_front_end_including_another_front_end_fails(self):
        faults = self.faults({"web/module.cpp": '#include "cli/options.h"\n#include "web/page.h"\n',
                              "web/page.h": "#pragma once\n"})
        self.assertEqual(len(faults), 1)
        self.assertIn("web/module.cpp:1", faults[0])
        self.assertIn("another front end", faults[0])

    def test_fontio_including_coverage_fails(self):
        faults = self.faults({"fontio/reader.cpp": '#include "coverage/count.h"\n'})
        self.assertTrue(any("layer above" in fault for fault in faults))

    def test_windows_h_outside_windows_files_fails(self):
        faults = self.faults({"fontio/ansi.cpp": "#  include <windows.h>\n",
                              "fontio/ansi_win.cpp": "#include <windows.h>\n"})
        self.assertEqual(len(faults), 1)
        self.assertIn("fontio/ansi.cpp:1", faults[0])

    def test_an_include_circle_fails(self):
        faults = self.faults({"fontio/image.h": '#include "fontio/woff.h"\n',
                              "fontio/woff.cpp": '#include "fontio/image.h"\n',
                              "fontio/woff.h": "#pragma once\n"})
        self.assertEqual(len(faults), 1)
        self.assertIn("include circle", faults[0])

    def test_a_header_and_its_source_are_one_module(self):
        self.assertEqual(self.faults({"fontio/reader.h": '#include "fontio/reader_detail.h"\n',
                                      "fontio/reader_detail.h": "#pragma once\n"}), [])

    def test_freetype_and_harfbuzz_only_in_their_files(self):
        faults = self.faults({
            "coverage/presence/ink.cpp": "#include <ft2build.h>\n",
            "coverage/presence/ink_freetype.cpp": "#include <ft2build.h>\n#include <freetype/ftoutln.h>\n",
            "cli/shape.cpp": "#include <hb.h>\n",
            "coverage/shaping/forms_harfbuzz.cpp": "#include <hb-ot.h>\n#include <harfbuzz/hb.h>\n"})
        self.assertEqual(len(faults), 2, faults)
        self.assertIn("coverage/presence/ink.cpp:1: FreeType", faults[0])
        self.assertIn("cli/shape.cpp:1: HarfBuzz", faults[1])

    def test_coverage_modules_include_only_those_below_them(self):
        tree = {"coverage/sets/sets.h": "#pragma once\n",
                "coverage/presence/test.h": "#pragma once\n",
                "coverage/results/record.h": '#include "coverage/sets/sets.h"\n'
                                             '#include "coverage/presence/test.h"\n',
                "coverage/measure_font.h": '#include "coverage/results/record.h"\n'
                                           '#include "coverage/presence/test.h"\n'}
        self.assertEqual(self.faults(tree), [])
        for path, target in (("coverage/output/lines.cpp", "coverage/presence/test.h"),
                             ("coverage/sets/ids.cpp", "coverage/presence/test.h"),
                             ("coverage/presence/ink.cpp", "coverage/results/record.h"),
                             ("coverage/map/panel.cpp", "coverage/measure_font.h")):
            faults = self.faults({**tree, path: f'#include "{target}"\n'})
            self.assertEqual(len(faults), 1, (path, faults))
            self.assertIn("which its module may not include", faults[0])
        faults = self.faults({**tree, "coverage/misc/x.cpp": '#include "coverage/sets/sets.h"\n'})
        self.assertIn("not a module of coverage/", faults[0])


if __name__ == "__main__":
    unittest.main()
