// Tests of the restoration list dialog's loading of list.txt, its Debug button and its
// closing, through the scripted backend on real files.
#include "restore/restore_list_dlg.h"

#include <gtest/gtest.h>

#include "restore/restore_list_test_fixture.h"

namespace restore_test {
namespace {

// --- Loading ---

TEST_F(RestoreListDlgTest, BeforeTheFirstCleanThereIsNothingToRestoreNothingIsMadeAndItCloses) {
  // No store at all, as for a new user; then a store without its list. Each time the window
  // says so once and closes by itself, with nothing left for the user to do in it.
  fs::remove_all(m_program);
  {
    CRestoreListDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialog.Entries().empty());
  }
  EXPECT_FALSE(fs::exists(m_program));
  fs::create_directories(m_backups);
  {
    CRestoreListDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  }
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{kNothingToRestore, kNothingToRestore}));
  EXPECT_EQ(m_backend.Messages()[0].style, MB_OK);
  EXPECT_FALSE(fs::exists(ListPath()));
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, EmptyListReportsNothingToRestore) {
  WriteList("");
  CRestoreListDlg dialog;
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{kNothingToRestore});
  EXPECT_EQ(fs::file_size(ListPath()), 0u);
}

TEST_F(RestoreListDlgTest, TextWithoutSeparatorIsInvalidAndShowsNothing) {
  WriteList(Data("a.txt"));
  CRestoreListDlg dialog;
  m_backend.Then([&] { EXPECT_TRUE(Shown().empty()); });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{kInvalid});
  EXPECT_TRUE(dialog.Entries().empty());
}

TEST_F(RestoreListDlgTest, ListBoxKeepsFileOrderAndEntriesAreReversed) {
  // Deliberately not in alphabetical order: the sort style must not reorder the items.
  WriteList("/z/x.txt;/b/y.doc;/m/w.c;");
  CRestoreListDlg dialog;
  m_backend.Then([&] { EXPECT_EQ(Shown(), (Texts{"/z/x.txt", "/b/y.doc", "/m/w.c"})); });
  dialog.DoModal();
  EXPECT_EQ(EntriesOf(dialog), (Texts{"/m/w.c", "/b/y.doc", "/z/x.txt"}));
  EXPECT_TRUE(m_backend.Messages().empty());
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, SplitsAtEverySeparatorWithoutTrimming) {
  struct Case {
    std::string file;
    Texts shown;
  };
  const std::vector<Case> cases = {
      {";;", {"", ""}},
      {"/d/semi;colon.txt;", {"/d/semi", "colon.txt"}},
      {"/d/a b.txt;\r\n/d/c.txt;", {"/d/a b.txt", "\r\n/d/c.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    WriteList(c.file);
    CRestoreListDlg dialog;
    m_backend.Then([&] { EXPECT_EQ(Shown(), c.shown); });
    dialog.DoModal();
    EXPECT_EQ(EntriesOf(dialog), Texts(c.shown.rbegin(), c.shown.rend()));
  }
  EXPECT_TRUE(m_backend.Messages().empty());
}

TEST_F(RestoreListDlgTest, HidingAndShowingReloadsWithoutDoubling) {
  WriteList("/d/p;/d/q;");
  CRestoreListDlg dialog;
  m_backend.Hide()
      .Then([&] {
        EXPECT_EQ(Shown(), (Texts{"/d/p", "/d/q"}));
        EXPECT_EQ(dialog.Entries().size(), 2u);
      })
      .Show()
      .Then([&] {
        EXPECT_EQ(Shown(), (Texts{"/d/p", "/d/q"}));
        EXPECT_EQ(EntriesOf(dialog), (Texts{"/d/q", "/d/p"}));
        WriteList("/d/p;/d/q;/d/r;");
      })
      .Hide()
      .Then([&] {
        EXPECT_EQ(Shown(), (Texts{"/d/p", "/d/q", "/d/r"}));
      })
      .Then([&] { WriteList(""); })
      .Show()  // an empty file now: the message, and the lists stay as they were
      .Then([&] {
        EXPECT_EQ(Shown(), (Texts{"/d/p", "/d/q", "/d/r"}));
      })
      .Hide()
      .Show();
  dialog.DoModal();
  EXPECT_EQ(dialog.Entries().size(), 3u);
  EXPECT_EQ(m_backend.MessageTexts(),
            (Texts{kNothingToRestore, kNothingToRestore, kNothingToRestore}));
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, ListOfOverAMillionBytesIsReadWhole) {
  Texts entries;
  std::string text;
  for (int i = 0; i < 40000; ++i) {
    entries.push_back(Data("file-" + std::to_string(i) + ".txt"));
    text += entries.back() + ";";
  }
  ASSERT_GT(text.size(), 1000000u);
  WriteList(text);
  CRestoreListDlg dialog;
  m_backend.Then([&] { EXPECT_EQ(Shown(), entries); });
  dialog.DoModal();
  EXPECT_EQ(EntriesOf(dialog), Texts(entries.rbegin(), entries.rend()));
  EXPECT_TRUE(m_backend.Messages().empty());
}

TEST_F(RestoreListDlgTest, TextEndsAtTheFirstZeroByteInBothLists) {
  WriteList(std::string("/d/p;/d/q;\0/d/r;/d/s;", 21));
  CRestoreListDlg dialog;
  m_backend.Then([&] { EXPECT_EQ(Shown(), (Texts{"/d/p", "/d/q"})); });
  dialog.DoModal();
  EXPECT_EQ(EntriesOf(dialog), (Texts{"/d/q", "/d/p"}));
}

TEST_F(RestoreListDlgTest, DebugChangesNothing) {
  const std::string list = ListOf({Data("a"), Data("b"), Data("a")});
  WriteList(list);
  const auto before = fs::last_write_time(ListPath());
  CRestoreListDlg dialog;
  m_backend.Click(IDC_DEBUG).Click(IDC_DEBUG).Click(IDC_DEBUG).Then([&] {
    EXPECT_EQ(Shown(), (Texts{Data("a"), Data("b"), Data("a")}));
  });
  dialog.DoModal();
  EXPECT_TRUE(m_backend.Messages().empty());
  EXPECT_EQ(EntriesOf(dialog), (Texts{Data("a"), Data("b"), Data("a")}));
  EXPECT_EQ(ReadFile(ListPath()), list);
  EXPECT_EQ(fs::last_write_time(ListPath()), before);
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, CloseBoxAndEscapeEndTheDialog) {
  WriteList("/d/a;");
  struct Case {
    const char* name;
    std::function<void()> act;
    int result;
  };
  const std::vector<Case> cases = {
      {"close box", [&] { m_backend.Close(); }, IDCANCEL},
      {"escape", [&] { m_backend.Escape(); }, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRestoreListDlg dialog;
    c.act();
    m_backend.Click(IDC_DEBUG);  // never taken: the dialog has ended before it
    EXPECT_EQ(dialog.DoModal(), c.result);
    EXPECT_EQ(m_backend.PendingActions(), 1u);
    m_backend.ClearActions();
  }
  EXPECT_TRUE(m_backend.Messages().empty());
}

}  // namespace
}  // namespace restore_test
