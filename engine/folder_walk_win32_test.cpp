// Tests of the walk and the backup store on Windows paths: the records with their doubled
// backslashes, the callback's folder paths, the filter, the backups folder kept out of the
// walk, and list.txt taken for exclusive use while a record is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/test_support/temp_folder.h"

namespace {

std::vector<std::string>* g_paths = nullptr;
std::int32_t Record(const char* path, const FindData* /*data*/, std::int32_t /*userData*/) {
  g_paths->push_back(path);
  return 1;
}

// The program lives in <tree>\prog, so its backups folder is <tree>\prog\backups.
class WalkWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    g_paths = &paths;
    tree.MakeDir("prog");
    SetProgramPathForTesting(tree.Path("prog\\quillmar.exe"));
    g_strFilter.clear();
  }
  void TearDown() override {
    SetProgramPathForTesting("");
    g_strFilter.clear();
    g_fileList.Close();
    g_paths = nullptr;
  }
  std::vector<std::string> Records() const {
    const std::string list = TempFolder::Read(tree.Path("prog\\backups\\list.txt"));
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end; (end = list.find(';', start)) != std::string::npos; start = end + 1) {
      records.push_back(list.substr(start, end - start));
    }
    EXPECT_EQ(start, list.size()) << "unterminated record in " << list;
    return records;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
  }

  TempFolder tree;
  ScriptedBackend backend;
  std::vector<std::string> paths;
};

TEST_F(WalkWin32Test, RecordsCarryDoubledBackslashesBelowTheTop) {
  tree.MakeDir("D\\S\\T");
  tree.Write("D\\a.txt", "a");
  tree.Write("D\\b.dat", "b");
  tree.Write("D\\S\\c.txt", "c");
  tree.Write("D\\S\\T\\d.txt", "d");
  tree.Write("D\\S\\T\\e.TXT", "e");
  g_strFilter = "*.txt";
  const std::string d = tree.Path("D");
  EXPECT_EQ(WalkFolder(d.c_str(), "*.txt", Record, 0, WALK_FILES | WALK_FOLDERS), WALK_DONE);

  // The pattern's match is the platform's, without regard to case; the filter's is not.
  EXPECT_EQ(Sorted(paths), Sorted({d + "\\a.txt", d + "\\S\\\\c.txt", d + "\\S\\\\T\\\\d.txt",
                                   d + "\\S\\\\T\\\\e.TXT"}));
  EXPECT_EQ(Sorted(Records()),
            Sorted({d + "\\a.txt", d + "\\S\\\\c.txt", d + "\\S\\\\T\\\\d.txt"}));
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\d.txtBACKUP")), "d");
  EXPECT_FALSE(std::filesystem::exists(tree.Path("prog\\backups\\e.TXTBACKUP")));
  EXPECT_TRUE(backend.Messages().empty());

  // Folders reach the callback with their trailing separator.
  paths.clear();
  EXPECT_EQ(WalkFolder(d.c_str(), "*", Record, 0, WALK_FOLDERS), WALK_DONE);
  EXPECT_EQ(Sorted(paths), Sorted({d + "\\S\\", d + "\\S\\\\T\\"}));
}

TEST_F(WalkWin32Test, TheBackupsFolderInsideTheTreeIsNotWalked) {
  tree.Write("prog\\x.txt", "x");
  const std::string top = tree.Path();
  // Twice: the second walk finds the copies of the first in the tree and must not copy them.
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(WalkFolder(top.c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  }
  EXPECT_EQ(Records(),
            (std::vector<std::string>{top + "\\prog\\\\x.txt", top + "\\prog\\\\x.txt"}));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(tree.Path("prog\\backups"))) {
    names.push_back(entry.path().filename().string());
  }
  // The lock file that every instance shares stays; no temporary does.
  EXPECT_EQ(Sorted(names), (std::vector<std::string>{"list.lock", "list.txt", "x.txtBACKUP"}));
}

TEST_F(WalkWin32Test, NobodyElseOpensTheListWhileTheWalkHoldsIt) {
  tree.MakeDir("D\\S");
  tree.Write("D\\S\\c.txt", "c");
  // The callback of the sub-folder runs after its parent prepared the store, with list.txt
  // open for the walk.
  bool otherOpened = true;
  static bool* s_otherOpened = nullptr;
  s_otherOpened = &otherOpened;
  const auto tryOpen = [](const char*, const FindData*, std::int32_t) -> std::int32_t {
    CFile other;
    *s_otherOpened = other.Open(g_szListPath, CFile::modeRead | CFile::shareDenyNone);
    return 1;
  };
  const std::string d = tree.Path("D");
  EXPECT_EQ(WalkFolder(d.c_str(), "*", tryOpen, 0, WALK_FOLDERS), WALK_DONE);
  EXPECT_FALSE(otherOpened);
  // Once the walk has ended the list is free again.
  CFile after;
  EXPECT_TRUE(after.Open(tree.Path("prog\\backups\\list.txt"), CFile::modeRead));
}

}  // namespace

// An empty Directory box walks the root of the current drive: the search "\*.*" must find
// its folder, and the folders below the root come back as "\NAME\".
TEST_F(WalkWin32Test, EmptyDirectoryWalksTheCurrentDrivesRoot) {
  EXPECT_EQ(WalkFolder("", "*", Record, 0, WALK_FOLDERS | WALK_NO_RECURSE), WALK_DONE);
  ASSERT_FALSE(paths.empty());
  for (const std::string& path : paths) {
    EXPECT_EQ(path.front(), '\\') << path;
    EXPECT_EQ(path.back(), '\\') << path;
    EXPECT_EQ(path.find('\\', 1), path.size() - 1) << path;
  }
}
