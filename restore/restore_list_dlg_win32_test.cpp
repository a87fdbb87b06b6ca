// Tests of the restoration list on Windows: entries with Windows paths restored over an
// existing file, alone or several highlighted together, a shared copy of unknown origin, the
// platform's error text, a store not made yet and a list held by another open.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/platform_files.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "platform/test_support/temp_folder.h"
#include "framework/windows_api.h"
#include "restore/restore_list_dlg.h"
#include "store/test_support/own_copy.h"

namespace {

using Texts = std::vector<std::string>;

// The program in <tree>\prog, data in <tree>\D.
class RestoreListWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.MakeDir("prog\\backups");
    tree.MakeDir("D\\S");
    SetProgramPathForTesting(tree.Path("prog\\quillmar.exe"));
  }
  void TearDown() override { SetProgramPathForTesting(""); }
  std::string List() const { return TempFolder::Read(tree.Path("prog\\backups\\list.txt")); }
  // Own copies: a shared one would raise the question about an unknown origin on volumes (and
  // Wine) that keep no alternate data streams.
  void KeepOwnCopy(const std::string& entry, const std::string& contents) {
    WriteOwnCopy(tree.Path("prog\\backups") + "\\", entry, contents, tree.Path("scratch"));
  }

  TempFolder tree;
  ScriptedBackend backend;
};

TEST_F(RestoreListWin32Test, RestoresAWalkRecordOverTheFileAfterAsking) {
  const std::string a = tree.Path("D") + "\\a.txt";
  const std::string c = tree.Path("D") + "\\S\\\\c.txt";  // as the walk records it
  tree.Write("prog\\backups\\list.txt", a + ";" + c + ";");
  KeepOwnCopy(c, "gamma");
  tree.Write("D\\S\\c.txt", "changed");
  CRestoreListDlg dialog;
  backend
      .Then([&] {
        EXPECT_EQ(backend.ActiveWindow()->ListItems(IDC_LIST_ENTRIES), (Texts{a, c}));
      })
      .Pick(IDC_LIST_ENTRIES, 1)
      .Click(IDC_RESTORE)
      .Answer(IDYES)
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(),
            (Texts{"File already exists. Overwrite it?", "File Restored"}));
  EXPECT_EQ(TempFolder::Read(tree.Path("D\\S\\c.txt")), "gamma");
  EXPECT_EQ(List(), a + ";");
  EXPECT_TRUE(backend.Problems().empty());
}

TEST_F(RestoreListWin32Test, HighlightedEntriesComeBackTogetherAfterOneAnswerForAll) {
  const std::string d = tree.Path("D");
  const std::vector<std::string> e = {d + "\\a.txt", d + "\\S\\\\b.txt", d + "\\c.txt",
                                      d + "\\S\\\\d.txt"};
  std::string list;
  for (const std::string& entry : e) list += entry + ";";
  tree.Write("prog\\backups\\list.txt", list);
  for (std::size_t i = 0; i < e.size(); ++i) KeepOwnCopy(e[i], std::string(1, "abcd"[i]));
  tree.Write("D\\a.txt", "changed");
  tree.Write("D\\S\\b.txt", "changed");
  CRestoreListDlg dialog;
  // a to c by a Shift-click, then d added by a Ctrl-click: one question for a, answered for all.
  backend.Pick(IDC_LIST_ENTRIES, 0)
      .Pick(IDC_LIST_ENTRIES, 2, ScriptedBackend::Held::Shift)
      .Pick(IDC_LIST_ENTRIES, 3, ScriptedBackend::Held::Ctrl)
      .Click(IDC_RESTORE)
      .AnswerWithCheck(IDYES)
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(),
            (Texts{"File already exists. Overwrite it?", "4 files restored"}));
  EXPECT_EQ(backend.Messages()[0].detail, e[0]);
  EXPECT_EQ(TempFolder::Read(tree.Path("D\\a.txt")), "a");
  EXPECT_EQ(TempFolder::Read(tree.Path("D\\S\\b.txt")), "b");
  EXPECT_EQ(TempFolder::Read(tree.Path("D\\S\\d.txt")), "d");
  EXPECT_EQ(List(), "");
  EXPECT_TRUE(backend.Problems().empty());
}

TEST_F(RestoreListWin32Test, ASharedCopyWithoutAnOriginAsksAndNoLeavesEverything) {
  const std::string a = tree.Path("D") + "\\a.txt";
  tree.Write("prog\\backups\\list.txt", a + ";");
  tree.Write("prog\\backups\\a.txtBACKUP", "some a.txt");  // no origin noted with it
  CRestoreListDlg dialog;
  backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Answer(IDNO).Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(),
            Texts{"The backup copy of this file was last taken from a file of the same name, "
                  "origin unknown.\nRestore that file's contents to\n" + a + "?"});
  EXPECT_EQ(::GetFileAttributesA(a.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(List(), a + ";");
  EXPECT_TRUE(backend.Problems().empty());
}

TEST_F(RestoreListWin32Test, AMissingBackupShowsThePlatformsText) {
  const std::string a = tree.Path("D") + "\\a.txt";
  tree.Write("prog\\backups\\list.txt", a + ";");
  CRestoreListDlg dialog;
  // The offer to take the entry off the list follows; No keeps it.
  backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Answer(IDOK).Answer(IDNO).Escape();
  dialog.DoModal();
  ASSERT_EQ(backend.Messages().size(), 2u);
  EXPECT_EQ(backend.Messages()[0].caption, "Error");
  EXPECT_EQ(backend.Messages()[0].text,
            ErrorText(std::error_code(ERROR_FILE_NOT_FOUND, std::system_category())));
  EXPECT_EQ(List(), a + ";");
}

TEST_F(RestoreListWin32Test, BeforeTheFirstCleanThereIsNothingToRestoreAndNothingIsMade) {
  // A store without its list, then no store at all.
  for (const char* program : {"prog\\quillmar.exe", "fresh\\quillmar.exe"}) {
    SetProgramPathForTesting(tree.Path(program));
    CRestoreListDlg dialog;
    dialog.DoModal();
  }
  EXPECT_EQ(backend.MessageTexts(),
            (Texts{"There are no files to restore", "There are no files to restore"}));
  EXPECT_EQ(::GetFileAttributesA(tree.Path("prog\\backups\\list.txt").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesA(tree.Path("fresh").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(RestoreListWin32Test, AListHeldByAnotherOpenCannotBeOpened) {
  tree.Write("prog\\backups\\list.txt", "Z:\\x;");
  CFile holder;  // as the engine holds it: without the sharing bit
  ASSERT_TRUE(holder.Open(tree.Path("prog\\backups\\list.txt"),
                          CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate));
  CRestoreListDlg dialog;
  backend.Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), Texts{"Openning restoration list file failed."});
}

// A record with Cyrillic and accented names, as the walk writes it in the UTF-8 code page, is
// shown as it is and restored to the file of that name.
TEST_F(RestoreListWin32Test, RestoresAnEntryWithNonWesternNames) {
  const std::string folder = tree.Path("D") + "\\Документы";
  const std::string entry = folder + "\\\\Привет été.txt";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  tree.Write("prog\\backups\\list.txt", entry + ";");
  KeepOwnCopy(entry, "ru");

  CRestoreListDlg dialog;
  backend
      .Then([&] { EXPECT_EQ(backend.ActiveWindow()->ListItems(IDC_LIST_ENTRIES), Texts{entry}); })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(List(), "");
  // Named by the characters themselves, as other programs see it.
  const std::wstring restored =
      std::filesystem::path(tree.Path("D")).wstring() + L"\\Документы\\Привет été.txt";
  EXPECT_NE(::GetFileAttributesW(restored.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Entries of any length that were backed up come back: the hidden name the copy is written
// under first is longer than the entry, and must not push it over the plain form's limit.
TEST_F(RestoreListWin32Test, RestoresEntriesOf255And300Characters) {
  std::string folder = tree.Path("D");
  std::string entryFolder = folder;
  for (char letter : {'a', 'b'}) {
    folder += "\\" + std::string(60, letter);
    entryFolder +=
        (entryFolder.size() == tree.Path("D").size() ? "\\" : "\\\\") + std::string(60, letter);
    ASSERT_FALSE(CreateFolder(folder.c_str()));
  }
  const std::string name255(255 - folder.size() - 1, 'f');
  const std::string deeper(100, 'c');
  ASSERT_FALSE(CreateFolder((folder + "\\" + deeper).c_str()));
  const std::string name300(300 - folder.size() - deeper.size() - 2, 'g');
  const std::string entry255 = entryFolder + "\\\\" + name255;
  const std::string entry300 = entryFolder + "\\\\" + deeper + "\\\\" + name300;
  tree.Write("prog\\backups\\list.txt", entry255 + ";" + entry300 + ";");
  KeepOwnCopy(entry255, "two five five");
  KeepOwnCopy(entry300, "three hundred");

  CRestoreListDlg dialog;
  backend.Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), (Texts{"File Restored", "File Restored"}));
  EXPECT_EQ(List(), "");
  for (const auto& [path, contents] :
       {std::pair{folder + "\\" + name255, "two five five"},
        std::pair{folder + "\\" + deeper + "\\" + name300, "three hundred"}}) {
    CFile restored;
    ASSERT_TRUE(restored.Open(path, CFile::modeRead)) << path.size();
    std::string read(32, '\0');
    read.resize(restored.Read(read.data(), read.size()));
    EXPECT_EQ(read, contents) << path.size();
  }
  EXPECT_EQ((folder + "\\" + name255).size(), 255u);
}

}  // namespace
