// ListOnDisk: merges what other instances did to list.txt into the dialog's own rewrite.
#include "restore/list_on_disk.h"

#include <algorithm>
#include <iterator>

#include "store/list_records.h"

void ListOnDisk::Loaded(const std::string& contents) {
  m_known = contents;
  ListContents parts = SplitListContents(contents);
  m_order.clear();
  ForEachEntry(parts.text, [this](std::string_view entry) { m_order.emplace_front(entry); });
  m_appended = 0;
  m_tail = std::move(parts.tail);
}

void ListOnDisk::TakeAppended(const std::string& appended) {
  // Behind a zero byte no entry is read, so what lands there stays part of the tail.
  if (!m_tail.empty()) {
    m_tail += appended;
    return;
  }
  ListContents parts = SplitListContents(appended);
  ForEachEntry(parts.text, [this](std::string_view entry) {
    m_order.emplace_front(entry);
    ++m_appended;
  });
  m_tail = std::move(parts.tail);
}

std::optional<std::string> ListOnDisk::Compose(const std::string& current,
                                               const std::string& restored) {
  if (current.starts_with(m_known)) {
    TakeAppended(current.substr(m_known.size()));
  } else {
    Loaded(current);
  }
  const auto own = std::next(m_order.begin(), static_cast<std::ptrdiff_t>(m_appended));
  const auto found = std::find(own, m_order.end(), restored);
  if (found == m_order.end()) return std::nullopt;
  m_order.erase(found);
  std::string text;
  for (const std::string& entry : m_order) text += RecordOf(entry);
  text += m_tail;
  return text;
}
