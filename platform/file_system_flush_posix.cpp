// One syncfs for each file system among the folders of the files written: the folders are
// kept once each, and the first found on a file system names it.
#include <sys/stat.h>

#include "platform/file_system_flush.h"
#include "platform/folder_handle.h"
#include "platform/pending_file_posix.h"

void FilesToFlush::Add(const std::string& path) { m_places.insert(FolderOf(path)); }

std::error_code FilesToFlush::Flush() const {
  std::unordered_set<dev_t> flushed;
  std::error_code first;
  for (const std::string& folder : m_places) {
    struct stat st;
    // A folder that cannot be looked at is left to name its file system itself.
    if (::stat(folder.c_str(), &st) == 0 && !flushed.insert(st.st_dev).second) continue;
    const std::error_code error = FlushFileSystemOf(folder.c_str());
    if (error && !first) first = error;
  }
  return first;
}
