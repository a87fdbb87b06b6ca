// The file functions the Win32 services call with a path, for paths of any length: the
// program's narrow paths (in its code page, UTF-8) are widened, and a path too long for the
// plain form is handed over in the extended-length form ("\\?\C:\...", "\\?\UNC\server\..."),
// which only the wide functions take. Below that length they behave as the narrow functions
// do. Internal to platform/.
#pragma once

#include <string>

#include "platform/windows_system.h"

// The path as the wide functions take it. An absolute path of MAX_PATH - 12 characters or
// more (the limit for a folder's own name) gets the extended-length form, its doubled
// separators made single and its "." and ".." parts resolved, since that form is taken
// literally. A relative path stays as it is, and a call with it fails if it is too long.
std::wstring WidePath(const std::string& path);
// Wide text in the program's code page.
std::string NarrowText(const wchar_t* text);

HANDLE CreateFileLong(const std::string& path, DWORD access, DWORD sharing, DWORD creation,
                      DWORD flags);
DWORD GetFileAttributesLong(const std::string& path);
// GetFileAttributesExW's standard information: the attributes, the three times and the size.
BOOL GetFileAttributesExLong(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data);
BOOL SetFileAttributesLong(const std::string& path, DWORD attributes);
BOOL CreateDirectoryLong(const std::string& path);
BOOL DeleteFileLong(const std::string& path);
BOOL MoveFileExLong(const std::string& from, const std::string& to, DWORD flags);
BOOL CreateHardLinkLong(const std::string& link, const std::string& existing);

// One entry of a folder search, its name in the program's code page however long.
struct FoundEntry {
  DWORD attributes = 0;
  std::string name;
};
// FindFirstFileW and FindNextFileW; INVALID_HANDLE_VALUE and FALSE on failure, with the
// reason in GetLastError().
HANDLE FindFirstLong(const std::string& pattern, FoundEntry& entry);
BOOL FindNextLong(HANDLE search, FoundEntry& entry);
