// The coverage report: the face name, then one line for each of the fifteen
// character sets, with progress captions while it measures.
//
// Every write (each piece of report text, each caption) reads JobActive just
// before it and is skipped when it reads 0. The report never leaves early: once
// JobActive is 0 the remaining presence tests return 0 at once, nothing more is
// written, and the measuring context is still closed at the end.
#include "coverage/coverage_report.h"

#include "coverage/glyph_presence.h"
#include "coverage/job_active.h"
#include "coverage/report_output.h"
#include "coverage/set_counting.h"
#include "fontio/face_name.h"

namespace {

// Appends NUL-terminated `text` to `line` at `*length`, keeping room for the
// terminator. The lines and captions are far below the capacity.
void AppendUnits(char16_t (&line)[kReportLineCapacity], size_t* length, const char16_t* text) {
  for (; *text != u'\0' && *length + 1 < kReportLineCapacity; ++text) {
    line[(*length)++] = *text;
  }
  line[*length] = u'\0';
}

// Decimal without leading zeros; 1,000 and more as "%d,%03d" of n / 1000 and
// n % 1000 (the counts and totals stay below 1,000,000).
void AppendNumber(char16_t (&line)[kReportLineCapacity], size_t* length, int32_t n) {
  char16_t digits[16];
  size_t count = 0;
  uint32_t value = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  do {
    if (count == 3 && n >= 1000) digits[count++] = u',';
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0 && count < 15);
  if (n < 0) digits[count++] = u'-';  // never happens for a count
  char16_t forward[16];
  for (size_t i = 0; i < count; ++i) forward[i] = digits[count - 1 - i];
  forward[count] = u'\0';
  AppendUnits(line, length, forward);
}

// The caption shown before a set that opens a group.
const char16_t* GroupCaption(int setIndex) {
  switch (setIndex) {
    case LatinLetters: return u"ASCII文字読み込み中...";
    case Hiragana: return u"仮名読み込み中...";
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
  WindowHandle dialog;
  char16_t (*line)[kReportLineCapacity];
};

// Before each chunk of a kanji set: its numbered caption.
void ShowChunkCaption(void* user, const CharacterSet& set, int32_t chunk) {
  if (set.progress != ProgressKind::Numbered) return;
  auto* captions = static_cast<ChunkCaptions*>(user);
  FormatChunkCaption(set, chunk + 1, *captions->line);
  SetProgressCaption(captions->dialog, *captions->line);
}

}  // namespace

void AppendReportText(WindowHandle resultBox, const char16_t* text) {
  if (JobActive.load() != 0) WriteResultText(resultBox, text);
}

void AppendReportLine(WindowHandle resultBox, const char16_t* text) {
  AppendReportText(resultBox, text);
  AppendReportText(resultBox, u"\r\n");
}

void SetProgressCaption(WindowHandle dialog, const char16_t* text) {
  if (JobActive.load() != 0) WriteCaption(dialog, text);
}

void FormatCoverageLine(const CharacterSet& set, int32_t count,
                        char16_t (&line)[kReportLineCapacity]) {
  size_t length = 0;
  line[0] = u'\0';
  AppendUnits(line, &length, set.label);
  AppendUnits(line, &length, u"：");
  if (count == 0) {
    AppendUnits(line, &length, u"－");
  } else if (count == set.total) {
    AppendUnits(line, &length, u"全");
    AppendNumber(line, &length, set.total);
  } else {
    AppendNumber(line, &length, count);
    AppendUnits(line, &length, u"/");
    AppendNumber(line, &length, set.total);
  }
}

void WriteCoverageReport(WindowHandle dialog, WindowHandle resultBox, MutableByteView image) {
  FaceName faceName;
  FaceName requestName;  // a name the registered font really carries
  if (!ReadFaceName(image, &faceName, &requestName)) return;  // not a font we measure
  AppendReportLine(resultBox, faceName.c_str());

  MeasuringContext* context = OpenMeasuringContext(dialog, image, requestName);
  if (context == nullptr) return;  // the face-name line stays the only line

  char16_t line[kReportLineCapacity];  // one buffer for every line and caption
  ChunkCaptions captions{dialog, &line};
  for (int setIndex = 0; setIndex < kCharacterSetCount; ++setIndex) {
    const CharacterSet& set = kCharacterSets[setIndex];
    if (set.progress == ProgressKind::Group) SetProgressCaption(dialog, GroupCaption(setIndex));
    const int32_t count = CountCharacterSet(context, set, nullptr, ShowChunkCaption, &captions);
    FormatCoverageLine(set, count, line);
    AppendReportLine(resultBox, line);
  }
  CloseMeasuringContext(context);
}
