// Fuzz target for the path string operations: the wildcard match is checked against a plain
// dynamic-programming matcher, and the name, extension and folder parts and the lexical
// resolution against their contracts. A matcher that backtracks exponentially shows up as a
// time-out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_parts.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The classic table: row i, column j tells whether text[0, i) matches pattern[0, j).
bool ReferenceMatch(std::string_view text, std::string_view pattern) {
  std::vector<char> previous(pattern.size() + 1, 0), current(pattern.size() + 1, 0);
  previous[0] = 1;
  for (std::size_t j = 1; j <= pattern.size(); ++j) {
    previous[j] = previous[j - 1] && pattern[j - 1] == '*';
  }
  for (std::size_t i = 1; i <= text.size(); ++i) {
    current[0] = 0;
    for (std::size_t j = 1; j <= pattern.size(); ++j) {
      const char p = pattern[j - 1];
      if (p == '*') {
        current[j] = current[j - 1] || previous[j];
      } else {
        current[j] = previous[j - 1] && (p == '?' || Lower(p) == Lower(text[i - 1]));
      }
    }
    previous.swap(current);
  }
  return previous[pattern.size()] != 0;
}

std::string_view ReferenceName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ReferenceExtension(std::string_view path) {
  const std::string_view name = ReferenceName(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 4096) return 0;
  // First byte: where the text ends and the pattern begins.
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = data[0] % (input.size() + 1);
  const std::string_view text = input.substr(0, split);
  const std::string_view pattern = input.substr(split);

  bool expected = ReferenceMatch(text, pattern);
  if (!expected && pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      ReferenceExtension(text).empty()) {
    expected = ReferenceMatch(text, pattern.substr(0, pattern.size() - 2));
  }
  Check(MatchesWildcard(text, pattern) == expected);
  Check(MatchesWildcard(text, "*"));
  Check(MatchesWildcard(text, text) || text.find_first_of("*?") != std::string_view::npos);

  const std::string_view name = FindFileName(input);
  Check(name == ReferenceName(input));
  Check(name.data() + name.size() == input.data() + input.size());
  const std::string_view extension = FindExtension(input);
  Check(extension == ReferenceExtension(input));
  Check(extension.data() + extension.size() == input.data() + input.size());

  // The folder part, on a zero-terminated copy as callers hold it.
  std::string buffer(input);
  buffer.push_back('\0');
  const std::string before(buffer.c_str());
  const bool removed = RemoveFileSpec(buffer.data());
  const std::string after(buffer.c_str());
  Check(before.compare(0, after.size(), after) == 0);
  Check(removed == (after != before));
  const std::size_t slash = before.rfind('/');
  if (before.empty()) {
    Check(!removed);
  } else if (slash == std::string::npos) {
    Check(after.empty());
  } else if (slash == 0) {
    Check(after == "/");
  } else {
    Check(after == before.substr(0, slash));
  }
  // The lexical resolution: a fixed point, with no part left to resolve and no separator
  // doubled or trailing; an absolute result says where it lies by its parts alone.
  const std::string normal = NormalPath(input);
  Check(NormalPath(normal) == normal);
  Check(input.empty() == normal.empty());
  Check(normal.find("//") == std::string::npos);
  Check(normal.size() <= 1 || normal.back() != '/');
  Check(normal.find("/./") == std::string::npos && !normal.ends_with("/."));
  if (!normal.empty() && normal.front() == '/') {
    Check(normal.find("/../") == std::string::npos && !normal.ends_with("/.."));
    Check(PartsBelowRoot(normal + "/x").has_value());
  }
  return 0;
}
