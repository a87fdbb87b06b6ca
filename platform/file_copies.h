// Copies that the store makes and reads back: a copy that takes its name all at once, further
// names for it, and a source held open so that what is read of it all comes from the same file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

#include "platform/platform_files.h"

// The source's size, modification time or change time after the copy differ from what they were
// before it: what was read may mix two versions, so the copy is dropped. Its text is "changed
// while it was copied".
std::error_code ChangedWhileCopied();

struct NamedCopyResult {
  // The source could not be read (gone, unreadable, not a regular file), or it was written to
  // while it was read (ChangedWhileCopied()): the name is untouched.
  std::error_code source;
  // The copy could not be written in the work folder (full, read-only): the name is untouched.
  std::error_code write;
  // The finished copy could not take the name, once source and write are clear.
  std::error_code name;
};

// Runs once a finished copy is about to replace what has its name, and before it does: the
// caller may keep the file that has it elsewhere first, or hold a lock until the copy has
// the name. An error leaves the name to what has it, and is the name's failure.
using BeforeReplacing = std::function<std::error_code()>;

// Copies source, keeping what CopyFileReplacing keeps of it, and gives the copy the name
// destination, replacing whatever had it all at once or not at all, as CopyFileReplacing does.
// The name goes only to a copy of one version of the source: one whose contents changed while
// they were read never takes it.
// Every hidden name on the way lies in workFolder, never beside the destination. note goes
// with the copy. likelyTaken says whether the caller expects something to have the name
// already: a right guess saves a system call, a wrong one costs one. beforeReplacing, when
// given, runs once the copy is complete and something has the name, at most once; on a guess
// that the name is taken it may run without looking whether it is.
NamedCopyResult CopyFileToName(const char* source, const std::string& workFolder,
                               const std::string& destination, const FileNote* note,
                               bool likelyTaken = false,
                               const BeforeReplacing& beforeReplacing = {});

// Gives the file named existing the further name destination: a hard link that replaces
// whatever had the name all at once, or, where the file system has no hard links, a copy of
// its own that carries note. Every hidden name on the way lies in workFolder. likelyTaken as
// for CopyFileToName.
std::error_code AddNameReplacing(const std::string& existing, const std::string& destination,
                                 const std::string& workFolder, const FileNote* note,
                                 bool likelyTaken);
// As AddNameReplacing, but only where nothing has the name: std::errc::file_exists otherwise,
// and what has it stays, however many processes name files there at once.
std::error_code AddNameIfFree(const std::string& existing, const std::string& destination,
                              const std::string& workFolder, const FileNote* note);

// A regular file held open for reading. Its notes and its contents come from the one file that
// was opened, even if its name is given to another file meanwhile.
class SourceFile {
 public:
  SourceFile() = default;
  ~SourceFile();
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  // Devices, FIFOs and folders are refused without being opened in a way that could block.
  std::error_code Open(const char* path);
  bool IsOpen() const { return m_handle != kClosed; }
  // The note of that name, or nothing when it has none.
  std::optional<std::string> Note(const char* name) const;
  // Copies the whole file to destination as CopyFileReplacing does; may be called again.
  std::error_code CopyTo(const char* destination, bool failIfExists) const;

 private:
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t m_handle = kClosed;
  std::string m_path;
};
