// Records of list.txt.
#include "store/list_records.h"

#include <algorithm>

bool IsRecordable(std::string_view path) { return path.find(kRecordEnd) == std::string_view::npos; }

std::string RecordOf(std::string_view path) {
  std::string record(path);
  record += kRecordEnd;
  return record;
}

ListContents SplitListContents(std::string contents) {
  const std::size_t zero = std::min(contents.find('\0'), contents.size());
  ListContents parts;
  parts.tail = contents.substr(zero);
  contents.resize(zero);
  parts.text = std::move(contents);
  return parts;
}
