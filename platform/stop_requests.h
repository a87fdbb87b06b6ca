// Requests from outside to stop a long piece of work (a clean from the command line): Ctrl+C,
// a request to terminate and a closed terminal on POSIX (SIGINT, SIGTERM, SIGHUP), Ctrl+C and
// Ctrl+Break on a Windows console. The work looks at the request between two steps and ends
// as if the user had stopped it, so that what it did so far stays complete and on record.
#pragma once

// While it lives, the first request of each kind is only noted; a second one of the same kind
// has its usual effect and ends the process at once, for a user who will not wait for the end
// of the step in hand. One at a time in a process.
class ScopedStopRequests {
 public:
  ScopedStopRequests();
  // Puts back what the process did for those requests before.
  ~ScopedStopRequests();
  ScopedStopRequests(const ScopedStopRequests&) = delete;
  ScopedStopRequests& operator=(const ScopedStopRequests&) = delete;

  // Whether a request has come. Safe to ask from any thread.
  bool Requested() const;
  // The exit status a shell shows for a process ended by the first request that came: 128 and
  // its signal's number (130 for Ctrl+C, 143 to terminate, 129 for a closed terminal); 0 when
  // none came.
  int ExitStatus() const;
};
