// Stop requests by real signals sent to a real child process: the first of each kind is only
// noted, a second one ends the process, a signal ignored before stays ignored, and the earlier
// handling comes back afterwards.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/stop_requests.h"

namespace {

// Runs work in a child process; its exit status, or 128 and the signal that ended it.
int InChild(const std::function<int()>& work) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(work());
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(StopRequestsTest, TheFirstSignalIsNotedWithItsExitStatusAndASecondEndsTheProcess) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    // The child says what it saw after the first signal, then is ended by the second.
    const int status = InChild([signal] {
      ScopedStopRequests requests;
      if (requests.Requested()) return 1;
      ::kill(::getpid(), signal);
      if (!requests.Requested() || requests.ExitStatus() != 128 + signal) return 2;
      ::kill(::getpid(), signal);
      return 3;
    });
    EXPECT_EQ(status, 128 + signal);
  }
}

TEST(StopRequestsTest, ASignalIgnoredBeforeStaysIgnoredAndTheEarlierHandlingComesBack) {
  const int status = InChild([] {
    ::signal(SIGHUP, SIG_IGN);
    {
      ScopedStopRequests requests;
      ::kill(::getpid(), SIGHUP);
      if (requests.Requested()) return 1;
    }
    ::kill(::getpid(), SIGHUP);
    // Unhandled again once the requests are gone: the default action ends the process.
    ::signal(SIGINT, SIG_DFL);
    { ScopedStopRequests requests; }
    ::kill(::getpid(), SIGINT);
    return 2;
  });
  EXPECT_EQ(status, 128 + SIGINT);
}

}  // namespace
