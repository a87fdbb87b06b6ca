// The POSIX pieces of an all-or-nothing copy, shared by the file services: a descriptor
// guard, the in-kernel byte copy, and a file that takes its names only once complete.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <system_error>

std::error_code LastPosixError();

// Closes a descriptor on every way out.
class FdGuard {
 public:
  explicit FdGuard(int fd) : m_fd(fd) {}
  ~FdGuard() { Reset(); }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return m_fd; }
  void Reset(int fd = -1);
  // Hands the descriptor over to the caller, who closes it.
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

// Copies the whole of in, from where it stands, to out, preferring in-kernel copies. Once
// sizeHint bytes are copied the copy is complete: asking again only to hear "end of file"
// would cost one more call per file.
std::error_code CopyContents(int in, int out, off_t sizeHint);

// The folder part of path ("." for a bare name, "/" for a name in the root).
std::string FolderOf(std::string_view path);
// The last part of path.
std::string_view NameOf(std::string_view path);

// A file on its way to its names. Where the file system allows, it has no name at all until
// it is complete (O_TMPFILE), so a process killed while writing it leaves nothing behind.
// Elsewhere it is a hidden name ".HINT.XXXXXX" in the work folder, locked for as long as it
// is written so that RemoveAbandonedTemporaries can tell it from the leftover of a dead
// process. Every hidden name it passes through lies in the work folder, never beside a
// destination, so a folder that holds only the caller's own names stays that way.
class PendingFile {
 public:
  explicit PendingFile(std::string workFolder) : m_workFolder(std::move(workFolder)) {}
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // mode is the permission the finished file must have; nameHint shapes a hidden name.
  std::error_code Create(std::string_view nameHint, mode_t mode);
  // Open for reading and writing.
  int fd() const { return m_fd; }

  // Gives the finished file the destination's name: never when something has it already
  // with failIfExists, otherwise replacing it in one step. May be called again for further
  // names, which become hard links of the same file; a file system without hard links then
  // refuses with the link's error (see IsNoHardLinks). likelyTaken, when the caller expects
  // the name to be there already, goes straight to the replacing way rather than first
  // trying a plain link that would fail: the result is the same, with one call less.
  std::error_code Publish(const char* destination, bool failIfExists, bool likelyTaken = false);

 private:
  std::error_code CreateNamed(std::string_view nameHint, mode_t mode);
  std::error_code LinkAs(const char* name) const;
  std::error_code LinkReplacing(const char* destination);

  std::string m_workFolder;
  int m_fd = -1;
  std::string m_name;  // the hidden name while it is the file's only one
  std::string m_hint;
  bool m_locked = false;
  bool m_named = false;  // it has a name outside the work folder's hidden ones
};

// True for the errors of a file system that cannot give one file a second name.
bool IsNoHardLinks(std::error_code error);

// Gives the file named existing the further name destination, replacing whatever had it in
// one step, by way of a hidden hard link in workFolder (nameHint shapes its name) that is
// renamed over destination. A file system without hard links refuses with the link's error.
std::error_code HardLinkReplacing(const char* existing, const char* destination,
                                  const std::string& workFolder, std::string_view nameHint);
