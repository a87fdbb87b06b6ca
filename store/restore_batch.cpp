// RestoreBatch: the entries' restores with their list rewrite and flush gathered at the end.
#include "store/restore_batch.h"

#include <utility>

RestoreBatch::RestoreBatch(std::string store, ListOnDisk& list, RestoreConversation& conversation)
    : m_store(std::move(store)), m_list(list), m_conversation(conversation) {}

RestoreOutcome RestoreBatch::Restore(const std::string& entry) {
  return RestoreEntry(m_store, entry, m_list, m_conversation, &m_end);
}

RestoreOutcome RestoreBatch::RestoreFrom(const std::string& entry, const std::string& copyPath) {
  return RestoreEntryFrom(m_store, entry, copyPath, m_list, m_conversation, &m_end);
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
