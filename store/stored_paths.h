// Paths found by their copies in the store rather than by list.txt: an own copy below "paths"
// and a version below "versions" each lie where the path they keep lies below its root, so a
// path whose entry has left the list (restored, or the list lost) is still found. Commands
// that look at many paths read each folder of the store once, not once for every path in it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/versions.h"

// Every path that has an own copy or a version in the store folder store (ending with a
// separator) and lies in folder or below it, folder given as its parts below the root
// (PartsBelowRoot; "" for every path). Absolute, with single separators, each once, in the
// order of their parts (so the paths of one folder come together).
std::vector<std::string> StoredPathsUnder(const std::string& store, std::string_view folder);

// The copies of a path, as CopiesOf gives them, reading the store a folder at a time: asking
// for another path of the folder last read reads nothing more but that path's own notes.
class StoredCopies {
 public:
  explicit StoredCopies(std::string store) : m_store(std::move(store)) {}

  // Valid until the next call.
  const std::vector<Version>& Of(std::string_view recordedPath);

 private:
  struct Copies {
    std::vector<Version> copies;  // the own copy first, then the versions, newest first
    bool looked = false;          // sizes and the own copy's time filled in
  };

  void ReadFolder(const std::string& folder);

  std::string m_store;
  std::optional<std::string> m_folder;  // the parts below the root of the folder last read
  std::map<std::string, Copies, std::less<>> m_byName;
  const std::vector<Version> m_none;
};
