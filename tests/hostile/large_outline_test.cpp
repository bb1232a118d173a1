// Glyphs far larger than the drawing surface are drawn clipped to the pixels
// the ink scan reads (FreeType presence test). Each font maps "A" to a glyph
// whose verdict is known by construction, once about 960 pixels across (drawn
// clipped) and once about 240 (drawn whole): both must give that verdict,
// holes and cancelling contours included.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "coverage/presence/glyph_presence.h"
#include "coverage/presence/stop_token.h"
#include "fontio/face_name.h"
#include "fontio/font_image.h"

using namespace glyphcensus;

namespace {

const std::string kClipFonts = std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/hostile/clip/";

// How many of `text` the font at `path` draws; -1 when it cannot be measured.
int CountDrawn(const std::string& path, const char16_t* text) {
  std::ifstream file(path, std::ios::binary);
  FontBytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  FontImage image;
  FaceName name;
  if (bytes.empty() || !MakeFontImage(bytes, &image) || !ReadFaceName(ImageBytes(image), &name)) return -1;
  MeasuringContext* context = OpenMeasuringContext(ImageBytes(image), name);
  if (context == nullptr) return -1;
  const int count = static_cast<int>(CountPresentGlyphs(context, text));
  CloseMeasuringContext(context);
  return count;
}

struct Case {
  const char* shape;
  int drawn;
};

class LargeOutline : public ::testing::TestWithParam<Case> {};

TEST_P(LargeOutline, ClippedAndWholeDrawingAgree) {
  const Case& c = GetParam();
  for (const char* size : {"large", "small"}) {
    const std::string path = kClipFonts + "clip_" + c.shape + "_" + size + ".ttf";
    EXPECT_EQ(CountDrawn(path, u"A"), c.drawn) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, LargeOutline,
                         ::testing::Values(Case{"square", 1},            // covers the cell
                                           Case{"circle", 1},            // curves, flattened
                                           Case{"hole_over_cell", 0},    // a hole where the cell is
                                           Case{"circle_hole", 0},       // the same around curves
                                           Case{"hole_beside_cell", 1},  // a hole elsewhere
                                           Case{"cancelled", 0},         // opposite contours: winding 0
                                           Case{"beside_cell", 0}));     // ink only right of the cell

}  // namespace
