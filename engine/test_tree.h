// Test support: a temporary folder tree on disk, removed with everything in it (however deep)
// when the test ends, and an engine fixture that points the program folder into it.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "platform/platform_files.h"
#include "engine/recorded_failures.h"
#include "platform/test_support/temp_folder.h"

namespace test_tree {

class TempTree {
 public:
  TempTree() : m_root(m_folder.Path()) {}

  const std::string& Root() const { return m_root; }
  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }

  void MakeDir(const std::string& relative) const {
    ASSERT_EQ(::mkdir(Path(relative).c_str(), 0777), 0) << relative;
  }
  void Write(const std::string& relative, const std::string& content) const {
    std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good()) << relative;
  }
  std::string Read(const std::string& relative) const { return ReadPath(Path(relative)); }
  bool Exists(const std::string& relative) const {
    struct stat st;
    return ::lstat(Path(relative).c_str(), &st) == 0;
  }
  // Names in a folder, "." and ".." left out, sorted.
  std::vector<std::string> List(const std::string& relative) const {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(Path(relative).c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string ReadPath(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

 private:
  TempFolder m_folder;
  std::string m_root;
};

// Every test starts with an empty filter, a closed list file and the program placed in
// <tree>/prog, so the backups folder is <tree>/prog/backups.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.MakeDir("prog");
    SetProgramPathForTesting(tree.Path("prog/quillmar"));
    g_strFilter.clear();
    g_fileList.Close();
    SetWalkProgressObserver(nullptr, nullptr);
  }
  void TearDown() override {
    SetProgramPathForTesting("");
    g_strFilter.clear();
    g_fileList.Close();
    SetWalkProgressObserver(nullptr, nullptr);
  }

  std::string List() const { return tree.Read("prog/backups/list.txt"); }
  std::vector<std::string> Backups() const { return tree.List("prog/backups"); }
  std::vector<std::string> Texts() const { return failures.Texts(); }

  TempTree tree;
  RecordedFailures failures;
};

// Splits list.txt content at ';' (the last record must end with one).
inline std::vector<std::string> Records(const std::string& list) {
  std::vector<std::string> records;
  std::string current;
  for (char c : list) {
    if (c == ';') {
      records.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  EXPECT_TRUE(current.empty()) << "unterminated record: " << current;
  return records;
}

// Open descriptors of this process, to prove that nothing is left open.
inline int OpenDescriptorCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] != '.') ++count;
    }
    ::closedir(dir);
  }
  return count;
}

}  // namespace test_tree
