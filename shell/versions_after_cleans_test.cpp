// Three cleans of a file that changes between them, then "Versions..." in the restoration
// list: the window lists the three copies the cleans took, and brings back the middle one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "restore/restore_list_dlg.h"
#include "restore/versions_dlg.h"
#include "shell/clean_boxes.h"
#include "shell_test_folder.h"
#include "store/store_location.h"
#include "store/versions.h"

namespace {

using Texts = std::vector<std::string>;

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }

class VersionsAfterCleansTest : public ::testing::Test {
 protected:
  void SetUp() override { g_strFilter.clear(); }
  void TearDown() override {
    EXPECT_TRUE(backend.Problems().empty()) << backend.Problems().front();
    EXPECT_EQ(backend.PendingActions(), 0u);
  }
  void Clean() {
    CleanBoxes boxes;
    ScopedCleanReporter reporting(boxes);
    ASSERT_EQ(WalkFolder(folder.Path("data").c_str(), "*", GoOn, 0, WALK_FILES | WALK_FOLDERS),
              WALK_DONE);
  }

  ShellTestFolder folder;
  ScriptedBackend backend;
};

TEST_F(VersionsAfterCleansTest, TheWindowListsEachCleansCopyAndRestoresTheMiddleOne) {
  folder.MakeDir("data");
  const std::string file = folder.Path("data/notes.txt");
  for (const char* contents : {"first\n", "second, longer\n", "third, the longest\n"}) {
    folder.Write("data/notes.txt", contents);
    Clean();
  }
  ASSERT_TRUE(backend.Messages().empty());

  CRestoreListDlg dialog;
  Texts rows;
  backend.ContextMenu(IDC_LIST_ENTRIES)
      .ChooseMenuItem(IDM_VERSIONS)
      .Then([&] { rows = backend.ActiveWindow()->ListItems(IDC_VERSIONS_LIST); })
      .Pick(IDC_VERSIONS_LIST, 1)
      .Click(IDC_VERSIONS_RESTORE)
      .Answer(IDYES)  // the file holds the third contents
      .Escape();
  dialog.DoModal();

  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[0].ends_with(", 19 bytes, latest")) << rows[0];
  EXPECT_TRUE(rows[1].ends_with(" UTC, 15 bytes")) << rows[1];
  EXPECT_TRUE(rows[2].ends_with(" UTC, 6 bytes")) << rows[2];
  EXPECT_EQ(backend.MessageTexts(), (Texts{"File already exists. Overwrite it?", "File Restored"}));
  EXPECT_EQ(ShellTestFolder::Read(file), "second, longer\n");
  // The third contents, which the restore replaced, are a version now, beside the others;
  // and one of the three records of the path has left the list.
  Texts kept;
  for (const Version& copy : CopiesOf(BackupsFolderPath(), file)) {
    kept.push_back(ShellTestFolder::Read(copy.path));
  }
  EXPECT_EQ(kept,
            (Texts{"third, the longest\n", "third, the longest\n", "second, longer\n", "first\n"}));
  EXPECT_EQ(dialog.Entries().size(), 2u);
}

}  // namespace
