// Reads the notes of a folder's own copies on a thread of its own, ahead of a clean that asks
// for them one file after another. A clean of an unchanged tree looks at each file and at the
// note of its own copy, two system calls that wait on each other; with the notes read here,
// each file costs the clean one, and the two run side by side on two processors.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class NotesAhead {
 public:
  // noteName: the note read of each own copy.
  explicit NotesAhead(const char* noteName) : m_noteName(noteName) {}
  ~NotesAhead();
  NotesAhead(const NotesAhead&) = delete;
  NotesAhead& operator=(const NotesAhead&) = delete;

  // Starts reading, for each file of sourceFolder that a search of it lists after the file
  // named after, the note of the file of the same name in mirrorFolder; whatever was being
  // read for another folder is dropped. A thread pays only where a folder holds more files
  // than it takes to wake it, so the caller asks once it is some way into a folder.
  void Read(const std::string& sourceFolder, const std::string& mirrorFolder,
            const std::string& after);
  // The note of name's copy in the folder being read, when it was read ahead: the outer
  // optional is empty when it was not (asked out of the listing's order, or the thread could
  // not run), and the caller reads the note itself. Names listed before it that were not
  // asked for are passed over. A note read ahead may be older than the copy it is asked for:
  // it only ever tells that a file may have changed.
  std::optional<std::optional<std::string>> Take(const std::string& name);

 private:
  struct Ahead {
    std::string name;
    std::optional<std::string> note;
  };

  void Run();

  const char* m_noteName;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::string m_source;  // the folder being read, its mirror, and where to begin
  std::string m_mirror;
  std::string m_after;
  std::uint64_t m_folder = 0;  // counts the folders asked for: a reader of an older one stops
  bool m_listed = true;        // the whole folder is in m_ahead, or was taken
  bool m_stopping = false;
  std::deque<Ahead> m_ahead;
  std::thread m_thread;
  bool m_threadFailed = false;
};
