// FlushStore with its test observer.
#include "store/store_flush.h"

namespace {

void (*s_observer)() = nullptr;

}  // namespace

std::error_code FlushStore(FolderHandle& store, const std::vector<std::string>& writtenFolders) {
  if (s_observer != nullptr) s_observer();
  return store.FlushFileSystem(writtenFolders);
}

void SetStoreFlushObserverForTesting(void (*observer)()) { s_observer = observer; }
