#include "coverage/results/measure_reason.h"

#include "fontio/woff2.h"

namespace glyphcensus {

namespace {

std::string Number(uint32_t value) { return std::to_string(value); }

}  // namespace

std::string ReasonWords(const MeasureFault& fault, const std::string& program) {
  switch (fault.reason) {
    case MeasureReason::kMeasured:
    case MeasureReason::kFrontEnd:
      return "";
    case MeasureReason::kNotAFontFile:
      return "not a font file " + program +
             " reads (TrueType, OpenType, font collection, WOFF, WOFF2)";
    case MeasureReason::kUnreadCollection:
      return "a font collection " + program +
             " does not read (it reads collections of version 1 or 2 whose first font is "
             "TrueType or OpenType)";
    case MeasureReason::kWoffNotConverted:
      return "the WOFF file cannot be converted";
    case MeasureReason::kWoff2NotConverted:
      return "the WOFF2 file cannot be converted";
    case MeasureReason::kNoSuchFace:
      return "there is no face " + Number(fault.face) + " (the file has " +
             Number(fault.faceCount) + (fault.faceCount == 1 ? " face)" : " faces)");
    case MeasureReason::kFacesLeftOut:
      return "faces " + Number(fault.face) + " to " + Number(fault.faceCount - 1) +
             " are not measured (at most " + Number(fault.mostFaces) +
             " faces of a collection are)";
    case MeasureReason::kNotSfntFace:
      return "not a font " + program +
             " measures (its table directory is neither TrueType nor OpenType)";
    case MeasureReason::kTableOutsideFile:
      return "the table '" + fault.table + "' lies outside the file";
    case MeasureReason::kFaceNotOpened:
      return "FreeType cannot open the font; only its name was read";
    case MeasureReason::kNoMeasuringSize:
      return "the font has no outlines, only bitmaps, and none of them for 15 pixels per em, "
             "the size glyphs are measured at; only its name was read";
    case MeasureReason::kWoff2Refused:
      return "the WOFF2 file cannot be converted (the decoder refused its data)";
    case MeasureReason::kWoff2RefusedNameRead:
      return "the WOFF2 file cannot be converted (the decoder refused its data); only its "
             "name was read";
  }
  return "";
}

std::string PartialWords(PartialMeasure partial) {
  const std::string measured = "; only the part it decoded was measured";
  switch (partial) {
    case PartialMeasure::kWhole:
      return "";
    case PartialMeasure::kWoff2Refused:
      return "the WOFF2 decoder refused the file's data" + measured;
    case PartialMeasure::kWoff2PastSizeLimit:
      return "the WOFF2 decoder refused the file: it decodes to more than " +
             Number(kWoff2MaxImageSize / (1024 * 1024)) + " MiB, the decoder's limit" + measured;
  }
  return "";
}

std::string RefusalWords(ContainerRefusal refusal) {
  switch (refusal) {
    case ContainerRefusal::kNone:
      return "";
    case ContainerRefusal::kTooShort:
      return "the file is shorter than its header";
    case ContainerRefusal::kUnknownSignature:
      return "its first bytes are neither an sfnt version nor 'ttcf', 'wOFF' or 'wOF2'";
    case ContainerRefusal::kCollectionVersion:
      return "the collection header is of a version other than 1 or 2";
    case ContainerRefusal::kCollectionFirstFont:
      return "the collection's first font is neither TrueType nor OpenType";
    case ContainerRefusal::kWebFontFlavour:
      return "the web font's flavour is neither TrueType nor CFF";
    case ContainerRefusal::kFileTooLarge:
      return "the file is 2 GiB or larger";
    case ContainerRefusal::kConvertedTooLarge:
      return "the converted font would be larger than the converter allows";
    case ContainerRefusal::kNoMemory:
      return "the memory for the converted font cannot be had";
    case ContainerRefusal::kNotWebFont:
      return "the file is not a WOFF or WOFF2 file";
  }
  return "";
}

const char* MissingReasonWord(GlyphFate fate) {
  switch (fate) {
    case GlyphFate::kPresent: return "present";
    case GlyphFate::kUnmapped: return "unmapped";
    case GlyphFate::kNotdef: return "notdef";
    case GlyphFate::kBlank: return "blank";
    case GlyphFate::kEmpty: return "empty";
    case GlyphFate::kNoInk: return "no-ink";
    case GlyphFate::kNotInFormat14: return "not-in-format-14";
    case GlyphFate::kNoVerticalForm: return "no-vertical-form";
  }
  return "no-ink";
}

bool MissingReasonOfWord(const std::string& word, GlyphFate* fate) {
  for (GlyphFate candidate : {GlyphFate::kUnmapped, GlyphFate::kNotdef, GlyphFate::kBlank,
                              GlyphFate::kEmpty, GlyphFate::kNoInk, GlyphFate::kNotInFormat14,
                              GlyphFate::kNoVerticalForm}) {
    if (word == MissingReasonWord(candidate)) {
      *fate = candidate;
      return true;
    }
  }
  return false;
}

std::string WordsWithRefusal(const std::string& words, ContainerRefusal refusal) {
  const std::string rule = RefusalWords(refusal);
  if (rule.empty()) return words;
  return words.empty() ? rule : words + "; " + rule;
}

}  // namespace glyphcensus
