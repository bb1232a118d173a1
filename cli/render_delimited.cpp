// CSV and TSV output: a header row, then one row per face with the present
// count of each set. Fields are quoted as RFC 4180 says (a field holding the
// delimiter, a quote, a carriage return or a line feed is put in quotes, its
// quotes doubled), with the tab as the TSV delimiter. Rows end in LF.
#include <cstdio>

#include "cli/output_writer.h"
#include "fontio/unicode_text.h"

namespace {

std::string Field(const std::string& text, char delimiter) {
  if (text.find_first_of(std::string(1, delimiter) + "\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

class DelimitedWriter : public OutputWriter {
 public:
  explicit DelimitedWriter(char delimiter) : delimiter_(delimiter) {}
  void Begin(const std::vector<std::string>& setIds) override {
    setIds_ = setIds;
    std::vector<std::string> header = {"path", "container", "face", "family", "error"};
    header.insert(header.end(), setIds.begin(), setIds.end());
    WriteRow(header);
  }
  void Write(const FaceResult& face) override {
    std::vector<std::string> row = {
        face.path, face.container, face.faceKnown ? std::to_string(face.faceIndex) : "",
        face.nameRead ? Utf16ToUtf8(face.familyName) : "", face.error};
    for (const std::string& id : setIds_) {
      std::string present;
      for (const MeasuredSet& set : face.sets) {
        if (set.id == id) present = std::to_string(set.present);
      }
      row.push_back(present);
    }
    WriteRow(row);
    if (!Measured(face)) ReportError(face.path, face.error);
  }
  void End() override { std::fflush(stdout); }

 private:
  void WriteRow(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) line += delimiter_;
      line += Field(fields[i], delimiter_);
    }
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
