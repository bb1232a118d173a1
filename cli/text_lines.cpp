#include "cli/text_lines.h"

#include "coverage/coverage_report.h"
#include "coverage/report_output_console.h"

std::string FormatNameLine(const FaceName& name) {
  FaceName line = name;
  while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.pop_back();
  for (char16_t& unit : line) {
    if (unit == u'\r' || unit == u'\n') unit = u' ';
  }
  return Utf16ToUtf8(line);
}

std::string FormatSetLine(const MeasuredSet& set) {
  const char16_t* noChunks[] = {nullptr};
  const CharacterSet counted{u"", noChunks, 0, set.total, ProgressKind::None};
  char16_t count[kReportLineCapacity];
  FormatCoverageLine(counted, set.present, count);
  return Utf16ToUtf8(set.label) + Utf16ToUtf8(count);
}

