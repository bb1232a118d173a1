#pragma once
// The FreeType glyph presence test's own entry points: opening any face of an
// image, and switches for tests and benchmarks.
#include <cstdint>
#include <vector>

#include "coverage/presence/glyph_presence.h"
#include "fontio/big_endian_reader.h"

namespace glyphcensus {

struct SharedVerdicts;

// Opens face `faceIndex` of the image (0 for an sfnt) for CountPresentGlyphs,
// reading the image in place and never writing it; the image must outlive the
// context and stay unchanged. A collection's header must already be as
// NormalizeCollectionHeader leaves it. Null when FreeType cannot open the face.
// Contexts are independent: several may measure one image on several threads.
// `stop` (null: never stopped) must outlive the context. Opened with `shared`,
// the context takes and offers the verdicts of other faces of the collection.
// When FreeType opens the face but cannot set the measuring size (a face of
// bitmap strikes only, none of them for 15 pixels per em), the context is null
// and `noMeasuringSize` (when given) is set.
MeasuringContext* OpenFaceForMeasuring(ByteView image, uint32_t faceIndex,
                                       const StopToken* stop = nullptr,
                                       SharedVerdicts* shared = nullptr,
                                       bool* noMeasuringSize = nullptr);

// Verdicts shared by the faces of one collection: contexts opened with the
// same SharedVerdicts on faces that load their glyphs alike (as the faces of
// Noto CJK's collections do, which share one CFF table) judge each glyph once
// between them, on any threads. The counts are the same as without it. Must
// outlive the contexts opened with it.
SharedVerdicts* CreateSharedVerdicts();
void ReleaseSharedVerdicts(SharedVerdicts* shared);

// Judges in advance, on `threads` threads (this one and contexts of their own
// on the same image and face), every glyph that the characters of `texts`
// lead to, and keeps the verdicts in `context`; counting those texts then only
// looks them up. The counts are the same as without it. Call it right after
// opening `context`.
void PrejudgeGlyphs(MeasuringContext* context, ByteView image, uint32_t faceIndex,
                    const std::vector<const char16_t*>& texts, unsigned threads);

// Whether hinted outlines are judged without being drawn where geometry
// settles the verdict (on by default): glyphs that lie wholly inside the
// scanned region and have plenty of area, and outlines that surely cover a
// pixel of it (covered_pixel_freetype.h). Off (--ink-test exact), every glyph
// is drawn and scanned; the results must be the same.
void SetFreeTypeInkShortcut(bool enabled);

// When glyphs with ink well inside the scanned region are judged from their
// unhinted outline instead of the hinted one: never (the default: every
// glyph is loaded as the exact test loads it); for fonts whose hinting, on a
// sample of 64 glyphs, moves points little, when the font's glyph programs
// make hinting dear (--ink-test sampled, which assumes the glyphs outside the
// sample hint alike and may count ink the font does not draw); or always,
// for tests.
enum class UnhintedJudging { kOff, kWhenHintingIsDear, kAlways };
void SetFreeTypeUnhintedJudging(UnhintedJudging mode);

// One member at a time, with the reason when it is missing; each verdict is
// the one CountPresentGlyphs reaches (kPresent exactly when it counts it).
// The fate of the character `c` (a Unicode scalar value).
GlyphFate JudgeCharacter(MeasuringContext* context, char32_t c);
// The fate of glyph `glyph` of the face, reached by something other than the
// Unicode cmap (a variation sequence, a vertical form, a CID): kNotdef for
// glyph 0 and the default glyph, kBlank for the blank glyph, kEmpty, kNoInk,
// or kPresent.
GlyphFate JudgeGlyphIndex(MeasuringContext* context, uint32_t glyph);

// The fate of the variation sequence (base, selector), read from the cmap's
// format 14 subtable through FreeType (FT_Face_GetCharVariantIndex, which
// answers for a default sequence with the base's glyph in the Unicode cmap and
// for a non-default one with its own glyph): kUnmapped when the subtable gives
// no glyph and the base is unmapped, kNotInFormat14 when it gives none and the
// base is mapped (a renderer would show the base and drop the selector), else
// the glyph's fate (JudgeGlyphIndex).
GlyphFate JudgeSequence(MeasuringContext* context, char32_t base, char32_t selector);

// For a CID-keyed CFF face whose ROS is Adobe-Japan1: how many of the CIDs 1
// to `lastCid` the face holds with a glyph whose fate is kPresent. -1 for any
// other face.
int32_t CountInkedCids(MeasuringContext* context, uint32_t lastCid);

struct MeasuringContext;
// The image and the face index the context was opened on (OpenFaceForMeasuring),
// for another reader of the same face; an empty view and 0 for a null context.
ByteView MeasuredImage(const MeasuringContext* context);
uint32_t MeasuredFaceIndex(const MeasuringContext* context);
// How many glyphs the context has judged from their unhinted outline so far.
uint32_t CountUnhintedVerdicts(const MeasuringContext* context);
// How many glyphs the context has judged by a covered pixel so far.
uint32_t CountCoveredPixelVerdicts(const MeasuringContext* context);

}  // namespace glyphcensus
