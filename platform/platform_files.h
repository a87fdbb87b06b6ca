// The file-system services the engine and the restoration dialog build on. Each returns its
// failure as a std::error_code (the platform's error numbers; a destination that exists is
// always std::errc::file_exists); none throws. One implementation per platform:
// platform_files_posix.cpp and platform_files_win32.cpp.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// The platform's maximum path length and name length, terminator included: every path
// buffer has kMaxPath characters. The POSIX values are Linux's PATH_MAX and NAME_MAX + 1
// (checked against the system headers where they are used). Windows takes paths of up to
// 32,767 characters in their extended-length form, which the Win32 services use for paths
// too long for the plain one, and names of up to 255 UTF-16 characters, up to three bytes
// each in the program's UTF-8.
#if defined(_WIN32)
inline constexpr std::size_t kMaxPath = 32768;
inline constexpr std::size_t kMaxFileName = 3 * 255 + 1;
#else
inline constexpr std::size_t kMaxPath = 4096;
inline constexpr std::size_t kMaxFileName = 256;
#endif

// The attribute bit of a folder in FindData, the value Windows gives FILE_ATTRIBUTE_DIRECTORY,
// so that the Win32 search passes its attributes through unchanged.
inline constexpr std::uint32_t kFolderAttribute = 0x10;
// The attribute bit of a symbolic link in FindData (with kFolderAttribute for a link to a
// folder), the value Windows gives FILE_ATTRIBUTE_REPARSE_POINT.
inline constexpr std::uint32_t kLinkAttribute = 0x400;

// What the directory search reports for one entry; valid until the next call on the search.
struct FindData {
  // kFolderAttribute for folders and links to them, kLinkAttribute for links; on Windows the
  // platform's other attribute bits too.
  std::uint32_t dwFileAttributes = 0;
  char cFileName[kMaxFileName] = {};
};

// True for a folder itself, not a link to one: the only kind of folder a look through the
// store's own trees enters, since a link kept there may lead anywhere.
inline bool IsFolderNotLink(const FindData& data) {
  return (data.dwFileAttributes & kFolderAttribute) != 0 &&
         (data.dwFileAttributes & kLinkAttribute) == 0;
}

// The platform's handle of an open search, file or folder, null when closed.
using PlatformHandle = void*;

// Enumerates one folder in the platform's order, "." and ".." included.
class DirectorySearch {
 public:
  DirectorySearch() = default;
  ~DirectorySearch();
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;

  // searchPath is a folder, a separator and a wildcard pattern for the names ("dir/*.*").
  // Fills data with the first matching entry. On failure returns the error and stays closed;
  // a folder with no matching entry fails with std::errc::no_such_file_or_directory.
  std::error_code Start(const char* searchPath, FindData& data);
  // Fills data with the next entry. Returns false when the search ends: with an empty
  // error code when there are no more entries, with the error when reading failed.
  bool Next(FindData& data, std::error_code& ended);
  void Close();
  bool IsOpen() const { return m_handle != nullptr; }
  // The folder's identity, valid while open; used to recognise a folder already being walked
  // or the backups folder. Device and inode on Linux; the volume serial number and the file
  // index on Windows, where a junction or a link to a folder gives its target's.
  std::uint64_t Device() const { return m_device; }
  std::uint64_t Inode() const { return m_inode; }
  // True when the open folder lies on a file system that holds no user data but the
  // kernel's own objects (proc, sysfs, devtmpfs, devpts, cgroup, debugfs, tracefs and the
  // like), whose files are synthetic and some of whose trees never end. tmpfs is not one:
  // it holds /tmp and users' files. False when closed or when the type cannot be read, and
  // always on Windows, which has no such file systems.
  bool OnPseudoFileSystem() const;

 private:
  bool Fill(FindData& data, std::error_code& ended);

  PlatformHandle m_handle = nullptr;
  std::string m_pattern;
  std::uint64_t m_device = 0;
  std::uint64_t m_inode = 0;
};

// The identity of the folder at path (links followed), as DirectorySearch gives it for the
// same folder. A path that is not a folder gives std::errc::not_a_directory.
std::error_code IdentifyFolder(const char* path, std::uint64_t& device, std::uint64_t& inode);

// The identity of the file at path (links followed): device and inode on Linux, the volume
// serial number and the file index on Windows, so that the names of one file (hard links)
// give the same; and its size in bytes.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::uint64_t links = 1;  // how many names the file has
};
std::error_code IdentifyFile(const char* path, FileIdentity& identity);

// Removes the name path of a file (the file itself once it has no other name).
std::error_code RemoveFile(const char* path);

// The full path of the running executable. Tests redirect it with SetProgramPathForTesting so
// that the backups folder lands in a temporary folder.
std::string GetProgramPath();
// An empty path restores the real one.
void SetProgramPathForTesting(const std::string& executablePath);

// Creates one folder. An existing folder (or anything else of that name) gives
// std::errc::file_exists.
std::error_code CreateFolder(const char* path);
// As CreateFolder, for a folder that only its owner may open (0700 on POSIX). On Windows the
// folder takes its parent's rights, as everything in the user's own folders does.
std::error_code CreatePrivateFolder(const char* path);
// Has action run in the child of every fork() from now on, before fork returns there. Nothing
// to do on Windows, which has no fork.
void RunInForkedChildren(void (*action)());

// Takes every right of other users away from the file or folder at path, leaving the owner's
// (an older store may have been made readable to all). Nothing to do on Windows.
std::error_code RestrictToOwner(const char* path);

// A short text kept with a file by the file system (an extended attribute on Linux), apart
// from its contents: a copy's notes go with it without changing what it holds.
struct FileNote {
  const char* name;
  std::string_view value;
};
// Every note's name begins with this. A copy never takes a source's own attribute of such a
// name, so the notes on a copy are always the ones its store wrote, and a restored file never
// carries them (a file restored from another store, or a copy of a copy, included).
inline constexpr std::string_view kNoteNamePrefix = "quillmar.";

// Copies a regular file (never through a symbolic link, which is refused) byte for byte, holes and blocks shared with other
// files kept where the file system has them, with what else of the file a copy keeps: on
// POSIX every mode bit, the owner and group where the process may set them, the "user."
// extended attributes but the program's notes, the access control list and the access and
// modification times (file_metadata_posix.h); on Windows the read-only, hidden, system,
// archive and not-indexed attributes and the creation, access and last-write times. The
// copy takes the destination's name only once complete, so a failed copy leaves whatever was
// there before untouched; a process killed while copying leaves no part of it behind (where
// the file system cannot hold a nameless file, a hidden locked one beside the destination, see
// RemoveAbandonedTemporaries). With failIfExists an existing destination gives
// std::errc::file_exists and is left alone; otherwise it is replaced. A source that is not a
// regular file (folder, FIFO, socket, device) is refused without being opened for reading in a
// way that could block. A note, when given, is attached to the copy before it appears, where
// the file system can hold notes; where it cannot, the copy is made without it.
std::error_code CopyFileReplacing(const char* source, const char* destination, bool failIfExists,
                                  const FileNote* note = nullptr);

// The note of that name on the file at path, or nothing when it has none or cannot be read. A
// link at path is not followed: a link has no notes.
std::optional<std::string> ReadFileNote(const char* path, const char* name);
// Attaches note to the file at path, in place of any note of that name; every name of the file
// carries it. A file system that cannot hold notes refuses, and the file stays as it was.
std::error_code AttachFileNote(const char* path, const FileNote& note);

// Replaces the file at path with contents as one step: they are written to a file with no
// name yet (or a hidden locked one), flushed to disk and put in its place, so an interrupted
// or failed write leaves the previous file whole. A file that exists but cannot be opened for
// writing (or a folder that is gone) is refused and left as it is.
std::error_code WriteFileReplacing(const char* path, std::string_view contents);

// Removes the files of folder whose names isTemporary accepts and that no living process is
// still writing: the leftovers of copies and rewrites cut short by a killed process on a file
// system where they had to carry a name. A symbolic link (Linux) has no lock to tell its
// writer by; its writer gives it its real name a moment after making it, so a link with such a
// name goes once it has been there linkAge.
inline constexpr std::chrono::seconds kAbandonedLinkAge{600};
void RemoveAbandonedTemporaries(const char* folder, bool (*isTemporary)(std::string_view name),
                                std::chrono::seconds linkAge = kAbandonedLinkAge);

// What tells, without reading them, whether the contents of the file at path may have changed:
// its identity, size, modification time and change time (the inode's on Linux, NTFS's on
// Windows), as one text. A program that puts the modification time back cannot put the change
// time back, so two equal stamps of one path mean the same contents as far as the file system
// can tell. Nothing when the file cannot be looked at.
std::optional<std::string> ContentsStamp(const char* path);

// The platform's text for an error code, for showing to the user.
std::string ErrorText(std::error_code code);
