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
#include "framework/windows_api.h"

namespace {

// The number of names of the file at path, as NTFS (or Wine) counts them.
unsigned LinkCount(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  return known ? info.nNumberOfLinks : 0;
}

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
  EXPECT_EQ(Sorted(names),
            (std::vector<std::string>{"list.lock", "list.txt", "paths", "x.txtBACKUP"}));
}

TEST_F(WalkWin32Test, EachPathHasItsOwnCopyBelowItsDriveLetterHardLinkedToTheSharedOne) {
  tree.MakeDir("D\\S");
  tree.MakeDir("E");
  tree.Write("D\\S\\n.txt", "from D");
  tree.Write("E\\n.txt", "from E");
  for (const char* folder : {"D", "E"}) {
    EXPECT_EQ(WalkFolder(tree.Path(folder).c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  }
  EXPECT_TRUE(backend.Messages().empty());
  EXPECT_TRUE(UnprotectedItems().empty());
  // "Z:\\tmp\\...\\D\\S\\n.txt" has its copy at "paths\\Z\\tmp\\...\\D\\S\\n.txt".
  const std::string d = tree.Path("D\\S\\n.txt");
  const std::string e = tree.Path("E\\n.txt");
  const std::string mirror = tree.Path("prog\\backups\\paths") + "\\";
  const std::string ownD = mirror + d.substr(0, 1) + d.substr(2);
  const std::string ownE = mirror + e.substr(0, 1) + e.substr(2);
  EXPECT_EQ(TempFolder::Read(ownD), "from D");
  EXPECT_EQ(TempFolder::Read(ownE), "from E");
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\n.txtBACKUP")), "from E");
  // The latest path's copy and the shared copy are one file with two names.
  EXPECT_EQ(LinkCount(ownE), 2u);
  EXPECT_EQ(LinkCount(ownD), 1u);
}

TEST_F(WalkWin32Test, APathTooLongForItsOwnCopyKeepsTheSharedOneAndIsReported) {
  // Short enough to copy, too long once the store's folder and "paths\\" stand before it.
  const std::string folder = "D\\" + std::string(200 - tree.Path("D").size(), 'f');
  tree.MakeDir(folder);
  const std::string name = std::string(40, 'n');
  tree.Write(folder + "\\" + name, "long");
  ASSERT_LT(tree.Path(folder + "\\" + name).size() + 1, 259u);
  g_strFilter.clear();
  EXPECT_EQ(WalkFolder(tree.Path("D").c_str(), "*", Record, 0, WALK_FILES), WALK_DONE);
  EXPECT_EQ(TempFolder::Read(tree.Path("prog\\backups\\" + name + "BACKUP")), "long");
  ASSERT_EQ(UnprotectedItems().size(), 1u);
  EXPECT_NE(UnprotectedItems()[0].reason.find("too long for a copy of its own"),
            std::string::npos);
  EXPECT_EQ(Records().size(), 1u);
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
