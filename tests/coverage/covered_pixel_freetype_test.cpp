// The covered pixel test: hand-made outlines at the edges of its rules, and
// random outlines against FreeType's drawing (a pixel judged covered is
// always drawn with coverage 255).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/coverage/covered_pixel_check_freetype.h"

using namespace glyphcensus;

namespace {

// An outline built from contours of (x, y, tag) points, in 26.6.
struct TestOutline {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
  FT_Outline outline{};

  void Add(std::vector<FT_Vector> contour, char tag = FT_CURVE_TAG_ON) {
    for (const FT_Vector& point : contour) {
      points.push_back(point);
      tags.push_back(tag);
    }
    contours.push_back(static_cast<short>(points.size() - 1));
  }
  // A rectangle, clockwise or (reversed) counter-clockwise.
  void Box(FT_Pos x0, FT_Pos y0, FT_Pos x1, FT_Pos y1, bool reversed = false) {
    if (reversed) Add({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    else Add({{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}});
  }
  const FT_Outline& Get(int flags = 0) {
    outline.n_points = static_cast<short>(points.size());
    outline.n_contours = static_cast<short>(contours.size());
    outline.points = points.data();
    outline.tags = tags.data();
    outline.contours = contours.data();
    outline.flags = flags;
    return outline;
  }
};

const FT_BBox kRegion{-640, -640, 640, 640};

class CoveredPixelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(FT_Init_FreeType(&library), 0); }
  void TearDown() override { FT_Done_FreeType(library); }
  // The test's verdict, checked against the drawing.
  bool Covered(const FT_Outline& outline, const FT_BBox& region = kRegion) {
    EXPECT_TRUE(CoveredPixelAgreesWithDrawing(library, outline, region, &scratch));
    return FindCoveredPixel(outline, region, &scratch);
  }
  FT_Library library = nullptr;
  CoveredPixelScratch scratch;
};

TEST_F(CoveredPixelTest, APixelWhollyInsideIsCovered) {
  TestOutline three;  // 3 x 3 pixels: the middle one is untouched
  three.Box(0, 0, 192, 192);
  EXPECT_TRUE(Covered(three.Get()));
  TestOutline reversed;  // winding -1 counts too
  reversed.Box(0, 0, 192, 192, true);
  EXPECT_TRUE(Covered(reversed.Get()));
  TestOutline overlap;  // drawn four times larger, averaged
  overlap.Box(0, 0, 192, 192);
  EXPECT_TRUE(Covered(overlap.Get(FT_OUTLINE_OVERLAP)));
}

TEST_F(CoveredPixelTest, BoundaryContactTouches) {
  TestOutline exact;  // exactly one pixel: its edges touch it
  exact.Box(64, 64, 128, 128);
  EXPECT_FALSE(Covered(exact.Get()));
  TestOutline two;  // 2 x 2 pixels: every pixel touches an edge
  two.Box(0, 0, 128, 128);
  EXPECT_FALSE(Covered(two.Get()));
  TestOutline inside;  // a unit inside each edge of a 2 x 2 block
  inside.Box(1, 1, 127, 127);
  EXPECT_FALSE(Covered(inside.Get()));
  TestOutline beyond;  // a unit beyond: the pixel at (0, 0) is clear
  beyond.Box(-1, -1, 65, 65);
  EXPECT_TRUE(Covered(beyond.Get()));
  TestOutline wider;  // reaching over the middle pixel's corners
  wider.Box(-1, -1, 193, 193);
  EXPECT_TRUE(Covered(wider.Get()));
}

TEST_F(CoveredPixelTest, OppositeWindingsAndHolesAreNotCovered) {
  TestOutline opposed;  // +1 over 7/8 of a column, -7 over its last eighth
  opposed.Box(64, 0, 120, 192);
  for (int i = 0; i < 7; ++i) opposed.Box(120, 0, 128, 192, true);
  EXPECT_FALSE(Covered(opposed.Get()));
  TestOutline hole;  // a 3 x 3 square with its middle pixel cut out
  hole.Box(0, 0, 192, 192);
  hole.Box(64, 64, 128, 128, true);
  EXPECT_FALSE(Covered(hole.Get()));
  TestOutline cancelled;  // the same square twice, wound both ways
  cancelled.Box(0, 0, 192, 192);
  cancelled.Box(0, 0, 192, 192, true);
  EXPECT_FALSE(Covered(cancelled.Get()));
  TestOutline evenOdd;  // winding 2 is covered, but even-odd is never judged
  evenOdd.Box(0, 0, 192, 192);
  evenOdd.Box(0, 0, 192, 192);
  EXPECT_TRUE(Covered(evenOdd.Get()));
  EXPECT_FALSE(Covered(evenOdd.Get(FT_OUTLINE_EVEN_ODD_FILL)));
}

TEST_F(CoveredPixelTest, CurvesTouchTheirControlBox) {
  // A conic whose chord bounds 3 x 3 pixels but whose control point dips
  // into the middle pixel: that pixel is touched.
  TestOutline dipping;
  dipping.points = {{0, 0}, {0, 192}, {192, 192}, {192, 0}, {96, 100}};
  dipping.tags = {FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON,
                  FT_CURVE_TAG_CONIC};
  dipping.contours = {4};
  EXPECT_FALSE(Covered(dipping.Get()));
  // Bulging outwards instead, the curve leaves the middle pixel clear.
  dipping.points[4] = {96, -100};
  EXPECT_TRUE(Covered(dipping.Get()));
}

TEST_F(CoveredPixelTest, OnlyPixelsOfTheRegionCount) {
  TestOutline three;
  three.Box(0, 0, 192, 192);
  EXPECT_FALSE(Covered(three.Get(), FT_BBox{192, 0, 640, 640}));  // right of it
  EXPECT_FALSE(Covered(three.Get(), FT_BBox{0, 0, 64, 192}));     // its first column
  EXPECT_TRUE(Covered(three.Get(), FT_BBox{64, 64, 128, 128}));   // its middle pixel
}

TEST_F(CoveredPixelTest, RefusesOutlinesItDoesNotJudge) {
  TestOutline wide;  // wider than kWidestJudgedOutline
  wide.Box(0, 0, (kWidestJudgedOutline + 1) * 64, 192);
  EXPECT_FALSE(Covered(wide.Get(), FT_BBox{0, 0, 640, 640}));
  TestOutline broken;  // the last contour ends before the last point
  broken.Box(0, 0, 192, 192);
  broken.points.push_back({0, 0});
  broken.tags.push_back(FT_CURVE_TAG_ON);
  EXPECT_FALSE(Covered(broken.Get()));
  TestOutline cubicStart;  // a contour that starts with a cubic control point
  cubicStart.Add({{0, 0}, {0, 192}, {192, 192}, {192, 0}}, FT_CURVE_TAG_CUBIC);
  EXPECT_FALSE(Covered(cubicStart.Get()));
  TestOutline empty;
  EXPECT_FALSE(Covered(empty.Get()));
}

// Random outlines of lines and curves on a small grid, so that edges fall on
// pixel edges and contours overlap often.
TEST_F(CoveredPixelTest, RandomOutlinesAgreeWithTheDrawing) {
  std::mt19937 random(25);
  int covered = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    TestOutline shape;
    const int contours = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < contours; ++c) {
      const int count = 3 + static_cast<int>(random() % 6);
      std::vector<FT_Vector> points;
      for (int i = 0; i < count; ++i) {
        const FT_Pos grain = trial % 2 == 0 ? 16 : 1;
        points.push_back({static_cast<FT_Pos>(random() % (320 / grain)) * grain - 64,
                          static_cast<FT_Pos>(random() % (320 / grain)) * grain - 64});
        const unsigned kind = random() % 4;
        shape.tags.push_back(i == 0 || kind < 2 ? FT_CURVE_TAG_ON
                             : kind == 2        ? FT_CURVE_TAG_CONIC
                                                : FT_CURVE_TAG_CUBIC);
      }
      shape.points.insert(shape.points.end(), points.begin(), points.end());
      shape.contours.push_back(static_cast<short>(shape.points.size() - 1));
    }
    if (trial % 2 == 1) {  // a large box, so that many outlines cover some pixel
      const FT_Pos x = static_cast<FT_Pos>(random() % 64), y = static_cast<FT_Pos>(random() % 64);
      shape.Box(x - 64, y - 64, x + 64 + static_cast<FT_Pos>(random() % 200),
                y + 64 + static_cast<FT_Pos>(random() % 200), random() % 2 == 0);
    }
    const FT_Outline& outline = shape.Get(trial % 3 == 0 ? FT_OUTLINE_OVERLAP : 0);
    ASSERT_TRUE(CoveredPixelAgreesWithDrawing(library, outline, kRegion, &scratch))
        << "trial " << trial;
    covered += FindCoveredPixel(outline, kRegion, &scratch) ? 1 : 0;
  }
  EXPECT_GT(covered, 100);  // the comparison means something
}

}  // namespace
