#!/usr/bin/python3
"""Checks the coverage map SVG of a font against the report and the codecs.

Usage: coverage_map_test.py GLYPHCENSUS FONT [--render CHECKS]

`GLYPHCENSUS --map OUT.svg FONT` writes the map and prints the report. Checked: the SVG is well-formed XML with no scripts and no external
references; every cell's position and character agree with Python's euc_jp,
euc_jis_2004 and cp932 codecs; the present cells of each set's region in each
panel are the report's count for that set; the family name and the report's
lines are in the picture. With --render, the map is drawn with rsvg-convert
and cells are checked by colour; CHECKS is a comma-separated list of
panel:position:expected, expected one of present, missing, unassigned.
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from make_character_sets import decode, shift_jis_bytes  # noqa: E402

SVG = "{http://www.w3.org/2000/svg}"
STATES = ("present", "missing", "unassigned")
ZOOM = 0.5
CELL = 40


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def report_count(line):
    value = line.split("：", 1)[1]
    if value == "－":
        return 0
    return int(value.lstrip("全").split("/")[0].replace(",", ""))


def translation(element):
    match = re.match(r"translate\(([-\d.]+) ([-\d.]+)\)", element.get("transform", ""))
    return (float(match.group(1)), float(match.group(2))) if match else (0.0, 0.0)


def collect_cells(root):
    """Every cell as a dict: panel, position, state, title, x, y (user units)."""
    cells = []

    def walk(element, panel, dx, dy):
        tx, ty = translation(element)
        dx, dy = dx + tx, dy + ty
        if element.tag == SVG + "g" and element.get("id"):
            panel = element.get("id")
        state = element.get("class")
        position = element.get("data-kuten") or element.get("data-index")
        if state in STATES and position is not None:
            title = element.find(SVG + "title")
            x = element.get("x")
            if x is None:
                x = element.find(SVG + "use").get("x")
            cells.append({"panel": panel, "position": position, "state": state,
                          "title": title.text if title is not None else None,
                          "x": dx + float(x), "y": dy})
            return
        for child in element:
            walk(child, panel, dx, dy)

    walk(root, None, 0.0, 0.0)
    return cells


def title_characters(title):
    """The characters a title names by their U+ numbers."""
    return "".join(chr(int(code, 16)) for code in re.findall(r"U\+([0-9A-F]{4,6})", title))


def expected_character(panel, position):
    numbers = [int(n) for n in position.split("-")]
    if panel == "jisx0208":
        row, cell = numbers
        return decode(bytes([0xA0 + row, 0xA0 + cell]), "euc_jp") if row <= 94 else None
    if panel in ("jisx0213p1", "jisx0213p2"):
        plane, row, cell = numbers
        prefix = b"\x8f" if plane == 2 else b""
        return decode(prefix + bytes([0xA0 + row, 0xA0 + cell]), "euc_jis_2004")
    row, cell = numbers
    return decode(shift_jis_bytes(row, cell), "cp932")


def check_positions(cells):
    for cell in cells:
        if cell["panel"] not in ("jisx0208", "jisx0213p1", "jisx0213p2", "windows31j"):
            continue
        expected = expected_character(cell["panel"], cell["position"])
        named = title_characters(cell["title"])
        where = "%s %s" % (cell["panel"], cell["position"])
        expect(named == (expected or ""), "%s holds %r, the codec %r" % (where, named, expected))
        if expected is None or len(expected) > 1:
            expect(cell["state"] == "unassigned", where + " should be unassigned")
        else:
            expect(cell["state"] != "unassigned", where + " is assigned")
        expect(cell["title"].endswith(cell["position"]) or "sequence" in cell["title"],
               where + " title lacks the position")


def level3_position(row, cell):
    return row in (14, 15) or (row == 47 and cell >= 52) or (row == 84 and cell >= 7) or row >= 85


def region(cell):
    """The report's set a code-table cell counts toward, or None."""
    numbers = [int(n) for n in cell["position"].split("-")]
    panel = cell["panel"]
    if panel == "jisx0208" or panel == "jisx0213p1":
        row, column = numbers[-2:]
        if panel == "jisx0213p1" and level3_position(row, column):
            return "第三水準"
        if 16 <= row <= 47:
            return "第一水準"
        if 48 <= row <= 84:
            return "第二水準"
        return None
    if panel == "jisx0213p2":
        return "第四水準"
    if panel == "windows31j":
        return "NEC特殊文字" if numbers[0] == 13 else "IBM拡張文字"
    return None


STRIPS = {"ascii": ["英字", "数字", "記号"], "kana": ["ひらがな", "カタカナ"],
          "greek-cyrillic": ["ギリシア文字", "キリル文字"], "education": ["教育漢字"],
          "regular-use": ["常用漢字"]}


def check_counts(cells, counts):
    present = {}
    # Code tables: by position. Strips: each set's places run from 1.
    strip_sets = {panel: iter(sets) for panel, sets in STRIPS.items()}
    current = {}
    for cell in cells:
        panel = cell["panel"]
        if panel in STRIPS:
            if cell["position"] == "1":
                current[panel] = next(strip_sets[panel])
            key = (panel, current[panel])
        else:
            key = (panel, region(cell))
        present.setdefault(key, 0)
        present[key] += cell["state"] == "present"
    expected_keys = {(p, s) for p, sets in STRIPS.items() for s in sets}
    expected_keys |= {("jisx0208", "第一水準"), ("jisx0208", "第二水準"),
                      ("jisx0213p1", "第一水準"), ("jisx0213p1", "第二水準"),
                      ("jisx0213p1", "第三水準"), ("jisx0213p2", "第四水準"),
                      ("windows31j", "NEC特殊文字"), ("windows31j", "IBM拡張文字")}
    for key in expected_keys:
        expect(key in present, "no cells for %s" % (key,))
        expect(present[key] == counts[key[1]],
               "%s: %d present cells, the report counts %d" % (key, present[key], counts[key[1]]))


def pixel_box(cell):
    x0, y0 = int(cell["x"] * ZOOM) + 1, int(cell["y"] * ZOOM) + 1
    return x0, y0, int((cell["x"] + CELL) * ZOOM) - 1, int((cell["y"] + CELL) * ZOOM) - 1


def check_render(svg_path, cells, checks):
    from PIL import Image
    with tempfile.TemporaryDirectory() as folder:
        png = os.path.join(folder, "map.png")
        subprocess.run(["rsvg-convert", "-z", str(ZOOM), "-o", png, svg_path], check=True)
        picture = Image.open(png).convert("RGB")
        by_place = {(c["panel"], c["position"]): c for c in cells}
        for check in checks:
            panel, position, wanted = check.split(":")
            cell = by_place[(panel, position)]
            expect(cell["state"] == wanted, "%s is %s, not %s" % (check, cell["state"], wanted))
            pixels = list(picture.crop(pixel_box(cell)).getdata())
            vermillion = sum(r > 180 and 60 < g < 130 and b < 60 for r, g, b in pixels)
            dark = sum(r + g + b < 200 for r, g, b in pixels)
            light_grey = sum(all(215 <= v <= 240 for v in p) for p in pixels)
            if wanted == "present":
                expect(dark > len(pixels) // 20 and vermillion == 0,
                       "%s: %d dark, %d vermillion pixels" % (check, dark, vermillion))
            elif wanted == "missing":
                expect(vermillion > len(pixels) // 2, "%s: %d of %d pixels vermillion"
                       % (check, vermillion, len(pixels)))
            else:
                expect(light_grey == len(pixels), "%s: %d of %d pixels light grey"
                       % (check, light_grey, len(pixels)))


def main():
    if len(sys.argv) not in (3, 5):
        sys.exit(__doc__)
    glyphcensus, font = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as folder:
        svg_path = os.path.join(folder, "map.svg")
        run = subprocess.run([glyphcensus, "--map", svg_path, font], capture_output=True,
                             check=True)
        lines = run.stdout.decode("utf-8").splitlines()
        expect(len(lines) == 16, "the report has %d lines" % len(lines))
        counts = {line.split("：")[0]: report_count(line) for line in lines[1:]}
        with open(svg_path, "rb") as f:
            data = f.read()
        root = ET.fromstring(data)
        expect(root.tag == SVG + "svg", "not an SVG")
        text = data.decode("utf-8")
        expect("<script" not in text and "http" not in text.replace(
            'xmlns="http://www.w3.org/2000/svg"', ""), "a script or an external reference")
        expect(all(h.startswith("#") for h in re.findall(r'href="([^"]*)"', text)),
               "an external reference")
        expect(root.find(SVG + "title").text.startswith(lines[0]), "the family name")
        texts = [t.text for t in root.iter(SVG + "text")]
        for line in lines:
            expect(line in texts, "the report line %r is not shown" % line)
        cells = collect_cells(root)
        check_positions(cells)
        check_counts(cells, counts)
        if len(sys.argv) == 5 and sys.argv[3] == "--render":
            check_render(svg_path, cells, sys.argv[4].split(","))
        print("%s: %d cells, %d present, %d bytes" % (
            os.path.basename(font), len(cells),
            sum(c["state"] == "present" for c in cells), len(data)))


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("coverage_map_test: " + str(failure), file=sys.stderr)
        sys.exit(1)
