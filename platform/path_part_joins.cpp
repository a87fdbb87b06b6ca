// Joining path parts with single separators, and the folder part of a path, for both
// platforms' path parts.
#include "platform/path_part_joins.h"

#include "platform/path_parts.h"

std::optional<std::string> JoinPartsBelow(std::string prefix, std::string_view rest) {
  std::string joined = std::move(prefix);
  bool anyPart = false;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find(kPathSeparator, start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view part = rest.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    if (part == "." || part == "..") return std::nullopt;
    if (!joined.empty()) joined += kPathSeparator;
    joined.append(part);
    anyPart = true;
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

std::string FolderPart(std::string_view path) {
  std::string folder(path);
  RemoveFileSpec(folder.data());
  folder.resize(std::char_traits<char>::length(folder.c_str()));
  return folder;
}
