// An open folder: the lock that every process of the program honours before it changes what
// the folder holds, and the flush of the file system the folder lives on.
#pragma once

#include <memory>
#include <string>
#include <vector>
#include <system_error>

class FolderHandle {
 public:
  FolderHandle();
  ~FolderHandle();
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;

  // Opens the folder at path; an open handle is closed first. On failure stays closed.
  std::error_code Open(const char* path);
  // Releases the lock, if held, with the folder.
  void Close();
  bool IsOpen() const { return m_open != nullptr; }

  // Waits until no other holder of this folder's lock, in this process or another, has it,
  // then takes it. The lock is advisory: it keeps out only those who ask for it too.
  std::error_code Lock();
  void Unlock();

  // Writes everything of the folder's file system that is still in memory to the disk, the
  // files of other programs included; returns when it is there. Where the platform keeps that
  // for administrators (Windows), it writes the folder itself and each of its files changed
  // since Open instead, and the same in each of alsoFolders (full paths ending with a
  // separator): the folders below it that were written to.
  std::error_code FlushFileSystem(const std::vector<std::string>& alsoFolders = {});

 private:
  // What the platform holds while the folder is open; null when closed.
  struct Opened;
  std::unique_ptr<Opened> m_open;
};

// Flushes the file system that holds path (a file or a folder) to the disk; when neither path
// nor its folder can be opened to name it, every file system.
std::error_code FlushFileSystemOf(const char* path);

// Holds a folder's lock for the length of a scope.
class FolderLockScope {
 public:
  explicit FolderLockScope(FolderHandle& folder) : m_folder(folder), m_error(folder.Lock()) {}
  ~FolderLockScope() {
    if (!m_error) m_folder.Unlock();
  }
  FolderLockScope(const FolderLockScope&) = delete;
  FolderLockScope& operator=(const FolderLockScope&) = delete;
  // Why the lock could not be taken, or empty when it is held.
  std::error_code error() const { return m_error; }

 private:
  FolderHandle& m_folder;
  std::error_code m_error;
};
