// Tests of "Versions..." in the restoration list: the menu on the caret entry, the copies
// listed newest first, and a restore of an older one with the list's question, its report and
// the keeping of the file it replaces. On any platform: under Wine too.
#include "restore/versions_dlg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "restore/restore_list_dlg.h"
#include "store/store_layout.h"
#include "store/store_location.h"
#include "store/versions.h"

namespace {

using Texts = std::vector<std::string>;

constexpr const char* kOverwrite = "File already exists. Overwrite it?";

std::int64_t Time(const char* text) { return ParseVersionTime(text).value(); }

class VersionsDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.MakeDir("prog");
    tree.MakeDir("data");
    SetProgramPathForTesting(tree.Path("prog/quillmar.exe"));
    store = BackupsFolderPath();
    ASSERT_FALSE(CreateBackupsFolder(store));
  }
  void TearDown() override {
    SetProgramPathForTesting("");
    EXPECT_TRUE(backend.Problems().empty()) << backend.Problems().front();
    EXPECT_EQ(backend.PendingActions(), 0u);
  }

  std::string Data(const std::string& name) const { return tree.Path("data/" + name); }
  void WriteList(const Texts& entries) const {
    std::string text;
    for (const std::string& entry : entries) text += entry + ";";
    WriteFile(ListPathIn(store), text);
  }
  std::string List() const { return TempFolder::Read(ListPathIn(store)); }
  // Gives entry its own copy, holding own, and a version for each (time, contents).
  void MakeCopies(const std::string& entry, const std::string& own,
                  const std::vector<std::pair<std::int64_t, std::string>>& versions) {
    const std::string ownPath = OwnCopyPathIn(store, entry).value();
    std::filesystem::create_directories(std::filesystem::path(ownPath).parent_path());
    WriteFile(ownPath, own);
    for (const auto& [takenAt, contents] : versions) {
      const std::string source = tree.Path("source");
      WriteFile(source, contents);
      ASSERT_FALSE(KeepAsVersion(store, source, entry, takenAt));
      std::filesystem::remove(source);  // the version keeps the file under its own name
    }
  }
  static void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
  }
  ScriptedWindow& Active() const { return *backend.ActiveWindow(); }
  // The texts of the context menu open now.
  Texts MenuShown() const {
    Texts texts;
    for (const MenuItem& item : Active().ContextMenu()) texts.push_back(item.text);
    return texts;
  }

  TempFolder tree;
  ScriptedBackend backend;
  std::string store;
};

TEST_F(VersionsDlgTest, RestoresTheChosenCopyOverTheFileAndKeepsTheFileItReplaces) {
  const std::string entry = Data("a.txt");
  MakeCopies(entry, "three",
             {{Time("2024-11-30 080000"), "one"}, {Time("2024-12-01 093012"), "two"}});
  WriteFile(entry, "edited");
  WriteList({entry});
  CRestoreListDlg dialog;
  backend.ContextMenu(IDC_LIST_ENTRIES)
      .Then([&] { EXPECT_EQ(MenuShown(), Texts{"&Versions..."}); })
      .ChooseMenuItem(IDM_VERSIONS)
      .Then([&] {
        EXPECT_EQ(Active().Title(), "Versions");
        EXPECT_EQ(Active().GetItemText(IDC_VERSIONS_PATH), entry);
        EXPECT_EQ(Active().ListItems(IDC_VERSIONS_LIST),
                  (Texts{"time not noted, 5 bytes, latest", "2024-12-01 093012 UTC, 3 bytes",
                         "2024-11-30 080000 UTC, 3 bytes"}));
        EXPECT_EQ(Active().ListCaret(IDC_VERSIONS_LIST), 0);
      })
      .Pick(IDC_VERSIONS_LIST, 1)
      .Click(IDC_VERSIONS_RESTORE)
      .Answer(IDYES)
      // Back in the list, which the entry has left.
      .Then([&] {
        EXPECT_EQ(Active().Title(), "Restoration List");
        EXPECT_TRUE(Active().ListItems(IDC_LIST_ENTRIES).empty());
      })
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), (Texts{kOverwrite, "File Restored"}));
  EXPECT_EQ(TempFolder::Read(entry), "two");
  EXPECT_EQ(List(), "");
  EXPECT_TRUE(dialog.Entries().empty());
  // The edited file is the newest version now; the older copies are all still there.
  const std::vector<Version> copies = CopiesOf(store, entry);
  ASSERT_EQ(copies.size(), 4u);
  EXPECT_EQ(TempFolder::Read(copies[0].path), "three");
  EXPECT_EQ(TempFolder::Read(copies[1].path), "edited");
  EXPECT_EQ(TempFolder::Read(copies[2].path), "two");
  EXPECT_EQ(TempFolder::Read(copies[3].path), "one");
}

TEST_F(VersionsDlgTest, NoToTheQuestionChangesNothingAndKeepsTheDialogOpen) {
  const std::string entry = Data("a.txt");
  MakeCopies(entry, "three", {{Time("2024-12-01 093012"), "two"}});
  WriteFile(entry, "edited");
  WriteList({entry});
  CRestoreListDlg dialog;
  backend.ContextMenu(IDC_LIST_ENTRIES, 0)
      .ChooseMenuItem(IDM_VERSIONS)
      .Pick(IDC_VERSIONS_LIST, 1)
      .Click(IDC_VERSIONS_RESTORE)
      .Answer(IDNO)
      .Then([&] { EXPECT_EQ(Active().Title(), "Versions"); })
      .Close()
      .Then([&] { EXPECT_EQ(Active().ListItems(IDC_LIST_ENTRIES), Texts{entry}); })
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), Texts{kOverwrite});
  EXPECT_EQ(TempFolder::Read(entry), "edited");
  EXPECT_EQ(List(), entry + ";");
  EXPECT_EQ(CopiesOf(store, entry).size(), 2u);
}

TEST_F(VersionsDlgTest, TheMenuIsForTheCaretEntryWhichARightClickMoves) {
  const std::string a = Data("a.txt"), b = Data("b.txt");
  MakeCopies(a, "a2", {{Time("2024-12-01 093012"), "a1"}});
  MakeCopies(b, "b2", {{Time("2024-12-01 093012"), "b1"}});
  WriteList({a, b});
  CRestoreListDlg dialog;
  Texts opened;
  auto noteEntry = [&] { opened.push_back(Active().GetItemText(IDC_VERSIONS_PATH)); };
  backend.PressListKey(IDC_LIST_ENTRIES, ListKey::Down)
      .ContextMenu(IDC_LIST_ENTRIES)
      .ChooseMenuItem(IDM_VERSIONS)
      .Then(noteEntry)
      .Escape()
      .ContextMenu(IDC_LIST_ENTRIES, 0)
      .ChooseMenuItem(IDM_VERSIONS)
      .Then(noteEntry)
      .Escape()
      // Elsewhere the list offers no menu of its own.
      .ContextMenu(IDC_RESTORE)
      .Then([&] { EXPECT_TRUE(MenuShown().empty()); })
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(opened, (Texts{b, a}));
  EXPECT_TRUE(backend.Messages().empty());
  EXPECT_EQ(List(), a + ";" + b + ";");
}

TEST_F(VersionsDlgTest, AnEntryWithOnlyTheSharedCopyHasNoVersionsToShow) {
  const std::string entry = Data("a.txt");
  WriteFile(SharedCopyPathIn(store, entry), "shared");
  WriteList({entry});
  CRestoreListDlg dialog;
  backend.ContextMenu(IDC_LIST_ENTRIES)
      .ChooseMenuItem(IDM_VERSIONS)
      .Then([&] { EXPECT_EQ(Active().Title(), "Restoration List"); })
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), Texts{"There are no versions of this entry."});
}

TEST_F(VersionsDlgTest, ACopyGoneSinceTheListWasReadIsSaidAndTheOthersStay) {
  const std::string entry = Data("a.txt");
  MakeCopies(entry, "three",
             {{Time("2024-11-30 080000"), "one"}, {Time("2024-12-01 093012"), "two"}});
  WriteList({entry});
  CRestoreListDlg dialog;
  backend.ContextMenu(IDC_LIST_ENTRIES)
      .ChooseMenuItem(IDM_VERSIONS)
      .Then([&] { std::filesystem::remove(CopiesOf(store, entry)[2].path); })
      .Pick(IDC_VERSIONS_LIST, 2)
      .Click(IDC_VERSIONS_RESTORE)
      .Then([&] {
        EXPECT_EQ(Active().Title(), "Versions");
        EXPECT_EQ(Active().ListCount(IDC_VERSIONS_LIST), 2);
      })
      .Escape()
      .Escape();
  dialog.DoModal();
  ASSERT_EQ(backend.Messages().size(), 1u);
  EXPECT_EQ(backend.Messages()[0].caption, "Error");
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_EQ(List(), entry + ";");
}

}  // namespace
