#pragma once
// The coverage report: the face name, then one line for each character set,
// with progress captions while it measures.
#include <cstdint>
#include <cstddef>

#include "coverage/character_sets.h"
#include "coverage/window_handle.h"
#include "fontio/big_endian_reader.h"

void WriteCoverageReport(WindowHandle dialog, WindowHandle resultBox, MutableByteView image);

void AppendReportText(WindowHandle resultBox, const char16_t* text);
void AppendReportLine(WindowHandle resultBox, const char16_t* text);
void SetProgressCaption(WindowHandle dialog, const char16_t* text);
// One buffer serves every line and caption; the longest is under 30 units.
constexpr size_t kReportLineCapacity = 64;
// Writes the set's report line, NUL-terminated, into `line`.
void FormatCoverageLine(const CharacterSet& set, int32_t count, char16_t (&line)[kReportLineCapacity]);
