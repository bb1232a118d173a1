#include "coverage/output/report_lines.h"

#include "coverage/results/measure_reason.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

// The lines and captions are far below the capacity.
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

std::string FormatNameLine(const FaceName& name) {
  FaceName line = name;
  while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.pop_back();
  for (char16_t& unit : line) {
    if (unit == u'\r' || unit == u'\n') unit = u' ';
  }
  return Utf16ToUtf8(line);
}

std::string FormatSetLine(const MeasuredSet& set) {
  const char16_t* noChunks[] = {nullptr};
  const CharacterSet counted{u"", noChunks, 0, set.total, ProgressKind::kNone};
  char16_t count[kReportLineCapacity];
  FormatCoverageLine(counted, set.present, count);
  return Utf16ToUtf8(set.label) + Utf16ToUtf8(count);
}

std::vector<std::string> MissingSequenceLines(const std::vector<VariationSequence>& missing) {
  constexpr size_t kSequencesPerLine = 10;
  std::vector<std::string> lines;
  for (size_t i = 0; i < missing.size(); ++i) {
    if (i % kSequencesPerLine == 0) lines.emplace_back();
    std::string& line = lines.back();
    if (!line.empty()) line += "  ";
    std::u16string sequence;
    AppendUtf16(&sequence, missing[i].base);
    AppendUtf16(&sequence, missing[i].selector);
    line += Utf16ToUtf8(sequence) + " " + CodePointName(missing[i].base) + " " +
            CodePointName(missing[i].selector);
  }
  return lines;
}

namespace {

std::string ChangeLine(const char* word, const SetChange& change, size_t count) {
  char16_t number[kReportLineCapacity];
  size_t length = 0;
  number[0] = u'\0';
  AppendNumber(number, &length, static_cast<int32_t>(count));
  return std::string(word) + " " + Utf16ToUtf8(change.label) + "\xEF\xBC\x9A" + Utf16ToUtf8(number);
}

}  // namespace

std::string FormatLostLine(const SetChange& change) {
  return ChangeLine("lost", change, LostCount(change));
}

std::string FormatGainedLine(const SetChange& change) {
  return ChangeLine("gained", change, GainedCount(change));
}

std::vector<std::string> MissingCharacterLines(const std::u16string& missing, const char* indent) {
  constexpr size_t kMissingPerLine = 40;
  std::vector<std::string> lines;
  std::u16string line;
  size_t characters = 0;
  for (size_t i = 0; i < missing.size(); ++i) {
    line.push_back(missing[i]);
    const bool pairStart = IsHighSurrogate(missing[i]) && i + 1 < missing.size();
    if (pairStart) line.push_back(missing[++i]);
    if (++characters == kMissingPerLine || i + 1 == missing.size()) {
      lines.push_back(indent + Utf16ToUtf8(line));
      line.clear();
      characters = 0;
    }
  }
  return lines;
}

namespace {

// The reasons in the order --why lists them.
constexpr GlyphFate kReasonOrder[] = {
    GlyphFate::kUnmapped, GlyphFate::kNotdef,        GlyphFate::kBlank,          GlyphFate::kEmpty,
    GlyphFate::kNoInk,    GlyphFate::kNotInFormat14, GlyphFate::kNoVerticalForm};

void AppendLines(std::vector<std::string>* lines, const std::vector<std::string>& more,
                 const std::string& indent = "") {
  for (const std::string& line : more) lines->push_back(indent + line);
}

void AppendMembers(std::vector<std::string>* lines, SetKind kind, const std::u16string& characters,
                   const std::vector<VariationSequence>& sequences, const char* indent) {
  if (kind == SetKind::kCharacters) AppendLines(lines, MissingCharacterLines(characters, indent));
  else AppendLines(lines, MissingSequenceLines(sequences), indent);
}

}  // namespace

std::vector<std::string> MissingByReasonLines(SetKind kind, const std::u16string& missing,
                                              const std::vector<VariationSequence>& sequences,
                                              const std::vector<GlyphFate>& reasons) {
  std::vector<std::string> lines;
  for (GlyphFate reason : kReasonOrder) {
    std::u16string characters;
    std::vector<VariationSequence> members;
    size_t unit = 0, count = 0;
    for (size_t k = 0; k < reasons.size(); ++k) {
      size_t units = 1;
      if (kind == SetKind::kCharacters && unit < missing.size()) CodePointAt(missing.c_str() + unit, &units);
      if (reasons[k] == reason) {
        ++count;
        if (kind == SetKind::kSequences && k < sequences.size()) members.push_back(sequences[k]);
        else if (kind == SetKind::kCharacters) characters.append(missing, unit, units);
      }
      unit += units;
    }
    if (count == 0) continue;
    lines.push_back(std::string("  ") + MissingReasonWord(reason) + " (" + std::to_string(count) + ")");
    AppendMembers(&lines, kind, characters, members, "    ");
  }
  return lines;
}

std::vector<std::string> ChangeLines(const FaceChanges& changes, bool byReason) {
  std::vector<std::string> lines;
  for (const SetChange& set : changes.sets) {
    if (!HasLoss(set)) continue;
    lines.push_back(FormatLostLine(set));
    if (byReason) AppendLines(&lines, MissingByReasonLines(set.kind, set.lost, set.lostSequences, set.lostReasons));
    else AppendMembers(&lines, set.kind, set.lost, set.lostSequences, "  ");
  }
  for (const SetChange& set : changes.sets) {
    if (!HasGain(set)) continue;
    lines.push_back(FormatGainedLine(set));
    AppendMembers(&lines, set.kind, set.gained, set.gainedSequences, "  ");
  }
  return lines;
}

}  // namespace glyphcensus
