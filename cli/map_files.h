#pragma once
// Where glyphcensus writes coverage maps, and how: each map goes to a
// temporary file beside its place and is renamed into place only when the
// face's results are handed on, so that a run cut short or a failed write never
// leaves a half or wrong map, and never removes the map that was there.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "coverage/face_result.h"

struct MapTarget {
  std::string file;                // --map: the map of the one face measured
  std::string folder;              // --map-dir: one map per face
  // For --map-dir, per input file (in input order): its path relative to the
  // operand it came from ("a/x.ttf" for fonts/a/x.ttf found in fonts; the file
  // name for a file named as an operand).
  std::vector<std::string> names;
};

inline bool WantsMaps(const MapTarget& target) {
  return !target.file.empty() || !target.folder.empty();
}

// The path operand `operand` gave to `file` relative to the operand: the part
// below the operand for a file found in a folder, else the file name.
std::string PathBelowOperand(const std::string& operand, const std::string& file);

// The map of face `faceIndex` of input `input`: the --map file, or
// "<folder>/<name>.svg", "<folder>/<name>.<face>.svg" for a face of a
// collection, with <name> the input's path below its operand.
std::string MapPathOf(const MapTarget& target, size_t input, uint32_t faceIndex,
                      uint32_t faceCount);

// Writes `content` to a new temporary file in the folder of `mapPath` (making
// that folder first when `makeFolders`: the mirrored folders of --map-dir).
// False with `error` when it cannot; a temporary file is then not left.
bool WriteMapBeside(const std::string& mapPath, bool makeFolders, const std::string& content,
                    std::string* temporaryPath, std::string* error);

// A file's identity (device and inode, links followed).
using FileIdentity = std::pair<dev_t, ino_t>;
bool IdentityOf(const std::string& path, FileIdentity* identity);

// Puts the maps of handed-on faces into place, on the thread handing them on.
struct MapCommits {
  MapTarget target;
  // The inputs' identities, and their paths: no map replaces an input.
  std::map<FileIdentity, std::string> inputs;
  std::map<std::string, std::string> written;  // map path -> the input it maps
  std::map<std::string, std::string> placed;   // temporary file -> map path it became
};

// Renames the face's map (face->mapTemp) into place and sets face->mapPath, or
// sets face->mapError: when the place is an input file, or a map this run has
// written already (of another input), or the rename fails. A face that shares
// another's map (same table directory) gets a copy of it.
void CommitMap(MapCommits* commits, FaceResult* face);

// Removes the temporary maps no face was handed on with (after a stop).
void DiscardPendingMaps();
