#pragma once
// The glyph presence test: does the font really draw a character? Implemented
// once with GDI and Uniscribe (Windows) and once with FreeType (Linux).
#include <cstdint>

#include "coverage/window_handle.h"
#include "fontio/big_endian_reader.h"
#include "fontio/face_name.h"

struct MeasuringContext;

// Registers the (already marked) image and creates the measuring font by the
// marked form of `faceName`, the request name of ReadFaceName. Null on failure,
// also when GDI would measure another font; nothing is then held.
MeasuringContext* OpenMeasuringContext(WindowHandle dialog, MutableByteView image,
                                       const FaceName& faceName);

// The number of characters of the NUL-terminated text that the font draws.
// Returns 0 at once when JobActive is clear.
uint32_t CountPresentGlyphs(MeasuringContext* context, const char16_t* text);

void CloseMeasuringContext(MeasuringContext* context);
