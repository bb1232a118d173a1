// The Windows-31J table of the WebAssembly build against glibc's CP932
// converter, which the Linux build reads Macintosh names with: the same
// characters, and the same refusals, for every one- and two-byte text.
#include <gtest/gtest.h>

#include <string>

#include "fontio/face_name.h"
#include "fontio/windows31j.h"

using namespace glyphcensus;

namespace {

// Both decoders on one text: equal verdicts, and equal names when decoded.
::testing::AssertionResult SameAsIconv(const std::basic_string<uint8_t>& text) {
  FaceName fromIconv, fromTable;
  const ByteView view{text.data(), text.size()};
  const bool iconvDecoded = DecodeAnsiText(view, &fromIconv);
  const bool tableDecoded = DecodeWindows31J(view, &fromTable);
  if (iconvDecoded == tableDecoded && (!iconvDecoded || fromIconv == fromTable)) {
    return ::testing::AssertionSuccess();
  }
  std::string hex;
  for (uint8_t byte : text) hex += "0123456789ABCDEF"[byte >> 4], hex += "0123456789ABCDEF"[byte & 15];
  return ::testing::AssertionFailure() << "bytes " << hex << ": iconv " << iconvDecoded
                                       << ", table " << tableDecoded;
}

}  // namespace

TEST(Windows31J, EverySingleByteAsIconv) {
  for (int byte = 1; byte < 256; ++byte) {
    EXPECT_TRUE(SameAsIconv({static_cast<uint8_t>(byte)}));
  }
}

TEST(Windows31J, EveryBytePairAsIconv) {
  int failures = 0;
  for (int lead = 1; lead < 256 && failures < 10; ++lead) {
    for (int trail = 1; trail < 256 && failures < 10; ++trail) {
      const auto result = SameAsIconv({static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)});
      if (!result) ++failures;
      EXPECT_TRUE(result);
    }
  }
}

TEST(Windows31J, NamesMixingWidthsAndRefusals) {
  // "MSゴシック" with a half-width katakana, then a name cut after a lead byte,
  // and one with a byte glibc refuses in its middle.
  const std::basic_string<uint8_t> mixed = {'M', 'S', 0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E, 0xB1};
  EXPECT_TRUE(SameAsIconv(mixed));
  FaceName name;
  ASSERT_TRUE(DecodeWindows31J(ByteView{mixed.data(), mixed.size()}, &name));
  EXPECT_EQ(name, u"MSゴシックｱ");
  EXPECT_TRUE(SameAsIconv({'A', 0x82}));
  EXPECT_TRUE(SameAsIconv({'A', 0xA0, 'B'}));
  const std::basic_string<uint8_t> cut = {'A', 0x82};
  EXPECT_FALSE(DecodeWindows31J(ByteView{cut.data(), cut.size()}, &name));
  EXPECT_TRUE(name.empty());
}
