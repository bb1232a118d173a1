#pragma once
// Private to the FreeType glyph presence test: the measuring context and what
// its stages share. The stages, one file each:
//   glyph_presence_freetype.cpp    set-up of a context, counting, judging a glyph
//   ink_scan_freetype.cpp          the Windows ink scan, the area shortcut and
//                                  the covered pixel (covered_pixel_freetype.h)
//   outline_clipping_freetype.cpp  drawing outlines far larger than the surface
//   unhinted_judging_freetype.cpp  judging glyphs from their unhinted outline
//   shared_verdicts_freetype.cpp   verdicts shared by the faces of a collection
// Nothing outside these files includes this header.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "coverage/geometry/covered_pixel_freetype.h"
#include "coverage/geometry/outline_interior.h"
#include "coverage/presence/stop_token.h"
#include "fontio/big_endian_reader.h"
#include "fontio/truetype_glyphs.h"

namespace glyphcensus {

struct SharedVerdicts;  // glyph_presence_freetype.h

// An 11-point em at 96 dots per inch: MulDiv(11, 96, 72).
constexpr FT_UInt kPixelsPerEm = 15;
// The Windows drawing surface is 256 x 256 pixels.
constexpr int kSurfaceSize = 256;

enum GlyphVerdict : uint8_t { kUnknown = 0, kInked = 1, kBlank = 2 };

enum class UnhintedShortcut : uint8_t { kUntested, kAllowed, kRefused };

// Drawing work allowed per report, in pixel steps of the rasteriser (see
// DrawingCost). A real font's full report takes a few million; a hostile one
// (thousands of glyphs of tens of thousands of points) could otherwise take
// hours. Glyphs drawn after the budget is spent count as missing. Glyphs
// judged without drawing (by their area or a covered pixel, or from their
// unhinted outline with --ink-test sampled) cost nothing, so past the budget,
// and only there, --ink-test exact, which draws every glyph, can count fewer.
constexpr uint64_t kDrawingBudget = uint64_t{1} << 28;
// Outlines whose box is larger than this (26.6 units, either way) are drawn
// clipped to the surface instead of whole (ClippedOutlineInked).
constexpr FT_Pos kLargestWholeOutline = 2 * kSurfaceSize * 64;

// Glyphs are loaded hinted, as GDI loads them, unless judged from their
// unhinted outline (--ink-test sampled, unhinted_judging_freetype.cpp).
constexpr FT_Int32 kHintedLoad = FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;

// The glyph each code point asked about maps to (CharacterGlyph), kept for the
// face's life: the sets share most of their characters (each Adobe-Japan1
// supplement holds the ones before it), the face's charmap never changes
// once opened, and FT_Get_Char_Index reads nothing else (src/base/ftobjs.c).
// Blocks of 4096 code points are made when first asked about, so the table
// holds at most 4.4 MB however many code points are asked.
struct CodePointGlyphs {
  static constexpr uint32_t kBlockBits = 12;
  static constexpr uint32_t kBlocks = (0x10FFFF >> kBlockBits) + 1;
  // The glyph plus one, 0 until looked up.
  std::vector<std::unique_ptr<uint32_t[]>> blocks;
};

// How a shortcut fared on the glyphs of one face it was tried on lately.
struct ShortcutRecord {
  uint32_t tried = 0;
  uint32_t settled = 0;
  uint32_t skipped = 0;      // glyphs not tried since it was last tried
  uint32_t probeEvery = 0;   // while it is not tried on every glyph: 1 in how many
  bool probing = false;      // the glyph being judged is such a try
};

struct MeasuringContext {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  // The image and face FreeType opened, for readers of the same face (the
  // shaping of vertical forms); the image outlives the context.
  ByteView image;
  uint32_t faceIndex = 0;
  int cellAscent = 0;   // GDI's tmAscent: the baseline's row
  int cellHeight = 0;   // tmAscent + tmDescent
  FT_UInt blankGlyph = 0;
  FT_UInt defaultGlyph = 0;
  // The verdict for a glyph depends on nothing but the glyph, so it is worked
  // out once per report. Sets share many characters (every education kanji is
  // also a regular-use and a level-1 kanji).
  std::vector<uint8_t> verdicts;
  uint64_t drawingBudget = kDrawingBudget;
  // Whether glyphs may be judged from their unhinted outlines; decided at the
  // first glyph (see TameHintingTolerance).
  UnhintedShortcut unhinted = UnhintedShortcut::kUntested;
  // How far up or down hinting may move points when the shortcut is allowed
  // (26.6; see TameHintingTolerance).
  FT_Pos verticalTolerance = 0;
  uint32_t unhintedVerdicts = 0;
  uint32_t coveredPixelVerdicts = 0;  // glyphs judged by OutlineCoversScannedPixel
  // How often each shortcut settled a glyph of this face lately, to stop
  // trying one that does not pay for itself here (ShortcutWorthTrying).
  ShortcutRecord areaRecord;
  ShortcutRecord coveredPixelRecord;
  CoveredPixelScratch coveredPixelScratch;
  PlainOutline unhintedOutline;  // the glyph being judged unhinted, reused
  // The face's simple glyphs read straight from 'glyf', when the reader takes
  // the face (unhinted_judging_freetype.cpp).
  TrueTypeGlyphs glyphs;
  bool readsGlyphs = false;
  InteriorScratch scratch;
  // Set while judging one glyph when the drawing budget refused to draw it:
  // the verdict then depends on the budget and is not shared.
  bool refusedByBudget = false;
  // Set once the drawing budget refused to draw any glyph of this context.
  bool budgetCutShort = false;
  // The verdicts this face shares with the other faces of its collection that
  // draw alike, or null.
  struct SharedVerdictGroup* shared = nullptr;
  const StopToken* stop = nullptr;  // the caller's; null: never stopped
  // The glyph of each CID of an Adobe-Japan1 CID-keyed face (0: none), made
  // when first asked for (CountInkedCids); cidsRead says whether it was.
  bool cidsRead = false;
  bool adobeJapan1Cids = false;
  std::vector<FT_UInt> cidGlyphs;
  CodePointGlyphs codePointGlyphs;
  // The bases each selector asked about lists (ListVariantBases), ascending, or
  // none: then FreeType is asked for each base.
  std::unordered_map<uint32_t, std::vector<uint32_t>> selectorBases;
  size_t listedBaseCount = 0;  // the bases FreeType listed for them
};

// The ink scan (ink_scan_freetype.cpp).

// Replays the Windows ink scan on the surface GDI draws: the cell
// [0, advance) x [0, cellHeight) white, the glyph's coverage as ink, the rest
// red. The scan reads rows from the top; a row whose first pixel is red ends
// it (missing); along a row, white is skipped, red moves to the next row, and
// anything else is ink. So ink just right of the cell, touching it, is reached
// too. Rows below the cell hold no ink here: Wine draws nothing of a glyph
// outside the cell's rows (and a glyph wholly above or below them is not
// drawn at all), so the row below the cell always begins red there. Real
// Windows draws such ink, and its scan would count ink at the very start of
// the row below the cell; this test, like Wine, does not.
// `left` and `top` are the surface position of the bitmap's first column and row.
bool ScanFindsInk(const MeasuringContext& context, const FT_Bitmap& bitmap, int left, int top,
                  int advance);

// The part of the outline plane where ink counts, in 26.6 units (y up,
// baseline at 0): columns 0 to min(width, 255), rows 0 to height - 1 of the
// surface. Empty (right <= left) without a cell.
struct InkRegion {
  FT_Pos left = 0, right = 0, bottom = 0, top = 0;
};

InkRegion ScannedRegion(const MeasuringContext& context, int advance);

// A shortcut that gives the verdict of the full drawing and scan without
// drawing, for the common glyph that lies wholly inside the scanned region:
// its ink is present if any pixel gets coverage. The areas of the pixels of
// the outline's box sum to the signed area of the polygon the rasteriser
// draws (its curves flattened as it flattens them), so when that area, less
// what the rasteriser's rounding can move, exceeds what the box's pixels hold
// without coverage, some pixel has coverage (outline_area_freetype.h).
// Everything else is drawn and scanned. `box` is the outline's control box
// (FT_Outline_Get_CBox).
// AreaShortcutApplies: whether the outline is one the shortcut takes (no
// walk; OutlineSurelyInked is false for every other).
bool AreaShortcutApplies(const MeasuringContext& context, const FT_Outline& outline,
                         const FT_BBox& box, int advance);
bool OutlineSurelyInked(const MeasuringContext& context, const FT_Outline& outline,
                        const FT_BBox& box, int advance);

// Whether the hinted outline, which the caller would draw whole, gives full
// coverage to a pixel of the scanned region without drawing it: a pixel no
// piece of the outline touches, of nonzero winding (covered_pixel_freetype.h).
bool OutlineCoversScannedPixel(MeasuringContext* context, const FT_Outline& outline,
                               const FT_BBox& box, int advance);

// At most how many pixel steps FreeType's rasteriser takes for the outline:
// the length of its control polygon in pixels (|dx| + |dy|; the rasteriser
// walks every line through every pixel it crosses, also outside the target)
// plus one per point.
uint64_t DrawingCost(const FT_Outline& outline);

// Clipping (outline_clipping_freetype.cpp): whether the scan finds ink in an
// outline far larger than the surface, drawn clipped to what the scan reaches.
bool ClippedOutlineInked(MeasuringContext* context, FT_GlyphSlot slot, int advance);

// Unhinted judging (unhinted_judging_freetype.cpp): true when the glyph surely
// has ink in the scanned region whether hinted or not; false when it must be
// loaded hinted and judged so.
bool UnhintedSurelyInked(MeasuringContext* context, FT_UInt glyph);

// Shared verdicts (shared_verdicts_freetype.cpp). Joins the context to the
// group of faces of `shared` whose glyphs load exactly as face `faceIndex`'s
// do: the same outline, metric and hinting tables at the same places of the
// image, the same `head` table (checksum and dates aside) and the same number
// of glyphs. Then a glyph judged for one face is not judged again for another.
void JoinSharedVerdicts(SharedVerdicts* shared, ByteView image, uint32_t faceIndex,
                        MeasuringContext* context);
// The verdict another face of the group reached for the glyph, its drawing
// cost charged to this context's budget (kBlank when that is spent), or
// kUnknown.
GlyphVerdict TakeSharedVerdict(MeasuringContext* context, FT_UInt glyph);
// Offers the group a verdict reached by drawing that cost `cost` steps.
void ShareVerdict(MeasuringContext* context, FT_UInt glyph, GlyphVerdict verdict, uint64_t cost);

}  // namespace glyphcensus
