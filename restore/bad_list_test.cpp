// The restoration dialog against list files that editors, crashes and other programs have
// touched: huge, holding zero bytes or line breaks, read-only, not a file at all, and a
// backups folder that disappears while the dialog is open. None may crash or hang, each ends
// with a specified or clear message, and no entry leaves the file unless it was restored.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>

#include "platform/injected_failures.h"
#include "platform/test_support/run_as_nobody.h"
#include "restore/restore_list_dlg.h"
#include "restore/restore_list_test_fixture.h"

namespace restore_test {
namespace {

std::map<std::string, int> Counted(const Texts& entries) {
  std::map<std::string, int> counts;
  for (const std::string& entry : entries) ++counts[entry];
  return counts;
}

// The entries of a list text up to its first zero byte.
Texts SplitList(const std::string& contents) {
  const std::string text = contents.substr(0, contents.find('\0'));
  Texts entries;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    entries.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

TEST_F(RestoreListDlgTest, ListOfSeveralMegabytesIsShownWholeAndLosesOnlyTheRestoredEntry) {
  Texts entries;
  for (int i = 0; i < 60000; ++i) {
    entries.push_back(Data("folder" + std::to_string(i) + "/a-file-in-a-list-of-megabytes"));
  }
  const std::string f = Data("f");
  entries.insert(entries.begin() + 30000, f);
  const std::string list = ListOf(entries);
  ASSERT_GT(list.size(), 3u * 1000 * 1000);
  WriteList(list);
  WriteBackup("f", "backup of f");
  CRestoreListDlg dialog;
  m_backend.Then([&] { EXPECT_EQ(Shown(), entries); })
      .Pick(IDC_LIST_ENTRIES, 30000)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(ReadFile(f), "backup of f");
  Texts remaining = entries;
  remaining.erase(remaining.begin() + 30000);
  EXPECT_EQ(Counted(SplitList(ReadFile(ListPath()))), Counted(remaining));
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, EntriesAfterAZeroByteSurviveARewrite) {
  // What a crash in the middle of an append can leave: a run of zero bytes, then more records.
  const std::string f = Data("f");
  const std::string tail = std::string(8, '\0') + "/later/one;/later/two;";
  WriteList(ListOf({f, "/kept/x"}) + tail);
  WriteBackup("f", "backup of f");
  CRestoreListDlg dialog;
  m_backend.Then([&] {
             EXPECT_EQ(Shown(), (Texts{f, "/kept/x"}));
           })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(ReadFile(ListPath()), "/kept/x;" + tail);
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, ListOfZeroBytesOnlyIsInvalidAndLeftAlone) {
  const std::string list(64, '\0');
  WriteList(list);
  CRestoreListDlg dialog;
  m_backend.Then([&] { EXPECT_EQ(Shown(), Texts{}); }).Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{kInvalid});
  EXPECT_EQ(ReadFile(ListPath()), list);
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, ListEditedWithLineBreaksKeepsEveryFragmentThroughARewrite) {
  const std::string f = Data("f"), g = Data("g");
  // An editor put each record on its own line and ended the file with a line break.
  const std::string list = f + ";\n" + g + ";\r\n";
  WriteList(list);
  WriteBackup("f", "backup of f");
  WriteBackup("g", "backup of g");
  CRestoreListDlg dialog;
  m_backend.Then([&] {
             EXPECT_EQ(Shown(), (Texts{f, "\n" + g, "\r\n"}));
           })
      // "\n/.../g" is another path than g's, and no absolute one: nothing may be written.
      .Pick(IDC_LIST_ENTRIES, 1)
      .Click(IDC_RESTORE)
      .Answer(IDYES)
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  ASSERT_EQ(m_backend.Messages().size(), 3u);
  EXPECT_EQ(m_backend.Messages()[1].caption, "Error");
  EXPECT_EQ(m_backend.Messages()[2].text, "File Restored");
  EXPECT_FALSE(fs::exists(g));
  EXPECT_EQ(ReadFile(f), "backup of f");
  EXPECT_EQ(Counted(SplitList(ReadFile(ListPath()))), Counted({"\n" + g, "\r\n"}));
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, ReadOnlyListIsShownAndKeepsTheRestoredEntry) {
  const std::string f = Data("f");
  const std::string list = ListOf({f, Data("g")});
  WriteList(list);
  WriteBackup("f", "backup of f");
  // Root writes through mode bits; the immutable attribute stops even root.
  if (std::system(("chattr +i '" + ListPath() + "' 2>/dev/null").c_str()) != 0) {
    GTEST_SKIP() << "the file system here has no immutable attribute (chattr +i failed)";
  }
  CRestoreListDlg dialog;
  m_backend.Then([&] {
             EXPECT_EQ(Shown(), (Texts{f, Data("g")}));
           })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  std::system(("chattr -i '" + ListPath() + "'").c_str());
  ASSERT_EQ(m_backend.Messages().size(), 2u);
  EXPECT_EQ(m_backend.Messages()[0].text.rfind("Rewriting the restoration list failed: ", 0), 0u)
      << m_backend.Messages()[0].text;
  EXPECT_EQ(m_backend.Messages()[1].text, "File Restored");
  EXPECT_EQ(ReadFile(f), "backup of f");
  // The restored entry stays listed: restoring it again asks before overwriting.
  EXPECT_EQ(ReadFile(ListPath()), list);
  EXPECT_EQ(LeftoverFiles(), Texts{});
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, AListThatCannotBeReadWholeIsNeitherShownNorRewritten) {
  const std::string f = Data("f"), g = Data("g");
  const std::string list = ListOf({f, g});
  WriteList(list);
  WriteBackup("f", "backup of f");
  const std::error_code readFault = std::make_error_code(std::errc::io_error);
  std::unique_ptr<ScopedFailure> failure;
  CRestoreListDlg dialog;
  // The first read takes the whole list; the one that would find its end fails.
  failure = std::make_unique<ScopedFailure>(FileCall::kRead, readFault, "list.txt", 1);
  m_backend
      .Then([&] {
        EXPECT_TRUE(Shown().empty());
        EXPECT_TRUE(dialog.Entries().empty());
        failure.reset();
      })
      .Hide()
      .Show()  // read whole now: shown
      .Then([&] {
        EXPECT_EQ(Shown(), (Texts{f, g}));
        failure = std::make_unique<ScopedFailure>(FileCall::kRead, readFault, "list.txt", 1);
      })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Then([&] { failure.reset(); });
  dialog.DoModal();
  ASSERT_EQ(m_backend.Messages().size(), 3u);
  EXPECT_EQ(m_backend.Messages()[0].text, kOpenFailed);
  EXPECT_EQ(m_backend.Messages()[1].text,
            "Rewriting the restoration list failed: " + ErrorText(readFault));
  EXPECT_EQ(m_backend.Messages()[2].text, "File Restored");
  EXPECT_EQ(ReadFile(f), "backup of f");
  EXPECT_EQ(ReadFile(ListPath()), list);
  EXPECT_EQ(LeftoverFiles(), Texts{});
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, ARewriteThatFailsLeavesTheNextOneToFindItsEntry) {
  const std::string a = Data("a"), c = Data("c"), b = Data("b");
  WriteList(ListOf({a, c}));
  WriteBackup("a", "backup of a");
  WriteBackup("c", "backup of c");
  std::unique_ptr<ScopedFailure> failure;
  CRestoreListDlg dialog;
  m_backend
      .Then([&] {
        WriteList(ListOf({a, c, b}));  // another instance records b
        failure = std::make_unique<ScopedFailure>(
            FileCall::kWrite, std::make_error_code(std::errc::file_too_large), "list.txt");
      })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Then([&] {
        failure.reset();
        EXPECT_EQ(Shown(), Texts{c});
      })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  ASSERT_EQ(m_backend.Messages().size(), 3u);
  EXPECT_EQ(m_backend.Messages()[0].text,
            "Rewriting the restoration list failed: " +
                ErrorText(std::make_error_code(std::errc::file_too_large)));
  EXPECT_EQ(m_backend.Messages()[1].text, "File Restored");
  EXPECT_EQ(m_backend.Messages()[2].text, "File Restored");
  EXPECT_EQ(ReadFile(c), "backup of c");
  // c is gone; a, whose rewrite failed, and b, recorded by the other instance, stay.
  EXPECT_EQ(Counted(SplitList(ReadFile(ListPath()))), Counted({a, b}));
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, BackupsFolderRemovedWhileOpenGivesMessagesAndChangesNothing) {
  const std::string f = Data("f");
  WriteList(ListOf({f}));
  WriteBackup("f", "backup of f");
  CRestoreListDlg dialog;
  m_backend.Then([&] { fs::remove_all(m_backups); })
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE)
      .Answer(IDOK)
      .Answer(IDNO)
      .Hide()
      .Show();
  dialog.DoModal();
  ASSERT_EQ(m_backend.Messages().size(), 4u);
  EXPECT_EQ(m_backend.Messages()[0].caption, "Error");
  EXPECT_EQ(m_backend.Messages()[0].text,
            ErrorText(std::make_error_code(std::errc::no_such_file_or_directory)));
  EXPECT_EQ(m_backend.Messages()[1].style, MB_YESNO);
  // A store that is gone holds nothing to restore; what the list box showed stays.
  EXPECT_EQ(m_backend.Messages()[2].text, kNothingToRestore);
  EXPECT_EQ(m_backend.Messages()[3].text, kNothingToRestore);
  EXPECT_FALSE(fs::exists(f));
  EXPECT_FALSE(fs::exists(m_backups));  // the dialog does not make it again
  EXPECT_EQ(EntriesOf(dialog), Texts{f});
  ExpectCleanScript();
}

TEST_F(RestoreListDlgTest, AStoreThatMayNotBeSearchedIsAFailureNotAnEmptyStore) {
  WriteList(ListOf({Data("a.txt")}));
  // The way to the store is open to everyone; only the store itself is shut.
  for (const std::string& folder : {m_root, m_program}) ::chmod(folder.c_str(), 0755);
  ASSERT_EQ(::chmod(m_backups.c_str(), 0), 0);
  const std::string seen = RunAsNobody([&] {
    CRestoreListDlg dialog;
    dialog.DoModal();
    std::string texts;
    for (const std::string& text : m_backend.MessageTexts()) texts += text + "|";
    return texts;
  });
  ::chmod(m_backups.c_str(), 0755);
  EXPECT_EQ(seen, std::string(kOpenFailed) + "|");
  EXPECT_EQ(ReadFile(ListPath()), ListOf({Data("a.txt")}));
}

TEST_F(RestoreListDlgTest, ListThatIsAFolderCannotBeOpened) {
  ASSERT_EQ(::mkdir(ListPath().c_str(), 0777), 0);
  CRestoreListDlg dialog;
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{kOpenFailed});
  EXPECT_TRUE(EntriesOf(dialog).empty());
}

TEST_F(RestoreListDlgTest, ListThatIsAPipeDoesNotHangTheDialog) {
  ASSERT_EQ(::mkfifo(ListPath().c_str(), 0666), 0);
  // In a child, so that a dialog stuck reading the pipe fails this test instead of hanging it.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(30);
    CRestoreListDlg dialog;
    dialog.DoModal();
    const Texts texts = m_backend.MessageTexts();
    ::_exit(texts == Texts{kOpenFailed} ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_FALSE(WIFSIGNALED(status)) << "the dialog blocked on the pipe";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "unexpected messages";
}

}  // namespace
}  // namespace restore_test
