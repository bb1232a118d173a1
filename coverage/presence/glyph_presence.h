#pragma once
// The glyph presence test: does the font really draw a character? Implemented
// once with GDI and Uniscribe (Windows) and once with FreeType (the command
// line and the browser page).
#include <cstdint>

#include "fontio/big_endian_reader.h"
#include "fontio/face_name.h"

namespace glyphcensus {

struct MeasuringContext;
struct StopToken;

// What became of one member of a set: drawn, or why not. The same words name
// them in every output ("unmapped", "notdef", ...; MissingReasonWord).
enum class GlyphFate : uint8_t {
  kPresent,         // mapped, not the blank or default glyph, with ink in its cell
  kUnmapped,        // the cmap maps no glyph (for a sequence: its base)
  kNotdef,          // mapped to glyph 0 or to the face's default glyph
  kBlank,           // mapped to the glyph the face declares blank (that of the space)
  kEmpty,           // its glyph has no outline and no bitmap
  kNoInk,           // its glyph has an outline or bitmap, but no ink in its cell
  kNotInFormat14,   // a sequence that the cmap's format 14 subtable does not list
  kNoVerticalForm,  // shaped top to bottom, the character keeps its horizontal glyph
};

// Opens the image's (already marked) first face for measuring. GDI registers
// the image and creates the measuring font by the marked form of `faceName`,
// the request name of ReadFaceName; FreeType opens the face directly. Null on
// failure, also when GDI would measure another font; nothing is then held.
// `stop` (null: never stopped) must outlive the context.
MeasuringContext* OpenMeasuringContext(MutableByteView image, const FaceName& faceName,
                                       const StopToken* stop = nullptr);

// The number of characters of the NUL-terminated text that the font draws.
// Returns 0 at once, and stops counting midway, once the context's stop token
// asks to stop.
uint32_t CountPresentGlyphs(MeasuringContext* context, const char16_t* text);

void CloseMeasuringContext(MeasuringContext* context);

}  // namespace glyphcensus
