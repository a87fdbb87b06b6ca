// A look at one entry of a folder that does not follow it when it is a symbolic link, and the
// links themselves: what they point to, and a link that takes its name all at once. A backup
// keeps a link as a link: its target text is its whole contents.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

// Whether the platform's backups keep links as links. False on Windows, where a link or a
// junction is followed and backed up as what it leads to.
#if defined(_WIN32)
inline constexpr bool kLinksKeptAsLinks = false;
#else
inline constexpr bool kLinksKeptAsLinks = true;
#endif

enum class EntryKind { kRegular, kLink, kFolder, kOther };

// What path itself is (a link is not followed), with its identity, its count of names and,
// for a regular file, the text ContentsStamp gives.
struct EntryLook {
  EntryKind kind = EntryKind::kOther;
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  std::uint64_t links = 1;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::string stamp;
};
std::error_code LookAtEntry(const char* path, EntryLook& look);

// Looks at the entries of one folder by their names, as LookAtEntry does, relative to the
// folder's parent held open rather than by whole paths: a clean looks at every file of a tree,
// and the system would walk every component of a deep path again for each. Where the platform
// cannot (Windows), by the whole path. One object serves one thread.
class FolderLooks {
 public:
  FolderLooks();
  ~FolderLooks();
  FolderLooks(const FolderLooks&) = delete;
  FolderLooks& operator=(const FolderLooks&) = delete;

  // The folder whose entries Look names; the same folder again keeps what is open.
  void Use(std::string_view folder);
  std::error_code Look(const char* name, EntryLook& look);

 private:
  struct Held;  // null until first needed, or when the folder's parent cannot be opened
  std::string m_folder;
  std::unique_ptr<Held> m_held;
};

// True when a part of path after its first from characters (a folder the caller trusts, which
// may itself lie below a link) is a symbolic link: what seems to lie at path then lies
// wherever that link leads. False when no such part is a link, or when a part is missing.
bool LinkOnTheWay(const std::string& path, std::size_t from);

// The target text of the link at path, as it was written (not resolved).
std::error_code ReadLinkTarget(const char* path, std::string& target);

// Makes a link at destination holding target, whose own modification time is set to the one
// given. With failIfExists, whatever has the name stays and gives std::errc::file_exists;
// otherwise the link replaces it in one step, by way of a hidden name in workFolder, which
// must lie on the same file system. Platforms or file systems without links refuse with
// std::errc::operation_not_supported.
std::error_code MakeLink(const std::string& target, const std::string& destination,
                         const std::string& workFolder, bool failIfExists,
                         std::int64_t modifiedSeconds, std::int64_t modifiedNanoseconds);
