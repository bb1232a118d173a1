#include "coverage/measure_reason.h"

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
