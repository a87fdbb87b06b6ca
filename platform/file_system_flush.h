// The files a long piece of work wrote, gathered so that the file systems that hold them are
// flushed once each at its end rather than once for every file: what a restore of a hundred
// thousand files needs to be on disk when it ends.
#pragma once

#include <string>
#include <system_error>
#include <unordered_set>

class FilesToFlush {
 public:
  void Add(const std::string& path);
  bool Empty() const { return m_places.empty(); }

  // Flushes to the disk every file system that holds one of the files added, as
  // FlushFileSystemOf does for one. Where a flush names single files (Windows without the
  // right to flush a whole volume), each file is flushed with its folder. Goes on after a
  // failure and returns the first.
  std::error_code Flush() const;

 private:
  // What names the file systems: the files' folders on POSIX, the files on Windows.
  std::unordered_set<std::string> m_places;
};
