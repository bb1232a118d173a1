// The FreeType glyph presence test, stage by stage: judging a glyph from its
// unhinted outline, for fonts whose hinting moves outlines little.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "coverage/presence/glyph_presence_freetype.h"
#include "coverage/presence/glyph_presence_freetype_stages.h"
#include "coverage/geometry/outline_interior.h"
#include "coverage/geometry/plain_outline_freetype.h"

namespace glyphcensus {

namespace {

UnhintedJudging unhintedJudging = UnhintedJudging::kOff;

// Hinting is the dearest step of loading a glyph: FreeType runs the font's
// TrueType programs (or its CFF or automatic hinter) for every glyph, three
// times the work of loading the glyph unhinted. In real fonts it moves outline
// points by a pixel or so at most, vertically (FreeType keeps the horizontal
// positions of TrueType points), and the advance by less than a pixel. So a
// glyph with a point deep inside its ink, well inside the scanned region, has
// ink there hinted or not; such glyphs are judged from the unhinted outline,
// the others are loaded hinted and judged as before.
//
// Hinting programs could move points anywhere, so the shortcut is taken only
// for a font whose hinting, tried on a sample of its glyphs, moves no point
// sideways and no advance further than the sample tolerance, and no point up
// or down further than two pixels (and, by default, only when the sampled
// glyphs have programs long enough for hinting to cost more than the search;
// fonts without glyph programs, and CFF fonts, hint cheaply). The vertical
// tolerance is a pixel, or how far the sample's points moved when that is
// further (the serifs of Mincho faces move by up to a pixel and a half). A
// glyph judged unhinted must then have a point in the scanned region that
// stays inside the outline when every point moves by the sample tolerance plus
// a reserve of half as much again for glyphs the sample missed
// (FindClearInteriorPoint), with a square of half a pixel around it. The pixel
// of that point gets at least a sixteenth of a pixel of coverage (unless a
// contour of the opposite direction overlaps that pixel, which fonts do not
// do).
constexpr FT_Int32 kUnhintedLoad =
    FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH;
constexpr int kSampleGlyphs = 64;
// Bytes of TrueType instructions per sampled glyph, on average, from which
// hinting costs more than the search for a point deep inside the glyph.
constexpr FT_ULong kDearHintingBytes = 32;
// 26.6 units: a sixteenth of a pixel across; one to two pixels up or down.
constexpr FT_Pos kSampleToleranceX = 4;
constexpr FT_Pos kReserveX = 4;
constexpr FT_Pos kLeastVerticalTolerance = 64;
constexpr FT_Pos kMostVerticalTolerance = 128;
constexpr FT_Pos kSampleAdvanceTolerance = 48;
constexpr FT_Pos kAdvanceReserve = 48;
constexpr FT_Pos kCoveredHalfSide = 16;

// How far a point must stay from the unhinted outline, for a font whose
// sampled points moved up to `verticalTolerance` up or down.
Clearance UnhintedClearance(FT_Pos verticalTolerance) {
  return Clearance{kSampleToleranceX + kReserveX + kCoveredHalfSide,
                   verticalTolerance + verticalTolerance / 2 + kCoveredHalfSide};
}

// The unhinted outline in font units: the load the floor of an ink test
// makes, cheaper than the scaled one (no scaling, one box less). The scaled
// unhinted outline is this one times the scale, each point rounded to 26.6
// (and, for CFF, the font units themselves rounded from 16.16), so the search
// runs in font units on a region shrunk to whole font units and with a
// clearance grown by a 26.6 unit and a font unit for those roundings.
// Variation fonts keep the scaled load.
constexpr FT_Int32 kFontUnitLoad = kUnhintedLoad | FT_LOAD_NO_SCALE;

// 26.6 units to font units at `scale` (26.6 units per font unit, 16.16),
// rounded up and down.
FT_Pos ToFontUnitsUp(FT_Pos position, FT_Fixed scale) {
  const int64_t scaled = static_cast<int64_t>(position) * 65536;
  return static_cast<FT_Pos>(scaled >= 0 ? (scaled + scale - 1) / scale : -(-scaled / scale));
}
FT_Pos ToFontUnitsDown(FT_Pos position, FT_Fixed scale) {
  const int64_t scaled = static_cast<int64_t>(position) * 65536;
  return static_cast<FT_Pos>(scaled >= 0 ? scaled / scale : -((-scaled + scale - 1) / scale));
}
FT_Pos FontUnitClearance(FT_Pos clearance, FT_Fixed scale) {
  return ToFontUnitsUp(clearance + 1, scale) + 1;
}

struct LoadedShape {
  bool loaded = false;
  FT_Glyph_Format format = FT_GLYPH_FORMAT_NONE;
  FT_Pos advance = 0;
  FT_BBox box{};
  std::vector<FT_Vector> points;
};

LoadedShape LoadShape(FT_Face face, FT_UInt glyph, FT_Int32 flags) {
  LoadedShape shape;
  if (FT_Load_Glyph(face, glyph, flags) != 0) return shape;
  const FT_GlyphSlot slot = face->glyph;
  shape.loaded = true;
  shape.format = slot->format;
  shape.advance = slot->metrics.horiAdvance;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Get_CBox(&slot->outline, &shape.box);
    const int count = std::max<int>(slot->outline.n_points, 0);
    shape.points.assign(slot->outline.points, slot->outline.points + count);
  }
  return shape;
}

bool Near(FT_Pos a, FT_Pos b, FT_Pos tolerance) { return std::abs(a - b) <= tolerance; }

// Whether hinting moves the glyph's outline sideways and its advance within
// the sample tolerance, and its outline up or down by at most
// kMostVerticalTolerance; raises `verticalMove` to how far up or down it did.
// Outlines of different point counts (the CFF hinter may split curves) are
// compared by their boxes.
bool HintingMovesLittle(FT_Face face, FT_UInt glyph, FT_ULong* programBytes,
                        FT_Pos* verticalMove) {
  const LoadedShape plain = LoadShape(face, glyph, kUnhintedLoad);
  // The outline as hinted: glyphs drawn from a bitmap strike are never
  // judged unhinted (see UnhintedSurelyInked).
  const LoadedShape hinted = LoadShape(face, glyph, kHintedLoad | FT_LOAD_NO_BITMAP);
  // The glyph's TrueType instructions, which the hinted load ran.
  if (hinted.loaded) *programBytes += static_cast<FT_ULong>(std::max<FT_Long>(face->glyph->control_len, 0));
  if (plain.loaded != hinted.loaded || plain.format != hinted.format) return false;
  if (!plain.loaded) return true;
  if (!Near(plain.advance, hinted.advance, kSampleAdvanceTolerance)) return false;
  const FT_Pos tx = kSampleToleranceX;
  if (!Near(plain.box.xMin, hinted.box.xMin, tx) || !Near(plain.box.xMax, hinted.box.xMax, tx)) {
    return false;
  }
  FT_Pos move = std::max(std::abs(plain.box.yMin - hinted.box.yMin),
                         std::abs(plain.box.yMax - hinted.box.yMax));
  if (plain.points.size() == hinted.points.size()) {
    for (size_t i = 0; i < plain.points.size(); ++i) {
      if (!Near(plain.points[i].x, hinted.points[i].x, tx)) return false;
      move = std::max(move, std::abs(plain.points[i].y - hinted.points[i].y));
    }
  }
  *verticalMove = std::max(*verticalMove, move);
  return move <= kMostVerticalTolerance;
}

// The vertical tolerance when the font may be judged from unhinted outlines,
// else 0: scalable outlines only, bitmap strikes only in fonts whose glyphs
// the glyph reader reads (TrueType, where a glyph missing from the strike is
// drawn from its outline), not a "tricky" font (whose hinting assembles the
// glyphs), and hinting that moves little on a sample of glyphs spread over
// the font.
FT_Pos TameHintingTolerance(FT_Face face, bool readsGlyphs) {
  if (!FT_IS_SCALABLE(face) || (FT_HAS_FIXED_SIZES(face) && !readsGlyphs) || FT_IS_TRICKY(face)) {
    return 0;
  }
  const FT_Long glyphs = face->num_glyphs;
  if (glyphs <= 1) return 0;
  const FT_Long samples = std::min<FT_Long>(glyphs - 1, kSampleGlyphs);
  FT_ULong programBytes = 0;
  FT_Pos verticalMove = 0;
  for (FT_Long i = 0; i < samples; ++i) {
    const auto glyph = static_cast<FT_UInt>(1 + i * (glyphs - 1) / samples);
    if (!HintingMovesLittle(face, glyph, &programBytes, &verticalMove)) return 0;
  }
  if (unhintedJudging != UnhintedJudging::kAlways && !readsGlyphs &&
      programBytes < kDearHintingBytes * static_cast<FT_ULong>(samples)) {
    return 0;
  }
  return std::max(verticalMove, kLeastVerticalTolerance);
}
// The glyph's unhinted outline and advance into the context's: in font units
// (read straight from 'glyf' when the glyph reader answers for the glyph, at
// a fraction of FreeType's cost, else loaded by FreeType unscaled), or for
// variation fonts scaled to 26.6 by FreeType. False when there is none.
bool LoadUnhintedOutline(MeasuringContext* context, FT_UInt glyph, bool inFontUnits) {
  PlainOutline& outline = context->unhintedOutline;
  if (inFontUnits && context->readsGlyphs && ReadSimpleGlyph(context->glyphs, glyph, &outline)) {
    return true;
  }
  if (FT_Load_Glyph(context->face, glyph, inFontUnits ? kFontUnitLoad : kUnhintedLoad) != 0) {
    return false;
  }
  const FT_GlyphSlot slot = context->face->glyph;
  const FT_Pos advance = slot->metrics.horiAdvance;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE || advance < INT32_MIN || advance > INT32_MAX) {
    return false;
  }
  outline.advance = static_cast<int32_t>(advance);
  return ReadFreeTypeOutline(slot->outline, &outline);
}
}  // namespace

bool UnhintedSurelyInked(MeasuringContext* context, FT_UInt glyph) {
  if (unhintedJudging == UnhintedJudging::kOff) return false;
  if (context->unhinted == UnhintedShortcut::kUntested) {
    context->verticalTolerance = TameHintingTolerance(context->face, context->readsGlyphs);
    context->unhinted = context->verticalTolerance > 0 ? UnhintedShortcut::kAllowed
                                                       : UnhintedShortcut::kRefused;
  }
  if (context->unhinted != UnhintedShortcut::kAllowed) return false;
  FT_Face face = context->face;
  // A glyph of a bitmap strike for the measuring size is drawn from that
  // bitmap: TrueType's load takes the strike's bitmap when it has one for
  // the glyph, else the outline.
  if (FT_HAS_FIXED_SIZES(face) && FT_Load_Glyph(face, glyph, kHintedLoad | FT_LOAD_SBITS_ONLY) == 0) {
    return false;
  }
  const bool inFontUnits = !FT_HAS_MULTIPLE_MASTERS(face);
  const FT_Fixed xScale = face->size->metrics.x_scale, yScale = face->size->metrics.y_scale;
  if (inFontUnits && (xScale <= 0 || yScale <= 0)) return false;
  PlainOutline& outline = context->unhintedOutline;
  if (!LoadUnhintedOutline(context, glyph, inFontUnits)) return false;
  // The scaled advance, less what rounding in font units and in 26.6 can take.
  const FT_Pos scaledAdvance =
      inFontUnits ? FT_MulFix(outline.advance, xScale) - FT_MulFix(1, xScale) - 2 : outline.advance;
  // The fewest whole pixels the hinted advance can round up to.
  const FT_Pos least = std::max<FT_Pos>(scaledAdvance - kSampleAdvanceTolerance - kAdvanceReserve, 0);
  const int advance = static_cast<int>(std::min<FT_Pos>((least + 63) / 64, kSurfaceSize));
  const InkRegion region = ScannedRegion(*context, advance);
  if (region.right <= region.left) return false;
  const Clearance clearance = UnhintedClearance(context->verticalTolerance);
  if (!inFontUnits) {
    return FindClearInteriorPoint(outline,
                                  OutlineBox{region.left, region.right, region.bottom, region.top},
                                  clearance, &context->scratch);
  }
  return FindClearInteriorPoint(
      outline,
      OutlineBox{ToFontUnitsUp(region.left, xScale), ToFontUnitsDown(region.right, xScale),
                 ToFontUnitsUp(region.bottom, yScale), ToFontUnitsDown(region.top, yScale)},
      Clearance{FontUnitClearance(clearance.x, xScale), FontUnitClearance(clearance.y, yScale)},
      &context->scratch);
}

void SetFreeTypeUnhintedJudging(UnhintedJudging mode) { unhintedJudging = mode; }

}  // namespace glyphcensus
