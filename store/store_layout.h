// The names in the backup store, spelt out once for the engine and the restoration dialog
// (where the store itself lives: store_location.h). The store folder holds:
//   list.txt          the restoration list
//   NAMEBACKUP        the latest copy of any file of that name, shared by all of them
//   paths/...         each recorded path's own latest copy, at the path's place below its root
//   links/...LINK     the same for each recorded path that is a symbolic link: a link
//   unprotected.txt   what the last clean could not protect (unprotected_report.h)
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view kListFileName = "list.txt";
inline constexpr std::string_view kCopySuffix = "BACKUP";
inline constexpr std::string_view kMirrorFolderName = "paths";
inline constexpr std::string_view kLinksFolderName = "links";
inline constexpr std::string_view kReportFileName = "unprotected.txt";

// The name, within the backups folder, of the copy of a recorded path: its file-name part
// followed by "BACKUP". Files of the same name share it.
std::string CopyNameFor(std::string_view recordedPath);

// Full paths inside the store folder store (which ends with a separator).
std::string ListPathIn(const std::string& store);
std::string ReportPathIn(const std::string& store);
std::string SharedCopyPathIn(const std::string& store, std::string_view recordedPath);
// The recorded path's own copy: "paths", then where the path lies below its root, so a
// record's doubled separators lead to the same copy as single ones. Nothing for a path whose
// parts do not say where it lies (relative, or with "." or ".." parts): it has only the
// shared copy.
std::optional<std::string> OwnCopyPathIn(const std::string& store, std::string_view recordedPath);
// The own copy of a recorded path that is a symbolic link: a link with the same target text,
// at the same place below "links" rather than "paths", its name followed by "LINK"
// (links/home/me/currentLINK). A link to a folder shares its path with what the walk found
// through it, whose own copies need real folders of that name: the files' below "paths", the
// links' below "links", beside the link's own copy. A link among those folders would lead the
// store's own writes wherever it points.
inline constexpr std::string_view kLinkSuffix = "LINK";
std::optional<std::string> OwnLinkPathIn(const std::string& store, std::string_view recordedPath);

// True for a name in the backups folder that is neither a copy nor the list: a hidden
// leftover of a copy or a rewrite that a killed process never finished.
bool IsStoreTemporary(std::string_view name);
