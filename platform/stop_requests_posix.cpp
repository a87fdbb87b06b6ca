// Stop requests over POSIX signals. The handler only notes the signal in a lock-free atomic,
// safe to write from a signal handler on whichever thread it runs, and its first call removes
// it (SA_RESETHAND), so that a second signal of that kind takes its default action.
#include <signal.h>

#include <atomic>
#include <cstddef>

#include "platform/stop_requests.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The first signal that came, or 0.
std::atomic<int> s_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction s_previous[sizeof kSignals / sizeof kSignals[0]];

void NoteSignal(int signal) {
  int none = 0;
  s_signal.compare_exchange_strong(none, signal);
}

}  // namespace

ScopedStopRequests::ScopedStopRequests() {
  s_signal = 0;
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  // Calls under way go on: a copy or a flush cut short would fail, not stop cleanly.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
    ::sigaction(kSignals[i], nullptr, &s_previous[i]);
    // A signal ignored on entry (nohup's SIGHUP) was meant to be ignored.
    if (s_previous[i].sa_handler != SIG_IGN) ::sigaction(kSignals[i], &action, nullptr);
  }
}

ScopedStopRequests::~ScopedStopRequests() {
  for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
    ::sigaction(kSignals[i], &s_previous[i], nullptr);
  }
}

bool ScopedStopRequests::Requested() const { return s_signal != 0; }

int ScopedStopRequests::ExitStatus() const { return s_signal == 0 ? 0 : 128 + s_signal; }
