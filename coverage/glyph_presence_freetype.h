#pragma once
// The FreeType glyph presence test's own entry points: opening any face of an
// image, and switches for tests and benchmarks.
#include <cstdint>

#include "coverage/glyph_presence.h"
#include "fontio/big_endian_reader.h"

// Opens face `faceIndex` of the image (0 for an sfnt) for CountPresentGlyphs,
// reading the image in place and never writing it; the image must outlive the
// context and stay unchanged. A collection's header must already be as
// NormalizeCollectionHeader leaves it. Null when FreeType cannot open the face.
// Contexts are independent: several may measure one image on several threads.
MeasuringContext* OpenFaceForMeasuring(ByteView image, uint32_t faceIndex);

// Whether glyphs that lie wholly inside the scanned region and have plenty of
// area are judged without being drawn (on by default). Off, every glyph is
// drawn and scanned; the results must be the same.
void SetFreeTypeInkShortcut(bool enabled);
