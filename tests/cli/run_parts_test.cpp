// The parts of a glyphcensus run that read untrusted text or decide an
// outcome: the cgroup files, the terminal escaping, requirements, the exit
// status merge, the map paths and the kinds of place a map goes to.
#include <gtest/gtest.h>

#include <sched.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/cpu_count.h"
#include "cli/exit_status.h"
#include "cli/map_files.h"
#include "cli/requirements.h"
#include "cli/terminal_text.h"

using namespace glyphcensus;

namespace {

TEST(CgroupText, TheV2LineGivesThePath) {
  std::string path;
  ASSERT_TRUE(ParseCgroupV2Path("0::/user.slice/session-1.scope\n", &path));
  EXPECT_EQ(path, "/user.slice/session-1.scope");
  ASSERT_TRUE(ParseCgroupV2Path("12:cpu,cpuacct:/docker/abc\n0::/\n", &path));
  EXPECT_EQ(path, "") << "the root";
  // cgroup v1 only, empty, relative, climbing out, or no line at all.
  for (const char* text : {"12:cpu,cpuacct:/docker/abc\n", "", "0::\n", "0::docker\n",
                           "0::/a/../../etc\n", "0::/..\n", "garbage"}) {
    EXPECT_FALSE(ParseCgroupV2Path(text, &path)) << text;
  }
}

TEST(CgroupText, CpuMaxRoundsTheQuotaUp) {
  unsigned processors = 0;
  ASSERT_TRUE(ParseCpuMax("200000 100000\n", &processors));
  EXPECT_EQ(processors, 2u);
  ASSERT_TRUE(ParseCpuMax("150000 100000", &processors));
  EXPECT_EQ(processors, 2u);
  ASSERT_TRUE(ParseCpuMax("1000 100000", &processors));
  EXPECT_EQ(processors, 1u) << "a small share is still one processor";
  ASSERT_TRUE(ParseCpuMax("999999999999999999 1", &processors));
  EXPECT_EQ(processors, 65536u) << "capped, never wrapped";
  for (const char* text : {"max 100000\n", "max", "", "100000", "0 100000", "100000 0",
                           "-1 100000", "1e5 100000", "100000  100000", " 100000 100000",
                           "1234567890123456789 100000"}) {
    EXPECT_FALSE(ParseCpuMax(text, &processors)) << text;
  }
}

// The affinity mask counts, not the processors online (taskset -c 0).
TEST(CgroupText, AffinityMaskLimitsTheProcessors) {
  cpu_set_t saved;
  ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &saved)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  EXPECT_EQ(UsableProcessors(), 1u);
  ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
  EXPECT_GE(UsableProcessors(), 1u);
  EXPECT_LE(UsableProcessors(), static_cast<unsigned>(CPU_COUNT(&saved)));
}

TEST(TerminalSafe, ControlCharactersAndOverridesAreShown) {
  EXPECT_EQ(TerminalSafe("IPAGothic 明朝 Ünïcode"), "IPAGothic 明朝 Ünïcode");
  EXPECT_EQ(TerminalSafe("a\x1b]0;title\x07z"), "a<U+001B>]0;title<U+0007>z");
  EXPECT_EQ(TerminalSafe("dir/x\ny.ttf"), "dir/x<U+000A>y.ttf");
  EXPECT_EQ(TerminalSafe(std::string("\0\x1f\x7f", 3)), "<U+0000><U+001F><U+007F>");
  EXPECT_EQ(TerminalSafe("\xc2\x80\xc2\x9b\xc2\x9f\xc2\xa0"), "<U+0080><U+009B><U+009F>\xc2\xa0");
  EXPECT_EQ(TerminalSafe("\xe2\x80\xae" "abc\xe2\x81\xa6\xe2\x81\xa9\xe2\x80\xa9\xe2\x81\xaa"),
            "<U+202E>abc<U+2066><U+2069>\xe2\x80\xa9\xe2\x81\xaa");
  // Bytes that are not UTF-8 stay as they are, even cut-off sequences.
  EXPECT_EQ(TerminalSafe("\xff\xc2"), "\xff\xc2");
  EXPECT_EQ(TerminalSafe("\xe2\x80"), "\xe2\x80");
}

TEST(ExitStatusMerge, TheMoreSeriousWins) {
  // Least serious first: 0, 3, 5, 1, 4, 130.
  const ExitStatus order[] = {ExitStatus::kOk,          ExitStatus::kRequirementNotMet,
                              ExitStatus::kMeasuredInPart, ExitStatus::kNotMeasured,
                              ExitStatus::kOutputFailed, ExitStatus::kInterrupted};
  for (size_t a = 0; a < 6; ++a) {
    for (size_t b = 0; b < 6; ++b) {
      EXPECT_EQ(MergeExitStatus(order[a], order[b]), order[std::max(a, b)]) << a << " " << b;
    }
  }
}

CharacterSet SetOf(int32_t total) { return CharacterSet{u"", nullptr, 0, total, {}}; }

TEST(Requirements, WholeNamesFirstThenTheLastEquals) {
  const CharacterSet digits = SetOf(10);
  const CharacterSet custom = SetOf(5);
  const std::vector<SetToMeasure> sets = {{"digits", &digits}, {"chars=v2.txt", &custom}};
  Requirement requirement;
  std::string error;
  ASSERT_TRUE(ParseRequirement("chars=v2.txt", sets, &requirement, &error)) << error;
  EXPECT_TRUE(requirement.all);
  EXPECT_EQ(requirement.setId, "chars=v2.txt");
  ASSERT_TRUE(ParseRequirement("chars=v2.txt=5", sets, &requirement, &error)) << error;
  EXPECT_EQ(requirement.count, 5);
  ASSERT_TRUE(ParseRequirement("digits=0010", sets, &requirement, &error)) << error;
  EXPECT_EQ(requirement.count, 10);
  EXPECT_FALSE(ParseRequirement("digits=11", sets, &requirement, &error));
  EXPECT_NE(error.find("too large: the set 'digits' has 10 characters"), std::string::npos) << error;
  EXPECT_FALSE(ParseRequirement("digits=1000000000", sets, &requirement, &error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
  EXPECT_FALSE(ParseRequirement("digits=99999999999999999999999", sets, &requirement, &error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
  for (const char* text : {"digits=", "digits=-1", "digits=1x", "digits= 1"}) {
    EXPECT_FALSE(ParseRequirement(text, sets, &requirement, &error)) << text;
    EXPECT_NE(error.find("whole number"), std::string::npos) << error;
  }
  EXPECT_FALSE(ParseRequirement("chars", sets, &requirement, &error));
  EXPECT_NE(error.find("no set 'chars'"), std::string::npos) << error;
}

TEST(MapPaths, MirrorTheFoldersBelowEachOperand) {
  EXPECT_EQ(PathBelowOperand("fonts", "fonts/a/x.ttf"), "a/x.ttf");
  EXPECT_EQ(PathBelowOperand("fonts/", "fonts/a/x.ttf"), "a/x.ttf");
  EXPECT_EQ(PathBelowOperand("/", "/x.ttf"), "x.ttf");
  EXPECT_EQ(PathBelowOperand("fonts/a/x.ttf", "fonts/a/x.ttf"), "x.ttf");
  EXPECT_EQ(PathBelowOperand("x.ttf", "x.ttf"), "x.ttf");
  MapTarget target;
  target.folder = "maps";
  target.names = {"a/x.ttf", "b/x.ttf"};
  EXPECT_EQ(MapPathOf(target, 0, 0, 1), "maps/a/x.ttf.svg");
  EXPECT_EQ(MapPathOf(target, 1, 3, 4), "maps/b/x.ttf.3.svg");
  target.folder = "maps/";
  EXPECT_EQ(MapPathOf(target, 1, 0, 1), "maps/b/x.ttf.svg");
  target = MapTarget();
  target.file = "one.svg";
  EXPECT_EQ(MapPathOf(target, 0, 0, 1), "one.svg");
}

// What is at a map's place decides how the map gets there; links followed,
// and a descriptor of the process's own (/dev/stdout) is never renamed over.
TEST(MapPlaces, EachKindOfPlace) {
  char folderTemplate[] = "/tmp/map_places_XXXXXX";
  ASSERT_NE(mkdtemp(folderTemplate), nullptr);
  const std::string folder = folderTemplate;
  const std::string fifo = folder + "/pipe.svg";
  const std::string file = folder + "/file.svg";
  const std::string dangling = folder + "/dangling.svg";
  const std::string toFolder = folder + "/to_folder.svg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::FILE* made = std::fopen(file.c_str(), "w");
  ASSERT_NE(made, nullptr);
  std::fclose(made);
  ASSERT_EQ(symlink((folder + "/none").c_str(), dangling.c_str()), 0);
  ASSERT_EQ(symlink(folder.c_str(), toFolder.c_str()), 0);
  std::string refusal;
  EXPECT_EQ(MapPlaceKindOf(file, &refusal), MapPlaceKind::kReplace);
  EXPECT_EQ(MapPlaceKindOf(folder + "/new.svg", &refusal), MapPlaceKind::kReplace);
  EXPECT_EQ(MapPlaceKindOf(dangling, &refusal), MapPlaceKind::kReplace);
  EXPECT_EQ(MapPlaceKindOf(folder + "/missing/below.svg", &refusal), MapPlaceKind::kReplace)
      << "the write says what is wrong";
  EXPECT_EQ(MapPlaceKindOf(fifo, &refusal), MapPlaceKind::kWriteInto);
  EXPECT_EQ(MapPlaceKindOf("/dev/null", &refusal), MapPlaceKind::kWriteInto);
  EXPECT_EQ(MapPlaceKindOf("/dev/stdout", &refusal), MapPlaceKind::kWriteInto);
  EXPECT_EQ(MapPlaceKindOf("/proc/self/fd/2", &refusal), MapPlaceKind::kWriteInto);
  EXPECT_EQ(MapPlaceKindOf(folder, &refusal), MapPlaceKind::kRefused);
  EXPECT_NE(refusal.find("is a folder"), std::string::npos) << refusal;
  EXPECT_EQ(MapPlaceKindOf(toFolder, &refusal), MapPlaceKind::kRefused);
  EXPECT_EQ(MapPlaceKindOf("/proc/self/fd/999", &refusal), MapPlaceKind::kRefused)
      << "a descriptor not open";
  for (const std::string& path : {fifo, file, dangling, toFolder}) unlink(path.c_str());
  rmdir(folder.c_str());
}

// The temporary name is short and fixed in length, whatever the map's name.
TEST(MapPlaces, TheTemporaryNameFitsWhereverTheMapFits) {
  char folderTemplate[] = "/tmp/map_names_XXXXXX";
  ASSERT_NE(mkdtemp(folderTemplate), nullptr);
  const std::string folder = folderTemplate;
  const std::string mapPath = folder + "/" + std::string(251, 'm') + ".svg";  // NAME_MAX
  std::string temporaryPath;
  std::string error;
  ASSERT_TRUE(WriteMapBeside(mapPath, false, "<svg/>", &temporaryPath, &error)) << error;
  const std::string name = temporaryPath.substr(folder.size() + 1);
  EXPECT_EQ(name.compare(0, 3, ".gc"), 0) << name;
  EXPECT_LE(name.size(), 26u) << name;
  unlink(temporaryPath.c_str());
  rmdir(folder.c_str());
}

}  // namespace
