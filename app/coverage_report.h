#pragma once
// The dialog's coverage report: the face name, then one line for each
// character set (coverage/output/report_lines.h), with progress captions while it
// measures. Built on Linux too, where its tests run with a recording output.
#include "app/window_handle.h"
#include "coverage/presence/stop_token.h"
#include "fontio/big_endian_reader.h"

namespace glyphcensus {

// Where the report goes, and what may stop it.
struct ReportTarget {
  WindowHandle dialog;     // its caption shows the progress
  WindowHandle resultBox;  // receives the report text
  const StopToken* stop;   // the dialog's; every write is skipped once it asks to stop
};

void WriteCoverageReport(const ReportTarget& target, MutableByteView image);

void AppendReportText(const ReportTarget& target, const char16_t* text);
void AppendReportLine(const ReportTarget& target, const char16_t* text);
void SetProgressCaption(const ReportTarget& target, const char16_t* text);

}  // namespace glyphcensus
