#pragma once
// Where glyphcensus writes coverage maps, and how. A map whose place is a
// regular file, or nothing yet, goes to a temporary file beside its place and
// is renamed into place only once the face's record has been written and
// flushed, so that a run cut short or a failed write never leaves a half or
// wrong map, and never removes the map that was there. A map whose place is a
// named pipe, a character device or one of the process's descriptors
// (/dev/stdout, /dev/fd/N as `>(...)` gives) is written into it, as tee would,
// at the same moment. Any other place is refused.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "coverage/results/face_result.h"
#include "coverage/output/machine_formats.h"

namespace glyphcensus {

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

// How a map reaches its place.
enum class MapPlaceKind {
  kReplace,    // a regular file or nothing yet: a temporary file renamed over it
  kWriteInto,  // a named pipe, a character device, a descriptor: written into
  kRefused,    // a folder, a socket, a block device: never written
};

// What is at `mapPath` now, links followed; for kRefused, `refusal` says why.
// A place that cannot be looked at (a folder missing on the way) is kReplace:
// writing it then says what is wrong.
MapPlaceKind MapPlaceKindOf(const std::string& mapPath, std::string* refusal);

// Writes `content` to a new temporary file in the folder of `mapPath` (making
// that folder first when `makeFolders`: the mirrored folders of --map-dir).
// False with `error` when it cannot; a temporary file is then not left.
bool WriteMapBeside(const std::string& mapPath, bool makeFolders, const std::string& content,
                    std::string* temporaryPath, std::string* error);

// A face's map drawn and not yet in place: in a temporary file beside its
// place, or in memory when it is to be written into a pipe or device.
struct PendingMap {
  std::string temporaryPath;
  std::string content;
};

inline bool Drawn(const PendingMap& map) {
  return !map.temporaryPath.empty() || !map.content.empty();
}

// Keeps the face's drawn map until it is handed on; `mapError` when it cannot.
void KeepDrawnMap(const std::string& mapPath, bool makeFolders, std::string svg,
                  PendingMap* map, std::string* mapError);

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

// Before the record of `face` (of input `input`) is written: sets
// note->path to the place its map goes, or note->error when it may not go
// there (an input file, a map this run has written already of another input,
// a refused kind of place). Nothing when the map was not drawn.
void ChooseMapPlace(MapCommits* commits, size_t input, const PendingMap& map,
                    const FaceResult& face, MapNote* note);

// After the face's record has been written and flushed: puts the map at
// `mapPath` (renamed, or written into a pipe or device; nothing when empty).
// False with `error` when that fails. A face that shares another's map (same
// table directory) gets a copy of it.
bool PlaceMap(MapCommits* commits, const PendingMap& map, const std::string& mapPath,
              std::string* error);

// Removes the temporary maps no face was handed on with (after a stop, or a
// record that could not be written).
void DiscardPendingMaps();

// Removes every temporary map at once, from a signal handler that then ends
// the process: async-signal-safe, and no temporary map is made after it.
void RemovePendingMapsOnSignal();

}  // namespace glyphcensus
