// Checks the compiled character set tables: counts, order, chunking and the
// facts about the repertoires that the data alone decides.
#include "coverage/sets/character_sets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <set>
#include <string>
#include <vector>

using namespace glyphcensus;

namespace {

using Chars = std::vector<char32_t>;

// Decodes one NUL-terminated chunk; a surrogate pair is one character. An
// unpaired surrogate fails the test.
Chars DecodeChunk(const char16_t* text, size_t* units = nullptr) {
  Chars out;
  size_t i = 0;
  for (; text[i] != 0; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      char32_t low = text[i + 1];
      EXPECT_TRUE(low >= 0xDC00 && low <= 0xDFFF) << "unpaired high surrogate";
      if (low < 0xDC00 || low > 0xDFFF) continue;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    } else {
      EXPECT_FALSE(c >= 0xDC00 && c <= 0xDFFF) << "unpaired low surrogate";
    }
    out.push_back(c);
  }
  if (units != nullptr) *units = i;
  return out;
}

Chars SetChars(int index) {
  Chars out;
  const CharacterSet& set = kCharacterSets[index];
  for (int k = 0; k < set.chunkCount; ++k) {
    Chars chunk = DecodeChunk(set.chunks[k]);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

// Units of the whole set, without terminators.
size_t SetUnits(int index) {
  size_t total = 0;
  const CharacterSet& set = kCharacterSets[index];
  for (int k = 0; k < set.chunkCount; ++k) {
    size_t units = 0;
    DecodeChunk(set.chunks[k], &units);
    total += units;
  }
  return total;
}

// Decodes a UTF-16 literal of the test into characters.
Chars U(const char16_t* text) { return DecodeChunk(text); }

std::u16string Label(int index) { return kCharacterSets[index].label; }

std::set<char32_t> AsSet(const Chars& chars) {
  return std::set<char32_t>(chars.begin(), chars.end());
}

bool Contains(const std::set<char32_t>& set, char32_t c) {
  return set.count(c) != 0;
}

Chars Head(const Chars& chars, size_t n) {
  return Chars(chars.begin(), chars.begin() + std::min(n, chars.size()));
}

Chars Tail(const Chars& chars, size_t n) {
  return Chars(chars.end() - std::min(n, chars.size()), chars.end());
}

struct Expected {
  const char16_t* label;
  int total;
  int chunks;
  ProgressKind progress;
};

const Expected kExpected[kCharacterSetCount] = {
    {u"英字", 52, 1, ProgressKind::kGroup},
    {u"数字", 10, 1, ProgressKind::kNone},
    {u"記号", 32, 1, ProgressKind::kNone},
    {u"ひらがな", 77, 1, ProgressKind::kGroup},
    {u"カタカナ", 78, 1, ProgressKind::kNone},
    {u"教育漢字", 1026, 11, ProgressKind::kNumbered},
    {u"常用漢字", 2136, 22, ProgressKind::kNumbered},
    {u"第一水準", 2965, 30, ProgressKind::kNumbered},
    {u"第二水準", 3390, 34, ProgressKind::kNumbered},
    {u"第三水準", 1259, 13, ProgressKind::kNumbered},
    {u"第四水準", 2436, 25, ProgressKind::kNumbered},
    {u"IBM拡張文字", 388, 5, ProgressKind::kGroup},
    {u"NEC特殊文字", 83, 1, ProgressKind::kNone},
    {u"ギリシア文字", 48, 1, ProgressKind::kNone},
    {u"キリル文字", 66, 1, ProgressKind::kNone},
};

TEST(CharacterSets, LabelsTotalsChunkCountsAndProgressKinds) {
  for (int i = 0; i < kCharacterSetCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Label(i), std::u16string(kExpected[i].label));
    EXPECT_EQ(kCharacterSets[i].total, kExpected[i].total);
    EXPECT_EQ(kCharacterSets[i].chunkCount, kExpected[i].chunks);
    EXPECT_EQ(kCharacterSets[i].progress, kExpected[i].progress);
    // The total is the number of characters, a surrogate pair counted once.
    EXPECT_EQ(SetChars(i).size(), static_cast<size_t>(kCharacterSets[i].total));
  }
}

TEST(CharacterSets, NoCharacterTwiceWithinASet) {
  for (int i = 0; i < kCharacterSetCount; ++i) {
    SCOPED_TRACE(i);
    Chars chars = SetChars(i);
    EXPECT_EQ(AsSet(chars).size(), chars.size());
  }
}

TEST(CharacterSets, GrandTotalsDistinctCharactersChunksAndUnits) {
  size_t characters = 0, chunks = 0, unitsWithNul = 0;
  std::set<char32_t> distinct;
  for (int i = 0; i < kCharacterSetCount; ++i) {
    Chars chars = SetChars(i);
    characters += chars.size();
    distinct.insert(chars.begin(), chars.end());
    chunks += kCharacterSets[i].chunkCount;
    unitsWithNul += SetUnits(i) + kCharacterSets[i].chunkCount;
  }
  EXPECT_EQ(characters, 14046u);
  EXPECT_EQ(distinct.size(), 10594u);
  EXPECT_EQ(chunks, 148u);
  EXPECT_EQ(unitsWithNul, 14497u);
}

TEST(CharacterSets, KanjiSetsAreCutIntoChunksOfOneHundredCharacters) {
  for (int i : {kEducationKanji, kRegularUseKanji, kJisLevel1, kJisLevel2,
                kJisLevel3, kJisLevel4}) {
    SCOPED_TRACE(i);
    const CharacterSet& set = kCharacterSets[i];
    for (int k = 0; k < set.chunkCount; ++k) {
      size_t units = 0;
      size_t chars = DecodeChunk(set.chunks[k], &units).size();
      size_t expected = k + 1 < set.chunkCount
                            ? 100u
                            : static_cast<size_t>(set.total - 100 * k);
      EXPECT_EQ(chars, expected) << "chunk " << k;
      if (k + 1 < set.chunkCount) {
        EXPECT_GE(units, 100u);
        EXPECT_LE(units, 119u);
      }
    }
  }
  const CharacterSet& ibm = kCharacterSets[kIbmExtensions];
  const size_t ibmSizes[] = {28, 100, 100, 100, 60};
  for (int k = 0; k < ibm.chunkCount; ++k) {
    EXPECT_EQ(DecodeChunk(ibm.chunks[k]).size(), ibmSizes[k]) << "chunk " << k;
  }
}

TEST(CharacterSets, SmallSetsHoldTheirFixedTexts) {
  EXPECT_EQ(SetChars(kLatinLetters),
            U(u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  EXPECT_EQ(SetChars(kDigits), U(u"0123456789"));
  // Code order, the low line last; no space.
  EXPECT_EQ(SetChars(kAsciiSymbols),
            U(u"!\"#$%&'()*+,-./:;<=>?@[\\]^`{|}~_"));
  EXPECT_EQ(SetChars(kHiragana),
            U(u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよわをん"
              u"がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉゃゅょゎゐゑ"));
  EXPECT_EQ(SetChars(kKatakana),
            U(u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨワヲン"
              u"ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポァィゥェォャュョヮヰヱヴ"));
  EXPECT_EQ(SetChars(kGreekLetters),
            U(u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩαβγδεζηθικλμνξοπρστυφχψω"));
  EXPECT_EQ(SetChars(kCyrillicLetters),
            U(u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
              u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя"));
  EXPECT_EQ(SetChars(kNecSpecials),
            U(u"①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ㍉㌔㌢㍍㌘㌧㌃㌶㍑㍗㌍㌦㌣㌫"
              u"㍊㌻㎜㎝㎞㎎㎏㏄㎡㍻〝〟№㏍℡㊤㊥㊦㊧㊨㈱㈲㈹㍾㍽㍼≒≡∫∮∑√⊥∠∟⊿∵∩∪"));
}

// JIS X 0208 rows 4 and 5 map to U+3041..U+3093 and U+30A1..U+30F6: a font
// holding all of them reaches exactly 77 and 78.
TEST(CharacterSets, KanaBeyondTheSetsAreNotTested) {
  std::set<char32_t> hiragana = AsSet(SetChars(kHiragana));
  std::set<char32_t> katakana = AsSet(SetChars(kKatakana));
  int inRow4 = 0, inRow5 = 0;
  for (char32_t c = 0x3041; c <= 0x3093; ++c) inRow4 += Contains(hiragana, c);
  for (char32_t c = 0x30A1; c <= 0x30F6; ++c) inRow5 += Contains(katakana, c);
  EXPECT_EQ(inRow4, 77);
  EXPECT_EQ(inRow5, 78);
  for (char32_t c : U(u"らりるれろっ")) EXPECT_FALSE(Contains(hiragana, c));
  for (char32_t c : U(u"ラリルレロッヵヶ")) EXPECT_FALSE(Contains(katakana, c));
}

TEST(CharacterSets, EducationKanjiOrderAndContainment) {
  Chars education = SetChars(kEducationKanji);
  Chars opening = U(u"一右雨円王音下火花貝学気九休玉金空月犬見五口校");
  EXPECT_EQ(Head(education, opening.size()), opening);
  EXPECT_EQ(Tail(education, 20), U(u"茨媛岡潟岐熊香佐埼崎滋鹿縄井沖栃奈梨阪阜"));
  // Sections of 80, 160, 200, 200, 185 and 181 kanji.
  const size_t starts[] = {0, 80, 240, 440, 640, 825};
  const Chars firsts = U(u"一引悪愛圧異");
  for (size_t s = 0; s < 6; ++s) EXPECT_EQ(education[starts[s]], firsts[s]);
  // Kanji the 2017 course moved stay in their earlier section.
  auto section = [&](char32_t c) {
    size_t at = std::find(education.begin(), education.end(), c) -
                education.begin();
    return std::upper_bound(std::begin(starts), std::end(starts), at) -
           std::begin(starts);
  };
  EXPECT_EQ(section(U'囲'), 4);
  EXPECT_EQ(section(U'胃'), 4);
  EXPECT_EQ(section(U'賀'), 5);
  EXPECT_EQ(section(U'富'), 5);
  EXPECT_EQ(section(U'城'), 6);

  std::set<char32_t> level1 = AsSet(SetChars(kJisLevel1));
  std::set<char32_t> regular = AsSet(SetChars(kRegularUseKanji));
  for (char32_t c : education) {
    EXPECT_TRUE(Contains(level1, c)) << std::hex << static_cast<uint32_t>(c);
    EXPECT_TRUE(Contains(regular, c)) << std::hex << static_cast<uint32_t>(c);
  }
}

TEST(CharacterSets, RegularUseKanjiOrderForms) {
  Chars regular = SetChars(kRegularUseKanji);
  Chars opening = U(u"一乙九七十人二入八力刀丁又了下口三山子女小上夕千川大土");
  EXPECT_EQ(Head(regular, opening.size()), opening);
  EXPECT_EQ(Tail(regular, 6), U(u"鶴驚襲籠鑑鬱"));
  std::set<char32_t> chars = AsSet(regular);
  for (char32_t c : regular) EXPECT_LE(c, 0xFFFFu);
  // The list's forms, and 叱 in place of U+20B9F.
  for (char32_t c : {U'\u525D', U'\u5861', U'\u9830', U'\u53F1'}) {
    EXPECT_TRUE(Contains(chars, c)) << std::hex << static_cast<uint32_t>(c);
  }
  for (char32_t c : {U'\u5265', U'\u586B', U'\u982C', U'\U00020B9F'}) {
    EXPECT_FALSE(Contains(chars, c)) << std::hex << static_cast<uint32_t>(c);
  }
}

// A font with all of JIS X 0208 but none of JIS X 0213's additions reaches
// 2,133 regular-use kanji: 剝, 塡 and 頰 lie in level 3.
TEST(CharacterSets, RegularUseKanjiWithinJisX0208) {
  std::set<char32_t> jis0208 = AsSet(SetChars(kJisLevel1));
  Chars level2 = SetChars(kJisLevel2);
  jis0208.insert(level2.begin(), level2.end());
  std::set<char32_t> level3 = AsSet(SetChars(kJisLevel3));
  int within = 0;
  Chars outside;
  for (char32_t c : SetChars(kRegularUseKanji)) {
    if (Contains(jis0208, c)) {
      ++within;
    } else {
      outside.push_back(c);
    }
  }
  EXPECT_EQ(within, 2133);
  std::sort(outside.begin(), outside.end());
  EXPECT_EQ(outside, U(u"剝塡頰"));
  for (char32_t c : outside) EXPECT_TRUE(Contains(level3, c));
}

TEST(CharacterSets, JisX0208LevelsRunFromFirstToLastKanji) {
  Chars level1 = SetChars(kJisLevel1);
  Chars level2 = SetChars(kJisLevel2);
  EXPECT_EQ(level1.front(), U'\u4E9C');  // 亜
  EXPECT_EQ(level1.back(), U'\u8155');   // 腕
  EXPECT_EQ(level2.front(), U'\u5F0C');  // 弌
  EXPECT_EQ(Tail(level2, 6), U(u"堯槇遙瑤凜熙"));
  // The levels and JIS X 0213's additions do not overlap.
  std::set<char32_t> jis0208 = AsSet(level1);
  jis0208.insert(level2.begin(), level2.end());
  EXPECT_EQ(jis0208.size(), 2965u + 3390u);
  for (int i : {kJisLevel3, kJisLevel4}) {
    for (char32_t c : SetChars(i)) EXPECT_FALSE(Contains(jis0208, c));
  }
}

int CountIf(const Chars& chars, char32_t low, char32_t high) {
  return static_cast<int>(std::count_if(
      chars.begin(), chars.end(),
      [&](char32_t c) { return c >= low && c <= high; }));
}

TEST(CharacterSets, JisX0213LevelsThreeAndFour) {
  Chars level3 = SetChars(kJisLevel3);
  Chars level4 = SetChars(kJisLevel4);
  EXPECT_EQ(SetUnits(kJisLevel3), 1285u);
  EXPECT_EQ(SetUnits(kJisLevel4), 2713u);
  EXPECT_EQ(CountIf(level3, 0x10000, 0x10FFFF), 26);
  EXPECT_EQ(CountIf(level4, 0x10000, 0x10FFFF), 277);
  EXPECT_EQ(CountIf(level3, 0xF900, 0xFAFF), 73);
  // The ten kanji added in 2004 at their code positions: 俱 at 1-14-1,
  // 剝 at 1-15-94 (the last of row 15), 𠮟 at 1-47-52 and 吞 at 1-47-94
  // (the first and last of that row's part), 噓 at 1-84-7, then 姸屛幷瘦繫.
  EXPECT_EQ(level3.front(), U'\u4FF1');
  EXPECT_EQ(level3[188 - 1], U'\u525D');
  EXPECT_EQ(level3[188], U'\U00020B9F');
  EXPECT_EQ(level3[188 + 42], U'\u541E');
  EXPECT_EQ(level3[188 + 43], U'\u5653');
  EXPECT_EQ(Tail(level3, 5), U(u"姸屛幷瘦繫"));
  for (char32_t c : U(u"剝塡頰")) {
    EXPECT_NE(std::find(level3.begin(), level3.end(), c), level3.end());
  }
  EXPECT_EQ(level4.front(), U'\U00020089');
  EXPECT_EQ(level4.back(), U'\U0002A6B2');
  std::set<char32_t> three = AsSet(level3);
  for (char32_t c : level4) EXPECT_FALSE(Contains(three, c));
}

TEST(CharacterSets, IbmExtensionsAndNecSpecials) {
  const CharacterSet& ibm = kCharacterSets[kIbmExtensions];
  EXPECT_EQ(DecodeChunk(ibm.chunks[0]),
            U(u"ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ\uFFE2\uFFE4\uFF07\uFF02㈱№℡∵"));
  Chars all = SetChars(kIbmExtensions);
  Chars kanji(all.begin() + 28, all.end());
  EXPECT_EQ(kanji.front(), U'\u7E8A');  // 纊
  EXPECT_EQ(kanji.back(), U'\u9ED1');   // 黑
  // The first chunk holds no kanji.
  EXPECT_EQ(CountIf(Head(all, 28), 0x3400, 0x9FFF) +
                CountIf(Head(all, 28), 0xF900, 0xFAFF),
            0);

  std::set<char32_t> jis0213 = AsSet(SetChars(kJisLevel3));
  Chars level4 = SetChars(kJisLevel4);
  jis0213.insert(level4.begin(), level4.end());
  int inJis0213 = 0;
  for (char32_t c : kanji) inJis0213 += Contains(jis0213, c);
  EXPECT_EQ(inJis0213, 276);

  std::set<char32_t> nec = AsSet(SetChars(kNecSpecials));
  Chars shared;
  for (char32_t c : all) {
    if (Contains(nec, c)) shared.push_back(c);
  }
  std::sort(shared.begin(), shared.end());
  Chars expected = U(u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ№℡∵㈱");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(shared, expected);
}

}  // namespace
