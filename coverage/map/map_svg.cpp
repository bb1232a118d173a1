// Writes the coverage map as SVG. Layout, in user units: a cell is a square of
// kCell with kPitch between cells; each panel has a title, a line of counts
// in the report's wording, and its lines of at most 94 cells, labelled at the
// left. Glyph outlines are written once each in <defs> and every present cell
// refers to its glyph with <use>; missing cells show the character in a
// generic font on a strong colour.
#include "coverage/map/map_svg.h"

#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "coverage/map/coverage_map.h"
#include "coverage/output/report_lines.h"
#include "coverage/map/glyph_outline.h"
#include "coverage/sets/extended_sets.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

constexpr int kCell = 40;
constexpr int kPitch = 44;
constexpr int kGutter = 200;  // room for line labels left of the cells
constexpr int kMargin = 20;
constexpr int kWidth = kGutter + kMapLineCells * kPitch + kMargin;

// Vermillion (Okabe-Ito palette): apart from black, white and grey for
// every kind of colour vision, and a middle grey when printed in grey, under
// white text. Unassigned cells are a light grey.
const char kStyle[] =
    "<style>"
    "text{font-family:sans-serif}"
    ".missing{fill:#D55E00}.unassigned{fill:#E6E6E6}"
    ".present text,.missing text,.unassigned text{font-size:30px;text-anchor:middle}"
    ".missing text{fill:#FFF}.unassigned text{fill:#666}"
    ".n{font-size:22px;text-anchor:end;fill:#555}.h{font-size:18px;fill:#555}"
    ".t{font-size:34px;font-weight:bold}.s{font-size:24px}"
    "</style>";

std::string CellCharacters(const MapCell& cell) {
  std::string out;
  AppendCodePointUtf8(&out, cell.codePoint);
  if (cell.mark != 0) AppendCodePointUtf8(&out, cell.mark);
  return EscapeXml(out);
}

// A short id for the n-th glyph: base 36.
std::string ShortId(size_t n) {
  std::string id;
  do {
    id.insert(id.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36]);
    n /= 36;
  } while (n != 0);
  return "g" + id;
}

// Glyph definitions shared by all present cells: the glyph's id in <defs>,
// or empty when the glyph has no outline to show.
struct GlyphDefs {
  GlyphOutlines* outlines;
  std::unordered_map<uint32_t, std::string> ids;
  std::string defs;
};

const std::string& GlyphId(GlyphDefs* glyphs, char32_t codePoint) {
  const uint32_t glyph = GlyphForCharacter(glyphs->outlines, codePoint);
  auto found = glyphs->ids.find(glyph);
  if (found != glyphs->ids.end()) return found->second;
  std::string path, id;
  if (glyph != 0 && GlyphPathData(glyphs->outlines, glyph, &path)) {
    id = ShortId(glyphs->ids.size());
    glyphs->defs += "<path id=\"" + id + "\" d=\"" + path + "\"/>\n";
  }
  return glyphs->ids.emplace(glyph, id).first->second;
}

// One cell: an element with the class of its state, its position and a
// <title>. A present cell whose glyph has an outline is a <use> of it; other
// cells are a group of the cell's square and the character in a generic font.
void AppendCell(std::string* out, const MapPanel& panel, const MapCell& cell, int x,
                GlyphDefs* glyphs) {
  static const char* const kClass[] = {"unassigned", "present", "missing"};
  const bool strip = panel.kind == PanelKind::kStrip;
  const std::string position = strip ? std::to_string(cell.cell) : CellPosition(panel, cell);
  const std::string xs = std::to_string(x);
  std::string title;
  if (cell.codePoint != 0) {
    std::string codes = CodePointName(cell.codePoint);
    if (cell.mark != 0) codes += " " + CodePointName(cell.mark);
    title = CellCharacters(cell) + " " + codes + " " + position;
    if (cell.mark != 0) title += " (a sequence, not measured)";
  } else {
    title = position;
  }
  const std::string* glyph = nullptr;
  if (cell.state == CellState::kPresent) glyph = &GlyphId(glyphs, cell.codePoint);
  const bool useGlyph = glyph != nullptr && !glyph->empty();
  const bool text = !useGlyph && cell.codePoint != 0;
  *out += text ? "<g class=\"" : "<use class=\"";
  *out += kClass[static_cast<int>(cell.state)];
  *out += strip ? "\" data-index=\"" : "\" data-kuten=\"";
  *out += position + "\"";
  if (!text) *out += " href=\"#" + (useGlyph ? *glyph : std::string("b")) + "\" x=\"" + xs + "\"";
  *out += "><title>" + title + "</title>";
  if (text) {
    if (cell.state != CellState::kPresent) *out += "<use href=\"#b\" x=\"" + xs + "\"/>";
    *out += "<text x=\"" + std::to_string(x + kCell / 2) + "\" y=\"32\">" + CellCharacters(cell) +
            "</text></g>\n";
  } else {
    *out += "</use>\n";
  }
}

// The present cells of no set of the report whose character is a member of
// `set`.
int32_t CountMemberCells(const MapPanel& panel, const CharacterSet& set) {
  std::unordered_set<char32_t> members;
  for (int32_t chunk = 0; chunk < set.chunkCount; ++chunk) {
    for (const char16_t* text = set.chunks[chunk]; *text != u'\0';) {
      size_t units = 1;
      members.insert(CodePointAt(text, &units));
      text += units;
    }
  }
  int32_t count = 0;
  for (const MapLine& line : panel.lines) {
    for (const MapCell& cell : line.cells) {
      if (cell.set == -1 && cell.state == CellState::kPresent && members.count(cell.codePoint) != 0) {
        ++count;
      }
    }
  }
  return count;
}

// The panel's counts in the report's wording, then the cells of no set (for
// a panel of non-kanji rows, its extended set's count).
std::string PanelCounts(const MapPanel& panel) {
  std::string out;
  char16_t line[kReportLineCapacity];
  for (int set : panel.sets) {
    FormatCoverageLine(kCharacterSets[set], CountCells(panel, set, CellState::kPresent), line);
    out += (out.empty() ? "" : "　") + Utf16ToUtf8(line);
  }
  if (panel.nonKanjiSet >= 0) {
    // The non-kanji rows are the extended set's members (and the positions
    // it leaves out, such as the ideographic space): its count, as the
    // report gives it, from the same verdicts.
    const CharacterSet& set = kExtendedCharacterSets[panel.nonKanjiSet];
    FormatCoverageLine(set, CountMemberCells(panel, set), line);
    out += (out.empty() ? "" : "　") + Utf16ToUtf8(line);
    return out;
  }
  const int32_t present = CountCells(panel, -1, CellState::kPresent);
  const int32_t measured = present + CountCells(panel, -1, CellState::kMissing);
  if (measured != 0) {
    out += "　非漢字：" + std::to_string(present) + "/" + std::to_string(measured);
  }
  return out;
}

// Column numbers above a code table: 1, 10, 20, ... 90.
void AppendColumnNumbers(std::string* out, int y) {
  for (int cell = 0; cell <= 90; cell += 10) {
    const int number = cell == 0 ? 1 : cell;
    *out += "<text class=\"h\" x=\"" + std::to_string(kGutter + (number - 1) * kPitch + 8) +
            "\" y=\"" + std::to_string(y) + "\">" + std::to_string(number) + "</text>";
  }
  *out += "\n";
}

int AppendPanel(std::string* out, const MapPanel& panel, int y, GlyphDefs* glyphs) {
  *out += "<g id=\"" + panel.id + "\">\n";
  *out += "<text class=\"t\" x=\"" + std::to_string(kMargin) + "\" y=\"" + std::to_string(y + 36) +
          "\">" + EscapeXml(panel.title) + "</text>\n";
  *out += "<text class=\"s\" x=\"" + std::to_string(kMargin) + "\" y=\"" +
          std::to_string(y + 70) + "\">" + EscapeXml(PanelCounts(panel)) + "</text>\n";
  y += 84;
  if (panel.kind == PanelKind::kCodeTable) {
    AppendColumnNumbers(out, y + 18);
    y += 26;
  }
  for (const MapLine& line : panel.lines) {
    *out += "<g transform=\"translate(" + std::to_string(kGutter) + " " + std::to_string(y) +
            ")\"><text class=\"n\" x=\"-12\" y=\"30\">" + EscapeXml(line.label) + "</text>\n";
    for (size_t i = 0; i < line.cells.size(); ++i) {
      AppendCell(out, panel, line.cells[i], static_cast<int>(i) * kPitch, glyphs);
    }
    *out += "</g>\n";
    y += kPitch;
  }
  *out += "</g>\n";
  return y + 40;
}

// The family name, the report's lines in three columns, and the legend.
int AppendHeader(std::string* out, const MapInput& input) {
  *out += "<text class=\"t\" x=\"20\" y=\"50\">" + EscapeXml(input.familyName) + "</text>\n";
  const int columnWidth = (kWidth - 2 * kMargin) / 3;
  const int rows = static_cast<int>((input.reportLines.size() + 2) / 3);
  for (size_t i = 0; i < input.reportLines.size(); ++i) {
    const int column = static_cast<int>(i) / std::max(rows, 1), row = static_cast<int>(i) % std::max(rows, 1);
    *out += "<text class=\"s\" x=\"" + std::to_string(kMargin + column * columnWidth) +
            "\" y=\"" + std::to_string(100 + row * 34) + "\">" + EscapeXml(input.reportLines[i]) +
            "</text>\n";
  }
  const int y = 100 + rows * 34 + 10;
  static const char* const kLegend[][3] = {
      {"present", "\xE5\xAD\x97", "present: drawn by this font (its own outline)"},
      {"missing", "\xE5\xAD\x97", "missing: not drawn by this font (shown in a generic font)"},
      {"unassigned", "", "unassigned: no character of the standard at this position"}};
  for (int i = 0; i < 3; ++i) {
    const int x = kMargin + i * columnWidth;
    *out += "<g class=\"legend " + std::string(kLegend[i][0]) + "\" transform=\"translate(" +
            std::to_string(x) + " " + std::to_string(y) + ")\">";
    if (i != 0) *out += "<use href=\"#b\"/>";
    if (*kLegend[i][1] != '\0') *out += "<text x=\"20\" y=\"32\">" + std::string(kLegend[i][1]) + "</text>";
    *out += "</g><text class=\"s\" x=\"" + std::to_string(x + 56) + "\" y=\"" +
            std::to_string(y + 29) + "\">" + kLegend[i][2] + "</text>\n";
  }
  return y + kCell + 40;
}

}  // namespace

std::string EscapeXml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t value = 0;
    size_t length = 1;
    const bool valid = DecodeUtf8At(reinterpret_cast<const uint8_t*>(text.data()), text.size(), i,
                                    &value, &length) == Utf8Decoding::kCharacter;
    i += valid ? length : 1;
    // Well-formed but not allowed in XML: one replacement for the character.
    const bool allowed = value >= 0x20 ? value != 0xFFFE && value != 0xFFFF
                                       : value == '\t' || value == '\n';
    if (!valid || !allowed) value = 0xFFFD;
    switch (value) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: AppendCodePointUtf8(&out, value);
    }
  }
  return out;
}

bool WriteCoverageMapSvg(const MapInput& input, std::string* svg) {
  svg->clear();
  GlyphDefs glyphs{OpenGlyphOutlines(input.image, input.faceIndex, kCell), {}, {}};
  if (glyphs.outlines == nullptr) return false;
  std::vector<MapPanel> panels = BuildMapLayout();
  MeasureMap(input.context, &panels);

  std::string body;
  int y = AppendHeader(&body, input);
  for (const MapPanel& panel : panels) y = AppendPanel(&body, panel, y, &glyphs);
  CloseGlyphOutlines(glyphs.outlines);

  const std::string width = std::to_string(kWidth), height = std::to_string(y);
  *svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + width +
         "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height + "\">\n";
  *svg += "<title>" + EscapeXml(input.familyName) + " \xE2\x80\x94 coverage map</title>\n";
  *svg += kStyle;
  *svg += "\n<defs>\n<rect id=\"b\" width=\"40\" height=\"40\"/>\n" + glyphs.defs + "</defs>\n";
  *svg += "<rect width=\"100%\" height=\"100%\" fill=\"#FFF\"/>\n";
  *svg += body;
  *svg += "</svg>\n";
  return true;
}

bool DrawFaceMap(ByteView image, MeasuringContext* context, const FaceResult& face,
                 std::string* svg, std::string* error) {
  MapInput input;
  input.familyName = FormatNameLine(face.familyName);
  for (const MeasuredSet& set : face.sets) input.reportLines.push_back(FormatSetLine(set));
  input.image = image;
  input.faceIndex = face.faceIndex;
  input.context = context;
  if (WriteCoverageMapSvg(input, svg)) return true;
  *error = "the coverage map cannot be drawn (FreeType cannot read the outlines)";
  return false;
}

}  // namespace glyphcensus
