#pragma once

#include <atomic>
#include <thread>

#include <signal.h>

// Turns Ctrl-C (SIGINT) and SIGTERM into a flag that the verification polls, so
// a run stops cleanly: the SFV in progress ends "Aborted" and the summary is still
// printed. The signals are taken by a thread of this object with sigwait, so no
// handler has to touch shared state. A second signal ends the program at once.
// Create it before any other thread, which then inherit the blocked signals.
class TInterruptWatcher {
 public:
  TInterruptWatcher();
  ~TInterruptWatcher();
  TInterruptWatcher(const TInterruptWatcher&) = delete;
  TInterruptWatcher& operator=(const TInterruptWatcher&) = delete;

  bool Interrupted() const { return signal_.load() != 0; }
  // The signal that arrived (0 for none), for the exit status 128 + signal.
  int Signal() const { return signal_.load(); }

 private:
  void Run();

  sigset_t signals_;
  sigset_t previousMask_;
  std::atomic<int> signal_{0};
  std::thread thread_;  // last: starts once the rest exists
};
