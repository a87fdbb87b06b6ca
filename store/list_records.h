// The records of list.txt: each the path of a backed-up file followed by ";", with no
// escaping. Writing one, and reading them back.
#pragma once

#include <string>
#include <string_view>

inline constexpr char kRecordEnd = ';';

// False for a path the list could not give back whole: one holding the separator would
// read back as two entries, neither of them a path that was backed up.
bool IsRecordable(std::string_view path);

// The record of path as it goes into the file.
std::string RecordOf(std::string_view path);

// The contents of list.txt split at its first zero byte: the text the entries are read from,
// and the bytes from the zero on, which no entry is read from but every rewrite keeps.
struct ListContents {
  std::string text;
  std::string tail;
};
ListContents SplitListContents(std::string contents);

// Calls take(entry) for every entry of a list text: the runs before each ";", and the text
// after the last ";" when there is any, so that a rewrite loses nothing an editor added.
template <class Take>
void ForEachEntry(std::string_view text, Take take) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(kRecordEnd, start);
    if (end == std::string_view::npos) {
      take(text.substr(start));
      return;
    }
    take(text.substr(start, end - start));
    start = end + 1;
  }
}
