// CSV and TSV output: a header row, then one row per face with the present
// count of each set. Fields are quoted as RFC 4180 says (a field holding the
// delimiter, a quote, a carriage return or a line feed is put in quotes, its
// quotes doubled), with the tab as the TSV delimiter. Rows end in LF.
#include <cstdio>

#include "cli/output_writer.h"
#include "coverage/output/machine_formats.h"

namespace glyphcensus {

namespace {

class DelimitedWriter : public OutputWriter {
 public:
  explicit DelimitedWriter(char delimiter) : delimiter_(delimiter) {}
  void Begin(const std::vector<std::string>& setIds) override {
    setIds_ = setIds;
    WriteRow(DelimitedHeader(setIds, delimiter_));
  }
  void Write(const FaceResult& face, const MapNote&, const FaceChanges*) override {
    WriteRow(DelimitedRow(face, setIds_, delimiter_));
    if (!Measured(face)) ReportFaceError(face);
  }
  void End() override { std::fflush(stdout); }

 private:
  void WriteRow(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }

  char delimiter_;
  std::vector<std::string> setIds_;
};

}  // namespace

std::unique_ptr<OutputWriter> MakeDelimitedWriter(const OutputSettings&, char delimiter) {
  return std::make_unique<DelimitedWriter>(delimiter);
}

}  // namespace glyphcensus
