// The report output of the dialog's report in tests on Linux: the text and
// the captions are recorded.
#include "tests/app/report_recorder.h"

#include "app/report_output.h"

using namespace glyphcensus;

namespace glyphcensus {

void WriteResultText(WindowHandle resultBox, const char16_t* text) {
  static_cast<RecordedReport*>(resultBox)->text += text;
}

void WriteCaption(WindowHandle dialog, const char16_t* text) {
  if (dialog != nullptr) static_cast<RecordedCaptions*>(dialog)->captions.push_back(text);
}

}  // namespace glyphcensus
