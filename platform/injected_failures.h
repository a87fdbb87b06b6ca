// The one seam through which tests make the platform's file services fail. Before each system
// call of the kinds below, the services ask InjectedFailure whether a test wants that call to
// fail; if so they fail with the test's error exactly as if the system had refused, and
// everything above them sees an ordinary failure. Nothing outside tests arranges a failure.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

enum class FileCall {
  kOpen,            // opening or creating a file (or a folder, for its flush or lock)
  kCreateNameless,  // a file with no name yet (Linux's O_TMPFILE)
  kRead,
  kWrite,
  kRename,
  kLink,  // a further name (hard link) for a file
  kFlush,
  kNote,  // reading or attaching a note (an extended attribute, an alternate data stream)
};

// The error a test has arranged for this call on path (a path the call names, or empty where it
// names none), or an empty code. Costs one atomic load while no test arranges anything. On
// Windows the services hand the code on as the thread's last error, so a test there gives a
// Windows error code (std::system_category()).
std::error_code InjectedFailure(FileCall call, std::string_view path);
// Whether any test has a failure arranged: a service on a hot path builds the path it would
// name only then.
bool FailuresArranged();

// While it lives, the calls of that kind whose path contains pathPart (any call, when pathPart
// is empty) fail with error: the first `skip` of them go through, then `times` of them fail
// (all of them, when times is negative). Scopes may overlap; the oldest that matches answers.
// Usable from any thread.
class ScopedFailure {
 public:
  ScopedFailure(FileCall call, std::error_code error, std::string pathPart = {}, int skip = 0,
                int times = -1);
  ~ScopedFailure();
  ScopedFailure(const ScopedFailure&) = delete;
  ScopedFailure& operator=(const ScopedFailure&) = delete;

  // How many calls this scope has failed so far.
  int Failed() const;

 private:
  friend std::error_code InjectedFailure(FileCall call, std::string_view path);
// Whether any test has a failure arranged: a service on a hot path builds the path it would
// name only then.
bool FailuresArranged();
  FileCall m_call;
  std::error_code m_error;
  std::string m_pathPart;
  int m_skip;
  int m_times;
  int m_failed = 0;
};
