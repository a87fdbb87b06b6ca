// ListOnDisk: merges what other instances did to list.txt into a front end's own rewrite. The
// entries are parsed only when a rewrite needs them, so a load costs no second copy of them.
#include "store/list_on_disk.h"

#include <algorithm>
#include <iterator>

#include "store/list_records.h"
#include "store/list_rewrite.h"

namespace {

// The entries of contents, each added at the head of order (so in reverse), or at its tail.
// Returns the bytes from the first zero byte on, behind which no entry is read.
std::string AddEntries(const std::string& contents, std::list<std::string>& order, bool atHead,
                       std::size_t* count = nullptr) {
  ListContents parts = SplitListContents(contents);
  ForEachEntry(parts.text, [&](std::string_view entry) {
    if (atHead) {
      order.emplace_front(entry);
    } else {
      order.emplace_back(entry);
    }
    if (count != nullptr) ++*count;
  });
  return std::move(parts.tail);
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

std::error_code ListOnDisk::Remove(const std::string& entry) {
  if (m_path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  Rewrite rewrite;
  std::string seen;
  const std::error_code failure =
      RewriteList(m_path, [&](std::string current) -> std::optional<std::string> {
        rewrite = Compose(current, entry);
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
                                        const std::string& restored) const {
  std::list<std::string> order;
  std::string tail;
  Rewrite rewrite;
  if (current.starts_with(m_known)) {
    rewrite.appended = m_appended;
    tail = AddEntries(m_known, order, m_reversed);
    const std::string appended = current.substr(m_known.size());
    // Behind a zero byte no entry is read, so what lands there stays part of the tail.
    if (!tail.empty()) {
      tail += appended;
    } else {
      tail = AddEntries(appended, order, /*atHead=*/true, &rewrite.appended);
    }
  } else {
    // Rewritten by another instance: every entry of it counts as the front end's own.
    tail = AddEntries(current, order, /*atHead=*/true);
  }
  const auto own = std::next(order.begin(), static_cast<std::ptrdiff_t>(rewrite.appended));
  const auto found = std::find(own, order.end(), restored);
  if (found == order.end()) return Rewrite{};
  order.erase(found);
  std::string text;
  for (const std::string& entry : order) text += RecordOf(entry);
  text += tail;
  rewrite.text = std::move(text);
  return rewrite;
}
