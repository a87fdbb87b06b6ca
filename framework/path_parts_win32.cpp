// Path string operations over the platform's own path functions (shlwapi): PathMatchSpecA,
// PathFindExtensionA, PathFindFileNameA and PathRemoveFileSpecA.
#include <string>

#include "path_parts.h"
#include "windows_api.h"

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
