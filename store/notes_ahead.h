// Reads the notes of own copies on a thread of its own, ahead of a clean that asks for them one
// file after another. A clean of an unchanged tree looks at each file and at the note of its own
// copy, two system calls that wait on each other; with the notes read here, each file costs the
// clean one, and the two run side by side on two processors. The reader walks the tree as the
// clean walks it, folder after folder, so that it stays ahead in a tree of small folders too.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/file_key.h"
#include <utility>

// A note read ahead, and the folder it was read in as it was when the reader entered it: a folder
// put in another's place since may no longer hold the copy the note was read from.
struct NoteAhead {
  std::optional<std::string> note;
  std::optional<FileKey> folder;  // empty when the folder could not be looked at
};

class NotesAhead {
 public:
  // noteName: the note read of each own copy. The folder passOver (the store) is never entered.
  // mirrorRoot: the top of the mirror, which every mirror folder given to Read lies below.
  // walkTop: the folder the walk started in, above which the reader never goes: nothing there
  // is asked for, and a folder the walk never touches may be slow to read (a network share).
  // Empty: the reader goes up to the mirror's top, its queue keeping short what it reads there.
  NotesAhead(const char* noteName, std::string passOver, std::string mirrorRoot,
             const std::string& walkTop = {});
  ~NotesAhead();
  NotesAhead(const NotesAhead&) = delete;
  NotesAhead& operator=(const NotesAhead&) = delete;

  // Starts reading, for each file that a walk lists after the entry named after in sourceFolder
  // (from its first entry, when after is empty), in the folder itself, in the folders below it
  // (through links to folders, each folder once) and then, as a walk goes on, in the folders
  // above it after it, the note of the file at the same place below mirrorFolder; whatever was
  // being read before is dropped.
  void Read(const std::string& sourceFolder, const std::string& mirrorFolder,
            const std::string& after);
  // Whether the mirror path may be read ahead: false when nothing is being read, or what was
  // has been given up.
  bool Covers(const std::string& mirrorPath) const;
  // The note of the file at the mirror path, when it was read ahead: empty when it was not (asked
  // out of the walk's order, or the thread could not run), and the caller reads the note itself.
  // Files listed before it that were not asked for are passed over. A note read ahead may be
  // older than the copy it is asked for; within the store's own ways that only ever tells that
  // a file may have changed, but its folder may have been put in another's place meanwhile.
  std::optional<NoteAhead> Take(const std::string& mirrorPath);

 private:
  struct Ahead {
    std::string mirrorPath;
    NoteAhead read;
  };

  void Run();
  // Reads the request numbered request, until it is done or another replaces it.
  void ReadRequest(std::uint64_t request, const std::string& source, const std::string& mirror,
                   const std::string& firstAfter);
  // Hands one note over, waiting while the queue is full; false once the request is replaced.
  bool HandOver(std::uint64_t request, Ahead ahead);
  void GiveUp();

  const char* m_noteName;
  const std::string m_passOver;
  const std::string m_mirrorRoot;
  const std::string m_walkTop;  // with its separators collapsed, none at its end
  std::string m_covered;  // the caller's: the mirror's top while reading, empty when not
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::string m_source;  // the folder to read, its mirror, and where to begin
  std::string m_mirror;
  std::string m_after;
  std::uint64_t m_request = 0;  // counts the requests: a reader of an older one stops
  bool m_listed = true;         // everything of the request is in m_ahead, or was taken
  bool m_stopping = false;
  std::deque<Ahead> m_ahead;
  std::thread m_thread;
  bool m_threadFailed = false;
};
