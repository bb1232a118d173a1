#include "cli/map_files.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace glyphcensus {

namespace {

// The temporary maps written and not yet in place, in a list a signal handler
// may read: a slot is only ever added at the head, never freed, and reused
// once its file is gone. The handler unlinks the files of the live slots.
struct PendingSlot {
  enum State { kFree, kClaimed, kLive };
  std::atomic<int> state{kClaimed};
  char path[PATH_MAX];
  PendingSlot* next = nullptr;
};

std::atomic<PendingSlot*> pendingHead{nullptr};
std::mutex slotsMutex;  // between threads; the handler only reads
std::atomic<unsigned> temporaryCount{0};
// Set by the signal handler; a temporary file is made only while `creating`
// counts it, and the handler waits for that count to drop to nothing, so no
// temporary file is made after the handler has unlinked them all.
std::atomic<bool> removingOnSignal{false};
std::atomic<int> creating{0};

std::string SystemError(int error) { return std::strerror(error); }

PendingSlot* ClaimSlot() {
  for (PendingSlot* slot = pendingHead.load(); slot != nullptr; slot = slot->next) {
    int free = PendingSlot::kFree;
    if (slot->state.compare_exchange_strong(free, PendingSlot::kClaimed)) return slot;
  }
  PendingSlot* slot = new PendingSlot;  // never freed: the handler may be reading it
  slot->next = pendingHead.load();
  while (!pendingHead.compare_exchange_weak(slot->next, slot)) {
  }
  return slot;
}

void Forget(const std::string& temporaryPath) {
  std::lock_guard<std::mutex> lock(slotsMutex);
  for (PendingSlot* slot = pendingHead.load(); slot != nullptr; slot = slot->next) {
    if (slot->state.load() == PendingSlot::kLive && temporaryPath == slot->path) {
      slot->state.store(PendingSlot::kFree);
    }
  }
}

// Makes the file `path` (O_EXCL) and notes it as pending, with the signals
// that remove pending files held back on this thread meanwhile (the handler
// then runs on another thread, or here once the file is noted). -1 with errno
// when it cannot.
int CreatePending(const std::string& path) {
  if (path.size() >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  sigset_t held;
  sigset_t before;
  sigemptyset(&held);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &before);
  ++creating;
  int fd = -1;
  if (removingOnSignal.load()) {
    errno = EINTR;
  } else {
    std::lock_guard<std::mutex> lock(slotsMutex);
    PendingSlot* slot = ClaimSlot();
    std::memcpy(slot->path, path.c_str(), path.size() + 1);
    slot->state.store(PendingSlot::kLive);  // before the file exists: never one unnoted
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) slot->state.store(PendingSlot::kFree);
  }
  const int openError = errno;
  --creating;
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  errno = openError;
  return fd;
}

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

// Whether `path`, or a link on its way, lies in /proc: /dev/stdout, /dev/fd/N
// and /proc/self/fd/N name the process's own descriptors. Renaming over such a
// path would replace the link itself (run as root, /dev/stdout of the system).
bool LeadsIntoProc(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {  // the kernel's own limit on links followed
    const std::string folder = FolderOf(current).empty() ? "." : FolderOf(current);
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) == nullptr) return false;
    const std::string real = resolved;
    if (real == "/proc" || real.compare(0, 6, "/proc/") == 0) return true;
    const std::string full = (real == "/" ? "" : real) + "/" + FileNameOf(current);
    char target[PATH_MAX];
    const ssize_t length = readlink(full.c_str(), target, sizeof target - 1);
    if (length <= 0) return false;
    target[length] = '\0';
    current = target[0] == '/' ? std::string(target) : real + "/" + target;
  }
  return false;
}

// Writes the whole map into `fd` and closes it; false with `error` when
// either fails (the write's error first).
bool WriteAndClose(int fd, const std::string& content, const std::string& mapPath,
                   std::string* error) {
  const bool written = WriteAll(fd, content);
  const int writeError = errno;
  const bool closed = close(fd) == 0;
  if (written && closed) return true;
  *error = "cannot write the coverage map " + mapPath + ": " +
           SystemError(written ? errno : writeError);
  return false;
}

// Opens a pipe, device or descriptor to write the map into. A named pipe
// without a reader waits for one here, as tee does; O_APPEND keeps what a
// descriptor's file holds (the report, for /dev/stdout on a file).
bool WriteInto(const std::string& mapPath, const std::string& content, std::string* error) {
  const int fd = open(mapPath.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot write the coverage map " + mapPath + ": " + SystemError(errno);
    return false;
  }
  return WriteAndClose(fd, content, mapPath, error);
}

bool Rename(const std::string& temporaryPath, const std::string& mapPath, std::string* error) {
  if (std::rename(temporaryPath.c_str(), mapPath.c_str()) != 0) {
    *error = "cannot write the coverage map " + mapPath + ": " + SystemError(errno);
    return false;
  }
  Forget(temporaryPath);
  return true;
}

// The input a map path would replace, or null.
const std::string* InputAt(const MapCommits& commits, const std::string& mapPath) {
  FileIdentity identity;
  if (!IdentityOf(mapPath, &identity)) return nullptr;
  const auto input = commits.inputs.find(identity);
  return input == commits.inputs.end() ? nullptr : &input->second;
}

// The map's text, where it is not in a temporary file of its own to rename:
// the face's, that of its temporary file, or that of the map it shares.
bool MapContentOf(const MapCommits& commits, const PendingMap& map, std::string* content,
                  std::string* error) {
  if (map.temporaryPath.empty()) {
    *content = map.content;
    return true;
  }
  const auto placed = commits.placed.find(map.temporaryPath);
  const std::string& source =
      placed == commits.placed.end() ? map.temporaryPath : placed->second;
  if (ReadWhole(source, content)) return true;
  *error = "cannot read the coverage map " + source;
  return false;
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

MapPlaceKind MapPlaceKindOf(const std::string& mapPath, std::string* refusal) {
  struct stat info;
  if (stat(mapPath.c_str(), &info) != 0) {
    if (!LeadsIntoProc(mapPath)) return MapPlaceKind::kReplace;
    *refusal = "the coverage map " + mapPath + ": " + SystemError(errno);
    return MapPlaceKind::kRefused;
  }
  if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) return MapPlaceKind::kWriteInto;
  if (S_ISREG(info.st_mode)) {
    return LeadsIntoProc(mapPath) ? MapPlaceKind::kWriteInto : MapPlaceKind::kReplace;
  }
  const char* what = S_ISDIR(info.st_mode)    ? "a folder"
                     : S_ISSOCK(info.st_mode) ? "a socket"
                     : S_ISBLK(info.st_mode)  ? "a block device"
                                              : "not a file";
  *refusal = "the coverage map " + mapPath + " is " + std::string(what) +
             " (a map goes to a file, a named pipe or a character device)";
  return MapPlaceKind::kRefused;
}

bool WriteMapBeside(const std::string& mapPath, bool makeFolders, const std::string& content,
                    std::string* temporaryPath, std::string* error) {
  if (makeFolders && !MakeFoldersOf(mapPath, error)) return false;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    // Short and of fixed length (at most 26 bytes), so that it fits in the
    // folder whenever the map's own name does (NAME_MAX).
    *temporaryPath = FolderOf(mapPath) + ".gc" + std::to_string(getpid()) + "-" +
                     std::to_string(temporaryCount++) + ".tmp";
    fd = CreatePending(*temporaryPath);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = "cannot write the coverage map " + mapPath + ": " + SystemError(errno);
    temporaryPath->clear();
    return false;
  }
  if (WriteAndClose(fd, content, mapPath, error)) return true;
  std::remove(temporaryPath->c_str());
  Forget(*temporaryPath);
  temporaryPath->clear();
  return false;
}

void KeepDrawnMap(const std::string& mapPath, bool makeFolders, std::string svg,
                  PendingMap* map, std::string* mapError) {
  std::string refusal;
  switch (MapPlaceKindOf(mapPath, &refusal)) {
    case MapPlaceKind::kReplace:
      WriteMapBeside(mapPath, makeFolders, svg, &map->temporaryPath, mapError);
      return;
    case MapPlaceKind::kWriteInto:
      map->content = std::move(svg);
      return;
    case MapPlaceKind::kRefused:
      *mapError = refusal;
      return;
  }
}

bool IdentityOf(const std::string& path, FileIdentity* identity) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  *identity = FileIdentity(info.st_dev, info.st_ino);
  return true;
}

void ChooseMapPlace(MapCommits* commits, size_t input, const PendingMap& map,
                    const FaceResult& face, MapNote* note) {
  if (!note->error.empty() || !Drawn(map)) return;
  const std::string mapPath = MapPathOf(commits->target, input, face.faceIndex, face.faceCount);
  const auto earlier = commits->written.find(mapPath);
  std::string refusal;
  if (earlier != commits->written.end()) {
    note->error = "the coverage map " + mapPath + " is already that of " + earlier->second +
                     "; it is not replaced";
  } else if (const std::string* input = InputAt(*commits, mapPath)) {
    note->error = "the coverage map " + mapPath + " would replace the input " + *input;
  } else if (MapPlaceKindOf(mapPath, &refusal) == MapPlaceKind::kRefused) {
    note->error = refusal;
  } else {
    commits->written[mapPath] = face.path;
    note->path = mapPath;
  }
}

bool PlaceMap(MapCommits* commits, const PendingMap& map, const std::string& mapPath,
              std::string* error) {
  if (mapPath.empty()) return true;
  std::string refusal;
  const MapPlaceKind kind = MapPlaceKindOf(mapPath, &refusal);
  const std::string& temporaryPath = map.temporaryPath;
  const bool ownTemporary = !temporaryPath.empty() && commits->placed.count(temporaryPath) == 0;
  if (kind == MapPlaceKind::kReplace && ownTemporary) {
    if (!Rename(temporaryPath, mapPath, error)) return false;
    commits->placed[temporaryPath] = mapPath;
    return true;
  }
  std::string content;
  if (!MapContentOf(*commits, map, &content, error)) return false;
  if (ownTemporary) {  // the place became a pipe or device since the map was drawn
    std::remove(temporaryPath.c_str());
    Forget(temporaryPath);
  }
  if (kind == MapPlaceKind::kWriteInto) return WriteInto(mapPath, content, error);
  if (kind == MapPlaceKind::kRefused) {
    *error = refusal;
    return false;
  }
  std::string copyPath;
  return WriteMapBeside(mapPath, false, content, &copyPath, error) &&
         Rename(copyPath, mapPath, error);
}

void DiscardPendingMaps() {
  std::lock_guard<std::mutex> lock(slotsMutex);
  for (PendingSlot* slot = pendingHead.load(); slot != nullptr; slot = slot->next) {
    if (slot->state.load() != PendingSlot::kLive) continue;
    std::remove(slot->path);
    slot->state.store(PendingSlot::kFree);
  }
}

void RemovePendingMapsOnSignal() {
  removingOnSignal.store(true);
  // A thread making a temporary file holds these signals back, so it is not
  // this one: it is done in a moment.
  while (creating.load() != 0) {
  }
  for (PendingSlot* slot = pendingHead.load(); slot != nullptr; slot = slot->next) {
    if (slot->state.load() == PendingSlot::kLive) unlink(slot->path);
  }
}

}  // namespace glyphcensus
