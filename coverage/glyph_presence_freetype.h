#pragma once
// The FreeType glyph presence test's own entry points: opening any face of an
// image, and switches for tests and benchmarks.
#include <cstdint>
#include <vector>

#include "coverage/glyph_presence.h"
#include "fontio/big_endian_reader.h"

// Opens face `faceIndex` of the image (0 for an sfnt) for CountPresentGlyphs,
// reading the image in place and never writing it; the image must outlive the
// context and stay unchanged. A collection's header must already be as
// NormalizeCollectionHeader leaves it. Null when FreeType cannot open the face.
// Contexts are independent: several may measure one image on several threads.
// `stop` (null: never stopped) must outlive the context.
MeasuringContext* OpenFaceForMeasuring(ByteView image, uint32_t faceIndex,
                                       const StopToken* stop = nullptr);

// Judges in advance, on `threads` threads (this one and contexts of their own
// on the same image and face), every glyph that the characters of `texts`
// lead to, and keeps the verdicts in `context`; counting those texts then only
// looks them up. The counts are the same as without it. Call it right after
// opening `context`.
void PrejudgeGlyphs(MeasuringContext* context, ByteView image, uint32_t faceIndex,
                    const std::vector<const char16_t*>& texts, unsigned threads);

// Whether glyphs that lie wholly inside the scanned region and have plenty of
// area are judged without being drawn (on by default). Off, every glyph is
// drawn and scanned; the results must be the same.
void SetFreeTypeInkShortcut(bool enabled);

// When glyphs with ink well inside the scanned region are judged from their
// unhinted outline, for fonts whose hinting moves outlines little: by default
// only when the font's glyph programs make hinting dear; always (for tests);
// or never, when every glyph is loaded hinted. The results must be the same.
enum class UnhintedJudging { kOff, kWhenHintingIsDear, kAlways };
void SetFreeTypeUnhintedJudging(UnhintedJudging mode);

struct MeasuringContext;
// How many glyphs the context has judged from their unhinted outline so far.
uint32_t CountUnhintedVerdicts(const MeasuringContext* context);
