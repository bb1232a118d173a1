// The bounds-checked reader: every access inside the buffer succeeds with
// big-endian values, every access that would leave it fails without touching
// memory outside, also for offsets and counts chosen to wrap 32- and 64-bit sums.
#include "fontio/big_endian_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

using namespace glyphcensus;

namespace {

constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
constexpr uint64_t k2To32 = uint64_t{1} << 32;

const std::vector<uint8_t> kBytes = {0x00, 0x01, 0x80, 0xFF, 0x12, 0x34, 0x56, 0x78};
ByteView View() { return ByteView{kBytes.data(), kBytes.size()}; }

TEST(FitsIn, AcceptsRangesInsideAndEndingAtTheEnd) {
  EXPECT_TRUE(FitsIn(8, 0, 8));
  EXPECT_TRUE(FitsIn(8, 7, 1));
  EXPECT_TRUE(FitsIn(8, 8, 0));  // empty range at the end
  EXPECT_TRUE(FitsIn(0, 0, 0));
}

TEST(FitsIn, RefusesRangesPastTheEnd) {
  EXPECT_FALSE(FitsIn(8, 0, 9));
  EXPECT_FALSE(FitsIn(8, 8, 1));
  EXPECT_FALSE(FitsIn(8, 9, 0));  // even an empty range must start inside
  EXPECT_FALSE(FitsIn(0, 0, 1));
}

TEST(FitsIn, RefusesSumsThatWouldWrap) {
  EXPECT_FALSE(FitsIn(8, kMax64, 1));
  EXPECT_FALSE(FitsIn(8, 1, kMax64));
  EXPECT_FALSE(FitsIn(8, kMax64, kMax64));
  EXPECT_FALSE(FitsIn(8, 4, kMax64 - 3));  // 4 + (2^64 - 4) wraps to 0
  // 32-bit file fields: offset + length wraps in 32 bits but not in 64.
  EXPECT_FALSE(FitsIn(8, 0xFFFFFFF0u, 0x20));
  EXPECT_FALSE(FitsIn(8, k2To32, 0));
  EXPECT_FALSE(FitsIn(8, k2To32 + 1, 1));
}

TEST(Read, ReadsBigEndianValues) {
  uint8_t u8 = 0;
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  ASSERT_TRUE(ReadU8(View(), 3, &u8));
  EXPECT_EQ(u8, 0xFF);
  ASSERT_TRUE(ReadU16(View(), 1, &u16));
  EXPECT_EQ(u16, 0x0180);
  ASSERT_TRUE(ReadU16(View(), 2, &u16));  // high bit set stays unsigned
  EXPECT_EQ(u16, 0x80FF);
  ASSERT_TRUE(ReadU32(View(), 4, &u32));
  EXPECT_EQ(u32, 0x12345678u);
  ASSERT_TRUE(ReadU32(View(), 2, &u32));
  EXPECT_EQ(u32, 0x80FF1234u);
}

TEST(Read, ReadsTheLastWholeValueAndRefusesOnePast) {
  uint8_t u8 = 0;
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  EXPECT_TRUE(ReadU8(View(), 7, &u8));
  EXPECT_FALSE(ReadU8(View(), 8, &u8));
  EXPECT_TRUE(ReadU16(View(), 6, &u16));
  EXPECT_FALSE(ReadU16(View(), 7, &u16));
  EXPECT_TRUE(ReadU32(View(), 4, &u32));
  EXPECT_FALSE(ReadU32(View(), 5, &u32));
}

TEST(Read, FailedReadLeavesTheOutputUnchanged) {
  uint8_t u8 = 0xAA;
  uint16_t u16 = 0xAAAA;
  uint32_t u32 = 0xAAAAAAAAu;
  EXPECT_FALSE(ReadU8(View(), kMax64, &u8));
  EXPECT_FALSE(ReadU16(View(), kMax64, &u16));
  EXPECT_FALSE(ReadU16(View(), kMax64 - 1, &u16));
  EXPECT_FALSE(ReadU32(View(), kMax64 - 2, &u32));
  EXPECT_FALSE(ReadU32(View(), k2To32 - 1, &u32));
  EXPECT_EQ(u8, 0xAA);
  EXPECT_EQ(u16, 0xAAAA);
  EXPECT_EQ(u32, 0xAAAAAAAAu);
}

TEST(Read, SignedValuesAreTwosComplement) {
  int16_t s16 = 0;
  int32_t s32 = 0;
  ASSERT_TRUE(ReadS16(View(), 0, &s16));
  EXPECT_EQ(s16, 1);
  ASSERT_TRUE(ReadS16(View(), 2, &s16));  // 0x80FF
  EXPECT_EQ(s16, -32513);
  ASSERT_TRUE(ReadS32(View(), 2, &s32));  // 0x80FF1234
  EXPECT_EQ(s32, -2130767308);
  ASSERT_TRUE(ReadS32(View(), 4, &s32));
  EXPECT_EQ(s32, 0x12345678);
  const std::vector<uint8_t> ones = {0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_TRUE(ReadS16(ByteView{ones.data(), 2}, 0, &s16));
  EXPECT_EQ(s16, -1);
  ASSERT_TRUE(ReadS32(ByteView{ones.data(), 4}, 0, &s32));
  EXPECT_EQ(s32, -1);
}

TEST(Read, SignedReadsPastTheEndFailAndLeaveTheOutput) {
  int16_t s16 = 7;
  int32_t s32 = 7;
  EXPECT_TRUE(ReadS16(View(), 6, &s16));
  EXPECT_FALSE(ReadS16(View(), 7, &s16));
  EXPECT_FALSE(ReadS16(View(), kMax64 - 1, &s16));
  EXPECT_TRUE(ReadS32(View(), 4, &s32));
  EXPECT_FALSE(ReadS32(View(), 5, &s32));
  EXPECT_FALSE(ReadS32(View(), k2To32 - 1, &s32));
  EXPECT_EQ(s16, 0x5678);
  EXPECT_EQ(s32, 0x12345678);
}

TEST(Read, EmptyBufferRefusesEveryValue) {
  const ByteView empty{nullptr, 0};
  uint8_t u8 = 0;
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  EXPECT_FALSE(ReadU8(empty, 0, &u8));
  EXPECT_FALSE(ReadU16(empty, 0, &u16));
  EXPECT_FALSE(ReadU32(empty, 0, &u32));
}

TEST(ReadBytes, CopiesRangesAndAllowsZeroCounts) {
  std::vector<uint8_t> out(4, 0xEE);
  ASSERT_TRUE(ReadBytes(View(), 4, 4, out.data()));
  EXPECT_EQ(out, (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
  // A zero count at the end or in an empty buffer is fine and copies nothing,
  // even with a null destination.
  EXPECT_TRUE(ReadBytes(View(), 8, 0, nullptr));
  EXPECT_TRUE(ReadBytes(ByteView{nullptr, 0}, 0, 0, nullptr));
  EXPECT_FALSE(ReadBytes(View(), 9, 0, nullptr));
}

TEST(ReadBytes, RefusesOverlongAndWrappingRangesWithoutCopying) {
  std::vector<uint8_t> out(16, 0xEE);
  EXPECT_FALSE(ReadBytes(View(), 0, 9, out.data()));
  EXPECT_FALSE(ReadBytes(View(), 5, 4, out.data()));
  EXPECT_FALSE(ReadBytes(View(), 1, kMax64, out.data()));
  EXPECT_FALSE(ReadBytes(View(), kMax64, 2, out.data()));
  EXPECT_FALSE(ReadBytes(View(), 4, k2To32 - 2, out.data()));
  EXPECT_EQ(out, std::vector<uint8_t>(16, 0xEE));
}

TEST(SubView, ReturnsThePartWithoutCopying) {
  ByteView part;
  ASSERT_TRUE(SubView(View(), 2, 4, &part));
  EXPECT_EQ(part.data, kBytes.data() + 2);
  EXPECT_EQ(part.size, 4u);
  uint32_t u32 = 0;
  ASSERT_TRUE(ReadU32(part, 0, &u32));
  EXPECT_EQ(u32, 0x80FF1234u);
  // Reads through the part are bounded by the part, not by the whole buffer.
  EXPECT_FALSE(ReadU32(part, 1, &u32));
  uint8_t u8 = 0;
  EXPECT_FALSE(ReadU8(part, 4, &u8));
}

TEST(SubView, NestedPartsStayInsideTheirParent) {
  ByteView outer;
  ByteView inner;
  ASSERT_TRUE(SubView(View(), 4, 4, &outer));
  EXPECT_TRUE(SubView(outer, 2, 2, &inner));
  EXPECT_EQ(inner.data, kBytes.data() + 6);
  EXPECT_FALSE(SubView(outer, 2, 3, &inner));  // would still fit in the whole buffer
  EXPECT_TRUE(SubView(outer, 4, 0, &inner));
  EXPECT_EQ(inner.size, 0u);
}

TEST(SubView, RefusesRangesOutsideAndLeavesTheOutputUnchanged) {
  ByteView part{kBytes.data(), 3};
  EXPECT_FALSE(SubView(View(), 8, 1, &part));
  EXPECT_FALSE(SubView(View(), 0xFFFFFFFFu, 2, &part));
  EXPECT_FALSE(SubView(View(), kMax64, 1, &part));
  EXPECT_FALSE(SubView(View(), 1, kMax64, &part));
  EXPECT_EQ(part.data, kBytes.data());
  EXPECT_EQ(part.size, 3u);
}

TEST(SubView, MutablePartsWriteIntoTheirParent) {
  std::vector<uint8_t> buffer(8, 0);
  MutableByteView whole{buffer.data(), buffer.size()};
  MutableByteView part;
  ASSERT_TRUE(SubView(whole, 4, 4, &part));
  EXPECT_TRUE(WriteU16(part, 2, 0xBEEF));
  EXPECT_FALSE(WriteU16(part, 3, 0xBEEF));
  EXPECT_FALSE(SubView(whole, 5, 4, &part));
  EXPECT_EQ(buffer, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xBE, 0xEF}));
  ByteView read_back = AsConst(whole);
  EXPECT_EQ(read_back.data, buffer.data());
  EXPECT_EQ(read_back.size, 8u);
}

TEST(Write, WritesBigEndianValuesAndReadsThemBack) {
  std::vector<uint8_t> buffer(8, 0);
  MutableByteView out{buffer.data(), buffer.size()};
  ASSERT_TRUE(WriteU8(out, 0, 0xA5));
  ASSERT_TRUE(WriteU16(out, 1, 0x0102));
  ASSERT_TRUE(WriteU32(out, 4, 0xDEADBEEFu));
  EXPECT_EQ(buffer, (std::vector<uint8_t>{0xA5, 0x01, 0x02, 0x00, 0xDE, 0xAD, 0xBE, 0xEF}));
  uint32_t u32 = 0;
  ASSERT_TRUE(ReadU32(AsConst(out), 4, &u32));
  EXPECT_EQ(u32, 0xDEADBEEFu);
}

TEST(Write, RefusesWritesLeavingTheBufferAndChangesNothing) {
  // The buffer is larger than the view so that a stray write would show up
  // in the guard bytes after the view's end.
  std::vector<uint8_t> buffer(12, 0x55);
  MutableByteView out{buffer.data(), 8};
  EXPECT_FALSE(WriteU8(out, 8, 1));
  EXPECT_FALSE(WriteU16(out, 7, 1));
  EXPECT_FALSE(WriteU32(out, 5, 1));
  EXPECT_FALSE(WriteU32(out, kMax64 - 1, 1));
  EXPECT_FALSE(WriteU32(out, k2To32 - 2, 1));
  const uint8_t four[4] = {1, 2, 3, 4};
  EXPECT_FALSE(WriteBytes(out, 6, four, 4));
  EXPECT_FALSE(WriteBytes(out, kMax64 - 1, four, 4));
  EXPECT_FALSE(WriteBytes(out, 2, four, kMax64 - 1));
  EXPECT_EQ(buffer, std::vector<uint8_t>(12, 0x55));
}

TEST(WriteBytes, CopiesAndHandlesOverlappingAndEmptyCopies) {
  std::vector<uint8_t> buffer = {1, 2, 3, 4, 5, 6, 7, 8};
  MutableByteView out{buffer.data(), buffer.size()};
  // Overlapping source and destination within the same buffer.
  ASSERT_TRUE(WriteBytes(out, 2, buffer.data(), 6));
  EXPECT_EQ(buffer, (std::vector<uint8_t>{1, 2, 1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(WriteBytes(out, 8, nullptr, 0));
  EXPECT_TRUE(WriteBytes(MutableByteView{nullptr, 0}, 0, nullptr, 0));
  EXPECT_FALSE(WriteBytes(out, 9, nullptr, 0));
  const uint8_t last[1] = {9};
  EXPECT_TRUE(WriteBytes(out, 7, last, 1));
  EXPECT_EQ(buffer.back(), 9);
}

TEST(Reader, LargeBufferBoundsNearTwoToThe32) {
  // A view may describe more than 4 GiB on 64-bit hosts; checks must use the
  // full 64-bit size. No memory is touched: every call below is refused or
  // works on the first bytes only.
  if (sizeof(size_t) < 8) GTEST_SKIP() << "32-bit host";
  const size_t big = static_cast<size_t>(k2To32 + 16);
  EXPECT_TRUE(FitsIn(big, k2To32, 16));
  EXPECT_FALSE(FitsIn(big, k2To32, 17));
  EXPECT_FALSE(FitsIn(big, k2To32 + 17, 0));
  ByteView view{kBytes.data(), big};
  ByteView part;
  ASSERT_TRUE(SubView(view, 0, 8, &part));
  EXPECT_EQ(part.size, 8u);
  EXPECT_FALSE(SubView(view, k2To32, 17, &part));
  EXPECT_FALSE(SubView(view, kMax64 - 7, 8, &part));
}

}  // namespace
