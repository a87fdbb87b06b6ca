// The own copy of a link, found without passing through another one.
#include "store/link_copies.h"

#include "platform/platform_files.h"
#include "store/store_layout.h"

std::optional<LinkCopy> OwnLinkCopy(const std::string& store, std::string_view recordedPath) {
  std::optional<std::string> path = OwnLinkPathIn(store, recordedPath);
  if (!path || path->size() >= kMaxPath) return std::nullopt;
  LinkCopy copy{std::move(*path), {}};
  if (LookAtEntry(copy.path.c_str(), copy.look) || copy.look.kind != EntryKind::kLink ||
      LinkOnTheWay(copy.path, store.size())) {
    return std::nullopt;
  }
  return copy;
}
