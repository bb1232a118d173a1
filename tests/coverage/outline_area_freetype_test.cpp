// The area walk against FT_Outline_Decompose with callbacks, the way the area
// shortcut summed an outline before: the same answer and bit for bit the same
// sums on random outlines (invalid tag sequences included) and on every
// glyph of real fonts, loaded hinted at the measuring size.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "coverage/geometry/outline_area_freetype.h"

using namespace glyphcensus;

namespace {

struct Reference {
  FT_Vector current{0, 0};
  OutlineArea area;
};

double Cross(const FT_Vector& a, const FT_Vector& b) {
  return static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x;
}

int MoveTo(const FT_Vector* to, void* user) {
  static_cast<Reference*>(user)->current = *to;
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  auto* walk = static_cast<Reference*>(user);
  walk->area.twiceArea += Cross(walk->current, *to);
  walk->current = *to;
  ++walk->area.segments;
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* walk = static_cast<Reference*>(user);
  const FT_Vector& from = walk->current;
  const FT_Vector a{control->x - from.x, control->y - from.y};
  const FT_Vector b{to->x - from.x, to->y - from.y};
  walk->area.slack += std::abs(Cross(a, b)) / 2;
  return LineTo(to, user);
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* walk = static_cast<Reference*>(user);
  const FT_Vector& from = walk->current;
  const double width = std::max({from.x, c1->x, c2->x, to->x}) - std::min({from.x, c1->x, c2->x, to->x});
  const double height = std::max({from.y, c1->y, c2->y, to->y}) - std::min({from.y, c1->y, c2->y, to->y});
  walk->area.slack += width * height;
  return LineTo(to, user);
}

// Both walks agree: the same success, and on success the same sums.
void ExpectSameWalk(const FT_Outline& outline, const char* what) {
  Reference reference;
  FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  const bool decomposed =
      FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &funcs, &reference) == 0;
  OutlineArea area;
  const bool summed = SumOutlineArea(outline, &area);
  ASSERT_EQ(summed, decomposed) << what;
  if (!summed) return;
  // Bit for bit: the shortcut's verdict rests on these very numbers.
  EXPECT_EQ(area.twiceArea, reference.area.twiceArea) << what;
  EXPECT_EQ(area.slack, reference.area.slack) << what;
  EXPECT_EQ(area.segments, reference.area.segments) << what;
}

struct RandomOutline {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
  FT_Outline outline{};

  const FT_Outline& Make(std::mt19937* random, bool validTags) {
    points.clear();
    tags.clear();
    contours.clear();
    const int contourCount = std::uniform_int_distribution<int>(0, 4)(*random);
    std::uniform_int_distribution<FT_Pos> coordinate(-4000, 4000);
    std::uniform_int_distribution<int> tag(0, 9);
    for (int c = 0; c < contourCount; ++c) {
      const int n = std::uniform_int_distribution<int>(1, 12)(*random);
      for (int i = 0; i < n; ++i) {
        points.push_back({coordinate(*random), coordinate(*random)});
        // Mostly on-curve points and conic controls; cubic controls in pairs
        // unless the tags may be invalid.
        const int t = tag(*random);
        if (t < 5) {
          tags.push_back(FT_CURVE_TAG_ON);
        } else if (t < 8 || (validTags && i + 2 >= n)) {
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
    return outline;
  }
};

TEST(OutlineArea, RandomOutlinesSumAsTheDecompositionDoes) {
  std::mt19937 random(20261209);
  RandomOutline outline;
  for (int i = 0; i < 20000; ++i) {
    ExpectSameWalk(outline.Make(&random, i % 2 == 0), "random outline");
    if (HasFatalFailure()) return;
  }
}

TEST(OutlineArea, ContoursAtTheEdgesOfTheRules) {
  FT_Vector points[4] = {{0, 0}, {640, 0}, {640, 640}, {0, 640}};
  char tags[4];
  short contours[2] = {3, 3};
  FT_Outline outline{};
  outline.points = points;
  outline.tags = tags;
  outline.contours = contours;
  outline.n_points = 4;
  outline.n_contours = 1;
  const char kinds[] = {FT_CURVE_TAG_ON, FT_CURVE_TAG_CONIC, FT_CURVE_TAG_CUBIC};
  // Every tag pattern of one four-point contour, valid or not.
  for (char a : kinds) for (char b : kinds) for (char c : kinds) for (char d : kinds) {
    tags[0] = a, tags[1] = b, tags[2] = c, tags[3] = d;
    ExpectSameWalk(outline, "four-point contour");
  }
  // A contour of one conic control point, and one of one on-curve point.
  outline.n_points = 1;
  contours[0] = 0;
  tags[0] = FT_CURVE_TAG_CONIC;
  ExpectSameWalk(outline, "one conic point");
  tags[0] = FT_CURVE_TAG_ON;
  ExpectSameWalk(outline, "one point");
  // A negative contour end is refused by both.
  contours[0] = -1;
  ExpectSameWalk(outline, "negative end");
  // Ends past the points, or going backwards, FreeType's loaders never give:
  // the walk refuses them rather than read past the points.
  outline.n_points = 4;
  outline.n_contours = 2;
  contours[0] = 3;
  contours[1] = 2;
  OutlineArea area;
  EXPECT_FALSE(SumOutlineArea(outline, &area));
  contours[1] = 4;
  EXPECT_FALSE(SumOutlineArea(outline, &area));
}

// Every glyph of each font, hinted at 15 pixels per em as the presence test
// loads it; fonts that are not installed are passed over.
TEST(OutlineArea, EveryHintedGlyphOfRealFontsSumsAsTheDecompositionDoes) {
  const char* const fonts[] = {
      "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
      "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
      "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
  };
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  int measured = 0;
  for (const char* path : fonts) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, path, 0, &face) != 0) continue;
    ++measured;
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 15), 0);
    for (FT_Long glyph = 0; glyph < face->num_glyphs; ++glyph) {
      if (FT_Load_Glyph(face, static_cast<FT_UInt>(glyph),
                        FT_LOAD_DEFAULT | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH) != 0) continue;
      if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) continue;
      ExpectSameWalk(face->glyph->outline, path);
      if (HasFatalFailure()) break;
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(library);
  if (measured == 0) GTEST_SKIP() << "none of the fonts is installed";
}

}  // namespace
