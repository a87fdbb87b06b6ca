// Stop requests on a Windows console: Ctrl+C generated for this process's console reaches the
// handler, which notes it instead of ending the process.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/stop_requests.h"
#include "platform/windows_system.h"

namespace {

TEST(StopRequestsWin32Test, CtrlCIsNotedAndTheProcessGoesOn) {
  ScopedStopRequests requests;
  EXPECT_FALSE(requests.Requested());
  EXPECT_EQ(requests.ExitStatus(), 0);
  // A process started without a console, or a console that passes no events, cannot show it.
  if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    GTEST_SKIP() << "no console to send Ctrl+C to (error " << ::GetLastError() << ")";
  }
  // The console calls the handler on a thread of its own.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!requests.Requested() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(requests.Requested());
  EXPECT_GT(requests.ExitStatus(), 128);
}

}  // namespace
