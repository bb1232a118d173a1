// The files a command line names: folders expanded in natural order, the
// recursive walk, symbolic links, and folders that cannot be listed.
#include "cli/font_inputs.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace glyphcensus;

namespace {

using Paths = std::vector<std::string>;
using FolderErrors = std::vector<std::pair<std::string, std::string>>;

// A fresh folder under /tmp that everyone may enter, removed at the end.
class ScratchTree {
 public:
  ScratchTree() {
    char pattern[] = "/tmp/glyphcensus-inputs-XXXXXX";
    root_ = mkdtemp(pattern);
    chmod(root_.c_str(), 0755);
  }
  ~ScratchTree() { std::system(("rm -rf '" + root_ + "'").c_str()); }
  const std::string& root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
  void Folder(const std::string& relative) const { ASSERT_EQ(mkdir(Path(relative).c_str(), 0755), 0) << relative; }
  void File(const std::string& relative) const {
    FILE* file = std::fopen(Path(relative).c_str(), "w");
    ASSERT_NE(file, nullptr) << relative;
    std::fclose(file);
  }
  void Link(const std::string& target, const std::string& relative) const {
    ASSERT_EQ(symlink(target.c_str(), Path(relative).c_str()), 0) << relative;
  }

 private:
  std::string root_;
};

Paths Expand(const Paths& operands, bool recursive, FolderErrors* errors) {
  FontInputOptions options;
  options.recursive = recursive;
  return ExpandFontInputs(operands, options, [errors](const std::string& folder, const std::string& reason) {
    errors->emplace_back(folder, reason);
  });
}

Paths Under(const ScratchTree& tree, const Paths& relatives) {
  Paths paths;
  for (const std::string& relative : relatives) paths.push_back(tree.Path(relative));
  return paths;
}

// Mixed-case extensions, names that only look like fonts, numbered names and
// numbered subfolders, a link to a font file and a dangling one, a FIFO.
void MakeMixedTree(const ScratchTree& tree) {
  for (const char* name : {"b10.TTF", "b2.ttf", "A1.woff2", "c.Otf", "d.TTC", "e.WoFf", "readme.txt",
                           "font.ttf.bak", "noextension", "f.woff3", "font.ttf", "Font.ttf"}) {
    tree.File(name);
  }
  tree.Link("b2.ttf", "linked.ttf");
  tree.Link("missing.ttf", "dangling.ttf");
  ASSERT_EQ(mkfifo(tree.Path("pipe.ttf").c_str(), 0644), 0);
  for (const char* folder : {"sub10", "sub2", "Sub3", "sub2/deeper", "folder.ttf"}) tree.Folder(folder);
  tree.File("sub10/x.ttf");
  tree.File("sub2/y.otf");
  tree.File("sub2/deeper/z.ttc");
  tree.File("sub2/zz.txt");
  tree.File("folder.ttf/inner.woff");
}

TEST(FontInputs, FolderGivesItsOwnFontFilesInNaturalOrder) {
  ScratchTree tree;
  MakeMixedTree(tree);
  FolderErrors errors;
  // "Font.ttf" and "font.ttf" are equal in natural order; their bytes decide.
  EXPECT_EQ(Expand({tree.root()}, false, &errors),
            Under(tree, {"A1.woff2", "b2.ttf", "b10.TTF", "c.Otf", "d.TTC", "e.WoFf", "Font.ttf",
                         "font.ttf", "linked.ttf"}));
  EXPECT_TRUE(errors.empty());
}

TEST(FontInputs, RecursiveWalkTakesFilesFirstThenSubfoldersDepthFirst) {
  ScratchTree tree;
  MakeMixedTree(tree);
  FolderErrors errors;
  EXPECT_EQ(Expand({tree.root() + "/"}, true, &errors),
            Under(tree, {"A1.woff2", "b2.ttf", "b10.TTF", "c.Otf", "d.TTC", "e.WoFf", "Font.ttf",
                         "font.ttf", "linked.ttf", "folder.ttf/inner.woff", "sub2/y.otf",
                         "sub2/deeper/z.ttc", "sub10/x.ttf"}));
  EXPECT_TRUE(errors.empty());
}

TEST(FontInputs, OperandsKeepTheirOrderAndNamedFilesStayWhateverTheyAre) {
  ScratchTree tree;
  for (const char* folder : {"one", "two"}) tree.Folder(folder);
  for (const char* file : {"one/a.ttf", "two/b.otf", "notes.txt", "two/c.txt"}) tree.File(file);
  tree.Link("one", "link-to-one");
  FolderErrors errors;
  const Paths operands = Under(tree, {"notes.txt", "two", "missing.ttf", "link-to-one", "two/c.txt"});
  EXPECT_EQ(Expand(operands, false, &errors),
            Under(tree, {"notes.txt", "two/b.otf", "missing.ttf", "link-to-one/a.ttf", "two/c.txt"}));
  EXPECT_TRUE(errors.empty());
  // An empty folder adds nothing.
  tree.Folder("empty");
  EXPECT_TRUE(Expand({tree.Path("empty")}, true, &errors).empty());
}

TEST(FontInputs, LinksToFoldersAreNotFollowedSoLoopsEnd) {
  ScratchTree tree;
  for (const char* folder : {"a", "b"}) tree.Folder(folder);
  for (const char* file : {"g.ttf", "a/f.ttf", "b/h.ttf"}) tree.File(file);
  tree.Link("..", "a/up");
  tree.Link(".", "a/self");
  tree.Link(tree.root(), "a/absolute.ttf");  // a link to a folder, named like a font
  tree.Link("../b", "a/sibling");
  FolderErrors errors;
  EXPECT_EQ(Expand({tree.root()}, true, &errors), Under(tree, {"g.ttf", "a/f.ttf", "b/h.ttf"}));
  EXPECT_TRUE(errors.empty());
  // Named on the command line, a link to a folder is followed once.
  EXPECT_EQ(Expand({tree.Path("a/up")}, true, &errors),
            Under(tree, {"a/up/g.ttf", "a/up/a/f.ttf", "a/up/b/h.ttf"}));
}

// Runs the walk as the user nobody in a child process, since root may list
// any folder; gives the files and errors it reports.
Paths ExpandAsNobody(const Paths& operands, FolderErrors* errors) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    FILE* out = fdopen(pipeFds[1], "w");
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    FolderErrors childErrors;
    for (const std::string& path : Expand(operands, true, &childErrors)) std::fprintf(out, "F%s\n", path.c_str());
    for (const auto& error : childErrors) std::fprintf(out, "E%s\n%s\n", error.first.c_str(), error.second.c_str());
    std::fclose(out);
    _exit(0);
  }
  close(pipeFds[1]);
  FILE* in = fdopen(pipeFds[0], "r");
  Paths files;
  char line[8192];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    std::string text(line);
    text.pop_back();
    if (text[0] == 'F') files.push_back(text.substr(1));
    if (text[0] == 'E' && std::fgets(line, sizeof line, in) != nullptr) {
      std::string reason(line);
      reason.pop_back();
      errors->emplace_back(text.substr(1), reason);
    }
  }
  std::fclose(in);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  return files;
}

TEST(FontInputs, UnreadableFolderIsReportedAndTheWalkGoesOn) {
  ScratchTree tree;
  for (const char* folder : {"a", "locked", "z", "locked-too"}) tree.Folder(folder);
  for (const char* file : {"a/1.ttf", "locked/2.ttf", "z/3.ttf", "top.ttf", "locked-too/4.ttf"}) tree.File(file);
  ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0), 0);
  ASSERT_EQ(chmod(tree.Path("locked-too").c_str(), 0), 0);
  const Paths operands = {tree.root(), tree.Path("locked-too"), tree.Path("z")};
  FolderErrors errors;
  const Paths files = geteuid() == 0 ? ExpandAsNobody(operands, &errors) : Expand(operands, true, &errors);
  chmod(tree.Path("locked").c_str(), 0755);
  chmod(tree.Path("locked-too").c_str(), 0755);

  EXPECT_EQ(files, Under(tree, {"top.ttf", "a/1.ttf", "z/3.ttf", "z/3.ttf"}));
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].first, tree.Path("locked"));
  EXPECT_EQ(errors[1].first, tree.Path("locked-too"));
  EXPECT_EQ(errors[2].first, tree.Path("locked-too"));
  for (const auto& error : errors) EXPECT_NE(error.second.find("Permission denied"), std::string::npos) << error.second;
}

}  // namespace
