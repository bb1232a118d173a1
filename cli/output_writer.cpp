#include "cli/output_writer.h"

#include <cstdio>

#include "cli/terminal_text.h"

namespace glyphcensus {

void ReportError(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "glyphcensus: %s: %s\n", TerminalSafe(path).c_str(),
               TerminalSafe(reason).c_str());
}

void ReportFaceError(const FaceResult& face) {
  ReportError(face.path, WordsWithRefusal(face.error, face.fault.refusal));
}

std::unique_ptr<OutputWriter> MakeOutputWriter(const OutputSettings& settings) {
  switch (settings.format) {
    case OutputFormat::kJson: return MakeJsonWriter(settings, false);
    case OutputFormat::kJsonl: return MakeJsonWriter(settings, true);
    case OutputFormat::kCsv: return MakeDelimitedWriter(settings, ',');
    case OutputFormat::kTsv: return MakeDelimitedWriter(settings, '\t');
    case OutputFormat::kText: break;
  }
  return MakeTextWriter(settings);
}

}  // namespace glyphcensus
