// ListOnDisk: merges what other instances did to list.txt into a front end's own rewrite. The
// entries are parsed only when a rewrite needs them, so a load costs no second copy of them,
// and then only as views into the texts read.
#include "store/list_on_disk.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "store/list_records.h"
#include "store/list_rewrite.h"

namespace {

// The part of a list's contents that entries are read from: up to its first zero byte.
std::string_view TextOf(std::string_view contents) {
  return contents.substr(0, std::min(contents.find('\0'), contents.size()));
}

// The entries of a list text, as views into it, in file order or reversed.
std::vector<std::string_view> EntriesOf(std::string_view text, bool reversed) {
  std::vector<std::string_view> entries;
  ForEachEntry(text, [&](std::string_view entry) { entries.push_back(entry); });
  if (reversed) std::reverse(entries.begin(), entries.end());
  return entries;
}

}  // namespace

void ListOnDisk::Loaded(std::string path, std::string contents) {
  m_path = std::move(path);
  Restart(std::move(contents));
}

void ListOnDisk::Restart(std::string contents) {
  m_known = std::move(contents);
  m_reversed = true;
  m_appended = 0;
}

void ListOnDisk::Wrote(std::string text, std::size_t appended) {
  m_known = std::move(text);
  m_reversed = false;
  m_appended = appended;
}

std::error_code ListOnDisk::Remove(const std::string& entry) { return RemoveAll({entry}); }

std::error_code ListOnDisk::RemoveAll(const std::vector<std::string>& entries) {
  if (m_path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  Rewrite rewrite;
  std::string seen;
  const std::error_code failure =
      RewriteList(m_path, [&](std::string current) -> std::optional<std::string> {
        rewrite = Compose(current, entries);
        if (!rewrite.text) seen = std::move(current);
        return rewrite.text;
      });
  if (failure) return failure;
  if (rewrite.text) {
    Wrote(std::move(*rewrite.text), rewrite.appended);
  } else {
    // Nothing was written: the file as it is now is what the next rewrite starts from, not
    // an empty list that would keep every later rewrite from finding its entry.
    Restart(std::move(seen));
  }
  return {};
}

ListOnDisk::Rewrite ListOnDisk::Compose(const std::string& current,
                                        const std::vector<std::string>& restored) const {
  // The entries in the order they go out, as views into m_known and current; the bytes from
  // the first zero byte on, which no entry is read from, go out behind them as they are.
  std::vector<std::string_view> order;
  std::string tail;
  Rewrite rewrite;
  if (current.starts_with(m_known)) {
    std::string_view knownPart = m_known;
    // A list read without the store's lock while another instance appended may end inside the
    // record being written. Its start is no entry of the front end's but the beginning of what
    // was appended, which the file now holds whole: split off, it would tear that record in two.
    if (current.size() > m_known.size() && TextOf(m_known).size() == m_known.size() &&
        !m_known.empty() && m_known.back() != kRecordEnd) {
      const std::size_t lastEnd = knownPart.rfind(kRecordEnd);
      knownPart = knownPart.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
    }
    const std::string_view known = TextOf(knownPart);
    order = EntriesOf(known, m_reversed);
    rewrite.appended = m_appended;
    tail = knownPart.substr(known.size());
    const std::string_view since = std::string_view(current).substr(knownPart.size());
    // Behind a zero byte no entry is read, so what lands there stays part of the tail.
    if (!tail.empty()) {
      tail += since;
    } else {
      const std::string_view appended = TextOf(since);
      const std::vector<std::string_view> latestFirst = EntriesOf(appended, true);
      order.insert(order.begin(), latestFirst.begin(), latestFirst.end());
      rewrite.appended += latestFirst.size();
      tail = since.substr(appended.size());
    }
  } else {
    // Rewritten by another instance: every entry of it counts as the front end's own.
    const std::string_view text = TextOf(current);
    order = EntriesOf(text, true);
    tail = current.substr(text.size());
  }

  std::unordered_map<std::string_view, std::size_t> wanted;
  for (const std::string& entry : restored) ++wanted[entry];
  std::string text;
  text.reserve(current.size());
  bool removed = false;
  for (std::size_t i = 0; i < order.size(); ++i) {
    // Other instances' records are not the front end's to remove.
    if (i >= rewrite.appended) {
      const auto found = wanted.find(order[i]);
      if (found != wanted.end() && found->second > 0) {
        --found->second;
        removed = true;
        continue;
      }
    }
    text += order[i];
    text += kRecordEnd;
  }
  if (!removed) return Rewrite{};
  text += tail;
  rewrite.text = std::move(text);
  return rewrite;
}
