// Windows names what it flushes file by file for a user without the right to flush a
// volume: each file is kept, and flushed with its folder, as FlushFileSystemOf does.
#include "platform/file_system_flush.h"
#include "platform/folder_handle.h"

void FilesToFlush::Add(const std::string& path) { m_places.insert(path); }

std::error_code FilesToFlush::Flush() const {
  std::error_code first;
  for (const std::string& path : m_places) {
    const std::error_code error = FlushFileSystemOf(path.c_str());
    if (error && !first) first = error;
  }
  return first;
}
