// Gives own copies their origin and their shared names (NAMEBACKUP) on a thread of its own, in
// the order they were asked for, while the clean goes on copying the next files. Naming a file
// in a second folder costs about as much as writing a small file, and so does an origin too
// long to fit in the file's own record: done beside the copying, a copy under two names takes
// little longer than under one.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

class SharedNamer {
 public:
  // workFolder: the store folder, where every hidden name on the way lies.
  explicit SharedNamer(std::string workFolder);
  // Gives every name asked for before it returns.
  ~SharedNamer();
  SharedNamer(const SharedNamer&) = delete;
  SharedNamer& operator=(const SharedNamer&) = delete;

  // A shared name that could not be given: the file it was for (the origin) and why.
  struct Failure {
    std::string origin;
    std::error_code error;
  };

  // Attaches origin to the copy at ownCopy, then gives it the further name shared, as
  // AddNameReplacing does (a copy of its own, with the origin, where the file system has no
  // hard links). A name that cannot be given leaves a Failure for TakeFailures: the path it
  // is for keeps its own copy, but the shared copy of its name is not this file's. Waits
  // while many names are still to be given, so that the memory stays small however many
  // files are asked for.
  void Give(std::string ownCopy, std::string shared, std::string origin, bool likelyTaken);
  // Returns once every name asked for so far has been given: a copy written straight to a
  // shared name must not be overtaken by an older one still waiting.
  void Wait();
  // The failures since the last call, in the order their names were asked for. Each is
  // handed out once.
  std::vector<Failure> TakeFailures();

 private:
  struct Naming {
    std::string ownCopy;
    std::string shared;
    std::string origin;
    bool likelyTaken;
  };

  void GiveNow(const Naming& naming);
  void Run();

  const std::string m_workFolder;
  std::mutex m_mutex;
  // The thread waits on m_work for names to give; callers wait on m_given for room or for
  // every name to be given.
  std::condition_variable m_work;
  std::condition_variable m_given;
  std::deque<Naming> m_waiting;
  bool m_busy = false;
  bool m_stopping = false;
  int m_waitingForAll = 0;
  std::vector<Failure> m_failures;  // guarded by m_mutex
  std::thread m_thread;
  bool m_threadFailed = false;
};
