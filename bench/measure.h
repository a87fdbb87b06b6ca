// Runs one piece of work in a child process and measures it from outside: wall time on the
// parent's steady clock and the child's peak resident memory.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct RunOutcome {
  // True when the child ran and exited with status 0.
  bool completed = false;
  int exitStatus = -1;  // the exit status, or 128 + the signal that ended the child
  // From just before the child is started until it has been reaped.
  double seconds = 0;
  // ru_maxrss of the child and its reaped children. A new process starts from its parent's
  // resident size, so keep the parent small when this matters.
  double peakRssMiB = 0;
  std::string report;   // everything the child wrote to its report descriptor
  std::string failure;  // why no child could be run (empty when one ran)
};

// Forks; the child runs body(reportFd) and ends with _exit(the value body returns), without
// running the parent's exit handlers. Standard streams are flushed before the fork so that
// no buffered text is written twice.
RunOutcome RunInChild(const std::function<int(int reportFd)>& body);

// Starts argv (argv[0] looked up in PATH) with posix_spawnp, standard input on /dev/null,
// standard output into the file output (made or emptied), standard error shared with the
// parent.
RunOutcome RunProgram(const std::vector<std::string>& argv,
                      const std::string& output = "/dev/null");

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double Median(std::vector<double> values);

// Writes all of text to fd; false when it could not.
bool WriteAll(int fd, const std::string& text);
