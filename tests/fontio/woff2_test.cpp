// The WOFF2 conversion: the output buffer sized from the header, and the image
// taken from it whatever the decoder's outcome.
#include <gtest/gtest.h>

#include <algorithm>

#include "fontio/woff2.h"
#include "tests/fontio/font_test_util.h"

using namespace glyphcensus;

namespace {

bool AllZero(const Bytes& bytes, size_t from = 0) {
  return std::all_of(bytes.begin() + std::min(from, bytes.size()), bytes.end(), [](uint8_t b) { return b == 0; });
}

Bytes Convert(const Bytes& file) { return AsBytes(ConvertWoff2File(View(file))); }

TEST(Woff2FinalSize, TotalSfntSizeCappedAt30MiB) {
  Bytes file = ReadTestFile("tt.woff2");
  ASSERT_GE(file.size(), 20u);
  EXPECT_EQ(Woff2FinalSize(View(file)), U32At(file, 16));
  WriteU32(MutableView(file), 16, kWoff2MaxImageSize);
  EXPECT_EQ(Woff2FinalSize(View(file)), kWoff2MaxImageSize);
  WriteU32(MutableView(file), 16, 0xFFFFFFFFu);
  EXPECT_EQ(Woff2FinalSize(View(file)), kWoff2MaxImageSize);
  EXPECT_EQ(Woff2FinalSize(ByteView{file.data(), 19}), 0u);
}

TEST(ConvertWoff2File, RealFontDecodesToTheOriginalTables) {
  // Stored without transforms, every table comes back as it was, except head:
  // the encoder sets flag bit 11 and the decoder recomputes checkSumAdjustment.
  const Bytes original = ReadTestFile("dejavu.ttf");
  const Bytes image = Convert(ReadTestFile("dejavu_plain.woff2"));
  ASSERT_EQ(U16At(image, 4), U16At(original, 4));
  for (uint16_t k = 0; k < U16At(original, 4); ++k) {
    const std::string tag(original.begin() + 12 + 16 * k, original.begin() + 16 + 16 * k);
    uint32_t from = 0, length = 0, to = 0, decodedLength = 0;
    ASSERT_TRUE(FindTable(original, tag, &from, &length));
    ASSERT_TRUE(FindTable(image, tag, &to, &decodedLength)) << tag;
    ASSERT_EQ(decodedLength, length) << tag;
    Bytes a(original.begin() + from, original.begin() + from + length);
    Bytes b(image.begin() + to, image.begin() + to + length);
    if (tag == "head" && length >= 18) {
      for (Bytes* h : {&a, &b}) {
        for (size_t i = 8; i < 12; ++i) (*h)[i] = 0;  // checkSumAdjustment
        (*h)[16] &= ~0x08;                            // flag bit 11
      }
    }
    EXPECT_TRUE(a == b) << tag;
  }
}

TEST(ConvertWoff2File, ShortFilesGiveEmptyImages) {
  const Bytes file = ReadTestFile("tt.woff2");
  EXPECT_TRUE(Convert(Bytes(file.begin(), file.begin() + 19)).empty());
  EXPECT_TRUE(Convert(Bytes(file.begin(), file.begin() + 8)).empty());
}

TEST(ConvertWoff2File, OutputBufferSizedFromTheHeader) {
  const Bytes file = ReadTestFile("tt.woff2");
  const Bytes decoded = ReadTestFile("tt.woff2.sfnt");
  ASSERT_FALSE(decoded.empty());
  // Larger than the font: the font, then zero bytes up to totalSfntSize.
  Bytes larger = file;
  WriteU32(MutableView(larger), 16, static_cast<uint32_t>(decoded.size() + 1000));
  Bytes image = Convert(larger);
  ASSERT_EQ(image.size(), decoded.size() + 1000);
  EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), image.begin()));
  EXPECT_TRUE(AllZero(image, decoded.size()));
  // Above the cap: a buffer of 30 MiB.
  WriteU32(MutableView(larger), 16, 0xFFFFFFFFu);
  image = Convert(larger);
  ASSERT_EQ(image.size(), kWoff2MaxImageSize);
  EXPECT_TRUE(AllZero(image, decoded.size()));
}

TEST(ConvertWoff2File, FailedConversionsKeepTheBuffer) {
  const Bytes file = ReadTestFile("tt.woff2");
  const uint32_t finalSize = U32At(file, 16);
  // Another letter case passes the container test but not the decoder's.
  for (const char* signature : {"WOF2", "wof2"}) {
    Bytes other = file;
    std::copy(signature, signature + 4, other.begin());
    const Bytes image = Convert(other);
    EXPECT_EQ(image.size(), finalSize) << signature;
    EXPECT_TRUE(AllZero(image)) << signature;
  }
  // A corrupt compressed stream: the buffer as the decoder left it.
  Bytes corrupt = file;
  for (size_t i = corrupt.size() / 2; i < corrupt.size(); ++i) corrupt[i] ^= 0x5A;
  EXPECT_EQ(Convert(corrupt).size(), finalSize);
  Bytes cut(file.begin(), file.begin() + file.size() / 2);
  EXPECT_EQ(Convert(cut).size(), finalSize);
  // The decoder's outcome, for a caller that reports it.
  for (const Bytes* refused : {&corrupt, &cut}) {
    Woff2Decoding decoding = Woff2Decoding::kDecoded;
    ConvertWoff2File(View(*refused), &decoding);
    EXPECT_EQ(decoding, Woff2Decoding::kRefused);
  }
  Woff2Decoding decoding = Woff2Decoding::kRefused;
  ConvertWoff2File(View(file), &decoding);
  EXPECT_EQ(decoding, Woff2Decoding::kDecoded);
}

// A font whose last table passes the decoder's 30 MiB limit (from the hostile
// corpus): the refused write is told apart from refused data, and the image
// holds every table written before it.
TEST(ConvertWoff2File, AWritePastTheLimitIsToldApart) {
  const Bytes file = ReadTestFile("hostile/woff2_past_size_limit.woff2");
  ASSERT_GT(U32At(file, 16), kWoff2MaxImageSize);
  Woff2Decoding decoding = Woff2Decoding::kDecoded;
  const Bytes image = AsBytes(ConvertWoff2File(View(file), &decoding));
  EXPECT_EQ(decoding, Woff2Decoding::kPastSizeLimit);
  EXPECT_EQ(image.size(), kWoff2MaxImageSize);
  EXPECT_FALSE(AllZero(Bytes(image.begin(), image.begin() + 1024)));
}

}  // namespace
