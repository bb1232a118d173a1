// The coverage report: the face name, then one line for each of the fifteen
// character sets, with progress captions while it measures.
//
// Every write (each piece of report text, each caption) reads the stop token
// just before it and is skipped once a stop is requested. The report never
// leaves early: after a stop the remaining presence tests return 0 at once,
// nothing more is written, and the measuring context is still closed at the end.
#include "app/coverage_report.h"

#include "app/report_output.h"
#include "coverage/output/report_lines.h"
#include "coverage/presence/glyph_presence.h"
#include "coverage/results/set_counting.h"
#include "fontio/face_name.h"

namespace glyphcensus {

namespace {

// The caption shown before a set that opens a group.
const char16_t* GroupCaption(int setIndex) {
  switch (setIndex) {
    case kLatinLetters: return u"ASCII文字読み込み中...";
    case kHiragana: return u"仮名読み込み中...";
    default: return u"その他文字読み込み中...";
  }
}

// "<label>読み込み中...(k/N)", the caption before chunk k of a kanji set.
void FormatChunkCaption(const CharacterSet& set, int32_t chunk,
                        char16_t (&line)[kReportLineCapacity]) {
  size_t length = 0;
  line[0] = u'\0';
  AppendUnits(line, &length, set.label);
  AppendUnits(line, &length, u"読み込み中...(");
  AppendNumber(line, &length, chunk);
  AppendUnits(line, &length, u"/");
  AppendNumber(line, &length, set.chunkCount);
  AppendUnits(line, &length, u")");
}

struct ChunkCaptions {
  const ReportTarget* target;
  char16_t (*line)[kReportLineCapacity];
};

// Before each chunk of a kanji set: its numbered caption.
void ShowChunkCaption(void* user, const CharacterSet& set, int32_t chunk) {
  if (set.progress != ProgressKind::kNumbered) return;
  auto* captions = static_cast<ChunkCaptions*>(user);
  FormatChunkCaption(set, chunk + 1, *captions->line);
  SetProgressCaption(*captions->target, *captions->line);
}

}  // namespace

void AppendReportText(const ReportTarget& target, const char16_t* text) {
  if (!StopRequested(target.stop)) WriteResultText(target.resultBox, text);
}

void AppendReportLine(const ReportTarget& target, const char16_t* text) {
  AppendReportText(target, text);
  AppendReportText(target, u"\r\n");
}

void SetProgressCaption(const ReportTarget& target, const char16_t* text) {
  if (!StopRequested(target.stop)) WriteCaption(target.dialog, text);
}

void WriteCoverageReport(const ReportTarget& target, MutableByteView image) {
  FaceName faceName;
  FaceName requestName;  // a name the registered font really carries
  if (!ReadFaceName(image, &faceName, &requestName)) return;  // not a font we measure
  AppendReportLine(target, faceName.c_str());

  MeasuringContext* context = OpenMeasuringContext(image, requestName, target.stop);
  if (context == nullptr) return;  // the face-name line stays the only line

  char16_t line[kReportLineCapacity];  // one buffer for every line and caption
  ChunkCaptions captions{&target, &line};
  for (int setIndex = 0; setIndex < kCharacterSetCount; ++setIndex) {
    const CharacterSet& set = kCharacterSets[setIndex];
    if (set.progress == ProgressKind::kGroup) SetProgressCaption(target, GroupCaption(setIndex));
    const int32_t count = CountCharacterSet(context, set, nullptr, ShowChunkCaption, &captions);
    FormatCoverageLine(set, count, line);
    AppendReportLine(target, line);
  }
  CloseMeasuringContext(context);
}

}  // namespace glyphcensus
