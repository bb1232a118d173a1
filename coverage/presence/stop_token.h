#pragma once
// Cancellation passed in as a value. The caller (the dialog, the command's
// scheduler, the browser page) owns a StopToken and hands its address to the
// measurement; the measurement only reads it, before every character tested,
// and ends early once a stop is requested. Safe to set from another thread or
// a signal handler (a lock-free atomic); needs no threads.
#include <atomic>

namespace glyphcensus {

struct StopToken {
  std::atomic<bool> stopRequested{false};
};

// Asks every measurement given `token` to end. Safe in a signal handler.
inline void RequestStop(StopToken* token) { token->stopRequested.store(true); }

// Lets measurements given `token` run again (the dialog, before a new file).
inline void ClearStop(StopToken* token) { token->stopRequested.store(false); }

// Whether a stop was requested; never for a null token.
inline bool StopRequested(const StopToken* token) {
  return token != nullptr && token->stopRequested.load();
}

}  // namespace glyphcensus
