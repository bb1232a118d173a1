// Test driver: writes the coverage map of a font file as glyphcensus opens
// fonts (the report on one image, the map measured on an image made anew).
//
//   coverage_map_driver FONT OUT.svg
//
// Prints the report's lines to stdout and the map's size and the time taken
// to write it to stderr. Exit status 1 when the font cannot be measured.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/render_svg_map.h"
#include "coverage/coverage_report.h"
#include "coverage/report_output_console.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"

namespace {

bool MakeImage(const std::string& path, FontImage* image) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<char> data((std::istreambuf_iterator<char>(file)), {});
  FontBytes bytes(data.begin(), data.end());
  return file.good() || file.eof() ? MakeFontImage(std::move(bytes), image) : false;
}

std::vector<std::string> ReportLines(const std::u16string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    lines.push_back(Utf16ToUtf8(text.substr(start, end - start)));
    start = end + 2;
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: coverage_map_driver FONT OUT.svg\n");
    return 2;
  }
  FontImage reportImage, mapImage;
  if (!MakeImage(argv[1], &reportImage) || !MakeImage(argv[1], &mapImage)) return 1;
  ConsoleReport report;
  ConsoleProgress progress;
  WriteCoverageReport(&progress, &report, ImageBytes(reportImage));
  const std::vector<std::string> lines = ReportLines(report.text);
  if (lines.size() != 1 + kCharacterSetCount) return 1;
  for (const std::string& line : lines) std::printf("%s\n", line.c_str());

  const auto start = std::chrono::steady_clock::now();
  FaceName faceName;
  if (!ReadFaceName(ImageBytes(mapImage), &faceName)) return 1;
  MeasuringContext* context = OpenMeasuringContext(nullptr, ImageBytes(mapImage), faceName);
  if (context == nullptr) return 1;
  MapInput input;
  input.familyName = lines[0];
  input.reportLines.assign(lines.begin() + 1, lines.end());
  input.image = AsConst(ImageBytes(mapImage));
  input.context = context;
  std::string svg;
  const bool written = WriteCoverageMapSvg(input, &svg);
  CloseMeasuringContext(context);
  if (!written) return 1;
  std::ofstream out(argv[2], std::ios::binary);
  out << svg;
  out.close();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "map: %zu bytes in %lld ms\n", svg.size(), static_cast<long long>(ms));
  return out ? 0 : 1;
}
