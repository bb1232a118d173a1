#include "cli/output_writer.h"

#include <cstdio>

#include "cli/terminal_text.h"

void ReportError(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "glyphcensus: %s: %s\n", TerminalSafe(path).c_str(),
               TerminalSafe(reason).c_str());
}

std::unique_ptr<OutputWriter> MakeOutputWriter(const OutputSettings& settings) {
  switch (settings.format) {
    case OutputFormat::Json: return MakeJsonWriter(settings, false);
    case OutputFormat::Jsonl: return MakeJsonWriter(settings, true);
    case OutputFormat::Csv: return MakeDelimitedWriter(settings, ',');
    case OutputFormat::Tsv: return MakeDelimitedWriter(settings, '\t');
    case OutputFormat::Text: break;
  }
  return MakeTextWriter(settings);
}
