// A test's own copy of an entry, where a clean leaves it in the store.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "platform/folder_paths.h"
#include "platform/platform_files.h"
#include "store/store_layout.h"

// Writes contents to scratch first: the copy's place may be too long for a stream to open,
// while the store's own copying reaches it.
inline void WriteOwnCopy(const std::string& store, const std::string& entry,
                         const std::string& contents, const std::string& scratch) {
  const std::optional<std::string> own = OwnCopyPathIn(store, entry);
  ASSERT_TRUE(own.has_value()) << entry;
  std::ofstream(scratch, std::ios::binary | std::ios::trunc) << contents;
  ASSERT_FALSE(CreateParentFolders(*own)) << *own;
  ASSERT_FALSE(CopyFileReplacing(scratch.c_str(), own->c_str(), false)) << *own;
}
