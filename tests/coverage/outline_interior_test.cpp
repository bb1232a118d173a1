// Finding a point deep inside an outline: the shapes that must be found, the
// ones that must not (thin, hollow, cancelled, off the box) and bad outlines.
#include <gtest/gtest.h>

#include <vector>

#include "coverage/outline_interior_freetype.h"

namespace {

constexpr char kOn = FT_CURVE_TAG_ON;
constexpr char kConic = FT_CURVE_TAG_CONIC;
constexpr char kCubic = FT_CURVE_TAG_CUBIC;

struct Point {
  FT_Pos x, y;
  char tag = kOn;
};

// An outline of the given contours, owning its arrays.
class TestOutline {
 public:
  explicit TestOutline(const std::vector<std::vector<Point>>& contours) {
    for (const auto& contour : contours) {
      for (const Point& point : contour) {
        points_.push_back(FT_Vector{point.x, point.y});
        tags_.push_back(point.tag);
      }
      ends_.push_back(static_cast<short>(points_.size() - 1));
    }
    outline_.n_points = static_cast<short>(points_.size());
    outline_.n_contours = static_cast<short>(ends_.size());
    outline_.points = points_.data();
    outline_.tags = tags_.data();
    outline_.contours = ends_.data();
  }
  FT_Outline& get() { return outline_; }

 private:
  std::vector<FT_Vector> points_;
  std::vector<char> tags_;
  std::vector<short> ends_;
  FT_Outline outline_{};
};

// A rectangle, clockwise (TrueType's direction) unless `reversed`.
std::vector<Point> Rectangle(FT_Pos left, FT_Pos bottom, FT_Pos right, FT_Pos top,
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
  EXPECT_TRUE(Found(TestOutline({{{100, 250}, {100, 440}, {480, 440}}})));
  // Nowhere as wide as the area around a point where the band fits.
  EXPECT_FALSE(Found(TestOutline({{{100, 250}, {100, 440}, {200, 440}}})));
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
  TestOutline evenOdd({Rectangle(64, 0, 640, 640)});
  evenOdd.get().flags |= FT_OUTLINE_EVEN_ODD_FILL;
  EXPECT_FALSE(Found(evenOdd));
  TestOutline pastTheEnd({Rectangle(64, 0, 640, 640)});
  pastTheEnd.get().contours[0] = 4;
  EXPECT_FALSE(Found(pastTheEnd));
  TestOutline backwards({Rectangle(64, 0, 640, 640), Rectangle(64, 0, 640, 640)});
  backwards.get().contours[1] = 2;
  EXPECT_FALSE(Found(backwards));
  // Three cubic control points in a row, or one alone: not drawable.
  EXPECT_FALSE(Found(TestOutline({{{64, 0}, {0, 200, kCubic}, {0, 300, kCubic}, {0, 440, kCubic},
                                   {64, 640}, {640, 640}, {640, 0}}})));
  EXPECT_FALSE(Found(TestOutline({{{64, 0}, {0, 320, kCubic}, {64, 640}, {640, 640}, {640, 0}}})));
  // A lone point and a line have no inside.
  EXPECT_FALSE(Found(TestOutline({{{64, 64}}})));
  EXPECT_FALSE(Found(TestOutline({{{64, 64}, {640, 640}}})));
}

}  // namespace
