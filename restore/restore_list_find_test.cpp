// Tests of the restoration list's find box through the scripted backend: a part of a path
// moves the caret to the entry that contains it, Find Next and Enter move on to the next one,
// a text no entry contains says so, and Restore then acts on the entry found.
#include "restore/restore_list_find.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "restore/restore_list_dlg.h"
#include "store/test_support/own_copy.h"

namespace {

using Texts = std::vector<std::string>;

class RestoreListFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.MakeDir("prog/backups");
    SetProgramPathForTesting(tree.Path("prog/quillmar"));
  }
  void TearDown() override { SetProgramPathForTesting(""); }
  void WriteList(const Texts& entries) const {
    std::string text;
    for (const std::string& entry : entries) text += entry + ";";
    tree.Write("prog/backups/list.txt", text);
  }
  int Caret() const { return backend.ActiveWindow()->ListCaret(IDC_LIST_ENTRIES); }
  std::string Status() const { return backend.ActiveWindow()->GetItemText(IDC_FIND_STATUS); }
  // Queues a check that the caret is on entry `caret` and the status line says `status`.
  void ExpectCaret(int caret, const std::string& status = "") {
    backend.Then([this, caret, status] {
      EXPECT_EQ(Caret(), caret);
      EXPECT_EQ(Status(), status);
    });
  }

  TempFolder tree;
  ScriptedBackend backend;
};

TEST_F(RestoreListFindTest, APartOfAPathMovesTheCaretToTheFirstEntryHoldingIt) {
  WriteList({"/home/ann/notes//plan.txt", "/home/ann/letters//Bank.txt",
             "/home/ann/letters//landlord.txt", "/home/ann/notes//bank-notes.txt",
             "/home/ann/Документы//été.txt"});
  CRestoreListDlg dialog;
  // Letter by letter, as typed: "b" already finds Bank.txt, and the caret stays there while
  // the text still fits it.
  backend.TypeKeys(IDC_FIND, "b");
  ExpectCaret(1);
  backend.TypeKeys(IDC_FIND, "ank.");
  ExpectCaret(1);
  // Letter case aside, across the doubled separator, anywhere in the path.
  backend.Type(IDC_FIND, "LETTERS//L");
  ExpectCaret(2);
  backend.Type(IDC_FIND, "Документы");
  ExpectCaret(4);
  // A text no entry holds leaves the caret where it was, and says so; emptying the box
  // takes the words back.
  backend.Type(IDC_FIND, "invoice");
  ExpectCaret(4, kNoEntryFound);
  backend.Type(IDC_FIND, "");
  ExpectCaret(4);
  backend.Escape();
  dialog.DoModal();
  EXPECT_TRUE(backend.Messages().empty());
  EXPECT_TRUE(backend.Problems().empty());
}

TEST_F(RestoreListFindTest, FindNextAndEnterGoOnToTheNextEntryAndWrapAround) {
  WriteList({"/a/bank.txt", "/a/plan.txt", "/b/bank.txt", "/c/bank.txt"});
  CRestoreListDlg dialog;
  backend.Type(IDC_FIND, "bank");
  ExpectCaret(0);
  backend.Click(IDC_FIND_NEXT);
  ExpectCaret(2);
  // Enter in the find box is Find Next, the default button; it does not close the list.
  backend.Enter();
  ExpectCaret(3);
  backend.Enter();
  ExpectCaret(0);
  // Only the one entry holds it: Find Next stays on it.
  backend.Type(IDC_FIND, "plan");
  backend.Click(IDC_FIND_NEXT);
  ExpectCaret(1);
  backend.Type(IDC_FIND, "none such");
  backend.Click(IDC_FIND_NEXT);
  ExpectCaret(1, kNoEntryFound);
  backend.Then([&] { EXPECT_TRUE(backend.ActiveWindow()->IsRunning()); }).Escape();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(backend.Problems().empty());
}

TEST_F(RestoreListFindTest, RestoreActsOnTheEntryFound) {
  tree.MakeDir("data");
  const std::string plan = tree.Path("data/plan.txt");
  const std::string bank = tree.Path("data/bank.txt");
  WriteList({plan, bank});
  WriteOwnCopy(tree.Path("prog/backups") + "/", bank, "statement", tree.Path("scratch"));
  CRestoreListDlg dialog;
  backend.Type(IDC_FIND, "BANK").Click(IDC_RESTORE).Escape();
  dialog.DoModal();
  EXPECT_EQ(backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(TempFolder::Read(bank), "statement");
  EXPECT_EQ(TempFolder::Read(tree.Path("prog/backups/list.txt")), plan + ";");
}

}  // namespace
