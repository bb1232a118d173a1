#pragma once
// The files a glyphcensus command line names: each operand that is a folder is
// replaced by the font files in it, in natural file-name order.
#include <functional>
#include <string>
#include <vector>

namespace glyphcensus {

// Called for a folder that cannot be listed: its path and the reason (the
// system's error text). The walk goes on with the next folder.
using FolderErrorHandler =
    std::function<void(const std::string& folder, const std::string& reason)>;

struct FontInputOptions {
  // Also descend into the subfolders of a folder.
  bool recursive = false;
};

// Expands the operands, in their order, into the files to measure:
// - An operand that is not a folder (a file, a missing path, anything else)
//   stays as it is, font or not, so that measuring it reports its fault.
// - A folder (also through a symbolic link named as the operand) gives its
//   font files: regular files, or symbolic links to regular files, whose name
//   ends in .ttc .ttf .otf .woff or .woff2 in any letter case, sorted in
//   natural order (NaturalFileNameLess). Other entries are passed over.
// - Recursively, a folder's own files come first, then each subfolder in
//   natural order, depth first. Symbolic links to folders met inside a folder
//   are not followed, and a folder reached twice (by a bind mount, say) is
//   walked once, so no loop is possible. The walk keeps a list of pending
//   folders instead of recursing, so depth costs no stack.
// A path is the operand joined with the names below it by "/".
std::vector<std::string> ExpandFontInputs(const std::vector<std::string>& operands,
                                          const FontInputOptions& options,
                                          const FolderErrorHandler& onFolderError);

}  // namespace glyphcensus
