// Absolute paths, folder and file tests, the home folder and parent-folder creation over
// Win32: drive letters and UNC shares, GetFullPathNameA, CreateDirectoryA.
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_paths.h"
#include "platform/long_paths_win32.h"
#include "platform/path_parts.h"
#include "platform/windows_system.h"
// For the profile folder's known location only; no window is involved.
#include <shlobj.h>

namespace {

std::error_code LastError() {
  return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// How many leading characters name the root that path starts from: "C:\" (3), or
// "\\server\share\" (up to and with the separator after the share); 0 for any other path.
std::size_t RootLength(const std::string& path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == kPathSeparator) {
    return 3;
  }
  if (path.size() >= 2 && path[0] == kPathSeparator && path[1] == kPathSeparator) {
    const std::size_t server = path.find(kPathSeparator, 2);
    if (server == std::string::npos) return path.size();
    const std::size_t share = path.find(kPathSeparator, server + 1);
    return share == std::string::npos ? path.size() : share + 1;
  }
  return 0;
}

// The attributes of what path leads to, links and junctions followed; nothing when it is
// missing or a device.
std::optional<DWORD> TargetAttributes(const std::string& path) {
  HANDLE handle = CreateFileLong(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known =
      ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!known) return std::nullopt;
  return info.dwFileAttributes;
}

}  // namespace

bool IsAbsolutePath(const std::string& path) { return RootLength(path) != 0; }

std::error_code MakeAbsolute(std::string& path) {
  // No Windows name holds a double quote, so a path in quotes, as Explorer's "Copy as path"
  // and many a program's output give it, can only mean the path inside them.
  std::string_view unquoted = path;
  if (unquoted.size() >= 2 && unquoted.front() == '"' && unquoted.back() == '"') {
    unquoted = unquoted.substr(1, unquoted.size() - 2);
  }
  // Resolved first, so that a path typed with '/' is told absolute or not by its root.
  const std::string typed = NormalPath(unquoted);
  if (IsAbsolutePath(typed)) {
    path = typed;
    return {};
  }
  // "\x" and "C:x" depend on the current drive and that drive's current folder, which only
  // the system knows; a plain relative path goes after the current folder, as on Linux.
  const bool drivePart =
      !typed.empty() && (typed[0] == kPathSeparator || (typed.size() >= 2 && typed[1] == ':'));
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = drivePart
                        ? ::GetFullPathNameA(typed.c_str(), static_cast<DWORD>(buffer.size()),
                                             buffer.data(), nullptr)
                        : ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) return LastError();
    if (n < buffer.size()) break;
    buffer.resize(n + 1);
  }
  const std::string full = buffer.data();
  if (drivePart) {
    path = NormalPath(full);
    return {};
  }
  // The current folder may have been removed since it was entered.
  if (GetFileAttributesLong(full.c_str()) == INVALID_FILE_ATTRIBUTES) return LastError();
  path = NormalPath(full + kPathSeparator + typed);
  return {};
}

bool IsFolder(const std::string& path) {
  const std::optional<DWORD> attributes = TargetAttributes(path);
  return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(const std::string& path) {
  const std::optional<DWORD> attributes = TargetAttributes(path);
  return attributes && !(*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderTakesNewFiles(const std::string& folder) {
  // A name of this process's own, made and gone with its handle.
  const std::string probe = folder + kPathSeparator + ".quillmar-probe-" +
                            std::to_string(::GetCurrentProcessId()) + "-" +
                            std::to_string(::GetTickCount64());
  HANDLE handle = CreateFileLong(probe.c_str(), GENERIC_WRITE, 0, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE);
  if (handle == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(handle);
  return true;
}

bool IsMissing(const std::string& path) {
  if (GetFileAttributesLong(path) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string HomeFolder() {
  if (const char* profile = std::getenv("USERPROFILE");
      profile != nullptr && IsAbsolutePath(profile) && IsFolder(profile)) {
    return profile;
  }
  char folder[MAX_PATH];
  if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return folder;
  }
  // The system drive's root.
  char windows[MAX_PATH];
  const UINT n = ::GetSystemWindowsDirectoryA(windows, sizeof windows);
  if (n >= 3 && n < sizeof windows && windows[1] == ':') return std::string(windows, 3);
  return "C:\\";
}

std::error_code CreateParentFolders(const std::string& path) {
  const std::size_t last = path.rfind(kPathSeparator);
  if (last == std::string::npos) return {};
  const std::size_t root = RootLength(path);
  // Mostly the folder is there: one look instead of one attempt for each part of the way,
  // which a restore of many files would otherwise pay for each of them.
  if (last >= root && last > 0 && IsFolder(path.substr(0, last))) return {};
  for (std::size_t end = path.find(kPathSeparator, root == 0 ? 1 : root);
       end != std::string::npos && end <= last; end = path.find(kPathSeparator, end + 1)) {
    if (path[end - 1] == kPathSeparator) continue;  // a doubled separator ends no new folder
    const std::string folder = path.substr(0, end);
    // No security descriptor: the new folder inherits its parent's, the user's default.
    if (CreateDirectoryLong(folder.c_str())) continue;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) {
      return std::error_code(static_cast<int>(error), std::system_category());
    }
    if (!IsFolder(folder)) return std::make_error_code(std::errc::not_a_directory);
  }
  return {};
}
