#include "cli/scheduler.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "coverage/presence/stop_token.h"

namespace glyphcensus {

namespace {

std::atomic<bool> stopRequested{false};
// Handed to every measurement; set with stopRequested.
StopToken measuringStop;

// One input file on its way through the workers.
struct FileSlot {
  std::string path;
  size_t inputIndex = 0;     // its position among the inputs
  bool loaded = false;       // LoadFontFile has finished
  LoadedFile file;
  size_t nextFace = 0;       // the next entry of file.faces to hand out
  size_t facesDone = 0;
  std::vector<CommandFace> results;
  bool done = false;         // results are complete
};

struct Schedule {
  const std::vector<std::string>& paths;
  const MeasureRequest& request;
  size_t window;             // files measured ahead of the first not yet handed on
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::unique_ptr<FileSlot>> slots;
  size_t nextFile = 0;       // the next file to load
  size_t handedOn = 0;       // files whose results went to the sink
};

// Shares each result of a face listed again, then frees the image.
void FinishFile(FileSlot* slot) {
  CompleteCommandFaces(slot->file, slot->inputIndex, &slot->results);
  ReleaseImage(&slot->file);
  slot->done = true;
}

// A face handed out to this worker: measured outside the lock.
void MeasureFace(Schedule* schedule, FileSlot* slot, size_t k, std::unique_lock<std::mutex>* lock) {
  const bool ownResult = slot->file.sameAs[k] == k;
  if (ownResult) {
    lock->unlock();
    CommandFace result =
        MeasureLoadedFace(slot->file, slot->file.faces[k], slot->inputIndex, schedule->request);
    lock->lock();
    slot->results[k] = std::move(result);
  }
  if (++slot->facesDone == slot->file.faces.size()) {
    FinishFile(slot);
    schedule->changed.notify_all();
  }
}

void LoadFile(Schedule* schedule, size_t index, std::unique_lock<std::mutex>* lock) {
  FileSlot* slot = schedule->slots[index].get();
  lock->unlock();
  LoadFontFile(slot->path, schedule->request, &slot->file);
  lock->lock();
  slot->loaded = true;
  slot->results.resize(slot->file.faces.size());
  if (slot->file.faces.empty()) {
    slot->results.push_back(CommandFace{slot->file.file, slot->inputIndex, PendingMap{}, MapNote{}});
    slot->done = true;
  }
  schedule->changed.notify_all();
}

// Takes the next face of a loaded file, or else loads the next file, until
// nothing is left to take.
void Work(Schedule* schedule) {
  std::unique_lock<std::mutex> lock(schedule->mutex);
  for (;;) {
    if (stopRequested.load()) return;
    bool took = false;
    for (size_t f = schedule->handedOn; f < schedule->nextFile && !took; ++f) {
      FileSlot* slot = schedule->slots[f].get();
      if (slot != nullptr && slot->loaded && slot->nextFace < slot->file.faces.size()) {
        MeasureFace(schedule, slot, slot->nextFace++, &lock);
        took = true;
      }
    }
    if (took) continue;
    if (schedule->nextFile == schedule->paths.size()) return;
    if (schedule->nextFile < schedule->handedOn + schedule->window) {
      const size_t index = schedule->nextFile++;
      schedule->slots[index] = std::make_unique<FileSlot>();
      schedule->slots[index]->path = schedule->paths[index];
      schedule->slots[index]->inputIndex = index;
      LoadFile(schedule, index, &lock);
      continue;
    }
    // A stop comes from a signal handler, which cannot notify: look again soon.
    schedule->changed.wait_for(lock, std::chrono::milliseconds(50));
  }
}

// Hands on the results of each file as soon as it and all before it are done.
bool HandOnInOrder(Schedule* schedule, const ResultSink& results, const ProgressSink& progress) {
  std::unique_lock<std::mutex> lock(schedule->mutex);
  while (schedule->handedOn < schedule->paths.size()) {
    std::unique_ptr<FileSlot>& slot = schedule->slots[schedule->handedOn];
    if (stopRequested.load()) return false;
    if (slot == nullptr || !slot->done) {
      // A stop comes from a signal handler, which cannot notify: look again soon.
      schedule->changed.wait_for(lock, std::chrono::milliseconds(50));
      continue;
    }
    std::unique_ptr<FileSlot> finished = std::move(slot);
    ++schedule->handedOn;
    schedule->changed.notify_all();  // the window moved on
    lock.unlock();
    for (const CommandFace& result : finished->results) {
      if (stopRequested.load()) return false;
      results(result);
    }
    const size_t done = schedule->handedOn;
    progress(done, schedule->paths.size(),
             done < schedule->paths.size() ? schedule->paths[done] : std::string());
    lock.lock();
  }
  return !stopRequested.load();
}

}  // namespace

bool MeasureFilesInOrder(const std::vector<std::string>& paths, const MeasureRequest& request,
                         unsigned jobs, const ResultSink& results, const ProgressSink& progress) {
  jobs = std::max(jobs, 1u);
  // One file: the other threads would have nothing to do, so they help judge
  // the glyphs of its face, when it has only one.
  MeasureRequest stoppable = request;
  stoppable.font.stop = &measuringStop;
  if (paths.size() == 1) stoppable.font.faceThreads = jobs;
  Schedule schedule{paths, stoppable, 4 * size_t{jobs}};
  schedule.slots.resize(paths.size());
  if (!paths.empty()) progress(0, paths.size(), paths[0]);
  // The workers hold back the signals the command handles, so that these
  // reach the calling thread, whose wait for a pipe's reader they then end.
  sigset_t handled;
  sigset_t before;
  sigemptyset(&handled);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&handled, signal);
  pthread_sigmask(SIG_BLOCK, &handled, &before);
  std::vector<std::thread> workers;
  for (unsigned k = 0; k < jobs; ++k) workers.emplace_back(Work, &schedule);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  const bool complete = HandOnInOrder(&schedule, results, progress);
  for (std::thread& worker : workers) worker.join();
  return complete && !stopRequested.load();
}

void StopMeasuring() {
  // The flag first: a result measured after the measurements' token is set is
  // never handed on.
  stopRequested.store(true);
  RequestStop(&measuringStop);
}

}  // namespace glyphcensus
