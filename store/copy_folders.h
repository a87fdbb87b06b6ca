// The folders in the store that a clean's copies go into, from the outermost still in hand to
// the one copied into last, each inside the one before. A depth-first walk comes back to a
// folder after each of its sub-folders; it finds the folder's copy there as it left it, known
// to be made and with its notes open, instead of making it and opening it once more.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/folder_notes.h"

struct CopyFolder {
  std::string path;      // without a separator at the end
  bool existed = false;  // there before this clean: an earlier clean most likely copied into it
  bool made = false;     // made by this clean, so surely without earlier copies
  FolderNotes notes;     // of the own copies in it, read by the walk's thread
};

class CopyFolders {
 public:
  // At most this many folders are held, the innermost ones; each may hold a descriptor open.
  static constexpr std::size_t kMostHeld = 64;

  // The folder at path when it is held; otherwise nothing, and the folders held that do not
  // hold path are let go.
  CopyFolder* Enter(const std::string& path);
  // Holds path, inside every folder held, as the innermost one.
  CopyFolder& Add(std::string path, bool existed, bool made);

 private:
  std::vector<std::unique_ptr<CopyFolder>> m_chain;
};
