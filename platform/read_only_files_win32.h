// Replacing and removing files that carry the read-only attribute, which copies keep: Windows
// refuses to move a file over a read-only one or to delete one. Internal to platform/.
#pragma once

#include <string>

#include "platform/windows_system.h"

// Takes the read-only attribute off the file at path, where it has it, for as long as it
// lives, through a handle held open all along: when it goes, the attribute goes back on that
// same file, under whatever names it still has, even once path names another file. Windows
// keeps attributes per file, so a file replaced at path keeps it under its other names (hard
// links). The handle lets others read, write and delete the file.
class ReadOnlyLifted {
 public:
  explicit ReadOnlyLifted(const std::string& path);
  ~ReadOnlyLifted();
  ReadOnlyLifted(const ReadOnlyLifted&) = delete;
  ReadOnlyLifted& operator=(const ReadOnlyLifted&) = delete;

  // False when the file had no read-only attribute, or it could not be taken off.
  bool Lifted() const { return m_file != INVALID_HANDLE_VALUE; }

 private:
  HANDLE m_file = INVALID_HANDLE_VALUE;
  DWORD m_attributes = 0;
};

// MoveFileExLong with MOVEFILE_REPLACE_EXISTING among flags, replacing a read-only file at to
// as well: the attribute comes off when the plain move is refused for it, and goes back on
// the replaced file's other names, as ReadOnlyLifted does. Where Windows refuses to move over
// the file while it is held open for that, the attribute comes off by name, and those other
// names lose it too.
BOOL MoveReplacingReadOnly(const std::string& from, const std::string& to, DWORD flags);
// DeleteFileLong, removing the name of a read-only file as well; its other names, if any,
// keep the attribute.
BOOL DeleteEvenReadOnly(const std::string& path);
