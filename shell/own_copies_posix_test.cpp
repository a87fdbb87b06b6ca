// Clean, then restore through the restoration list, on real trees whose files share names:
// every path must come back with its own contents, with or without hard links in the store.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <filesystem>
#include <set>
#include <string>

#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "shell/clean_boxes.h"
#include "platform/file_copies.h"
#include "framework/scripted/scripted_backend.h"
#include "restore/restore_list_dlg.h"
#include "shell_test_folder.h"
#include "platform/test_support/file_system_without_links.h"

namespace {

constexpr int kFolders = 30;
constexpr int kNames = 10;

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }

std::string ContentsOf(int folder, int name) {
  return "folder " + std::to_string(folder) + ", file " + std::to_string(name) + "\n";
}

// Bytes of the regular files below path, each file counted once however many names it has.
std::uintmax_t DiskBytes(const std::string& path) {
  std::set<std::pair<dev_t, ino_t>> seen;
  std::uintmax_t bytes = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
    struct stat st;
    if (!entry.is_regular_file() || ::stat(entry.path().c_str(), &st) != 0) continue;
    if (seen.insert({st.st_dev, st.st_ino}).second) bytes += static_cast<std::uintmax_t>(st.st_size);
  }
  return bytes;
}

class OwnCopiesTest : public ::testing::Test {
 protected:
  void SetUp() override { g_strFilter.clear(); }
  void TearDown() override {
    EXPECT_TRUE(backend.Problems().empty()) << backend.Problems().front();
  }

  void MakeTree() {
    folder.MakeDir("data");
    for (int f = 0; f < kFolders; ++f) {
      folder.MakeDir("data/d" + std::to_string(f));
      for (int n = 0; n < kNames; ++n) {
        folder.Write("data/d" + std::to_string(f) + "/n" + std::to_string(n) + ".txt",
                     ContentsOf(f, n));
      }
    }
  }
  std::int32_t Clean() {
    CleanBoxes boxes;
    ScopedCleanReporter reporting(boxes);
    return WalkFolder(folder.Path("data").c_str(), "*", GoOn, 0, WALK_FILES | WALK_FOLDERS);
  }
  // Restores the first entry of the list, entries times, through the dialog.
  void RestoreAll(int entries) {
    CRestoreListDlg dialog;
    for (int i = 0; i < entries; ++i) backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE);
    dialog.DoModal();
    EXPECT_EQ(backend.PendingActions(), 0u);
  }

  ShellTestFolder folder;
  ScriptedBackend backend;
};

TEST_F(OwnCopiesTest, FilesSharingNamesInManyFoldersEachComeBackWithTheirOwnContents) {
  for (const bool links : {true, false}) {
    SCOPED_TRACE(links ? "hard links" : "no hard links");
    std::optional<FileSystemWithoutLinks> noLinks;
    if (!links) noLinks.emplace();
    std::filesystem::remove_all(folder.Path("prog/backups"));
    backend.ClearMessages();
    MakeTree();
    const std::uintmax_t treeBytes = DiskBytes(folder.Path("data"));
    ASSERT_EQ(Clean(), WALK_DONE);
    EXPECT_TRUE(backend.Messages().empty());
    EXPECT_TRUE(UnprotectedItems().empty());
    // With links every copy is written once; without, the ten shared copies come on top.
    std::uintmax_t lastFolderBytes = 0;
    for (int n = 0; n < kNames; ++n) lastFolderBytes += ContentsOf(kFolders - 1, n).size();
    const std::uintmax_t storeBytes = DiskBytes(folder.Path("prog/backups")) -
                                      std::filesystem::file_size(folder.BackupsPath("list.txt"));
    EXPECT_GE(storeBytes, treeBytes);
    EXPECT_LE(storeBytes, treeBytes + (links ? 0 : lastFolderBytes + 10 * ContentsOf(0, 0).size()));
    RecordProperty(links ? "store_bytes_with_links" : "store_bytes_without_links",
                   std::to_string(storeBytes));
    RecordProperty("tree_bytes", std::to_string(treeBytes));

    std::filesystem::remove_all(folder.Path("data"));
    RestoreAll(kFolders * kNames);
    std::vector<std::string> expected(kFolders * kNames, "File Restored");
    EXPECT_EQ(backend.MessageTexts(), expected);
    for (int f = 0; f < kFolders; ++f) {
      for (int n = 0; n < kNames; ++n) {
        const std::string path =
            folder.Path("data/d" + std::to_string(f) + "/n" + std::to_string(n) + ".txt");
        ASSERT_EQ(ShellTestFolder::Read(path), ContentsOf(f, n)) << path;
      }
    }
    std::filesystem::remove_all(folder.Path("data"));
  }
}

TEST_F(OwnCopiesTest, ASecondCleanOfAChangedFileRestoresItsNewerContents) {
  MakeTree();
  ASSERT_EQ(Clean(), WALK_DONE);
  folder.Write("data/d3/n4.txt", "changed since the first clean\n");
  ASSERT_EQ(Clean(), WALK_DONE);
  std::filesystem::remove_all(folder.Path("data"));
  // The list holds every path twice: take the record of the first clean.
  CRestoreListDlg dialog;
  const std::string wanted = folder.Path("data") + "/d3//n4.txt";
  int index = -1;
  {
    const std::string records = ShellTestFolder::Read(folder.BackupsPath("list.txt"));
    int i = 0;
    for (std::size_t start = 0, end; (end = records.find(';', start)) != std::string::npos;
         start = end + 1, ++i) {
      if (records.substr(start, end - start) == wanted) {
        index = i;
        break;
      }
    }
  }
  ASSERT_GE(index, 0);
  backend.Pick(IDC_LIST_ENTRIES, index).Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), std::vector<std::string>{"File Restored"});
  EXPECT_EQ(ShellTestFolder::Read(folder.Path("data/d3/n4.txt")), "changed since the first clean\n");
}

}  // namespace
