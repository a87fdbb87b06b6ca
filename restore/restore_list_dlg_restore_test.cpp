// Tests of restoring an entry from its backup copy and rewriting list.txt, through the
// scripted backend on real files and backup copies.
#include <gtest/gtest.h>

#include "restore/restore_list_dlg.h"
#include "restore/restore_list_test_fixture.h"

namespace restore_test {
namespace {

// --- Restoring ---

TEST_F(RestoreListDlgTest, RestoreToFreePathCopiesBackAndDropsTheEntry) {
  const std::string a = Data("a.txt"), b = Data("b.txt");
  WriteList(ListOf({a, b}));
  WriteBackup("a.txt", "alpha");
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Then([&] {
    EXPECT_EQ(Shown(), Texts{b});
  });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(ReadFile(a), "alpha");
  EXPECT_EQ(ReadFile(BackupOf("a.txt")), "alpha");  // the backup copy stays
  EXPECT_EQ(EntriesOf(dialog), Texts{b});
  EXPECT_EQ(ReadFile(ListPath()), ListOf({b}));
  EXPECT_EQ(LeftoverFiles(), Texts{});
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, OccupiedPathAsksAndNoChangesNothing) {
  const std::string a = Data("a.txt");
  const std::string list = ListOf({a, Data("b.txt")});
  WriteList(list);
  WriteBackup("a.txt", "backup");
  WriteFile(a, "current");
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Answer(IDNO).Then([&] {
    EXPECT_EQ(Shown().size(), 2u);
  });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{kOverwrite});
  EXPECT_EQ(m_backend.Messages()[0].style, MB_YESNO);
  EXPECT_EQ(ReadFile(a), "current");
  EXPECT_EQ(dialog.Entries().size(), 2u);
  EXPECT_EQ(ReadFile(ListPath()), list);
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, OccupiedPathYesReplacesKeepingTheBackupsModeAndTime) {
  const std::string a = Data("a.txt");
  WriteList(ListOf({a}));
  WriteBackup("a.txt", "backup");
  WriteFile(a, "current, longer than the backup");
  fs::permissions(BackupOf("a.txt"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, BackupOf("a.txt").c_str(), times, 0), 0);
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Answer(IDYES);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{kOverwrite, "File Restored"}));
  EXPECT_EQ(ReadFile(a), "backup");
  struct stat st {};
  ASSERT_EQ(stat(a.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  // The last entry went: the list is empty.
  EXPECT_EQ(fs::file_size(ListPath()), 0u);
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, MissingBackupShowsTheSystemTextThenOffersToForgetTheEntry) {
  const std::string a = Data("a.txt");
  const std::string b = Data("b.txt");
  const std::string list = ListOf({a, b});
  const std::string question =
      "The backup copy of this entry is missing:\n" + a + "\nRemove the entry from the restoration list?";
  for (const int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    WriteList(list);
    m_backend.ClearMessages();
    CRestoreListDlg dialog;
    m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Answer(IDOK).Answer(answer);
    dialog.DoModal();
    ASSERT_EQ(m_backend.Messages().size(), 2u);
    EXPECT_EQ(m_backend.Messages()[0].text,
              ErrorText(std::make_error_code(std::errc::no_such_file_or_directory)));
    EXPECT_EQ(m_backend.Messages()[0].caption, "Error");
    EXPECT_EQ(m_backend.Messages()[0].style, MB_ICONINFORMATION);
    EXPECT_EQ(m_backend.Messages()[1].text, question);
    EXPECT_EQ(m_backend.Messages()[1].style, MB_YESNO);
    EXPECT_FALSE(fs::exists(a));
    // Yes rewrites the list as a restore would; No changes nothing.
    EXPECT_EQ(EntriesOf(dialog), (answer == IDYES ? Texts{b} : Texts{b, a}));
    EXPECT_EQ(ReadFile(ListPath()), answer == IDYES ? ListOf({b}) : list);
    ExpectCleanScript();
  }
}

TEST_F(RestoreListDlgTest, RestoringTheMiddleOfThreeRewritesTheRestReversed) {
  const std::string x = Data("x"), y = Data("y"), z = Data("z");
  WriteList(ListOf({x, y, z}));
  WriteBackup("y", "why");
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 1).Click(IDC_RESTORE).Then([&] {
    EXPECT_EQ(Shown(), (Texts{x, z}));
  });
  dialog.DoModal();
  EXPECT_EQ(ReadFile(ListPath()), z + ";" + x + ";");
  EXPECT_EQ(ReadFile(y), "why");
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
}

TEST_F(RestoreListDlgTest, RestoringTheLastEntryEmptiesTheListForTheNextOpening) {
  const std::string a = Data("a.txt");
  WriteList(ListOf({a}));
  WriteBackup("a.txt", "alpha");
  {
    CRestoreListDlg dialog;
    m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Then([&] {
      EXPECT_TRUE(Shown().empty());
    });
    dialog.DoModal();
  }
  EXPECT_TRUE(fs::exists(ListPath()));
  EXPECT_EQ(fs::file_size(ListPath()), 0u);
  CRestoreListDlg again;
  again.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{"File Restored", kNothingToRestore}));
}

TEST_F(RestoreListDlgTest, DuplicatedPathIsShownTwiceAndRemovedOnceAtATime) {
  const std::string p = Data("p.txt"), q = Data("q.txt");
  WriteList(ListOf({p, q, p}));
  WriteBackup("p.txt", "pea");
  CRestoreListDlg dialog;
  m_backend.Then([&] {
             EXPECT_EQ(Shown(), (Texts{p, q, p}));
           })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Then([&] {
        // The list box loses the first match after item 0; the file the later occurrence.
        EXPECT_EQ(Shown(), (Texts{p, q}));
        EXPECT_EQ(EntriesOf(dialog), (Texts{q, p}));
        EXPECT_EQ(ReadFile(ListPath()), ListOf({q, p}));
      })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Answer(IDYES)
      .Then([&] { EXPECT_EQ(Shown(), Texts{q}); });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{"File Restored", kOverwrite, "File Restored"}));
  EXPECT_EQ(ReadFile(ListPath()), ListOf({q}));
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, SameNameFromTwoFoldersSharesOneBackupCopy) {
  fs::create_directories(Data("one"));
  fs::create_directories(Data("two"));
  const std::string first = Data("one/n.txt"), second = Data("two/n.txt");
  WriteList(ListOf({first, second}));
  // Last taken from the second: the first asks before taking its contents.
  WriteBackup("n.txt", "shared", second);
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 1)
      .Click(IDC_RESTORE)
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Answer(IDYES);
  dialog.DoModal();
  EXPECT_EQ(ReadFile(first), "shared");
  EXPECT_EQ(ReadFile(second), "shared");
  EXPECT_EQ(fs::file_size(ListPath()), 0u);
  EXPECT_TRUE(fs::exists(BackupOf("n.txt")));
}

// --- Sound behaviour where the plain procedure would lose or confuse data ---

TEST_F(RestoreListDlgTest, RestoreWithoutAClickActsOnTheFirstEntryThenOnTheOneNowInItsPlace) {
  const Texts entries{Data("a"), Data("b"), Data("c")};
  for (const char* name : {"a", "b", "c"}) WriteBackup(name, name);
  WriteList(ListOf(entries));
  CRestoreListDlg dialog;
  m_backend.Click(IDC_RESTORE)
      .Then([&] {
        EXPECT_EQ(Shown(), (Texts{Data("b"), Data("c")}));
      })
      .Click(IDC_RESTORE)
      .Then([&] { EXPECT_EQ(Shown(), Texts{Data("c")}); })
      .Click(IDC_RESTORE)
      .Click(IDC_RESTORE);  // an empty list box: nothing happens
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{"File Restored", "File Restored", "File Restored"}));
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(ReadFile(Data(name)), name);
  EXPECT_EQ(ReadFile(ListPath()), "");
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, RestoringTheLastRowMovesTheCaretToTheNewLastRow) {
  const Texts entries{Data("a"), Data("b"), Data("c")};
  for (const char* name : {"a", "b", "c"}) WriteBackup(name, name);
  WriteList(ListOf(entries));
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 2).Click(IDC_RESTORE).Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{"File Restored", "File Restored"}));
  EXPECT_TRUE(fs::exists(Data("c")));
  EXPECT_TRUE(fs::exists(Data("b")));
  EXPECT_FALSE(fs::exists(Data("a")));
  EXPECT_EQ(EntriesOf(dialog), Texts{Data("a")});
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, PathsBeyondThePlatformLimitAreRefusedNotCut) {
  // A backup name too long for a path: the platform's reason, and nothing copied.
  const std::string longName(kMaxPath, 'n');
  WriteList(longName + ";");
  {
    CRestoreListDlg dialog;
    m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE);
    dialog.DoModal();
  }
  ASSERT_EQ(m_backend.Messages().size(), 1u);
  EXPECT_EQ(m_backend.Messages()[0].text,
            ErrorText(std::make_error_code(std::errc::filename_too_long)));
  EXPECT_EQ(m_backend.Messages()[0].caption, "Error");
  EXPECT_EQ(ReadFile(ListPath()), longName + ";");

  // A program folder too long for the list's path: the list cannot be opened.
  m_backend.ClearMessages();
  SetProgramPathForTesting(m_program + "/" + std::string(kMaxPath, 'p') + "/quillmar");
  CRestoreListDlg dialog;
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{kOpenFailed});
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, TextAfterTheLastSeparatorIsKeptAndSurvivesARewrite) {
  const std::string a = Data("a.txt");
  WriteList(a + ";/d/tail\n");
  WriteBackup("a.txt", "alpha");
  CRestoreListDlg dialog;
  m_backend.Then([&] {
             EXPECT_EQ(Shown(), (Texts{a, "/d/tail\n"}));
           })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(ReadFile(ListPath()), "/d/tail\n;");
  EXPECT_EQ(EntriesOf(dialog), Texts{"/d/tail\n"});
}

TEST_F(RestoreListDlgTest, FailedRewriteLeavesThePreviousListWholeAndSaysSo) {
  const std::string a = Data("a.txt");
  const std::string longName = std::string(150, 'k');
  const std::string list = ListOf({a, Data(longName + "1"), Data(longName + "2")});
  WriteList(list);
  WriteBackup("a.txt", "alpha");
  CRestoreListDlg dialog;
  std::unique_ptr<FileSizeLimit> limit;
  m_backend
      .Then([&] {
        limit = std::make_unique<FileSizeLimit>(100);
        EXPECT_TRUE(limit->ok());
      })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Then([&] {
        limit.reset();
        // The lists already reflect the removal.
        EXPECT_EQ(Shown().size(), 2u);
      });
  dialog.DoModal();
  EXPECT_EQ(ReadFile(ListPath()), list);
  EXPECT_EQ(LeftoverFiles(), Texts{});
  EXPECT_EQ(ReadFile(a), "alpha");
  ASSERT_EQ(m_backend.Messages().size(), 2u);
  EXPECT_EQ(m_backend.Messages()[0].text,
            "Rewriting the restoration list failed: " +
                ErrorText(std::make_error_code(std::errc::file_too_large)));
  EXPECT_EQ(m_backend.Messages()[1].text, "File Restored");
  EXPECT_EQ(dialog.Entries().size(), 2u);
}

TEST_F(RestoreListDlgTest, FailedOverwriteLeavesTheExistingFileWhole) {
  const std::string a = Data("a.txt");
  const std::string list = ListOf({a});
  WriteList(list);
  WriteBackup("a.txt", std::string(4096, 'n'));
  WriteFile(a, "the user's current text");
  CRestoreListDlg dialog;
  std::unique_ptr<FileSizeLimit> limit;
  m_backend.Pick(IDC_LIST_ENTRIES, 0)
      .Then([&] {
        limit = std::make_unique<FileSizeLimit>(1024);
        EXPECT_TRUE(limit->ok());
      })
      .Click(IDC_RESTORE)
      .Answer(IDYES)
      .Then([&] { limit.reset(); });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{kOverwrite, "File Restoration Failed!"}));
  EXPECT_EQ(ReadFile(a), "the user's current text");
  EXPECT_EQ(ReadFile(ListPath()), list);
  EXPECT_EQ(dialog.Entries().size(), 1u);
}

TEST_F(RestoreListDlgTest, ListBoxStaysInStepWithEntriesWhenTextsShareAPrefixOrDifferInCase) {
  struct Case {
    std::string restored, other;
  };
  const std::vector<Case> cases = {
      {Data("a.txt"), Data("a.txt.old")},
      {Data("c.txt"), Data("C.TXT")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.other);
    WriteList(ListOf({c.restored, c.other}));
    WriteBackup(fs::path(c.restored).filename().string(), "restored");
    CRestoreListDlg dialog;
    m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE).Then([&] {
      EXPECT_EQ(Shown(), Texts{c.other});
    });
    dialog.DoModal();
    EXPECT_EQ(EntriesOf(dialog), Texts{c.other});
    EXPECT_EQ(ReadFile(ListPath()), ListOf({c.other}));
  }
}

TEST_F(RestoreListDlgTest, ARestoreMakesTheFoldersACleanUpRemovedWithTheUsersPermissions) {
  const std::string r = Data("gone/deeper//r.txt");
  WriteList(ListOf({r}));
  WriteBackup("r.txt", "restored", r);
  const mode_t previousMask = umask(027);
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE);
  dialog.DoModal();
  umask(previousMask);
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(ReadFile(r), "restored");
  for (const char* folder : {"gone", "gone/deeper"}) {
    EXPECT_EQ(fs::status(Data(folder)).permissions(),
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec)
        << folder;
  }
  EXPECT_EQ(ReadFile(ListPath()), "");
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, AFailedRestoreLeavesNoFolderBehind) {
  WriteFile(Data("plain"), "a file where a folder should be");
  WriteBackup("p.txt", "p", Data("plain/sub/p.txt"));
  const struct {
    std::string entry;
    std::errc reason;
    const char* mustNotExist;
  } cases[] = {
      // No backup copy: nothing to restore, so no folder is made for it.
      {Data("gone/n.txt"), std::errc::no_such_file_or_directory, "gone"},
      {Data("plain/sub/p.txt"), std::errc::not_a_directory, "plain/sub"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    const std::string list = ListOf({c.entry});
    WriteList(list);
    m_backend.ClearMessages();
    CRestoreListDlg dialog;
    m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE);
    // Without any copy, the entry may be taken off the list; here it stays.
    const bool missing = c.reason == std::errc::no_such_file_or_directory;
    if (missing) m_backend.Answer(IDOK).Answer(IDNO);
    dialog.DoModal();
    ASSERT_EQ(m_backend.Messages().size(), missing ? 2u : 1u);
    EXPECT_EQ(m_backend.Messages()[0].text, ErrorText(std::make_error_code(c.reason)));
    EXPECT_EQ(m_backend.Messages()[0].caption, "Error");
    EXPECT_FALSE(fs::exists(Data(c.mustNotExist)));
    EXPECT_EQ(ReadFile(ListPath()), list);
  }
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, RestoreActsOnTheEntryTheListKeysMovedTheCaretTo) {
  Texts entries;
  for (int i = 0; i < 30; ++i) {
    const std::string name = "e" + std::to_string(i);
    entries.push_back(Data(name));
    WriteBackup(name, name);
  }
  WriteList(ListOf(entries));
  CRestoreListDlg dialog;
  // End goes to the last entry; once it is restored the caret is on the new last one, and
  // Home then goes to the first; a page (the 93-unit list holds 11 rows) moves ten entries on.
  m_backend.Pick(IDC_LIST_ENTRIES, 3)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::End)
      .Click(IDC_RESTORE)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::Home)
      .Click(IDC_RESTORE)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::Home)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::PageDown)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{"File Restored", "File Restored", "File Restored"}));
  for (const char* name : {"e29", "e0", "e11"}) EXPECT_EQ(ReadFile(Data(name)), name);
  EXPECT_EQ(dialog.Entries().size(), 27u);
  EXPECT_FALSE(fs::exists(Data("e3")));
  ExpectCleanScript();
}

}  // namespace
}  // namespace restore_test
