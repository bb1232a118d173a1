// The traced area of outlines against FreeType's own rasteriser: wherever the
// area rule says a pixel has coverage, FreeType's drawing has some, on random
// outlines made to lie near the rule's limit, on every hinted glyph of real
// fonts, and for the four times larger drawing of overlapping outlines; the
// walk fails exactly where FT_Outline_Decompose does.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <random>
#include <vector>

#include "coverage/geometry/outline_area_freetype.h"

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

// The box's pixels, as the area shortcut counts them (the box lies at x >= 0).
int64_t BoxPixels(const FT_BBox& box) {
  return static_cast<int64_t>((box.xMax + 63) / 64 - box.xMin / 64) *
         static_cast<int64_t>((box.yMax + 63) / 64 - (box.yMin >> 6));
}

// The largest coverage FreeType's smooth rasteriser gives a pixel of the
// outline (which lies in [0, 64 * size) both ways), drawn `scale` times larger.
int LargestCoverage(FT_Library library, const FT_Outline& source, int scale, int size) {
  std::vector<FT_Vector> points(source.points, source.points + source.n_points);
  for (FT_Vector& point : points) point.x *= scale, point.y *= scale;
  FT_Outline outline = source;
  outline.points = points.data();
  outline.flags &= ~FT_OUTLINE_OVERLAP;
  const int side = size * scale;
  std::vector<unsigned char> pixels(static_cast<size_t>(side) * side);
  FT_Bitmap bitmap{};
  bitmap.rows = static_cast<unsigned>(side);
  bitmap.width = static_cast<unsigned>(side);
  bitmap.pitch = side;
  bitmap.buffer = pixels.data();
  bitmap.num_grays = 256;
  bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
  if (FT_Outline_Get_Bitmap(library, &outline, &bitmap) != 0) return -1;
  int largest = 0;
  for (unsigned char value : pixels) largest = std::max<int>(largest, value);
  return largest;
}

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

// Random outlines in boxes of 1 to 6 pixels: many are slivers and loops whose
// area is near what the box's pixels hold without coverage. The rule must
// never claim coverage that FreeType does not draw, and it must settle a fair
// share of the outlines FreeType does ink (else it would be no shortcut).
TEST(TracedArea, ClaimsCoverageOnlyWhereFreeTypeDrawsSome) {
  Library library;
  std::mt19937 random(20261209);
  RandomOutline made;
  int inked = 0, settled = 0;
  for (int i = 0; i < 20000; ++i) {
    const int size = 1 + i % 6;
    const FT_Outline& outline = made.Make(&random, 64 * size, true);
    if (!Decomposes(outline)) continue;  // a conic control before a cubic one
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    TracedArea traced;
    ASSERT_TRUE(TraceOutlineArea(outline, box, 1, &traced));
    const bool claimed = TracedAreaLeavesCoverage(traced, 1, BoxPixels(box));
    const int largest = LargestCoverage(library.get(), outline, 1, size);
    ASSERT_GE(largest, 0);
    if (claimed) ASSERT_GT(largest, 0) << "outline " << i << " has no coverage";
    if (largest > 0) ++inked;
    if (claimed) ++settled;
  }
  // Random contours cross themselves, and their windings cancel.
  EXPECT_GT(settled, inked / 4) << settled << " of " << inked << " inked outlines settled";
}

// An overlapping outline is drawn four times larger, and a pixel has coverage
// when one of its 16 subpixels has 8 or more.
TEST(TracedArea, OverlappingOutlinesAreJudgedAtFourTimesTheSize) {
  Library library;
  std::mt19937 random(9);
  RandomOutline made;
  int settled = 0;
  for (int i = 0; i < 5000; ++i) {
    const int size = 1 + i % 4;
    FT_Outline outline = made.Make(&random, 64 * size, true);
    if (!Decomposes(outline)) continue;
    outline.flags |= FT_OUTLINE_OVERLAP;
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    TracedArea traced;
    ASSERT_TRUE(TraceOutlineArea(outline, box, 4, &traced));
    if (!TracedAreaLeavesCoverage(traced, 4, BoxPixels(box))) continue;
    ++settled;
    ASSERT_GE(LargestCoverage(library.get(), outline, 4, size), 8) << "outline " << i;
  }
  EXPECT_GT(settled, 250);
}

TEST(TracedArea, FailsWhereTheDecompositionFails) {
  std::mt19937 random(26);
  RandomOutline made;
  for (int i = 0; i < 20000; ++i) {
    const FT_Outline& outline = made.Make(&random, 640, i % 2 == 0);
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    TracedArea traced;
    ASSERT_EQ(TraceOutlineArea(outline, box, 1, &traced), Decomposes(outline)) << "outline " << i;
  }
  // Contour ends past the points or going backwards, which FreeType's loaders
  // never give, are refused rather than read past the points; so are points
  // beyond 2^20 and scales other than 1 and 4.
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
  EXPECT_FALSE(TraceOutlineArea(outline, box, 1, &traced));
  contours[1] = 4;
  EXPECT_FALSE(TraceOutlineArea(outline, box, 1, &traced));
  outline.n_contours = 1;
  EXPECT_TRUE(TraceOutlineArea(outline, box, 1, &traced));
  EXPECT_EQ(traced.twiceArea, 2 * 2560 * 2560) << "a 10-pixel square, in 1/256 pixel";
  EXPECT_EQ(traced.rounding, 0) << "its sides are level or upright";
  EXPECT_FALSE(TraceOutlineArea(outline, box, 2, &traced));
  const FT_BBox far{0, 0, (FT_Pos{1} << 20) + 1, 640};
  EXPECT_FALSE(TraceOutlineArea(outline, far, 1, &traced));
}

// A circle of radius 4 pixels in four cubics: the flattened polygon's area is
// the circle's within what flattening at half a pixel can take.
TEST(TracedArea, CubicsAreFlattenedAsTheRasteriserFlattensThem) {
  const FT_Pos r = 256, k = 141;  // 0.5523 r
  const FT_Pos c = 300;
  FT_Vector points[12] = {{c + r, c},     {c + r, c + k}, {c + k, c + r}, {c, c + r},
                          {c - k, c + r}, {c - r, c + k}, {c - r, c},     {c - r, c - k},
                          {c - k, c - r}, {c, c - r},     {c + k, c - r}, {c + r, c - k}};
  char tags[12];
  for (int i = 0; i < 12; ++i) tags[i] = i % 3 == 0 ? FT_CURVE_TAG_ON : FT_CURVE_TAG_CUBIC;
  short contour = 11;
  FT_Outline outline{};
  outline.points = points;
  outline.tags = tags;
  outline.contours = &contour;
  outline.n_points = 12;
  outline.n_contours = 1;
  FT_BBox box;
  FT_Outline_Get_CBox(&outline, &box);
  TracedArea traced;
  ASSERT_TRUE(TraceOutlineArea(outline, box, 1, &traced));
  const double area = static_cast<double>(traced.twiceArea) / 2 / (256.0 * 256.0);
  EXPECT_NEAR(area, M_PI * 16, 2) << "square pixels";
  EXPECT_LT(area, M_PI * 16) << "an inscribed polygon";
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
      const int scale = (outline.flags & FT_OUTLINE_OVERLAP) != 0 ? 4 : 1;
      TracedArea traced;
      if (!TraceOutlineArea(outline, box, scale, &traced) ||
          !TracedAreaLeavesCoverage(traced, scale, BoxPixels(box))) {
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
