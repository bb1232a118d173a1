// FreeType's outlines as plain data: what is copied, and the outlines the
// point search must not be given.
#include <gtest/gtest.h>

#include <vector>

#include "coverage/geometry/plain_outline_freetype.h"

using namespace glyphcensus;

namespace {

struct SquareOutline {
  std::vector<FT_Vector> points{{0, 0}, {0, 640}, {320, 700}, {640, 640}, {640, 0}};
  std::vector<char> tags{FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_CONIC,
                         FT_CURVE_TAG_ON | 0x20, FT_CURVE_TAG_ON};
  std::vector<short> ends{4};
  FT_Outline outline{};
  SquareOutline() {
    outline.n_points = static_cast<short>(points.size());
    outline.n_contours = static_cast<short>(ends.size());
    outline.points = points.data();
    outline.tags = tags.data();
    outline.contours = ends.data();
  }
};

TEST(PlainOutlineFreeTypeTest, CopiesPointsKindsAndEnds) {
  SquareOutline square;
  PlainOutline plain;
  plain.points.resize(20);  // storage reused: the copy fits the outline
  ASSERT_TRUE(ReadFreeTypeOutline(square.outline, &plain));
  ASSERT_EQ(plain.points.size(), 5u);
  EXPECT_EQ(plain.points[2].x, 320);
  EXPECT_EQ(plain.points[2].y, 700);
  // Flag bits beside the curve tag (drop-out modes) are not part of the kind.
  EXPECT_EQ(plain.kinds, (std::vector<uint8_t>{kOnCurve, kOnCurve, kQuadraticControl, kOnCurve,
                                               kOnCurve}));
  EXPECT_EQ(plain.contourEnds, std::vector<uint16_t>{4});
}

TEST(PlainOutlineFreeTypeTest, RefusesOutlinesTheSearchMustNotJudge) {
  PlainOutline plain;
  SquareOutline evenOdd;
  evenOdd.outline.flags |= FT_OUTLINE_EVEN_ODD_FILL;
  EXPECT_FALSE(ReadFreeTypeOutline(evenOdd.outline, &plain));
  SquareOutline far;
  far.points[3].x = FT_Pos{1} << 31;
  EXPECT_FALSE(ReadFreeTypeOutline(far.outline, &plain));
  SquareOutline negativeEnd;
  negativeEnd.ends[0] = -1;
  EXPECT_FALSE(ReadFreeTypeOutline(negativeEnd.outline, &plain));
  SquareOutline empty;
  empty.outline.n_points = 0;
  EXPECT_FALSE(ReadFreeTypeOutline(empty.outline, &plain));
}

}  // namespace
