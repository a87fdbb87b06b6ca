// RestoreBatch: the entries' restores with their list rewrite and flush gathered at the end.
#include "store/restore_batch.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/entry_links.h"
#include "platform/folder_paths.h"
#include "store/link_copies.h"
#include "store/store_layout.h"

RestoreBatch::RestoreBatch(std::string store, ListOnDisk& list, RestoreConversation& conversation)
    : m_store(std::move(store)), m_list(list), m_conversation(conversation) {}

namespace {

// A path's own copy has two names where the file system has hard links: itself and the shared
// copy of its name. A third is most often the own copy of another name of the same file; a
// version that is a name of it too costs no more than a look.
constexpr std::uint64_t kNamesOfOneCopy = 2;

bool Restored(const RestoreOutcome& outcome) {
  return outcome.result == RestoreResult::kRestored ||
         outcome.result == RestoreResult::kRestoredOverwriting;
}

}  // namespace

template <class RestoreOne>
RestoreOutcome RestoreBatch::RestoreGrouped(const std::string& entry, const std::string& copy,
                                            const RestoreOne& restore) {
  EntryLook look;
  const bool shared = !copy.empty() && !LookAtEntry(copy.c_str(), look) &&
                      look.kind == EntryKind::kRegular && look.links > kNamesOfOneCopy;
  if (!shared) return restore();
  const FileKey key{look.device, look.index};
  if (const auto first = m_restoredFrom.find(key); first != m_restoredFrom.end()) {
    return RestoreEntryAsNameOf(m_store, entry, first->second, m_list, m_conversation, &m_end);
  }
  RestoreOutcome outcome = restore();
  if (Restored(outcome)) m_restoredFrom.emplace(key, entry);
  return outcome;
}

RestoreOutcome RestoreBatch::Restore(const std::string& entry) {
  const std::optional<std::string> own = OwnCopyPathIn(m_store, entry);
  return RestoreGrouped(entry, own ? *own : std::string(), [&] {
    return RestoreEntry(m_store, entry, m_list, m_conversation, &m_end);
  });
}

RestoreOutcome RestoreBatch::RestoreFrom(const std::string& entry, const std::string& copyPath) {
  return RestoreGrouped(entry, copyPath, [&] {
    return RestoreEntryFrom(m_store, entry, copyPath, m_list, m_conversation, &m_end);
  });
}

bool RestoreBatch::KeepsLinks() const { return IsFolder(m_store + std::string(kLinksFolderName)); }

bool RestoreBatch::LatestCopyIsLink(std::string_view entry) const {
  return OwnLinkCopy(m_store, entry).has_value();
}

void RestoreBatch::Forget(const std::string& entry) {
  ForgetEntry(entry, m_list, m_conversation, &m_end);
}

RestoreBatch::Ending RestoreBatch::Finish() {
  Ending ending;
  // The files first, so that a list without an entry never reaches the disk ahead of the
  // entry's file. A flush that fails is reported, but the files are back all the same.
  ending.flushError = m_end.restored.Flush();
  if (!m_end.dropped.empty()) ending.rewriteError = m_list.RemoveAll(m_end.dropped);
  m_end = {};
  return ending;
}
