#!/usr/bin/python3
"""The vertical metrics facts through the command: JSON's vertical_metrics for
fonts with and without 'vhea' and 'vmtx', and CFF fonts with and without
'VORG' (null for TrueType, where VORG does not apply); the text report stays
as it was. The fonts are made by tools/make_repertoire_test_fonts.py.

Usage: check_vertical_metrics.py GLYPHCENSUS
"""
import json
import os
import subprocess
import sys
import tempfile

import cli_check
from cli_check import check, failures, run

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CASES = {
    "vm_tt_vertical.ttf": {"vhea": True, "vmtx": True, "VORG": None},
    "vm_tt_plain.ttf": {"vhea": False, "vmtx": False, "VORG": None},
    "vm_cff_vorg.otf": {"vhea": True, "vmtx": True, "VORG": True},
    "vm_cff_no_vorg.otf": {"vhea": True, "vmtx": True, "VORG": False},
}


def main():
    cli_check.program = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "tools", "make_repertoire_test_fonts.py"),
                        folder], check=True)
        for name, want in CASES.items():
            path = os.path.join(folder, name)
            status, out, err = run("--format", "json", "--sets", "hiragana", path)
            face = json.loads(out)["faces"][0]
            check(status == 0 and face.get("vertical_metrics") == want,
                  "%s: vertical_metrics %s, not %s (%s)" % (name, face.get("vertical_metrics"), want, err))
            status, text, err = run("--sets", "hiragana", path)
            check(text == "Vertical Test\nひらがな：1/77\n" and err == "",
                  "%s: the text report has no vertical line and no warning: %r %r" % (name, text, err))
        # A face that is not measured has no facts.
        broken = os.path.join(folder, "broken.ttf")
        with open(broken, "wb") as out:
            out.write(b"\0\1\0\0" + b"\0" * 8)
        status, out, _ = run("--format", "json", broken)
        check("vertical_metrics" not in json.loads(out)["faces"][0], "no facts for a face not measured")
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
