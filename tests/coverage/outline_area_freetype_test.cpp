// The traced area of outlines against FreeType's own drawing: wherever the
// area rule says a pixel has coverage, FreeType's drawing has some, on random
// outlines made to lie near the rule's limit (overlapping ones, drawn four
// times larger, among them) and on every hinted glyph of real fonts; the walk
// fails exactly where FT_Outline_Decompose does.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <random>
#include <vector>

#include "coverage/geometry/outline_area_freetype.h"
#include "tests/coverage/covered_pixel_check_freetype.h"

using namespace glyphcensus;

namespace {

class Library {
 public:
  Library() { FT_Init_FreeType(&library_); }
  ~Library() { FT_Done_FreeType(library_); }
  FT_Library get() const { return library_; }

 private:
  FT_Library library_ = nullptr;
};

struct RandomOutline {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
  FT_Outline outline{};

  // Contours of lines, conics and cubics within [0, extent) both ways; with
  // `validTags` false, cubic controls may come alone.
  const FT_Outline& Make(std::mt19937* random, FT_Pos extent, bool validTags) {
    points.clear();
    tags.clear();
    contours.clear();
    const int contourCount = std::uniform_int_distribution<int>(1, 3)(*random);
    std::uniform_int_distribution<FT_Pos> coordinate(0, extent - 1);
    std::uniform_int_distribution<int> tag(0, 9);
    for (int c = 0; c < contourCount; ++c) {
      const int n = std::uniform_int_distribution<int>(1, 10)(*random);
      for (int i = 0; i < n; ++i) {
        points.push_back({coordinate(*random), coordinate(*random)});
        const int t = tag(*random);
        if (t < 5) {
          tags.push_back(FT_CURVE_TAG_ON);
        } else if (t < 7 || (validTags && i + 2 >= n)) {
          tags.push_back(FT_CURVE_TAG_CONIC);
        } else if (validTags) {
          tags.push_back(FT_CURVE_TAG_CUBIC);
          tags.push_back(FT_CURVE_TAG_CUBIC);
          points.push_back({coordinate(*random), coordinate(*random)});
          ++i;
        } else {
          tags.push_back(FT_CURVE_TAG_CUBIC);
        }
      }
      contours.push_back(static_cast<short>(points.size() - 1));
    }
    outline.n_points = static_cast<short>(points.size());
    outline.n_contours = static_cast<short>(contours.size());
    outline.points = points.data();
    outline.tags = tags.data();
    outline.contours = contours.data();
    outline.flags = 0;
    return outline;
  }
};

int DecomposeNothing(const FT_Vector*, void*) { return 0; }
int ConicNothing(const FT_Vector*, const FT_Vector*, void*) { return 0; }
int CubicNothing(const FT_Vector*, const FT_Vector*, const FT_Vector*, void*) { return 0; }

bool Decomposes(const FT_Outline& outline) {
  FT_Outline_Funcs funcs{DecomposeNothing, DecomposeNothing, ConicNothing, CubicNothing, 0, 0};
  return FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &funcs, nullptr) == 0;
}

// Random outlines in boxes of 1 to 6 pixels, every third one flagged as
// overlapping: many are slivers and loops whose area is near what the box's
// pixels hold without coverage. The rule must never claim coverage that
// FreeType does not draw, and it must settle a fair share of the outlines
// FreeType does ink (else it would be no shortcut).
TEST(TracedArea, ClaimsCoverageOnlyWhereFreeTypeDrawsSome) {
  Library library;
  std::mt19937 random(20261209);
  RandomOutline made;
  const FT_BBox everywhere{-64 * 16, -64 * 16, 64 * 16, 64 * 16};
  int inked = 0, settled = 0;
  for (int i = 0; i < 20000; ++i) {
    FT_Outline outline = made.Make(&random, 64 * (1 + i % 6), true);
    if (!Decomposes(outline)) continue;  // a conic control before a cubic one
    if (i % 3 == 0) outline.flags |= FT_OUTLINE_OVERLAP;
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    TracedArea traced;
    ASSERT_TRUE(TraceOutlineArea(outline, box, &traced));
    const bool claimed = TracedAreaLeavesCoverage(traced, box);
    const int highest = HighestDrawnCoverage(library.get(), outline, everywhere);
    ASSERT_GE(highest, 0);
    if (claimed) ASSERT_GT(highest, 0) << "outline " << i << " has no coverage";
    if (highest > 0) ++inked;
    if (claimed) ++settled;
  }
  // Random contours cross themselves, and their windings cancel.
  EXPECT_GT(settled, inked / 4) << settled << " of " << inked << " inked outlines settled";
}

TEST(TracedArea, FailsWhereTheDecompositionFails) {
  std::mt19937 random(26);
  RandomOutline made;
  for (int i = 0; i < 20000; ++i) {
    const FT_Outline& outline = made.Make(&random, 640, i % 2 == 0);
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    TracedArea traced;
    ASSERT_EQ(TraceOutlineArea(outline, box, &traced), Decomposes(outline)) << "outline " << i;
  }
  // Contour ends past the points or going backwards, which FreeType's loaders
  // never give, are refused rather than read past the points; so are points
  // beyond 2^20.
  FT_Vector points[4] = {{0, 0}, {640, 0}, {640, 640}, {0, 640}};
  char tags[4] = {FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON};
  short contours[2] = {3, 2};
  FT_Outline outline{};
  outline.points = points;
  outline.tags = tags;
  outline.contours = contours;
  outline.n_points = 4;
  outline.n_contours = 2;
  FT_BBox box{0, 0, 640, 640};
  TracedArea traced;
  EXPECT_FALSE(TraceOutlineArea(outline, box, &traced));
  contours[1] = 4;
  EXPECT_FALSE(TraceOutlineArea(outline, box, &traced));
  outline.n_contours = 1;
  EXPECT_TRUE(TraceOutlineArea(outline, box, &traced));
  EXPECT_EQ(traced.twiceArea, 2 * 2560 * 2560) << "a 10-pixel square, in 1/256 pixel";
  EXPECT_EQ(traced.rounding, 0) << "its sides are level or upright";
  const FT_BBox far{0, 0, (FT_Pos{1} << 20) + 1, 640};
  EXPECT_FALSE(TraceOutlineArea(outline, far, &traced));
}

// Every glyph of each font, hinted at 15 pixels per em as the presence test
// loads it and drawn by FT_Render_Glyph: a glyph the rule settles has ink.
// Fonts that are not installed are passed over.
TEST(TracedArea, EveryHintedGlyphOfRealFontsItSettlesHasInk) {
  const char* const fonts[] = {
      "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
      "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
      "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
      // Strokes thinner than a pixel (fonts-mplus, when installed).
      "/usr/share/fonts/opentype/mplus/Mplus1-ExtraLight.otf",
  };
  Library library;
  int measured = 0;
  for (const char* path : fonts) {
    FT_Face face = nullptr;
    if (FT_New_Face(library.get(), path, 0, &face) != 0) continue;
    ++measured;
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 15), 0);
    long outlines = 0, settled = 0;
    for (FT_Long glyph = 0; glyph < face->num_glyphs; ++glyph) {
      if (FT_Load_Glyph(face, static_cast<FT_UInt>(glyph),
                        FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH) != 0 ||
          face->glyph->format != FT_GLYPH_FORMAT_OUTLINE || face->glyph->outline.n_points == 0) {
        continue;
      }
      const FT_Outline& outline = face->glyph->outline;
      FT_BBox box;
      FT_Outline_Get_CBox(&outline, &box);
      if (box.xMin < 0) continue;  // the shortcut takes outlines right of the origin only
      ++outlines;
      TracedArea traced;
      if (!TraceOutlineArea(outline, box, &traced) || !TracedAreaLeavesCoverage(traced, box)) {
        continue;
      }
      ++settled;
      ASSERT_EQ(FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL), 0);
      const FT_Bitmap& bitmap = face->glyph->bitmap;
      bool ink = false;
      for (unsigned row = 0; row < bitmap.rows && !ink; ++row) {
        for (unsigned column = 0; column < bitmap.width && !ink; ++column) {
          ink = bitmap.buffer[row * bitmap.pitch + column] != 0;
        }
      }
      ASSERT_TRUE(ink) << path << " glyph " << glyph;
    }
    EXPECT_GT(settled * 10, outlines * 9) << path << ": " << settled << " of " << outlines;
    FT_Done_Face(face);
  }
  if (measured == 0) GTEST_SKIP() << "none of the fonts is installed";
}

}  // namespace
