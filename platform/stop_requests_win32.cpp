// Stop requests on a Windows console: the console calls the handler on a thread of its own for
// Ctrl+C and Ctrl+Break. The first is only noted; the handler declines the next, and the
// system's own handler then ends the process.
#include <atomic>

#include "platform/stop_requests.h"
#include "platform/windows_system.h"

namespace {

// Ctrl+C's and Ctrl+Break's signal number, as a POSIX shell reports a process it ended.
constexpr int kInterruptSignal = 2;

std::atomic<bool> s_requested{false};

BOOL WINAPI NoteRequest(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  return s_requested.exchange(true) ? FALSE : TRUE;
}

}  // namespace

ScopedStopRequests::ScopedStopRequests() {
  s_requested = false;
  ::SetConsoleCtrlHandler(NoteRequest, TRUE);
}

ScopedStopRequests::~ScopedStopRequests() { ::SetConsoleCtrlHandler(NoteRequest, FALSE); }

bool ScopedStopRequests::Requested() const { return s_requested; }

int ScopedStopRequests::ExitStatus() const { return s_requested ? 128 + kInterruptSignal : 0; }
