// Path string operations over the platform's own path functions (shlwapi): PathMatchSpecA,
// PathFindExtensionA, PathFindFileNameA and PathRemoveFileSpecA; and the lexical resolution of
// "." and ".." with Windows' roots, on the string alone, asking the system nothing.
#include <string>

#include "platform/path_part_joins.h"
#include "platform/path_parts.h"
#include "platform/windows_system.h"

namespace {

bool IsEitherSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

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
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == kPathSeparator) {
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

std::optional<std::string> PathFromPartsBelowRoot(std::string_view parts) {
  const std::size_t first = parts.find(kPathSeparator);
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view root = parts.substr(0, first);
  if (root.size() == 1 && IsDriveLetter(root[0])) {
    return std::string(root) + ":" + std::string(parts.substr(first));
  }
  if (root != "UNC") return std::nullopt;
  // A share's path needs a server, a share and a name in it.
  const std::size_t server = parts.find(kPathSeparator, first + 1);
  if (server == std::string_view::npos ||
      parts.find(kPathSeparator, server + 1) == std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(1, kPathSeparator) + std::string(parts.substr(first));
}

bool IsSamePath(std::string_view a, std::string_view b) {
  const std::string left = CollapseSeparators(a);
  const std::string right = CollapseSeparators(b);
  return left.size() == right.size() &&
         ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, left.data(),
                          static_cast<int>(left.size()), right.data(),
                          static_cast<int>(right.size())) == CSTR_EQUAL;
}

std::string NormalPath(std::string_view path) {
  const auto separator = IsEitherSeparator;
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
    if (path.size() >= 3 && (path[2] == '?' || path[2] == '.') &&
        (path.size() == 3 || separator(path[3]))) {
      return std::string(path);
    }
    // A share's root is its server and share names: ".." climbs no higher.
    std::string root(2, kPathSeparator);
    std::size_t pos = 2;
    for (int name = 0; name < 2; ++name) {
      while (pos < path.size() && separator(path[pos])) ++pos;
      std::size_t end = pos;
      while (end < path.size() && !separator(path[end])) ++end;
      if (end == pos) break;
      if (name == 1) root += kPathSeparator;
      root.append(path.substr(pos, end - pos));
      pos = end;
    }
    return ResolveParts(std::move(root), true, path.substr(pos), separator);
  }
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    const bool rooted = path.size() >= 3 && separator(path[2]);
    std::string drive = std::string(path.substr(0, 2));
    if (rooted) drive += kPathSeparator;
    return ResolveParts(std::move(drive), rooted, path.substr(rooted ? 3 : 2), separator);
  }
  if (path.empty()) return {};
  const bool rooted = separator(path.front());
  return ResolveParts(rooted ? std::string(1, kPathSeparator) : std::string(), rooted, path,
                      separator);
}
