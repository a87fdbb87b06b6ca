// Path string operations: the wildcard match, extension and name parts, folder part, and the
// lexical resolution of "." and "..".
#include <cstring>

#include "platform/path_part_joins.h"
#include "platform/path_parts.h"

namespace {

bool IsSeparator(char c) { return c == kPathSeparator; }

constexpr char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Linear-time-per-star match: on a mismatch only the last '*' is widened, which is enough
// because an earlier star can never need to take more than the later one already allows.
bool MatchPlain(std::string_view text, std::string_view pattern) {
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(text[t]))) {
      ++t;
      ++p;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view text, std::string_view pattern) {
  if (MatchPlain(text, pattern)) return true;
  // "name.*" stands for the name with any extension, none included.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      FindExtension(text).empty()) {
    return MatchPlain(text, pattern.substr(0, pattern.size() - 2));
  }
  return false;
}

std::string_view FindExtension(std::string_view path) {
  std::string_view name = FindFileName(path);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return path.substr(path.size());
  return name.substr(dot);
}

std::string_view FindFileName(std::string_view path) {
  std::size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string_view::npos) return path;
  return path.substr(slash + 1);
}

bool RemoveFileSpec(char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  char* slash = std::strrchr(path, kPathSeparator);
  if (slash == nullptr) {
    path[0] = '\0';
    return true;
  }
  if (slash == path) {
    // The root keeps its separator: "/a" leaves "/", and "/" itself has nothing to remove.
    if (path[1] == '\0') return false;
    path[1] = '\0';
    return true;
  }
  *slash = '\0';
  return true;
}

std::optional<std::string> PartsBelowRoot(std::string_view path) {
  if (path.empty() || path.front() != kPathSeparator) return std::nullopt;
  return JoinPartsBelow(std::string(), path.substr(1));
}

std::optional<std::string> PathFromPartsBelowRoot(std::string_view parts) {
  if (parts.empty()) return std::nullopt;
  std::string path(1, kPathSeparator);
  path += parts;
  return path;
}

std::string NormalPath(std::string_view path) {
  if (path.empty()) return {};
  const bool rooted = IsSeparator(path.front());
  return ResolveParts(rooted ? std::string(1, kPathSeparator) : std::string(), rooted, path,
                      IsSeparator);
}

bool IsSamePath(std::string_view a, std::string_view b) {
  return CollapseSeparators(a) == CollapseSeparators(b);
}
