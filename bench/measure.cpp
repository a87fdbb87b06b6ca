// fork/posix_spawn + wait4: the rusage of the reaped child gives its peak resident memory,
// and the wall time is taken in the parent so that it includes the child's whole life.
#include "bench/measure.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string ErrnoText(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

// Reaps pid and fills the outcome's status, memory and time.
void Reap(pid_t pid, Clock::time_point started, RunOutcome& outcome) {
  int status = 0;
  rusage usage{};
  pid_t reaped;
  do {
    reaped = ::wait4(pid, &status, 0, &usage);
  } while (reaped < 0 && errno == EINTR);
  outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  if (reaped < 0) {
    outcome.failure = ErrnoText("wait4", errno);
    return;
  }
  outcome.peakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // Linux: KiB
  if (WIFEXITED(status)) {
    outcome.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.exitStatus = 128 + WTERMSIG(status);
  }
  outcome.completed = outcome.exitStatus == 0;
}

}  // namespace

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

RunOutcome RunInChild(const std::function<int(int reportFd)>& body) {
  RunOutcome outcome;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    outcome.failure = ErrnoText("pipe2", errno);
    return outcome;
  }
  std::fflush(nullptr);
  const Clock::time_point started = Clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) {
    outcome.failure = ErrnoText("fork", errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return outcome;
  }
  if (pid == 0) {
    ::close(fds[0]);
    int status = 70;
    try {
      status = body(fds[1]);
    } catch (...) {
      WriteAll(fds[1], "the run threw an exception");
    }
    std::fflush(nullptr);
    ::_exit(status);
  }
  ::close(fds[1]);
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    outcome.report.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fds[0]);
  Reap(pid, started, outcome);
  return outcome;
}

RunOutcome RunProgram(const std::vector<std::string>& argv, const std::string& output) {
  RunOutcome outcome;
  if (argv.empty()) {
    outcome.failure = "no program to run";
    return outcome;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::fflush(nullptr);
  const Clock::time_point started = Clock::now();
  pid_t pid = 0;
  const int error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    outcome.failure = ErrnoText("posix_spawnp", error);
    return outcome;
  }
  Reap(pid, started, outcome);
  return outcome;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}
