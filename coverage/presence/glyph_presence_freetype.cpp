// The glyph presence test of the command-line tool, done with FreeType. It
// follows the Windows test (GDI and Uniscribe) stage by stage so that both
// give the same counts:
//
// 1. The cmap maps the character. The walk steps one UTF-16 unit at a time, as
//    on Windows: a surrogate pair is decoded to one code point at its high
//    unit, and the low unit that follows is then tested alone, as an unpaired
//    surrogate, which is always missing. So a pair counts at most once.
// 2. The glyph is not glyph 0, not the glyph of U+0020 (the blank glyph) and
//    not the glyph of OS/2 usDefaultChar when that is set (the default glyph).
// 3. The glyph, drawn as GDI draws it with ExtTextOutW at (0, 0), top-left
//    aligned, opaque background, leaves ink where the Windows ink scan finds
//    it. GDI paints the character cell white: x from 0 to the advance, y from
//    0 to ascent + descent, the baseline at y = ascent. The 256 x 256 surface
//    around it stays red, and ink lands wherever the glyph has coverage. The
//    scan below replays the Windows scan on that picture without drawing it.
//
// Sizes: the Windows measuring font asks for an 11-point em at 96 dpi, height
// -MulDiv(11, 96, 72) = -15, that is 15 pixels per em. GDI's cell metrics for
// a TrueType face are
//     emScale  = MulDiv(15, 65536, unitsPerEm)            (16.16 fixed point)
//     ascent   = round(winAscent  * emScale / 65536)
//     descent  = round(winDescent * emScale / 65536)
// (hhea ascender and -descender when winAscent + winDescent is 0), and the
// advance is the hinted advance rounded up to whole pixels. Glyphs are loaded
// with FreeType's default hinting, as GDI's FreeType-based implementation
// (Wine) loads them, and rendered anti-aliased; any coverage is ink.
//
// Cases where this test and the Windows test can disagree:
// - Ink below the cell. Real Windows draws it, and its scan, which goes on to
//   the row below the cell when that row begins with ink, would count ink at
//   the first pixel of that row. Wine, like this test, draws nothing outside
//   the cell's rows, so there such ink never counts.
// - Rendering mode. GDI may draw bi-level (no smoothing in the system
//   settings, or the font's 'gasp' table denies grey at 15 ppem, as IPAGothic's
//   does), in grey, or ClearType, and blends faint coverage away: under Wine
//   with grey smoothing, a lone vertical hairline of 0.12 pixel (coverage
//   about 30/255) leaves no visible ink, one of 0.14 pixel does. Here any
//   anti-aliased coverage is ink. They differ only for a glyph whose whole ink
//   inside the cell is that faint (a hairline, a stroke lying almost entirely
//   outside the cell); no real font compared so far has one.
// - Hinting. Real Windows runs its own TrueType interpreter and never the
//   FreeType auto-hinter; for unhinted fonts FreeType's auto-hinter may move
//   edges by up to a pixel. Only ink that lies at the cell's edge is affected.
// - Cell metrics. A VDMX table entry for 15 ppem replaces the ascent and
//   descent on Windows; it is not read here. Wine widens the advance of
//   full-width glyphs of fonts flagged fixed-pitch to twice the half width;
//   not done here. Real Windows may round the scaled winAscent/winDescent and
//   the advance (hdmx) differently by a pixel.
// - Special glyphs. Wine's Uniscribe takes as blank the glyph of U+0020, as
//   default glyph 0, and as invalid glyph that of U+F71B, else U+200B, else
//   U+0020; real Windows takes the glyph of the default character as default
//   glyph. The Windows test also rejects the glyph GDI hands unmapped
//   characters (the glyph of usDefaultChar), so that case agrees under Wine
//   too. Left over: under Wine a character mapped to the glyph of U+F71B or
//   U+200B is missing there and present here if it has ink.
// - Character mapping. FreeType picks the Unicode cmap itself (format 12
//   (3,10) before (3,1), and Unicode-platform subtables too); GDI maps BMP
//   characters through (3,1) and needs Windows subtables. A symbol font (no
//   Unicode cmap, a (3,0) one) is read here as GDI reads it: U+0020-U+00FF
//   at U+F020-U+F0FF, then at their own codes (CharacterGlyph in
//   face_opening_freetype.cpp). GDI, failing that, also tries the character's
//   byte in the system's ANSI code page; here that last step is not taken,
//   so a character that maps only through it (a half-width katakana under
//   code page 932, say) is missing here and may be present on Windows.
// - Which face. Here the image's first face is always measured. GDI measures
//   whatever face its font mapper finds for the marked Windows family name:
//   another face of a collection that shares the family name, or no face at
//   all for formats it does not take (bitmap-only fonts, odd cmaps). When the
//   mapper hands out another family (an empty name, a font with Macintosh
//   family names only), the Windows test measures nothing.
// - Bitmap strikes. Embedded bitmaps for 15 ppem are used by both; colour
//   bitmaps (CBDT, sbix) count by their alpha here and are not drawn by GDI.
//
// Steps a verdict may skip, each giving the verdict of loading hinted,
// drawing and scanning for every possible font (FreeType 2.12.1):
// - Drawing, where the hinted outline lies inside the scanned region and the
//   area of the polygon the rasteriser draws for it (its curves flattened as
//   gray_render_conic and gray_render_cubic in src/smooth/ftgrays.c flatten
//   them), less what gray_render_line's rounding can move, is more than the
//   box's pixels can hold without coverage (OutlineSurelyInked,
//   outline_area_freetype.h; gray_sweep sums the cells' areas of each row).
// - Drawing, where the outline, drawn whole (its box within
//   kLargestWholeOutline), leaves a pixel of the region untouched by every
//   line and curve box with a nonzero winding at its centre
//   (covered_pixel_freetype.h: gray_render_line, gray_render_conic,
//   gray_render_cubic, gray_sweep and FT_FILL_RULE in src/smooth/ftgrays.c;
//   ft_smooth_render and ft_smooth_raster_overlap in src/smooth/ftsmooth.c;
//   ft_glyphslot_preset_bitmap in src/base/ftobjs.c). Glyphs judged so are
//   not charged to the drawing budget, as with the area rule.
// - Neither rule is tried where it seldom settles a glyph of the face
//   (ShortcutWorthTrying): such glyphs are drawn, which gives the same
//   verdict and is only charged to the budget.
// - Nothing skips hinting. Loading is where the time goes, but no rule both
//   holds for every font and pays for itself:
//   - An empty glyph has no coverage whatever hinting does (the TrueType
//     interpreter moves points and never adds any), but only where no strike
//     supplies the glyph; the hinted load of an empty glyph costs little, and
//     few mapped characters lead to one.
//   - A TrueType glyph without a glyph program is not safe to judge unhinted:
//     FT_Load_Glyph (src/base/ftobjs.c) hands TrueType fonts with no fpgm, no
//     prep and maxSizeOfInstructions 0 to the auto-hinter, which moves
//     points; a prep that turns off backward compatibility with INSTCTRL
//     (Ins_INSTCTRL in src/truetype/ttinterp.c, read in tt_loader_init of
//     src/truetype/ttgload.c) makes hdmx widths replace the advance
//     (compute_glyph_metrics), which decides the cell; and the hinted load
//     rounds the phantom points (TT_Hint_Glyph), which moves the advance too.
//     Each would need the face's prep, cvt and hdmx judged as well.
//   - Bitmap glyphs are not hinted in the first place.
// The sampled mode (--ink-test sampled, unhinted_judging_freetype.cpp)
// breaks these rules on purpose and is never the default.
#include "coverage/presence/glyph_presence.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_CID_H

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "coverage/presence/face_opening_freetype.h"
#include "coverage/presence/glyph_presence_freetype.h"
#include "coverage/presence/glyph_presence_freetype_stages.h"
#include "coverage/presence/stop_token.h"
#include "fontio/font_structure.h"
#include "fontio/unicode_text.h"

namespace glyphcensus {

namespace {

bool inkShortcut = true;
// Outlines of more points are drawn without trying the shortcuts first.
constexpr short kMostPointsJudgedUndrawn = 256;

// Each shortcut is tried on every glyph of a face at first. One that settles
// too few of them costs more than it saves: walking an outline for the area
// costs about a fifth of drawing it, walking it for a covered pixel about half
// to three quarters (callgrind, on fonts of thin strokes). So once a shortcut
// has been tried on kShortcutSample glyphs of the face and settled fewer than
// one in `oneIn` of them, it is tried only now and then: twice as rarely
// after each such try that fails (a shortcut that fails costs up to a
// glyph's drawing), as often as at first after one that settles, and on every
// glyph again once the tries settle often enough. Whether a shortcut
// is tried never changes a verdict: each gives the drawing's verdict, and a
// glyph it does not settle is drawn. It changes only which glyphs are
// charged to the drawing budget, so only a report that spends the whole
// budget can count otherwise (TakeVerdicts keeps that sound with threads).
constexpr uint32_t kShortcutSample = 16;
constexpr uint32_t kFirstShortcutProbe = 16;  // glyphs skipped before the first try
constexpr uint32_t kRarestShortcutProbe = 1024;
constexpr uint32_t kAreaShortcutOneIn = 4;
constexpr uint32_t kCoveredPixelShortcutOneIn = 2;

bool ShortcutWorthTrying(ShortcutRecord* record, uint32_t oneIn) {
  if (record->tried < kShortcutSample || record->settled * oneIn >= record->tried) {
    record->probeEvery = kFirstShortcutProbe;
    return true;
  }
  if (++record->skipped < record->probeEvery) return false;
  record->skipped = 0;
  record->probing = true;
  return true;
}

void NoteShortcutTried(ShortcutRecord* record, bool settled) {
  if (record->probing) {
    record->probing = false;
    record->probeEvery =
        settled ? kFirstShortcutProbe : std::min(record->probeEvery * 2, kRarestShortcutProbe);
  }
  ++record->tried;
  if (settled) ++record->settled;
  // Halved now and then, so that the record follows the face's later glyphs.
  if (record->tried == 2 * kShortcutSample) {
    record->tried /= 2;
    record->settled /= 2;
  }
}

// Windows' MulDiv for the non-negative values used here: rounded to nearest.
int64_t MulDivRounded(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return -1;
  return (a * b + c / 2) / c;
}

void ReleaseContext(MeasuringContext* context) {
  OpenedFace opened{context->library, context->face};
  CloseFreeTypeFace(&opened);
  delete context;
}

// GDI's ascent and descent of the measuring font, in pixels.
void ComputeCellMetrics(MeasuringContext* context) {
  FT_Face face = context->face;
  FT_Long ascent = face->ascender;
  FT_Long descent = -face->descender;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent != 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else if (hhea != nullptr) {
    ascent = hhea->Ascender;
    descent = -hhea->Descender;
  }
  const FT_Long emScale = static_cast<FT_Long>(
      MulDivRounded(kPixelsPerEm, 1 << 16, std::max<FT_UShort>(face->units_per_EM, 1)));
  context->cellAscent = static_cast<int>(FT_MulFix(ascent, emScale));
  const int cellDescent = static_cast<int>(FT_MulFix(descent, emScale));
  context->cellHeight = context->cellAscent + cellDescent;
}

GlyphVerdict JudgeGlyph(MeasuringContext* context, FT_UInt glyph) {
  FT_Face face = context->face;
  if (UnhintedSurelyInked(context, glyph)) {
    ++context->unhintedVerdicts;
    return kInked;
  }
  if (FT_Load_Glyph(face, glyph, kHintedLoad) != 0) return kBlank;
  FT_GlyphSlot slot = face->glyph;
  // GDI's advance: the hinted advance rounded up to whole pixels.
  const int advance = static_cast<int>((std::max<FT_Pos>(slot->metrics.horiAdvance, 0) + 63) >> 6);
  // The shortcuts only save the drawing. An outline of many points costs about
  // as much to walk as to draw, and such glyphs (thin strokes drawn with many
  // points) seldom leave a shortcut anything to settle, so they are drawn at
  // once: the drawing's verdict is the verdict either way.
  const bool tryShortcuts = inkShortcut && slot->format == FT_GLYPH_FORMAT_OUTLINE &&
                            slot->outline.n_points <= kMostPointsJudgedUndrawn;
  FT_BBox box{0, 0, 0, 0};  // the outline's control box, worked out once
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Get_CBox(&slot->outline, &box);
  // Only the walks count in the record: the checks before them cost nothing.
  if (tryShortcuts && AreaShortcutApplies(*context, slot->outline, box, advance) &&
      ShortcutWorthTrying(&context->areaRecord, kAreaShortcutOneIn)) {
    const bool inked = OutlineSurelyInked(*context, slot->outline, box, advance);
    NoteShortcutTried(&context->areaRecord, inked);
    if (inked) return kInked;
  }
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (box.xMax - box.xMin > kLargestWholeOutline || box.yMax - box.yMin > kLargestWholeOutline) {
      return ClippedOutlineInked(context, slot, advance) ? kInked : kBlank;
    }
    // Drawn whole below, so the covered pixel is the drawing's verdict.
    if (tryShortcuts &&
        ShortcutWorthTrying(&context->coveredPixelRecord, kCoveredPixelShortcutOneIn)) {
      const bool inked = OutlineCoversScannedPixel(context, slot->outline, box, advance);
      NoteShortcutTried(&context->coveredPixelRecord, inked);
      if (inked) {
        ++context->coveredPixelVerdicts;
        return kInked;
      }
    }
    const uint64_t cost = DrawingCost(slot->outline);
    if (cost > context->drawingBudget) {
      context->refusedByBudget = true;
      return kBlank;
    }
    context->drawingBudget -= cost;
  }
  if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
    return kBlank;
  }
  if (slot->bitmap.buffer == nullptr) return kBlank;  // nothing drawn at all
  return ScanFindsInk(*context, slot->bitmap, slot->bitmap_left,
                      context->cellAscent - slot->bitmap_top, advance)
             ? kInked
             : kBlank;
}

// Takes the verdict of another face that draws alike, or judges the glyph and
// offers the verdict to those faces. A verdict the budget cut short is kept
// to this face: with budget left, another face must draw the glyph itself.
GlyphVerdict JudgeAndShare(MeasuringContext* context, FT_UInt glyph) {
  const GlyphVerdict shared = TakeSharedVerdict(context, glyph);
  if (shared != kUnknown) return shared;
  const uint64_t budgetBefore = context->drawingBudget;
  context->refusedByBudget = false;
  const GlyphVerdict verdict = JudgeGlyph(context, glyph);
  if (context->refusedByBudget) context->budgetCutShort = true;
  if (!context->refusedByBudget) {
    ShareVerdict(context, glyph, verdict, budgetBefore - context->drawingBudget);
  }
  return verdict;
}

bool GlyphIsInked(MeasuringContext* context, FT_UInt glyph) {
  if (glyph >= context->verdicts.size()) return JudgeGlyph(context, glyph) == kInked;
  uint8_t& verdict = context->verdicts[glyph];
  if (verdict == kUnknown) verdict = JudgeAndShare(context, glyph);
  return verdict == kInked;
}

// CharacterGlyph, asked of FreeType once per code point (CodePointGlyphs).
FT_UInt MappedGlyph(MeasuringContext* context, FT_ULong codePoint) {
  if (codePoint > 0x10FFFF) return CharacterGlyph(context->face, codePoint);
  CodePointGlyphs& table = context->codePointGlyphs;
  if (table.blocks.empty()) table.blocks.resize(CodePointGlyphs::kBlocks);
  std::unique_ptr<uint32_t[]>& block = table.blocks[codePoint >> CodePointGlyphs::kBlockBits];
  if (block == nullptr) block.reset(new uint32_t[size_t{1} << CodePointGlyphs::kBlockBits]());
  uint32_t& entry = block[codePoint & ((1u << CodePointGlyphs::kBlockBits) - 1)];
  // FT_Get_Char_Index answers below num_glyphs, at most 0xFFFF for an sfnt.
  if (entry == 0) entry = static_cast<uint32_t>(CharacterGlyph(context->face, codePoint)) + 1;
  return entry - 1;
}

// The glyph to judge for the character at text[i], as on Windows one UTF-16
// unit at a time: a surrogate pair is decoded at its high unit and its low
// unit is then skipped (an unpaired surrogate is always missing). 0 when the
// character is not to be judged: unmapped, or mapped to the blank or default
// glyph.
FT_UInt GlyphToJudge(MeasuringContext* context, const char16_t* text, size_t i) {
  const char16_t unit = text[i];
  FT_ULong codePoint = unit;
  if (IsHighSurrogate(unit)) {
    const char16_t next = text[i + 1];  // the terminator at the end of the text
    if (!IsLowSurrogate(next)) return 0;
    codePoint = CombineSurrogates(unit, next);
  } else if (IsLowSurrogate(unit)) {
    return 0;  // unpaired (or the second half of a pair tested before)
  }
  const FT_UInt glyph = MappedGlyph(context, codePoint);
  if (glyph == context->blankGlyph || glyph == context->defaultGlyph) return 0;
  return glyph;
}

// The distinct cached glyphs the texts' characters lead to that have no
// verdict yet, in order of first appearance.
std::vector<FT_UInt> GlyphsNotYetJudged(MeasuringContext* context,
                                        const std::vector<const char16_t*>& texts) {
  std::vector<FT_UInt> glyphs;
  std::vector<bool> listed(context->verdicts.size());
  for (const char16_t* text : texts) {
    for (size_t i = 0; text[i] != u'\0'; ++i) {
      const FT_UInt glyph = GlyphToJudge(context, text, i);
      if (glyph == 0 || glyph >= listed.size() || listed[glyph]) continue;
      listed[glyph] = true;
      if (context->verdicts[glyph] == kUnknown) glyphs.push_back(glyph);
    }
  }
  return glyphs;
}

// Judges glyphs[part], glyphs[part + parts], ... in `context`.
void JudgeEveryNth(MeasuringContext* context, const std::vector<FT_UInt>* glyphs, size_t part,
                   size_t parts) {
  for (size_t k = part; k < glyphs->size() && !StopRequested(context->stop); k += parts) {
    GlyphIsInked(context, (*glyphs)[k]);
  }
}

// Moves the helpers' verdicts into `context`. A verdict the drawing budget
// did not cut short is the drawing's verdict, wherever and after whatever
// glyphs it was judged. So when no context was cut short and the work of all
// together fits the one budget, the verdicts are those of a report with no
// budget at all, which is what one context judging them all gives whenever
// its budget lasts. Otherwise every verdict is dropped and the glyphs are
// judged again one by one, as without threads. (What a glyph is charged
// depends on the shortcuts its context still tries, ShortcutWorthTrying, so
// the helpers' spending is not what one context would spend; only the
// verdicts are compared.)
void TakeVerdicts(MeasuringContext* context, uint64_t budgetBefore,
                  const std::vector<MeasuringContext*>& helpers) {
  uint64_t spent = budgetBefore - context->drawingBudget;
  bool cutShort = context->budgetCutShort;
  for (const MeasuringContext* helper : helpers) {
    spent += kDrawingBudget - helper->drawingBudget;
    cutShort = cutShort || helper->budgetCutShort;
  }
  if (spent > budgetBefore || cutShort) {
    std::fill(context->verdicts.begin(), context->verdicts.end(), kUnknown);
    context->drawingBudget = kDrawingBudget;
    context->unhintedVerdicts = 0;
    context->coveredPixelVerdicts = 0;
    // Judged again from the start, as without threads: the shortcuts' records
    // too, so that which glyphs are charged to the budget is -j1's.
    context->areaRecord = ShortcutRecord{};
    context->coveredPixelRecord = ShortcutRecord{};
    context->budgetCutShort = false;
    return;
  }
  for (const MeasuringContext* helper : helpers) {
    for (size_t glyph = 0; glyph < context->verdicts.size(); ++glyph) {
      if (context->verdicts[glyph] == kUnknown) context->verdicts[glyph] = helper->verdicts[glyph];
    }
    context->unhintedVerdicts += helper->unhintedVerdicts;
    context->coveredPixelVerdicts += helper->coveredPixelVerdicts;
  }
  context->drawingBudget = budgetBefore - spent;
}

}  // namespace

MeasuringContext* OpenMeasuringContext(MutableByteView image, const FaceName& /*faceName*/,
                                       const StopToken* stop) {
  // The face name only picks the registered font on Windows; here the image
  // (already marked) is opened directly, its first face for a collection.
  if (image.data == nullptr || image.size == 0 ||
      image.size > static_cast<size_t>(INT32_MAX)) {
    return nullptr;
  }
  PrepareImageForMeasuring(image);
  char brokenTable[5];
  if (FindBrokenNeededTable(AsConst(image), 0, brokenTable)) return nullptr;
  return OpenFaceForMeasuring(AsConst(image), 0, stop);
}

MeasuringContext* OpenFaceForMeasuring(ByteView image, uint32_t faceIndex,
                                       const StopToken* stop, SharedVerdicts* shared,
                                       bool* noMeasuringSize) {
  // FreeType reads the image in place rather than from a copy: the caller
  // closes the context before the image's owner frees the image, and nothing
  // changes the image while it is open.
  OpenedFace opened;
  if (!OpenFreeTypeFace(image, faceIndex, &opened)) return nullptr;
  auto* context = new MeasuringContext;
  context->library = opened.library;
  context->face = opened.face;
  context->image = image;
  context->faceIndex = faceIndex;
  context->stop = stop;
  // Without outlines FreeType draws only the strikes' sizes (FT_Set_Pixel_Sizes
  // fails with FT_Err_Invalid_Pixel_Size for any other).
  if (FT_Set_Pixel_Sizes(context->face, 0, kPixelsPerEm) != 0) {
    if (noMeasuringSize != nullptr) *noMeasuringSize = true;
    ReleaseContext(context);
    return nullptr;
  }
  ComputeCellMetrics(context);
  context->blankGlyph = CharacterGlyph(context->face, 0x20);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(context->face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version >= 2 && os2->usDefaultChar != 0) {
    context->defaultGlyph = CharacterGlyph(context->face, os2->usDefaultChar);
  }
  // FreeType hints the glyphs of "tricky" fonts even when asked not to, so
  // the glyph reader cannot stand in for its unhinted load there.
  context->readsGlyphs = !FT_IS_TRICKY(context->face) &&
                         OpenTrueTypeGlyphs(image, faceIndex, &context->glyphs);
  context->verdicts.assign(static_cast<size_t>(std::max<FT_Long>(context->face->num_glyphs, 0)),
                           kUnknown);
  JoinSharedVerdicts(shared, image, faceIndex, context);
  return context;
}

void SetFreeTypeInkShortcut(bool enabled) { inkShortcut = enabled; }

ByteView MeasuredImage(const MeasuringContext* context) {
  return context == nullptr ? ByteView{} : context->image;
}

uint32_t MeasuredFaceIndex(const MeasuringContext* context) {
  return context == nullptr ? 0 : context->faceIndex;
}

uint32_t CountCoveredPixelVerdicts(const MeasuringContext* context) {
  return context == nullptr ? 0 : context->coveredPixelVerdicts;
}

uint32_t CountUnhintedVerdicts(const MeasuringContext* context) {
  return context == nullptr ? 0 : context->unhintedVerdicts;
}

uint32_t CountPresentGlyphs(MeasuringContext* context, const char16_t* text) {
  if (StopRequested(context->stop)) return 0;
  uint32_t count = 0;
  for (size_t i = 0; text[i] != u'\0'; ++i) {
    if (StopRequested(context->stop)) break;
    const FT_UInt glyph = GlyphToJudge(context, text, i);
    if (glyph != 0 && GlyphIsInked(context, glyph)) ++count;
  }
  return count;
}

namespace {

// Whether a glyph without ink has anything to draw: an outline with points,
// or a bitmap of some pixels, as it loads for the ink test. A glyph FreeType
// cannot load has neither. Asked only once the verdict is that it has no
// ink, so it never changes a verdict.
bool GlyphHasShape(MeasuringContext* context, FT_UInt glyph) {
  if (FT_Load_Glyph(context->face, glyph, kHintedLoad) != 0) return false;
  const FT_GlyphSlot slot = context->face->glyph;
  switch (slot->format) {
    case FT_GLYPH_FORMAT_OUTLINE: return slot->outline.n_points > 0;
    case FT_GLYPH_FORMAT_BITMAP: return slot->bitmap.rows > 0 && slot->bitmap.width > 0;
    default: return true;
  }
}

}  // namespace

GlyphFate JudgeGlyphIndex(MeasuringContext* context, uint32_t glyph) {
  // The glyphs CountPresentGlyphs passes over (GlyphToJudge), in its order.
  if (glyph == 0 || glyph == context->defaultGlyph) return GlyphFate::kNotdef;
  if (glyph == context->blankGlyph) return GlyphFate::kBlank;
  if (GlyphIsInked(context, glyph)) return GlyphFate::kPresent;
  return GlyphHasShape(context, glyph) ? GlyphFate::kNoInk : GlyphFate::kEmpty;
}

GlyphFate JudgeCharacter(MeasuringContext* context, char32_t c) {
  // FreeType answers 0 both for a character the cmap leaves out and for one
  // it maps to glyph 0, so the two read alike: unmapped.
  const bool scalar = c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
  const FT_UInt glyph = scalar ? MappedGlyph(context, c) : 0;
  if (glyph == 0) return GlyphFate::kUnmapped;
  return JudgeGlyphIndex(context, glyph);
}

namespace {

// The bases `selector` lists, asked of FreeType once per selector
// (ListVariantBases). Each call of FT_Face_GetCharVariantIndex looks for the
// format 14 charmap again, which costs far more than its binary searches, and
// most sequences of a set a face does not support are simply not listed.
//
// A list holds at most 2 x 0x110000 bases (its ranges and mappings increase
// within Unicode), but many selectors may share one table of ranges, so the
// lists kept per face are bounded: once they hold kMostListedBases, no more
// lists are kept, and FreeType is asked base by base.
constexpr size_t kMostListedBases = size_t{1} << 20;

const std::vector<uint32_t>& ListedBases(MeasuringContext* context, uint32_t selector) {
  const auto found = context->selectorBases.find(selector);
  if (found != context->selectorBases.end()) return found->second;
  std::vector<uint32_t>& bases = context->selectorBases[selector];
  if (context->listedBaseCount >= kMostListedBases) return bases;
  ListVariantBases(context->face, selector, &bases);
  context->listedBaseCount += bases.size();
  if (context->listedBaseCount > kMostListedBases) bases = {};
  return bases;
}

FT_UInt VariantGlyph(MeasuringContext* context, char32_t base, char32_t selector) {
  const std::vector<uint32_t>& bases = ListedBases(context, selector);
  // An empty list is no list: a listing one would hold the base asked about.
  if (!bases.empty() && !std::binary_search(bases.begin(), bases.end(), base)) return 0;
  return FT_Face_GetCharVariantIndex(context->face, base, selector);
}

}  // namespace

GlyphFate JudgeSequence(MeasuringContext* context, char32_t base, char32_t selector) {
  const bool scalar = base <= 0x10FFFF && !(base >= 0xD800 && base <= 0xDFFF);
  const FT_UInt baseGlyph = scalar ? MappedGlyph(context, base) : 0;
  // FreeType answers only with the Unicode cmap selected (a symbol font's
  // sequences are never listed), and 0 for a sequence the subtable lacks.
  const FT_UInt glyph = scalar ? VariantGlyph(context, base, selector) : 0;
  if (glyph == 0) return baseGlyph == 0 ? GlyphFate::kUnmapped : GlyphFate::kNotInFormat14;
  return JudgeGlyphIndex(context, glyph);
}

namespace {

// Reads which glyph holds each CID, once, for an Adobe-Japan1 CID-keyed face.
void ReadAdobeJapan1Cids(MeasuringContext* context, uint32_t mostCids) {
  context->cidsRead = true;
  FT_Face face = context->face;
  FT_Bool cidKeyed = 0;
  const char* registry = nullptr;
  const char* ordering = nullptr;
  FT_Int supplement = 0;
  if (FT_Get_CID_Is_Internally_CID_Keyed(face, &cidKeyed) != 0 || !cidKeyed ||
      FT_Get_CID_Registry_Ordering_Supplement(face, &registry, &ordering, &supplement) != 0 ||
      registry == nullptr || ordering == nullptr || std::strcmp(registry, "Adobe") != 0 ||
      std::strcmp(ordering, "Japan1") != 0) {
    return;
  }
  context->adobeJapan1Cids = true;
  context->cidGlyphs.assign(mostCids + 1, 0);
  // Work bounded by the face's glyph count; the first glyph of a CID holds it.
  for (FT_Long glyph = 1; glyph < face->num_glyphs; ++glyph) {
    FT_UInt cid = 0;
    if (FT_Get_CID_From_Glyph_Index(face, static_cast<FT_UInt>(glyph), &cid) != 0) continue;
    if (cid <= mostCids && context->cidGlyphs[cid] == 0) {
      context->cidGlyphs[cid] = static_cast<FT_UInt>(glyph);
    }
  }
}

}  // namespace

int32_t CountInkedCids(MeasuringContext* context, uint32_t lastCid) {
  // Adobe-Japan1's last CID so far (supplement 7).
  constexpr uint32_t kMostCids = 23059;
  if (!context->cidsRead) ReadAdobeJapan1Cids(context, kMostCids);
  if (!context->adobeJapan1Cids) return -1;
  int32_t count = 0;
  for (uint32_t cid = 1; cid <= std::min(lastCid, kMostCids); ++cid) {
    if (StopRequested(context->stop)) break;
    const FT_UInt glyph = context->cidGlyphs[cid];
    if (glyph != 0 && JudgeGlyphIndex(context, glyph) == GlyphFate::kPresent) ++count;
  }
  return count;
}

void PrejudgeGlyphs(MeasuringContext* context, ByteView image, uint32_t faceIndex,
                    const std::vector<const char16_t*>& texts, unsigned threads) {
  if (context == nullptr || threads < 2) return;
  const std::vector<FT_UInt> glyphs = GlyphsNotYetJudged(context, texts);
  if (glyphs.size() < 64 * size_t{threads}) return;  // not worth the threads
  // Each helper opens its own context on its own thread. A helper that cannot
  // open one leaves its share to this thread.
  const uint64_t budgetBefore = context->drawingBudget;
  std::vector<MeasuringContext*> helpers(threads - 1, nullptr);
  std::vector<std::thread> workers;
  for (size_t t = 1; t < threads; ++t) {
    workers.emplace_back([&, t] {
      helpers[t - 1] = OpenFaceForMeasuring(image, faceIndex, context->stop);
      if (helpers[t - 1] != nullptr) JudgeEveryNth(helpers[t - 1], &glyphs, t, threads);
    });
  }
  JudgeEveryNth(context, &glyphs, 0, threads);
  for (std::thread& worker : workers) worker.join();
  helpers.erase(std::remove(helpers.begin(), helpers.end(), nullptr), helpers.end());
  TakeVerdicts(context, budgetBefore, helpers);
  for (MeasuringContext* helper : helpers) ReleaseContext(helper);
}

void CloseMeasuringContext(MeasuringContext* context) {
  if (context != nullptr) ReleaseContext(context);
}

}  // namespace glyphcensus
