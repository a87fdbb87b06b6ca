// Joining path parts with single separators, resolving "." and ".." parts, and the folder part
// of a path, for both platforms' path parts.
#include "platform/path_part_joins.h"

#include <vector>

#include "platform/path_parts.h"

std::optional<std::string> JoinPartsBelow(std::string prefix, std::string_view rest) {
  // A plain loop: every file of a clean has its place below "paths" joined here.
  std::string joined = std::move(prefix);
  joined.reserve(joined.size() + 1 + rest.size());
  bool anyPart = false;
  for (std::size_t start = 0; start < rest.size();) {
    if (rest[start] == kPathSeparator) {
      ++start;
      continue;
    }
    std::size_t end = start;
    while (end < rest.size() && rest[end] != kPathSeparator) ++end;
    const std::string_view part = rest.substr(start, end - start);
    if (part == "." || part == "..") return std::nullopt;
    if (!joined.empty()) joined += kPathSeparator;
    joined.append(part);
    anyPart = true;
    start = end;
  }
  if (!anyPart) return std::nullopt;
  return joined;
}

std::string CollapseSeparators(std::string_view path) {
  std::string collapsed;
  collapsed.reserve(path.size());
  for (char c : path) {
    if (c == kPathSeparator && !collapsed.empty() && collapsed.back() == kPathSeparator) continue;
    collapsed += c;
  }
  return collapsed;
}

std::string ResolveParts(std::string start, bool rooted, std::string_view rest,
                         bool (*isSeparator)(char)) {
  std::vector<std::string_view> parts;
  std::size_t begin = 0;
  while (begin <= rest.size()) {
    std::size_t end = begin;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    const std::string_view part = rest.substr(begin, end - begin);
    begin = end + 1;
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      parts.push_back(part);
    } else if (!parts.empty() && parts.back() != "..") {
      parts.pop_back();
    } else if (!rooted) {
      parts.push_back(part);
    }
  }
  std::string resolved = std::move(start);
  if (parts.empty() && resolved.empty()) return ".";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool afterStart = i == 0;
    // A drive's relative "C:" takes its first part directly: "C:x".
    if (!afterStart || (rooted && !resolved.empty() && !isSeparator(resolved.back()))) {
      resolved += kPathSeparator;
    }
    resolved.append(parts[i]);
  }
  return resolved;
}

std::string FolderPart(std::string_view path) {
  std::string folder(path);
  RemoveFileSpec(folder.data());
  folder.resize(std::char_traits<char>::length(folder.c_str()));
  return folder;
}
