#pragma once
// A recording output for the dialog's report in tests on Linux: the report's
// "result box" is a RecordedReport that gathers the text, and its "dialog" a
// RecordedCaptions that keeps the progress captions. Both are passed to the
// report as WindowHandle.
#include <string>
#include <vector>

struct RecordedReport {
  std::u16string text;  // the report as written: lines ending in "\r\n"
};

struct RecordedCaptions {
  std::vector<std::u16string> captions;
};
