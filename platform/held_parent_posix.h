// A folder held for lookups of its files by its parent, open, and its own name: each lookup
// goes through the folder's name, so a folder removed or put in another's place since it was
// held is never looked into through the one it replaced, at the cost of one component more
// than the file's name. The folders above are looked up once, when it is held.
#pragma once

#include <string>

class HeldParent {
 public:
  HeldParent() = default;
  ~HeldParent();
  HeldParent(const HeldParent&) = delete;
  HeldParent& operator=(const HeldParent&) = delete;

  // Opens folder's parent; false when it cannot be opened.
  bool Open(const std::string& folder);
  int Descriptor() const { return m_fd; }
  // The path of name in the folder, relative to the descriptor.
  std::string Relative(const char* name) const { return m_folderName + name; }

 private:
  int m_fd = -1;
  std::string m_folderName;  // with a separator after it; empty for the root folder
};
