// Container signatures and the images made from each kind of font file.
#include <gtest/gtest.h>

#include <algorithm>

#include "fontio/font_image.h"
#include "tests/fontio/font_test_util.h"

using namespace glyphcensus;

namespace {

// The signature (four raw bytes), a 32-bit value at byte 4, and zero bytes up
// to `size`.
Bytes Header(const std::string& signature, uint32_t at4, size_t size = 64) {
  Bytes out(signature.begin(), signature.end());
  AppendU32(&out, at4);
  out.resize(size, 0);
  return out;
}

// A collection whose first font's directory is at `firstFont`, holding `version`.
Bytes Collection(const std::string& tag, uint32_t version, uint32_t firstFont, uint32_t fontVersion,
                 size_t size = 64) {
  Bytes out = Header(tag, version, size);
  WriteU32(MutableView(out), 12, firstFont);
  WriteU32(MutableView(out), firstFont, fontVersion);
  return out;
}

FontContainer Detect(const Bytes& file) { return DetectFontContainer(View(file)); }

TEST(DetectFontContainer, SfntVersions) {
  EXPECT_EQ(Detect(Header(std::string("\0\1\0\0", 4), 0)), FontContainer::kSfnt);  // the empty text
  EXPECT_EQ(Detect(Header("OTTO", 0)), FontContainer::kSfnt);
  EXPECT_EQ(Detect(Header("true", 0)), FontContainer::kRefused);
  EXPECT_EQ(Detect(Header(std::string("\0\2\0\0", 4), 0)), FontContainer::kRefused);
  EXPECT_EQ(Detect(Header("otto", 0)), FontContainer::kRefused);  // sfnt versions are exact
}

TEST(DetectFontContainer, SignaturesIgnoreAsciiCase) {
  for (const char* tag : {"ttcf", "TTCF", "tTcF"}) {
    EXPECT_EQ(Detect(Collection(tag, 0x00010000, 16, 0x00010000)), FontContainer::kCollection) << tag;
  }
  for (const char* tag : {"wOFF", "WOFF", "woff"}) {
    EXPECT_EQ(Detect(Header(tag, 0x00010000)), FontContainer::kWoff) << tag;
    EXPECT_EQ(Detect(Header(tag, 0x4F54544F)), FontContainer::kWoff) << tag;
  }
  for (const char* tag : {"wOF2", "WOF2", "wof2"}) {
    EXPECT_EQ(Detect(Header(tag, 0x00010000)), FontContainer::kWoff2) << tag;
    EXPECT_EQ(Detect(Header(tag, 0x4F54544F)), FontContainer::kWoff2) << tag;
  }
  // A zero byte ends the text early: "tt" followed by a zero is no collection.
  EXPECT_EQ(Detect(Collection(std::string("tt\0f", 4), 0x00010000, 16, 0x00010000)), FontContainer::kRefused);
}

TEST(DetectFontContainer, VersionAndFlavorChecks) {
  EXPECT_EQ(Detect(Collection("ttcf", 0x00020000, 16, 0x00010000)), FontContainer::kCollection);
  EXPECT_EQ(Detect(Collection("ttcf", 0x00030000, 16, 0x00010000)), FontContainer::kRefused);
  EXPECT_EQ(Detect(Collection("ttcf", 0x00010000, 16, 0x4F54544F)), FontContainer::kRefused);  // OTTO first
  EXPECT_EQ(Detect(Header("wOFF", 0x74746366)), FontContainer::kRefused);  // collection flavour
  EXPECT_EQ(Detect(Header("wOF2", 0x74746366)), FontContainer::kRefused);
  EXPECT_EQ(Detect(Header("wOFF", 0x00020000)), FontContainer::kRefused);
}

// The command line reads WOFF2 collections (every face); the dialog's rule
// still refuses them, and WOFF 1.0 collections stay refused for both.
TEST(DetectFontContainer, Woff2CollectionsOnlyForTheCommandLine) {
  const CollectionRule any = CollectionRule::kAnyOutlines;
  EXPECT_EQ(DetectFontContainer(View(Header("wOF2", 0x74746366)), any), FontContainer::kWoff2);
  EXPECT_EQ(DetectFontContainer(View(Header("WOF2", 0x74746366)), any), FontContainer::kWoff2);
  EXPECT_EQ(DetectFontContainer(View(Header("wOFF", 0x74746366)), any), FontContainer::kRefused);
  EXPECT_EQ(DetectFontContainer(View(Header("wOF2", 0x74746367)), any), FontContainer::kRefused);
  EXPECT_EQ(DetectFontContainer(View(Header("wOF2", 0x74746366, 7)), any), FontContainer::kRefused);
  EXPECT_EQ(DetectFontContainer(View(Header("wOF2", 0x74746366)),
                                CollectionRule::kFirstFontTrueType),
            FontContainer::kRefused);
}

TEST(DetectFontContainer, FilesTooShortForTheirRule) {
  for (size_t size = 0; size < 4; ++size) EXPECT_EQ(Detect(Header("OTTO", 0, size)), FontContainer::kRefused);
  EXPECT_EQ(Detect(Header("wOFF", 0x00010000, 7)), FontContainer::kRefused);
  EXPECT_EQ(Detect(Header("wOF2", 0x00010000, 8)), FontContainer::kWoff2);
  EXPECT_EQ(Detect(Header("ttcf", 0x00010000, 15)), FontContainer::kRefused);  // no first offset
  // The first font's version must lie wholly inside the file.
  EXPECT_EQ(Detect(Collection("ttcf", 0x00010000, 60, 0x00010000, 64)), FontContainer::kCollection);
  Bytes cut = Collection("ttcf", 0x00010000, 60, 0x00010000, 64);
  WriteU32(MutableView(cut), 12, 61);
  EXPECT_EQ(Detect(cut), FontContainer::kRefused);
  for (uint32_t offset : {64u, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
    WriteU32(MutableView(cut), 12, offset);
    EXPECT_EQ(Detect(cut), FontContainer::kRefused) << offset;
  }
}

TEST(MakeFontImage, SfntAndCollectionsAreTakenAsRead) {
  for (const char* name : {"tt.ttf", "cff.otf", "collection.ttc", "collection_caps.ttc"}) {
    const Bytes file = ReadTestFile(name);
    ASSERT_FALSE(file.empty()) << name;
    FontImage image;
    ASSERT_TRUE(MakeFontImage(AsFontBytes(file), &image)) << name;
    EXPECT_EQ(AsBytes(image.bytes), file) << name;
  }
  FontImage image;
  image.bytes = {1, 2, 3};
  EXPECT_FALSE(MakeFontImage(AsFontBytes(ReadTestFile("collection_otto_first.ttc")), &image));
  EXPECT_TRUE(image.bytes.empty());
  EXPECT_FALSE(MakeFontImage(FontBytes{0, 1, 0}, &image));
}

// The expected sfnt of every WOFF file is rebuilt by the generator from the WOFF
// table directory and checked there against fontTools' own decompression; the
// expected sfnt of every WOFF2 file is Debian's woff2_decompress output, which
// ends where the decoded font ends, while the image keeps totalSfntSize bytes
// (zero after the font). Both builds, native and Windows, must match these
// files byte for byte, so they produce the same images.
TEST(MakeFontImage, WebFontsMatchTheirReferenceByteForByte) {
  for (const char* name : {"tt.woff", "cff.woff", "dejavu.woff", "ipag.woff", "tt.woff2", "cff.woff2",
                           "dejavu.woff2", "dejavu_plain.woff2"}) {
    const Bytes file = ReadTestFile(name);
    Bytes expected = ReadTestFile(std::string(name) + ".sfnt");
    ASSERT_FALSE(expected.empty()) << name;
    if (file[3] == '2') expected.resize(std::max<size_t>(expected.size(), U32At(file, 16)), 0);
    FontImage image;
    ASSERT_TRUE(MakeFontImage(AsFontBytes(file), &image)) << name;
    EXPECT_TRUE(AsBytes(image.bytes) == expected) << name << ": " << image.bytes.size() << " bytes, expected "
                                         << expected.size();
  }
}

FontBytes WoffWithTotalSize(uint32_t totalSfntSize) {
  Bytes woff = Header("wOFF", 0x00010000, 44);
  WriteU32(MutableView(woff), 16, totalSfntSize);
  return AsFontBytes(woff);
}

TEST(MakeFontImage, WoffSizeLimits) {
  FontImage image;
  EXPECT_FALSE(MakeFontImage(WoffWithTotalSize(0x80000000u), &image));
  EXPECT_FALSE(MakeFontImage(WoffWithTotalSize(0xFFFFFFFFu), &image));
  EXPECT_FALSE(MakeFontImage(WoffWithTotalSize(kMaxConvertedImageSize + 1), &image));
  EXPECT_TRUE(image.bytes.empty());
  ASSERT_TRUE(MakeFontImage(WoffWithTotalSize(kMaxConvertedImageSize), &image));
  EXPECT_EQ(image.bytes.size(), kMaxConvertedImageSize);
  // A header too short to hold totalSfntSize gives an empty image.
  ASSERT_TRUE(MakeFontImage(AsFontBytes(Header("wOFF", 0x00010000, 19)), &image));
  EXPECT_TRUE(image.bytes.empty());
}

}  // namespace

namespace {

ContainerRefusal WhyRefused(const Bytes& file, CollectionRule rule = CollectionRule::kFirstFontTrueType) {
  ContainerRefusal refusal = ContainerRefusal::kNone;
  DetectFontContainer(View(file), rule, &refusal);
  return refusal;
}

TEST(ContainerRefusal, EveryRefusalOfTheSignatureRulesHasItsReason) {
  EXPECT_EQ(WhyRefused(Header("OTTO", 0)), ContainerRefusal::kNone);
  EXPECT_EQ(WhyRefused(Header("OTTO", 0, 3)), ContainerRefusal::kTooShort);
  EXPECT_EQ(WhyRefused(Header("true", 0)), ContainerRefusal::kUnknownSignature);
  EXPECT_EQ(WhyRefused(Header("ttcf", 0x00010000, 7)), ContainerRefusal::kTooShort);
  EXPECT_EQ(WhyRefused(Header("ttcf", 0x00010000, 15)), ContainerRefusal::kTooShort);
  EXPECT_EQ(WhyRefused(Collection("ttcf", 0x00030000, 16, 0x00010000)),
            ContainerRefusal::kCollectionVersion);
  EXPECT_EQ(WhyRefused(Collection("ttcf", 0x00010000, 16, 0x4F54544F)),
            ContainerRefusal::kCollectionFirstFont);
  EXPECT_EQ(WhyRefused(Collection("ttcf", 0x00010000, 16, 0x4F54544F), CollectionRule::kAnyOutlines),
            ContainerRefusal::kNone);
  Bytes outside = Collection("ttcf", 0x00010000, 16, 0x00010000);
  WriteU32(MutableView(outside), 12, 0xFFFFFFFFu);
  EXPECT_EQ(WhyRefused(outside), ContainerRefusal::kCollectionFirstFont);
  EXPECT_EQ(WhyRefused(Header("wOFF", 0x74746366)), ContainerRefusal::kWebFontFlavour);
  EXPECT_EQ(WhyRefused(Header("wOF2", 0x00020000)), ContainerRefusal::kWebFontFlavour);
  EXPECT_EQ(WhyRefused(Header("wOFF", 0x00010000, 7)), ContainerRefusal::kTooShort);
}

TEST(ContainerRefusal, ImagesThatCannotBeMadeSayWhy) {
  FontImage image;
  ContainerRefusal refusal = ContainerRefusal::kNone;
  Bytes notFont = Header("true", 0);
  EXPECT_FALSE(MakeFontImage(FontBytes(notFont.begin(), notFont.end()), &image,
                             CollectionRule::kFirstFontTrueType, &refusal));
  EXPECT_EQ(refusal, ContainerRefusal::kUnknownSignature);
  // A WOFF whose totalSfntSize is above the limit.
  Bytes woff = Header("wOFF", 0x00010000);
  WriteU32(MutableView(woff), 16, kMaxConvertedImageSize + 1);
  EXPECT_FALSE(ConvertWebFont(View(woff), FontContainer::kWoff, &image, &refusal));
  EXPECT_EQ(refusal, ContainerRefusal::kConvertedTooLarge);
  EXPECT_FALSE(ConvertWebFont(View(woff), FontContainer::kSfnt, &image, &refusal));
  EXPECT_EQ(refusal, ContainerRefusal::kNotWebFont);
  Bytes sfnt = Header("OTTO", 0);
  EXPECT_TRUE(MakeFontImage(FontBytes(sfnt.begin(), sfnt.end()), &image,
                            CollectionRule::kFirstFontTrueType, &refusal));
  EXPECT_EQ(refusal, ContainerRefusal::kNone);
}

TEST(ContainerName, ShortNamesOfEachContainer) {
  EXPECT_STREQ(ContainerName(FontContainer::kSfnt, View(Header("OTTO", 0))), "otf");
  EXPECT_STREQ(ContainerName(FontContainer::kSfnt, View(Header(std::string("\0\1\0\0", 4), 0))), "ttf");
  EXPECT_STREQ(ContainerName(FontContainer::kCollection, View(Header("ttcf", 0))), "ttc");
  EXPECT_STREQ(ContainerName(FontContainer::kWoff, View(Header("wOFF", 0))), "woff");
  EXPECT_STREQ(ContainerName(FontContainer::kWoff2, View(Header("wOF2", 0))), "woff2");
  EXPECT_STREQ(ContainerName(FontContainer::kRefused, View(Header("true", 0))), "");
}

TEST(FaceDirectoryOffset, CollectionEntriesAndTheSfntsOnlyFace) {
  Bytes collection = Collection("TTCF", 0x00010000, 24, 0x00010000);
  WriteU32(MutableView(collection), 8, 2);
  WriteU32(MutableView(collection), 16, 40);
  uint32_t offset = 7;
  EXPECT_TRUE(FaceDirectoryOffset(View(collection), 0, &offset));
  EXPECT_EQ(offset, 24u);
  EXPECT_TRUE(FaceDirectoryOffset(View(collection), 1, &offset));
  EXPECT_EQ(offset, 40u);
  // The count is not looked at; an entry past the image's end cannot say.
  EXPECT_TRUE(FaceDirectoryOffset(View(collection), 2, &offset));
  EXPECT_FALSE(FaceDirectoryOffset(View(collection), 13, &offset));
  EXPECT_EQ(offset, 0u);
  EXPECT_FALSE(FaceDirectoryOffset(View(collection), 0xFFFFFFFFu, &offset));
  const Bytes sfnt = Header("OTTO", 0);
  EXPECT_TRUE(FaceDirectoryOffset(View(sfnt), 0, &offset));
  EXPECT_EQ(offset, 0u);
  EXPECT_FALSE(FaceDirectoryOffset(View(sfnt), 1, &offset));
}

}  // namespace
