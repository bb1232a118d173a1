#include "cli/font_inputs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "fontio/font_file_names.h"

namespace glyphcensus {

namespace {

// A folder's identity, whatever path reached it.
using FolderId = std::pair<dev_t, ino_t>;

// The names of one folder's entries that the walk uses, each sorted.
struct FolderListing {
  std::vector<std::string> fontFiles;
  std::vector<std::string> subfolders;
};

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string SystemReason(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

// The entry's type; the directory entry tells on most file systems, lstat on
// the others.
unsigned char EntryType(int folderFd, const dirent& entry) {
  if (entry.d_type != DT_UNKNOWN) return entry.d_type;
  struct stat info;
  if (fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
  if (S_ISDIR(info.st_mode)) return DT_DIR;
  if (S_ISREG(info.st_mode)) return DT_REG;
  if (S_ISLNK(info.st_mode)) return DT_LNK;
  return DT_UNKNOWN;
}

// Sorts one entry into the listing. A symbolic link counts as a font file when
// it leads to a regular file; it never counts as a subfolder.
void AddEntry(int folderFd, const dirent& entry, bool wantSubfolders, FolderListing* listing) {
  const std::string name = entry.d_name;
  if (name == "." || name == "..") return;
  const unsigned char type = EntryType(folderFd, entry);
  if (type == DT_DIR) {
    if (wantSubfolders) listing->subfolders.push_back(name);
    return;
  }
  if (!HasFontFileExtension(name)) return;
  if (type == DT_LNK) {
    struct stat target;
    if (fstatat(folderFd, entry.d_name, &target, 0) != 0 || !S_ISREG(target.st_mode)) return;
  } else if (type != DT_REG) {
    return;  // a FIFO, device or socket, even with a font's name
  }
  listing->fontFiles.push_back(name);
}

// Reads the entries of an open folder (and closes it). False, with the reason,
// when reading stopped early; the entries read so far are kept.
bool ReadFolder(int folderFd, bool wantSubfolders, FolderListing* listing, std::string* reason) {
  DIR* folder = fdopendir(folderFd);
  if (folder == nullptr) {
    *reason = SystemReason("cannot list the folder", errno);
    close(folderFd);
    return false;
  }
  bool complete = true;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(folder);
    if (entry == nullptr) {
      if (errno != 0) {
        *reason = SystemReason("cannot list the whole folder", errno);
        complete = false;
      }
      break;
    }
    AddEntry(dirfd(folder), *entry, wantSubfolders, listing);
  }
  closedir(folder);
  auto less = [](const std::string& a, const std::string& b) { return NaturalFileNameLess(a, b); };
  std::sort(listing->fontFiles.begin(), listing->fontFiles.end(), less);
  std::sort(listing->subfolders.begin(), listing->subfolders.end(), less);
  return complete;
}

// Appends the font files of the folder `root` (and, recursively, of its
// subfolders) to `files`.
void WalkFolder(const std::string& root, const FontInputOptions& options,
                const FolderErrorHandler& onFolderError, std::vector<std::string>* files) {
  std::set<FolderId> visited;
  // Folders still to walk; the next one is at the back.
  std::vector<std::string> pending{root};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    // The named folder may be reached through a link; those found inside a
    // folder may not (a subfolder replaced by a link meanwhile is refused here).
    const int noFollow = folder == root ? 0 : O_NOFOLLOW;
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow);
    struct stat info;
    if (folderFd < 0 || fstat(folderFd, &info) != 0) {
      onFolderError(folder, SystemReason("cannot open the folder", errno));
      if (folderFd >= 0) close(folderFd);
      continue;
    }
    if (!visited.insert(FolderId(info.st_dev, info.st_ino)).second) {
      close(folderFd);
      continue;
    }
    FolderListing listing;
    std::string reason;
    if (!ReadFolder(folderFd, options.recursive, &listing, &reason)) onFolderError(folder, reason);
    for (const std::string& name : listing.fontFiles) files->push_back(JoinPath(folder, name));
    for (auto name = listing.subfolders.rbegin(); name != listing.subfolders.rend(); ++name) {
      pending.push_back(JoinPath(folder, *name));
    }
  }
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::vector<std::string> ExpandFontInputs(const std::vector<std::string>& operands,
                                          const FontInputOptions& options,
                                          const FolderErrorHandler& onFolderError) {
  std::vector<std::string> files;
  for (const std::string& operand : operands) {
    if (IsFolder(operand)) {
      WalkFolder(operand, options, onFolderError, &files);
    } else {
      files.push_back(operand);
    }
  }
  return files;
}

}  // namespace glyphcensus
