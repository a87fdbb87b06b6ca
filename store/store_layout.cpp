// The store's names, spelt out once for the engine and the restoration dialog.
#include "store/store_layout.h"

#include "framework/path_parts.h"

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
