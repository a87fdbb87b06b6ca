// CopyFolders: a chain that only ever grows or shrinks at its inner end, as a walk does.
#include "store/copy_folders.h"

#include <utility>

#include "platform/path_parts.h"

namespace {

bool Holds(const std::string& outer, const std::string& path) {
  return path.size() > outer.size() && path.compare(0, outer.size(), outer) == 0 &&
         path[outer.size()] == kPathSeparator;
}

}  // namespace

CopyFolder* CopyFolders::Enter(const std::string& path) {
  while (!m_chain.empty()) {
    CopyFolder& innermost = *m_chain.back();
    if (innermost.path == path) return &innermost;
    if (Holds(innermost.path, path)) return nullptr;
    m_chain.pop_back();
  }
  return nullptr;
}

CopyFolder& CopyFolders::Add(std::string path, bool existed, bool made) {
  if (m_chain.size() == kMostHeld) m_chain.erase(m_chain.begin());
  auto folder = std::make_unique<CopyFolder>();
  folder->path = std::move(path);
  folder->existed = existed;
  folder->made = made;
  folder->notes.Use(folder->path);
  m_chain.push_back(std::move(folder));
  return *m_chain.back();
}
