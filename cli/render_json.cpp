// JSON output: one document holding every face (--format json), or one object
// per face and line (--format jsonl), each written as soon as its face is done.
// The fields are described in docs/output-formats.md.
#include <cstdio>

#include "cli/output_writer.h"
#include "coverage/output/machine_formats.h"

namespace glyphcensus {

namespace {

class JsonWriter : public OutputWriter {
 public:
  JsonWriter(const OutputSettings& settings, bool lines) : settings_(settings), lines_(lines) {}
  void Begin(const std::vector<std::string>&) override {
    if (!lines_) std::printf("%s", JsonDocumentStart().c_str());
  }
  void Write(const FaceResult& face, const MapNote& map, const FaceChanges* changes) override {
    WriteObject(FaceJson(face, settings_.listMissing, map, changes));
    if (!Measured(face)) ReportFaceError(face);
  }
  void WriteGone(const BaselineFace& gone) override { WriteObject(GoneFaceJson(gone)); }
  void End() override {
    if (!lines_) std::printf("%s]}\n", written_ == 0 ? "" : "\n");
    std::fflush(stdout);
  }

 private:
  void WriteObject(const std::string& object) {
    if (lines_) {
      std::printf("%s\n", object.c_str());
    } else {
      std::printf("%s\n%s", written_ == 0 ? "" : ",", object.c_str());
    }
    ++written_;
    std::fflush(stdout);
  }

  OutputSettings settings_;
  bool lines_;
  size_t written_ = 0;
};

}  // namespace

std::unique_ptr<OutputWriter> MakeJsonWriter(const OutputSettings& settings, bool lines) {
  return std::make_unique<JsonWriter>(settings, lines);
}

}  // namespace glyphcensus
