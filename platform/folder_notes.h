// The notes of the files of one folder, read by each file's name relative to the folder held
// open rather than by its whole path: a clean of an unchanged tree reads one note for every
// file, deep in the store, and the system would walk every component of that path again each
// time. Where the system cannot read a note relative to a folder (Linux before 6.13, Windows),
// it is read by the whole path, as ReadFileNote reads it. One object serves one thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

class FolderNotes {
 public:
  FolderNotes();
  ~FolderNotes();
  FolderNotes(const FolderNotes&) = delete;
  FolderNotes& operator=(const FolderNotes&) = delete;

  // The folder whose files Read names; opened when first read. The same folder again keeps
  // what is open.
  void Use(const std::string& folder);
  // The note noteName of the file name in the folder, or nothing when it has none or cannot be
  // read. A name that is a link gives nothing: the note of whatever it leads to is not its
  // own. The folder itself is looked up by its name for every note, so one removed or put in
  // another's place meanwhile is never read through the one it replaced; the folders above it
  // are looked up once for each folder used.
  std::optional<std::string> Read(const char* name, const char* noteName);

  // Reads every note by its whole path from now on, in every object, as where the system
  // cannot read one relative to a folder: for the tests of that way.
  static void ReadByWholePathsForTesting(bool wholePaths);

 private:
  struct Held;  // what the platform holds of the open folder; null until it is opened
  std::string m_folder;
  std::unique_ptr<Held> m_held;
};
