// Test support for walks over hostile trees: the engine fixture with the backups folder made
// beforehand (so that a snapshot of the rest of the tree can be compared before and after) and
// a callback that records what the walk hands it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/test_tree.h"
#include "engine/tree_snapshot.h"

namespace test_tree {

inline constexpr const char* kCopyFailed = "CopyFile failed.";
inline constexpr const char* kWriteFailed = "Failed writting to backup text file";

struct Visits {
  std::vector<std::string> files;
  std::vector<std::string> folders;
  std::function<std::int32_t(const std::string&, bool folder)> onCall;
};
inline Visits* g_visits = nullptr;

inline std::int32_t RecordVisit(const char* path, const FindData* data, std::int32_t) {
  bool folder = (data->dwFileAttributes & kFolderAttribute) != 0;
  (folder ? g_visits->folders : g_visits->files).push_back(path);
  return g_visits->onCall ? g_visits->onCall(path, folder) : 1;
}

class HostileTreeTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    tree.MakeDir("prog/backups");
    g_visits = &visits;
  }
  void TearDown() override {
    g_visits = nullptr;
    EngineTest::TearDown();
  }
  Snapshot Outside() const { return TakeSnapshot(tree.Root(), "prog/backups"); }
  std::int32_t Walk(const std::string& directory, std::int32_t flags = WALK_FILES | WALK_FOLDERS,
                    const char* pattern = "*") {
    return WalkFolder(directory.c_str(), pattern, RecordVisit, 0, flags);
  }
  std::vector<std::string> ListRecords() const { return Records(List()); }

  Visits visits;
};

inline std::vector<std::string> SortedCopy(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

}  // namespace test_tree
