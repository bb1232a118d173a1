#pragma once
// Why a font file or one of its faces was not measured: a reason the core
// returns next to the result, and its English words.
#include <cstdint>
#include <string>

#include "coverage/presence/glyph_presence.h"
#include "fontio/font_container.h"

namespace glyphcensus {

enum class MeasureReason : uint8_t {
  kMeasured,              // nothing went wrong
  kFrontEnd,              // the front end's own reason (a file it cannot read); words in the result
  kNotAFontFile,          // no container the program reads
  kUnreadCollection,      // a collection of another version, or with another first font
  kWoffNotConverted,      // a WOFF whose image cannot be made
  kWoff2NotConverted,     // a WOFF2 whose image cannot be made
  kNoSuchFace,            // the face asked for is past the file's faces
  kFacesLeftOut,          // a collection lists more faces than are measured
  kNotSfntFace,           // the face's table directory is neither TrueType nor OpenType
  kTableOutsideFile,      // a table the glyph test needs lies outside the file
  kFaceNotOpened,         // FreeType cannot open the face; only its name was read
  kNoMeasuringSize,       // bitmaps only, none for the measuring size; only its name was read
  // A WOFF2 file the decoder refused is measured as far as its image allows,
  // as the dialog does; when that is not far, the decoder's refusal is the reason.
  kWoff2Refused,          // in place of kNotSfntFace
  kWoff2RefusedNameRead,  // in place of kFaceNotOpened
};

// Why a face was measured only in part: its counts are of what could be read,
// as the dialog counts them, and the front ends say so.
enum class PartialMeasure : uint8_t {
  kWhole,               // measured whole
  kWoff2Refused,        // the WOFF2 decoder refused the file's data
  kWoff2PastSizeLimit,  // the WOFF2 decoder refused the file: it decodes past its limit
};

// A reason with what its words need.
struct MeasureFault {
  MeasureReason reason = MeasureReason::kMeasured;
  uint32_t face = 0;      // kNoSuchFace: the face asked for; kFacesLeftOut: the first left out
  uint32_t faceCount = 0; // kNoSuchFace, kFacesLeftOut: the file's faces
  uint32_t mostFaces = 0; // kFacesLeftOut: the most faces measured
  std::string table;      // kTableOutsideFile: the table's tag
  // kNotAFontFile, kUnreadCollection, kWoffNotConverted, kWoff2NotConverted:
  // what the container rules of fontio/ refused, when they did.
  ContainerRefusal refusal = ContainerRefusal::kNone;
};

// The reason in English, as the command prints it, naming the program
// `program` where the words speak of it ("not a font file glyphcensus reads
// ..."). Empty for kMeasured and kFrontEnd.
std::string ReasonWords(const MeasureFault& fault, const std::string& program);

// Why a face was measured only in part, in English; empty for kWhole.
std::string PartialWords(PartialMeasure partial);

// What the container rules refused, in English ("" for kNone). ReasonWords
// keeps to the words the command has always printed; these say which rule
// refused the file, for a front end that shows more.
std::string RefusalWords(ContainerRefusal refusal);

// Why a member of a set is missing, in the words every output uses:
// "unmapped", "notdef", "blank", "empty", "no-ink", "not-in-format-14",
// "no-vertical-form" ("present" for kPresent).
const char* MissingReasonWord(GlyphFate fate);
// The reason a word of MissingReasonWord names (not "present"); false for
// any other word.
bool MissingReasonOfWord(const std::string& word, GlyphFate* fate);

// A fault's words as a front end shows them in full: `words` (the reason,
// as ReasonWords gave it), then which container rule refused the file, when
// one did ("not a font file ... (...); its first bytes are neither ...").
std::string WordsWithRefusal(const std::string& words, ContainerRefusal refusal);

}  // namespace glyphcensus
