#include "cli/map_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

namespace {

std::mutex pendingMutex;
std::set<std::string> pendingMaps;  // temporary files written, not yet in place
std::atomic<unsigned> temporaryCount{0};

std::string SystemError(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path) {
  return path.substr(path.find_last_of('/') + 1);
}

// Makes the folders of `path` that are missing.
bool MakeFoldersOf(const std::string& path, std::string* error) {
  const std::string folder = FolderOf(path);
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    struct stat info;
    if (stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = "cannot make the folder " + part + ": " + SystemError(errno);
      return false;
    }
  }
  return true;
}

bool WriteAll(int fd, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t wrote = write(fd, content.data() + done, content.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

void Forget(const std::string& temporaryPath) {
  std::lock_guard<std::mutex> lock(pendingMutex);
  pendingMaps.erase(temporaryPath);
}

bool ReadWhole(const std::string& path, std::string* content) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char block[65536];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) content->append(block, got);
  const bool read = std::ferror(file) == 0;
  std::fclose(file);
  return read;
}

// The input a map path would replace, or null.
const std::string* InputAt(const MapCommits& commits, const std::string& mapPath) {
  FileIdentity identity;
  if (!IdentityOf(mapPath, &identity)) return nullptr;
  const auto input = commits.inputs.find(identity);
  return input == commits.inputs.end() ? nullptr : &input->second;
}

bool Place(const std::string& temporaryPath, const std::string& mapPath, std::string* error) {
  if (std::rename(temporaryPath.c_str(), mapPath.c_str()) != 0) {
    *error = "cannot write the coverage map " + mapPath + ": " + SystemError(errno);
    return false;
  }
  Forget(temporaryPath);
  return true;
}

}  // namespace

std::string PathBelowOperand(const std::string& operand, const std::string& file) {
  if (file.size() > operand.size() && file.compare(0, operand.size(), operand) == 0) {
    const size_t start = operand.size() + (operand.back() == '/' ? 0 : 1);
    if (operand.back() == '/' || file[operand.size()] == '/') return file.substr(start);
  }
  return FileNameOf(file);
}

std::string MapPathOf(const MapTarget& target, size_t input, uint32_t faceIndex,
                      uint32_t faceCount) {
  if (!target.file.empty()) return target.file;
  std::string name = input < target.names.size() ? target.names[input] : std::string();
  if (faceCount > 1) name += "." + std::to_string(faceIndex);
  return target.folder + (target.folder.back() == '/' ? "" : "/") + name + ".svg";
}

bool WriteMapBeside(const std::string& mapPath, bool makeFolders, const std::string& content,
                    std::string* temporaryPath, std::string* error) {
  if (makeFolders && !MakeFoldersOf(mapPath, error)) return false;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    *temporaryPath = FolderOf(mapPath) + "." + FileNameOf(mapPath) + "." +
                     std::to_string(getpid()) + "-" + std::to_string(temporaryCount++) + ".tmp";
    fd = open(temporaryPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = "cannot write the coverage map " + mapPath + ": " + SystemError(errno);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(pendingMutex);
    pendingMaps.insert(*temporaryPath);
  }
  const bool written = WriteAll(fd, content);
  const int writeError = errno;
  const bool closed = close(fd) == 0;
  if (written && closed) return true;
  *error = "cannot write the coverage map " + mapPath + ": " +
           SystemError(written ? errno : writeError);
  std::remove(temporaryPath->c_str());
  Forget(*temporaryPath);
  return false;
}

bool IdentityOf(const std::string& path, FileIdentity* identity) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  *identity = FileIdentity(info.st_dev, info.st_ino);
  return true;
}

void CommitMap(MapCommits* commits, FaceResult* face) {
  if (face->mapTemp.empty()) return;
  const std::string mapPath =
      MapPathOf(commits->target, face->inputIndex, face->faceIndex, face->faceCount);
  const auto earlier = commits->written.find(mapPath);
  if (earlier != commits->written.end()) {
    face->mapError = "the coverage map " + mapPath + " is already that of " + earlier->second +
                     "; it is not replaced";
    return;
  }
  if (const std::string* input = InputAt(*commits, mapPath)) {
    face->mapError = "the coverage map " + mapPath + " would replace the input " + *input;
    return;
  }
  const auto placed = commits->placed.find(face->mapTemp);
  if (placed == commits->placed.end()) {
    if (!Place(face->mapTemp, mapPath, &face->mapError)) return;
    commits->placed[face->mapTemp] = mapPath;
  } else {
    // A face sharing an earlier face's table directory: a copy of its map.
    std::string content;
    std::string temporaryPath;
    if (!ReadWhole(placed->second, &content)) {
      face->mapError = "cannot read the coverage map " + placed->second;
      return;
    }
    if (!WriteMapBeside(mapPath, false, content, &temporaryPath, &face->mapError) ||
        !Place(temporaryPath, mapPath, &face->mapError)) {
      return;
    }
  }
  commits->written[mapPath] = face->path;
  face->mapPath = mapPath;
}

void DiscardPendingMaps() {
  std::lock_guard<std::mutex> lock(pendingMutex);
  for (const std::string& path : pendingMaps) std::remove(path.c_str());
  pendingMaps.clear();
}
