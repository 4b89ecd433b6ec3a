#include "cli/interruptwatcher.h"

#include <pthread.h>
#include <unistd.h>

namespace {
// Wakes the watching thread when the watcher goes away; never sent from outside.
constexpr int kStopSignal = SIGUSR2;
}  // namespace

TInterruptWatcher::TInterruptWatcher() {
  sigemptyset(&signals_);
  sigaddset(&signals_, SIGINT);
  sigaddset(&signals_, SIGTERM);
  sigaddset(&signals_, kStopSignal);
  pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_);
  thread_ = std::thread([this] { Run(); });
}

TInterruptWatcher::~TInterruptWatcher() {
  pthread_kill(thread_.native_handle(), kStopSignal);
  thread_.join();
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void TInterruptWatcher::Run() {
  for (;;) {
    int signal = 0;
    if (sigwait(&signals_, &signal) != 0 || signal == kStopSignal) return;
    int expected = 0;
    if (!signal_.compare_exchange_strong(expected, signal)) {
      // Asked twice: the user does not want to wait for a clean stop.
      _exit(128 + signal);
    }
  }
}
