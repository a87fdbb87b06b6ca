// The store's names, spelt out once for the engine and the restoration dialog.
#include "store/store_layout.h"

#include "platform/path_parts.h"

std::string CopyNameFor(std::string_view recordedPath) {
  std::string name(FindFileName(recordedPath));
  name += kCopySuffix;
  return name;
}

std::string ListPathIn(const std::string& store) { return store + std::string(kListFileName); }

std::string ReportPathIn(const std::string& store) { return store + std::string(kReportFileName); }

std::string SharedCopyPathIn(const std::string& store, std::string_view recordedPath) {
  return store + CopyNameFor(recordedPath);
}

namespace {

std::optional<std::string> MirrorPathIn(const std::string& store, std::string_view mirror,
                                        std::string_view recordedPath) {
  const std::optional<std::string> below = PartsBelowRoot(recordedPath);
  if (!below) return std::nullopt;
  std::string path;
  path.reserve(store.size() + mirror.size() + 1 + below->size());
  path += store;
  path += mirror;
  path += kPathSeparator;
  path += *below;
  return path;
}

}  // namespace

std::optional<std::string> OwnCopyPathIn(const std::string& store, std::string_view recordedPath) {
  return MirrorPathIn(store, kMirrorFolderName, recordedPath);
}

std::optional<std::string> OwnLinkPathIn(const std::string& store, std::string_view recordedPath) {
  std::optional<std::string> path = MirrorPathIn(store, kLinksFolderName, recordedPath);
  if (path) *path += kLinkSuffix;
  return path;
}

bool IsStoreTemporary(std::string_view name) {
  // Every copy ends with the suffix, even the copy of a hidden file; the temporaries are
  // hidden names with a random ending. The mirror and the report are not hidden.
  return name.size() > 1 && name.front() == '.' && name != "." && name != ".." &&
         !name.ends_with(kCopySuffix);
}
