// The glyphcensus command: output format, several files, errors and exit
// status, --missing.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), {});
}

std::string Data(const char* name) { return std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/" + name; }

Outcome RunCommand(const std::string& arguments) {
  const std::string base = testing::TempDir() + "glyphcensus_" + std::to_string(getpid());
  const std::string command = std::string("'") + GLYPHCENSUS_COMMAND + "' " + arguments + " >'" +
                              base + ".out' 2>'" + base + ".err' </dev/null";
  Outcome outcome;
  const int raw = std::system(command.c_str());
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  outcome.out = Slurp(base + ".out");
  outcome.err = Slurp(base + ".err");
  std::remove((base + ".out").c_str());
  std::remove((base + ".err").c_str());
  return outcome;
}

const char kFullReport[] =
    "Glyph Full\n英字：全52\n数字：全10\n記号：全32\nひらがな：全77\nカタカナ：全78\n"
    "教育漢字：－\n常用漢字：－\n第一水準：－\n第二水準：－\n第三水準：－\n第四水準：－\n"
    "IBM拡張文字：10/388\nNEC特殊文字：－\nギリシア文字：全48\nキリル文字：全66\n";

TEST(CliTest, OneFileGivesSixteenLfLines) {
  const Outcome outcome = RunCommand("'" + Data("glyphtest_full.ttf") + "'");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, kFullReport);
  EXPECT_EQ(outcome.err, "") << "no progress line when stderr is not a terminal";
}

TEST(CliTest, WebFontsAreConverted) {
  EXPECT_EQ(RunCommand("'" + Data("glyphtest_full.woff") + "'").out, kFullReport);
  EXPECT_EQ(RunCommand("'" + Data("glyphtest_full.woff2") + "'").out, kFullReport);
}

TEST(CliTest, RealFont) {
  const Outcome outcome = RunCommand("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out.find('\r'), std::string::npos);
  EXPECT_EQ(outcome.out.rfind("IPAゴシック\n英字：全52\n", 0), 0u);
  EXPECT_NE(outcome.out.find("\n第一水準：全2,965\n第二水準：全3,390\n"), std::string::npos);
}

TEST(CliTest, SeveralFilesAreIntroducedAndSeparated) {
  const std::string full = Data("glyphtest_full.ttf");
  const std::string woff2 = Data("glyphtest_full.woff2");
  const Outcome outcome = RunCommand("'" + full + "' '" + woff2 + "'");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, full + "\n" + kFullReport + "\n" + woff2 + "\n" + kFullReport);
}

TEST(CliTest, BadFilesAreReportedAndTheRestMeasured) {
  const std::string missing = Data("no_such_font.ttf");
  const std::string refused = Data("glyphtest_true.woff");
  const std::string full = Data("glyphtest_full.ttf");
  const Outcome outcome = RunCommand("'" + missing + "' '" + refused + "' '" + full + "'");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, full + "\n" + kFullReport);
  std::istringstream lines(outcome.err);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "glyphcensus: " + missing + ": cannot open: No such file or directory");
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line.rfind("glyphcensus: " + refused + ": not a font file", 0), 0u) << line;
  // Then which container rule refused it.
  const std::string rule = "; the web font's flavour is neither TrueType nor CFF";
  EXPECT_EQ(line.substr(line.size() - std::min(line.size(), rule.size())), rule) << line;
  EXPECT_FALSE(std::getline(lines, line));
}

TEST(CliTest, TheJsonOfARefusedFileSaysWhichRuleRefusedIt) {
  const std::string refused = Data("glyphtest_true.woff");
  const std::string full = Data("glyphtest_full.ttf");
  const Outcome outcome = RunCommand("--format json '" + refused + "' '" + full + "'");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.out.find("\"refusal\":\"the web font's flavour is neither TrueType nor CFF\""),
            std::string::npos) << outcome.out;
  // Only the refused file has one.
  EXPECT_EQ(outcome.out.find("\"refusal\""), outcome.out.rfind("\"refusal\""));
}

TEST(CliTest, CollectionsGiveEveryFaceOrTheOneAskedFor) {
  // Two CFF faces: each report is introduced by its place in the collection.
  const std::string otto = Data("collection_otto_first.ttc");
  const Outcome all = RunCommand("'" + otto + "'");
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out.rfind(otto + " (face 0 of 2)\nTest Serif\n", 0), 0u) << all.out;
  EXPECT_NE(all.out.find("\n\n" + otto + " (face 1 of 2)\nTest Sans\n"), std::string::npos);
  const Outcome one = RunCommand("--face 1 '" + otto + "'");
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out.rfind("Test Sans\n英字：", 0), 0u) << one.out;
  EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 16);
  const Outcome beyond = RunCommand("--face 2 '" + otto + "'");
  EXPECT_EQ(beyond.status, 1);
  EXPECT_EQ(beyond.out, "");
  EXPECT_EQ(beyond.err, "glyphcensus: " + otto + ": there is no face 2 (the file has 2 faces)\n");
}

TEST(CliTest, RefusedCollectionsSaySo) {
  // A collection whose first font lies past the end of the file.
  const std::string pastEnd = testing::TempDir() + "glyphcensus_past_end.ttc";
  std::ofstream(pastEnd, std::ios::binary) << std::string("ttcf\0\1\0\0\0\0\0\1\0\0\xFF\xF0", 16);
  const Outcome outcome = RunCommand("'" + pastEnd + "'");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err.rfind("glyphcensus: " + pastEnd + ": a font collection glyphcensus does not read", 0),
            0u) << outcome.err;
  std::remove(pastEnd.c_str());
}

TEST(CliTest, DevicesAreRefusedWithoutReading) {
  const Outcome outcome = RunCommand("/dev/zero");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "glyphcensus: /dev/zero: not a regular file\n");
  EXPECT_EQ(outcome.out, "");
}

TEST(CliTest, FontFreeTypeCannotOpenIsAnError) {
  // An sfnt header without tables: it has a (empty) name, but nothing to measure.
  const std::string path = testing::TempDir() + "glyphcensus_no_tables.ttf";
  {
    std::ofstream file(path, std::ios::binary);
    const char header[12] = {0, 1, 0, 0};
    file.write(header, sizeof header);
  }
  const Outcome outcome = RunCommand("'" + path + "'");
  std::remove(path.c_str());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "\n") << "the (empty) name line alone";
  EXPECT_EQ(outcome.err, "glyphcensus: " + path + ": FreeType cannot open the font; only its name was read\n");
}

TEST(CliTest, BitmapOnlyFontWithoutTheMeasuringSizeSaysSo) {
  // FreeType opens it; what fails is drawing it at 15 pixels per em.
  const std::string path = std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/glyphtest_bitmap_only.ttf";
  const Outcome outcome = RunCommand("'" + path + "'");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Glyph Strike\n") << "the name line alone";
  EXPECT_EQ(outcome.err, "glyphcensus: " + path +
                             ": the font has no outlines, only bitmaps, and none of them for 15 "
                             "pixels per em, the size glyphs are measured at; only its name was "
                             "read\n");
}

TEST(CliTest, SampledInkTestIsRefusedWithRequire) {
  const std::string font = std::string(GLYPHCENSUS_TEST_DATA_DIR) + "/glyphtest_full.ttf";
  const Outcome refused = RunCommand("--ink-test sampled --require hiragana '" + font + "'");
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("--require cannot be used with --ink-test sampled"), std::string::npos)
      << refused.err;
  const Outcome sampled = RunCommand("--ink-test sampled --sets hiragana '" + font + "'");
  EXPECT_EQ(sampled.status, 0);
  EXPECT_EQ(sampled.out, "Glyph Full\nひらがな：全77\n");
  EXPECT_EQ(RunCommand("--ink-test unhinted '" + font + "'").status, 2);
}

// glyphtest_full.ttf with the table record `tag` renamed `newTag` and its
// length running 4 KiB past the end of the file, written to a temporary file.
std::string WithTablePastTheEnd(const std::string& tag, const std::string& newTag) {
  std::string font = Slurp(Data("glyphtest_full.ttf"));
  auto number = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(font[at + i]);
    return value;
  };
  const uint32_t numTables = number(4) >> 16;
  for (uint32_t k = 0; k < numTables; ++k) {
    const size_t record = 12 + 16 * k;
    if (font.compare(record, 4, tag) != 0) continue;
    font.replace(record, 4, newTag);
    const uint32_t length = static_cast<uint32_t>(font.size()) - number(record + 8) + 4096;
    for (size_t i = 0; i < 4; ++i) font[record + 12 + i] = static_cast<char>(length >> (24 - 8 * i));
  }
  const std::string path = testing::TempDir() + "glyphcensus_" + newTag.substr(0, 3) + "_past_end.ttf";
  std::ofstream(path, std::ios::binary) << font;
  return path;
}

TEST(CliTest, TablesPastTheEndOfTheFile) {
  // A table that only shaping uses is left out; the font is measured.
  const std::string unneeded = WithTablePastTheEnd("post", "GSUB");
  const Outcome measured = RunCommand("'" + unneeded + "'");
  EXPECT_EQ(measured.status, 0);
  EXPECT_EQ(measured.out, kFullReport);
  EXPECT_EQ(measured.err, "");
  // A table the glyph test reads: the name line, then the table is named.
  const std::string needed = WithTablePastTheEnd("glyf", "glyf");
  for (const char* option : {"", "--missing "}) {
    const Outcome refused = RunCommand(option + ("'" + needed + "'"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "Glyph Full\n");
    EXPECT_EQ(refused.err, "glyphcensus: " + needed + ": the table 'glyf' lies outside the file\n");
  }
  std::remove(unneeded.c_str());
  std::remove(needed.c_str());
}

TEST(CliTest, MissingListsFollowTheirLines) {
  const Outcome outcome = RunCommand("--missing '" + Data("glyphtest_edges.ttf") + "'");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out.rfind("Glyph Edges\n英字：3/52\n  abcdefghijklmnopqrstuvwxyzBCDEFHJKLMNOPQ\n"
                              "  RSTUVWXYZ\n数字：－\n  0123456789\n", 0), 0u)
      << outcome.out.substr(0, 200);
  // A set drawn in full has no list.
  const Outcome full = RunCommand("--missing '" + Data("glyphtest_full.ttf") + "'");
  EXPECT_NE(full.out.find("\nギリシア文字：全48\nキリル文字：全66\n"), std::string::npos);
}

TEST(CliTest, CommandLineErrors) {
  EXPECT_EQ(RunCommand("").status, 2);
  const Outcome unknown = RunCommand("--frobnicate x.ttf");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
  EXPECT_EQ(RunCommand("--sets kanji x.ttf").status, 2);
  EXPECT_EQ(RunCommand("--format xml x.ttf").status, 2);
  EXPECT_EQ(RunCommand("--require digits=ten x.ttf").status, 2);
  EXPECT_EQ(RunCommand("--sets none --require digits x.ttf").status, 2) << "not measured";
  const Outcome help = RunCommand("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: glyphcensus [OPTIONS] FONT..."), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
  EXPECT_NE(help.out.find("When several apply, the status listed first is given."),
            std::string::npos);
  const Outcome version = RunCommand("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("glyphcensus ", 0), 0u) << version.out;
}

// Every option with a named value, no CLI11 type or range notation, 80 columns.
TEST(CliTest, HelpNamesTheValues) {
  const Outcome help = RunCommand("--help");
  ASSERT_EQ(help.status, 0);
  for (const char* shown : {"\n  FONT...  ", "\n  --face N  ", "\n  --chars FILE  ",
                            "\n  --map FILE.svg  ", "\n  --map-dir DIR  ", "\n  --format FORMAT  ",
                            "\n  -j, --jobs N  ", "\n  --require ID[=N]  ", "\n  --sets ID,...  ",
                            "\n  130  interrupted", "\n  4  the output could not be written"}) {
    EXPECT_NE(help.out.find(shown), std::string::npos) << shown;
  }
  for (const char* noise : {"TEXT", "UINT", "REQUIRED", "Excludes", "in [", "FILE ..."}) {
    EXPECT_EQ(help.out.find(noise), std::string::npos) << noise;
  }
  std::istringstream lines(help.out);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 80u) << line;
}

// A WOFF2 file the decoder refuses: one line on stderr, glyphcensus's own,
// naming the file (the decoder prints nothing).
TEST(CliTest, DamagedWoff2IsReportedInOwnWords) {
  const std::string woff2 = Slurp(Data("glyphtest_full.woff2"));
  const std::string cut = testing::TempDir() + "cut_" + std::to_string(getpid()) + ".woff2";
  std::ofstream(cut, std::ios::binary) << woff2.substr(0, woff2.size() / 2);
  const Outcome outcome = RunCommand("'" + cut + "'");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "glyphcensus: " + cut +
                             ": the WOFF2 file cannot be converted (the decoder refused its data)\n");
  std::remove(cut.c_str());
}

}  // namespace
