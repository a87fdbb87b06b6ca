// The store's names, spelt out once for the engine and the restoration dialog.
#include "store/store_layout.h"

#include "framework/path_parts.h"
#include "framework/platform_files.h"

std::string StoreFolderPath() {
  std::string folder = GetProgramPath();
  const std::size_t slash = folder.rfind(kPathSeparator);
  if (slash == std::string::npos) return std::string();
  folder.resize(slash + 1);
  folder += "backups";
  folder += kPathSeparator;
  return folder;
}

std::string CopyNameFor(std::string_view recordedPath) {
  std::string name(FindFileName(recordedPath));
  name += kCopySuffix;
  return name;
}

bool IsStoreTemporary(std::string_view name) {
  // Every copy ends with the suffix, even the copy of a hidden file; the temporaries are
  // hidden names with a random ending.
  return name.size() > 1 && name.front() == '.' && name != "." && name != ".." &&
         !name.ends_with(kCopySuffix);
}
