// Finding a point deep inside an outline: the shapes that must be found, the
// ones that must not (thin, hollow, cancelled, off the box) and bad outlines.
#include <gtest/gtest.h>

#include <vector>

#include "coverage/geometry/outline_interior.h"

using namespace glyphcensus;

namespace {

constexpr uint8_t kOn = kOnCurve;
constexpr uint8_t kConic = kQuadraticControl;
constexpr uint8_t kCubic = kCubicControl;

struct Point {
  int32_t x, y;
  uint8_t kind = kOn;
};

// An outline of the given contours.
class TestOutline {
 public:
  explicit TestOutline(const std::vector<std::vector<Point>>& contours) {
    for (const auto& contour : contours) {
      for (const Point& point : contour) {
        outline_.points.push_back(OutlinePoint{point.x, point.y});
        outline_.kinds.push_back(point.kind);
      }
      outline_.contourEnds.push_back(static_cast<uint16_t>(outline_.points.size() - 1));
    }
  }
  PlainOutline& get() { return outline_; }

 private:
  PlainOutline outline_;
};

// A rectangle, clockwise (TrueType's direction) unless `reversed`.
std::vector<Point> Rectangle(int32_t left, int32_t bottom, int32_t right, int32_t top,
                             bool reversed = false) {
  if (reversed) return {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
  return {{left, bottom}, {left, top}, {right, top}, {right, bottom}};
}

const OutlineBox kCell{0, 16 * 64, -4 * 64, 12 * 64};
const Clearance kClearance{32, 64};
InteriorScratch scratch;

bool Found(TestOutline outline, const OutlineBox& box = kCell) {
  return FindClearInteriorPoint(outline.get(), box, kClearance, &scratch);
}

TEST(OutlineInteriorTest, SolidShapesEitherDirection) {
  EXPECT_TRUE(Found(TestOutline({Rectangle(64, 0, 640, 640)})));
  EXPECT_TRUE(Found(TestOutline({Rectangle(64, 0, 640, 640, true)})));
  // The same square drawn with cubic and conic sides that bulge outwards.
  EXPECT_TRUE(Found(TestOutline({{{64, 0}, {0, 200, kCubic}, {0, 440, kCubic}, {64, 640},
                                  {352, 700, kConic}, {640, 640}, {640, 0}}})));
}

TEST(OutlineInteriorTest, StrokeWidthAgainstTheClearance) {
  // A vertical stroke must be wider than twice the horizontal clearance.
  EXPECT_TRUE(Found(TestOutline({Rectangle(100, 0, 100 + 66, 640)})));
  EXPECT_FALSE(Found(TestOutline({Rectangle(100, 0, 100 + 64, 640)})));
  EXPECT_FALSE(Found(TestOutline({Rectangle(100, 0, 100 + 32, 640)})));
  // A horizontal bar, wide but not twice the vertical clearance tall.
  EXPECT_FALSE(Found(TestOutline({Rectangle(0, 100, 640, 100 + 100)})));
  EXPECT_TRUE(Found(TestOutline({Rectangle(0, 100, 640, 100 + 200)})));
}

TEST(OutlineInteriorTest, EveryClearStretchOfARowIsTried) {
  // A stroke too thin, a gap outside the outline, then a wide stroke.
  EXPECT_TRUE(Found(TestOutline({Rectangle(100, 0, 150, 640), Rectangle(300, 0, 400, 640)})));
  // The wide stroke split by a thin slit (drawn as a reversed contour): the
  // halves either side of the slit must each be wide enough themselves.
  EXPECT_FALSE(Found(TestOutline({Rectangle(300, 0, 400, 640), Rectangle(345, 0, 355, 640, true)})));
  EXPECT_TRUE(Found(TestOutline({Rectangle(300, 0, 500, 640), Rectangle(345, 0, 355, 640, true)})));
  // Triangles: the slanted side's whole run through the band counts, not only
  // where it crosses the row. Wide enough near the vertical side only: found
  // there, left of the middle of the row's inside.
  EXPECT_TRUE(Found(TestOutline({{{100, 250}, {100, 440}, {880, 440}}})));
  // Nowhere as wide as the area around a point where the band fits.
  EXPECT_FALSE(Found(TestOutline({{{100, 250}, {100, 440}, {200, 440}}})));
}

TEST(OutlineInteriorTest, StemsFacingEachOther) {
  // Between two strokes each too thin lies a wide gap the vertical lines
  // face across: it is outside the outline.
  EXPECT_FALSE(Found(TestOutline({Rectangle(100, 0, 150, 640), Rectangle(400, 0, 450, 640)})));
  // A hollow stem: thin walls either side of a hole as tall as the stem.
  EXPECT_FALSE(Found(TestOutline({Rectangle(100, 0, 400, 640), Rectangle(140, 0, 360, 640, true)})));
  // A bar of its own crossing a stem half way up blocks the stem's middle;
  // the stem is still found further up or down.
  EXPECT_TRUE(Found(TestOutline({Rectangle(300, 0, 400, 640), Rectangle(0, 300, 640, 340)})));
  // Drawn the other way round (as CFF outlines are), beside a stem drawn
  // clockwise: both are found.
  EXPECT_TRUE(Found(TestOutline({Rectangle(100, 0, 150, 640), Rectangle(300, 0, 400, 640, true)})));
  EXPECT_TRUE(Found(TestOutline({Rectangle(100, 0, 150, 640, true), Rectangle(300, 0, 400, 640)})));
}

TEST(OutlineInteriorTest, HolesAndCancellingContours) {
  // A square ring whose band is thinner than the clearance: the middle is a hole.
  EXPECT_FALSE(Found(TestOutline({Rectangle(64, 0, 640, 640), Rectangle(80, 16, 624, 624, true)})));
  // The same square twice in opposite directions winds zero times everywhere.
  EXPECT_FALSE(Found(TestOutline({Rectangle(64, 0, 640, 640), Rectangle(64, 0, 640, 640, true)})));
  // Twice in the same direction it winds twice: still ink.
  EXPECT_TRUE(Found(TestOutline({Rectangle(64, 0, 640, 640), Rectangle(64, 0, 640, 640)})));
}

TEST(OutlineInteriorTest, OnlyContoursReachingPastTheBandWind) {
  // The band around a row is 2 * 64 + 1 units tall: a bar one unit taller
  // clears it, one exactly as tall touches its top side.
  EXPECT_TRUE(Found(TestOutline({Rectangle(0, 0, 640, 131)})));
  EXPECT_FALSE(Found(TestOutline({Rectangle(0, 0, 640, 130)})));
  // Two bars stacked into one tall shape, each shorter than the band: the
  // seam between them blocks every row it meets, the others lie outside one
  // of them; still found once one bar alone is tall enough.
  EXPECT_FALSE(Found(TestOutline({Rectangle(64, 0, 640, 100), Rectangle(64, 100, 640, 200)})));
  EXPECT_TRUE(Found(TestOutline({Rectangle(64, 0, 640, 100), Rectangle(64, 100, 640, 400)})));
  // A short bar beside a tall thin stroke: neither holds a clear point.
  EXPECT_FALSE(Found(TestOutline({Rectangle(0, 300, 640, 400), Rectangle(700, 0, 750, 640)})));
}

TEST(OutlineInteriorTest, CurveControlsCountAsObstacles) {
  // A stroke 2 pixels wide whose right side is a conic curve: the box of its
  // control points reaches across the stroke when the control point lies far
  // to the left, so no point is clear, though the curve itself stays right.
  EXPECT_TRUE(Found(TestOutline({{{100, 0}, {100, 640}, {228, 640}, {228, 320, kConic},
                                  {228, 0}}})));
  EXPECT_FALSE(Found(TestOutline({{{100, 0}, {100, 640}, {228, 640}, {-400, 320, kConic},
                                   {228, 0}}})));
  // A slanted stroke whose sides are conic curves lying along straight lines:
  // the triangles of their control points are as thin as the lines, though
  // the boxes of those points would cover the whole stroke.
  EXPECT_TRUE(Found(TestOutline({{{0, 0}, {200, 320, kConic}, {400, 640}, {700, 640},
                                  {500, 320, kConic}, {300, 0}}})));
}

TEST(OutlineInteriorTest, OnlyPointsInsideTheBox) {
  // Wholly left of the box, above it, or right of it.
  EXPECT_FALSE(Found(TestOutline({Rectangle(-640, 0, -64, 640)})));
  EXPECT_FALSE(Found(TestOutline({Rectangle(64, 13 * 64, 640, 20 * 64)})));
  EXPECT_FALSE(Found(TestOutline({Rectangle(17 * 64, 0, 20 * 64, 640)})));
  // Straddling the right edge: what lies inside must be wide enough itself.
  EXPECT_FALSE(Found(TestOutline({Rectangle(16 * 64 - 40, 0, 20 * 64, 640)})));
  EXPECT_TRUE(Found(TestOutline({Rectangle(16 * 64 - 80, 0, 20 * 64, 640)})));
  // Straddling the bottom edge, with the part inside too short.
  EXPECT_FALSE(Found(TestOutline({Rectangle(64, -20 * 64, 640, -4 * 64 + 100)})));
}

TEST(OutlineInteriorTest, BadOutlinesFindNothing) {
  EXPECT_FALSE(Found(TestOutline({})));
  TestOutline pastTheEnd({Rectangle(64, 0, 640, 640)});
  pastTheEnd.get().contourEnds[0] = 4;
  EXPECT_FALSE(Found(pastTheEnd));
  TestOutline backwards({Rectangle(64, 0, 640, 640), Rectangle(64, 0, 640, 640)});
  backwards.get().contourEnds[1] = 2;
  EXPECT_FALSE(Found(backwards));
  TestOutline unknownKind({Rectangle(64, 0, 640, 640)});
  unknownKind.get().kinds[1] = 3;
  EXPECT_FALSE(Found(unknownKind));
  TestOutline kindsMissing({Rectangle(64, 0, 640, 640)});
  kindsMissing.get().kinds.pop_back();
  EXPECT_FALSE(Found(kindsMissing));
  // Three cubic control points in a row, or one alone: not drawable.
  EXPECT_FALSE(Found(TestOutline({{{64, 0}, {0, 200, kCubic}, {0, 300, kCubic}, {0, 440, kCubic},
                                   {64, 640}, {640, 640}, {640, 0}}})));
  EXPECT_FALSE(Found(TestOutline({{{64, 0}, {0, 320, kCubic}, {64, 640}, {640, 640}, {640, 0}}})));
  // A lone point and a line have no inside.
  EXPECT_FALSE(Found(TestOutline({{{64, 64}}})));
  EXPECT_FALSE(Found(TestOutline({{{64, 64}, {640, 640}}})));
}

}  // namespace
