// Path string operations over the platform's own path functions (shlwapi): PathMatchSpecA,
// PathFindExtensionA, PathFindFileNameA and PathRemoveFileSpecA.
#include <string>

#include "platform/path_parts.h"
#include "platform/path_part_joins.h"
#include "platform/windows_system.h"

bool MatchesWildcard(std::string_view text, std::string_view pattern) {
  // The views may not end in a terminator; the platform's functions need one.
  const std::string zText(text);
  const std::string zPattern(pattern);
  return ::PathMatchSpecA(zText.c_str(), zPattern.c_str()) != FALSE;
}

std::string_view FindExtension(std::string_view path) {
  const std::string zPath(path);
  const char* extension = ::PathFindExtensionA(zPath.c_str());
  return path.substr(static_cast<std::size_t>(extension - zPath.c_str()));
}

std::string_view FindFileName(std::string_view path) {
  const std::string zPath(path);
  const char* name = ::PathFindFileNameA(zPath.c_str());
  return path.substr(static_cast<std::size_t>(name - zPath.c_str()));
}

bool RemoveFileSpec(char* path) {
  if (path == nullptr) return false;
  return ::PathRemoveFileSpecA(path) != FALSE;
}

std::optional<std::string> PartsBelowRoot(std::string_view path) {
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && path[2] == kPathSeparator) {
    const char drive = static_cast<char>(path[0] & ~0x20);
    return JoinPartsBelow(std::string(1, drive), path.substr(3));
  }
  if (path.size() >= 3 && path[0] == kPathSeparator && path[1] == kPathSeparator) {
    // "\\?\" and "\\.\" name devices and raw forms, not a server's share.
    if (path[2] == '?' || path[2] == '.') return std::nullopt;
    return JoinPartsBelow("UNC", path.substr(2));
  }
  return std::nullopt;
}

bool IsSamePath(std::string_view a, std::string_view b) {
  const std::string left = CollapseSeparators(a);
  const std::string right = CollapseSeparators(b);
  return left.size() == right.size() &&
         ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, left.data(),
                          static_cast<int>(left.size()), right.data(),
                          static_cast<int>(right.size())) == CSTR_EQUAL;
}
