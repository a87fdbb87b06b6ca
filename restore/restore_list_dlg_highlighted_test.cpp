// Tests of Restore with several rows highlighted: each entry restored in list order with its
// questions, the overwrite question answered once for the rest, list.txt rewritten once, and
// the one report at the end; and Restore acting on a highlighted row rather than the caret.
#include <gtest/gtest.h>

#include "platform/injected_failures.h"
#include "restore/restore_list_test_fixture.h"
#include "restore/restore_report.h"
#include "store/store_layout.h"

namespace restore_test {
namespace {

using Held = ScriptedBackend::Held;

constexpr const char* kForAll = "Do this for all remaining files";

// A failure that no rewrite of the test meets unless it writes list.txt a second time.
std::error_code SecondRewrite() {
  return std::make_error_code(std::errc::resource_deadlock_would_occur);
}

class HighlightedRestoreTest : public RestoreListDlgTest {
 protected:
  // Entries n0.. in file order, each with its backup copy "copy of nI"; those in occupied
  // also with a file at their path, "current nI".
  Texts MakeEntries(int count, const std::vector<int>& occupied = {}) {
    Texts entries;
    for (int i = 0; i < count; ++i) {
      const std::string name = "n" + std::to_string(i);
      entries.push_back(Data(name));
      WriteBackup(name, "copy of " + name);
    }
    for (int i : occupied)
      WriteFile(entries[static_cast<std::size_t>(i)], "current n" + std::to_string(i));
    WriteList(ListOf(entries));
    return entries;
  }
  std::vector<int> Highlighted() const {
    return m_backend.ActiveWindow()->ListSelection(IDC_LIST_ENTRIES);
  }
  std::string Restored(int i) const { return "copy of n" + std::to_string(i); }
  std::string Kept(int i) const { return "current n" + std::to_string(i); }
};

TEST_F(HighlightedRestoreTest, EachHighlightedEntryComesBackInListOrderAndTheListIsRewrittenOnce) {
  const Texts e = MakeEntries(6, {1, 2, 5});
  CRestoreListDlg dialog;
  // Rows 1, 2 and 5 by Ctrl-clicks, the caret left on row 4 by Ctrl+Up: Restore acts on the
  // highlighted rows, not on the caret's. The three answers, in list order: yes for n1, yes
  // for n2, no for n5; taken in any other order they would leave another file as it was.
  m_backend.Pick(IDC_LIST_ENTRIES, 1)
      .Pick(IDC_LIST_ENTRIES, 2, Held::Ctrl)
      .Pick(IDC_LIST_ENTRIES, 5, Held::Ctrl)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::Up, Held::Ctrl)
      .Then([&] {
        EXPECT_EQ(Highlighted(), (std::vector<int>{1, 2, 5}));
        EXPECT_EQ(m_backend.ActiveWindow()->ListCaret(IDC_LIST_ENTRIES), 4);
      })
      .Click(IDC_RESTORE)
      .Answer(IDYES)
      .Answer(IDYES)
      .Answer(IDNO)
      .Then([&] {
        EXPECT_EQ(Shown(), (Texts{e[0], e[3], e[4], e[5]}));
        // What was left stays highlighted, to be seen and tried again.
        EXPECT_EQ(Highlighted(), std::vector<int>{3});
      });
  ScopedFailure secondRewrite(FileCall::kWrite, SecondRewrite(), "list.txt", /*skip=*/1);
  dialog.DoModal();
  EXPECT_EQ(secondRewrite.Failed(), 0);
  EXPECT_EQ(ReadFile(e[1]), Restored(1));
  EXPECT_EQ(ReadFile(e[2]), Restored(2));
  EXPECT_EQ(ReadFile(e[5]), Kept(5));
  EXPECT_FALSE(fs::exists(e[4]));
  // The first rewrite after a load writes what remains in reverse, as one restore would.
  EXPECT_EQ(ReadFile(ListPath()), ListOf({e[5], e[4], e[3], e[0]}));
  EXPECT_EQ(EntriesOf(dialog), (Texts{e[5], e[4], e[3], e[0]}));

  const auto& shown = m_backend.Messages();
  ASSERT_EQ(shown.size(), 4u);
  // The last question has no file after it to answer for.
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(shown[i].text, kOverwrite);
    EXPECT_EQ(shown[i].style, MB_YESNO);
    EXPECT_EQ(shown[i].checkText, i < 2 ? kForAll : "");
  }
  // Each question names its file below it.
  EXPECT_EQ(shown[0].detail, e[1]);
  EXPECT_EQ(shown[1].detail, e[2]);
  EXPECT_EQ(shown[2].detail, e[5]);
  EXPECT_EQ(shown[3].text, "2 files restored\n\n1 file not restored, still in the list:\n" + e[5] +
                               ": not restored, as answered");
  EXPECT_EQ(shown[3].style, MB_OK);
  ExpectCleanScript();
}

TEST_F(HighlightedRestoreTest, AnAnswerForAllRemainingFilesIsNotAskedAgain) {
  // Shift-click highlights a range; n0 is free and asks nothing.
  for (const int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "yes for all" : "no for all");
    m_backend.ClearMessages();
    fs::remove_all(m_data);
    fs::create_directories(m_data);
    const Texts e = MakeEntries(5, {1, 2, 3, 4});
    CRestoreListDlg dialog;
    m_backend.Pick(IDC_LIST_ENTRIES, 0)
        .Pick(IDC_LIST_ENTRIES, 3, Held::Shift)
        .Then([&] {
          EXPECT_EQ(Highlighted(), (std::vector<int>{0, 1, 2, 3}));
        })
        .Click(IDC_RESTORE)
        .Answer(IDNO)              // n1: no, for n1 alone
        .AnswerWithCheck(answer);  // n2, and n3 with it
    dialog.DoModal();
    EXPECT_EQ(ReadFile(e[0]), Restored(0));
    EXPECT_EQ(ReadFile(e[1]), Kept(1));
    for (int i : {2, 3}) EXPECT_EQ(ReadFile(e[i]), answer == IDYES ? Restored(i) : Kept(i));
    EXPECT_EQ(ReadFile(e[4]), Kept(4));  // not highlighted
    const Texts texts = m_backend.MessageTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], kOverwrite);
    EXPECT_EQ(texts[1], kOverwrite);
    const std::string leftLine = ": not restored, as answered";
    EXPECT_EQ(texts[2], answer == IDYES ? "3 files restored\n\n1 file not restored, still in the "
                                          "list:\n" +
                                              e[1] + leftLine
                                        : "File Restored\n\n3 files not restored, still in the "
                                          "list:\n" +
                                              e[1] + leftLine + "\n" + e[2] + leftLine + "\n" +
                                              e[3] + leftLine);
    ExpectCleanScript();
  }
}

TEST_F(HighlightedRestoreTest, EntriesThatCannotComeBackAreNamedWithTheirReasonsInTheReportAlone) {
  const Texts e = MakeEntries(3);
  fs::remove(BackupOf("n1"));
  // n2's folder is a file: its copy cannot be put there.
  const std::string blocked = Data("file") + "/n2";
  WriteFile(Data("file"), "in the way");
  WriteBackup("n2", "copy of n2", blocked);
  WriteList(ListOf({e[0], e[1], blocked}));
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0).Pick(IDC_LIST_ENTRIES, 2, Held::Shift).Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(
      m_backend.MessageTexts(),
      Texts{"File Restored\n\n2 files not restored, still in the list:\n" + e[1] +
            ": no backup copy left to restore: " +
            ErrorText(std::make_error_code(std::errc::no_such_file_or_directory)) + "\n" + blocked +
            ": cannot restore: " + ErrorText(std::make_error_code(std::errc::not_a_directory))});
  EXPECT_EQ(ReadFile(ListPath()), ListOf({blocked, e[1]}));
  ExpectCleanScript();
}

TEST_F(HighlightedRestoreTest, OneHighlightedRowIsRestoredWhereverTheCaretIs) {
  const Texts e = MakeEntries(4);
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 1)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::Down, Held::Ctrl)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::Down, Held::Ctrl)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(ReadFile(e[1]), Restored(1));
  EXPECT_FALSE(fs::exists(e[3]));
  ExpectCleanScript();
}

TEST_F(HighlightedRestoreTest, APathHighlightedTwiceIsRestoredOnceAndBothRowsGo) {
  const Texts e = MakeEntries(2);
  WriteList(ListOf({e[0], e[1], e[0]}));
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0)
      .Pick(IDC_LIST_ENTRIES, 2, Held::Ctrl)
      .Click(IDC_RESTORE)
      .Then([&] { EXPECT_EQ(Shown(), Texts{e[1]}); });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
  EXPECT_EQ(ReadFile(e[0]), Restored(0));
  EXPECT_EQ(ReadFile(ListPath()), ListOf({e[1]}));
  ExpectCleanScript();
}

TEST_F(HighlightedRestoreTest, ALinkToAFolderComesBackBeforeTheFileFoundThroughIt) {
  // The file's record comes first in the list, as a walk that lists a folder's files before
  // its links may leave it; the folder the link leads to is gone with the clean-up.
  const std::string link = Data("current"), file = Data("current") + "//notes.txt";
  const std::optional<std::string> linkCopy = OwnLinkPathIn(m_backups + "/", link);
  ASSERT_TRUE(linkCopy.has_value());
  fs::create_directories(fs::path(*linkCopy).parent_path());
  fs::create_symlink("v2", *linkCopy);
  const std::optional<std::string> fileCopy = OwnCopyPathIn(m_backups + "/", file);
  ASSERT_TRUE(fileCopy.has_value());
  fs::create_directories(fs::path(*fileCopy).parent_path());
  WriteFile(*fileCopy, "notes");
  WriteList(ListOf({file, Data("other"), link}));
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0).Pick(IDC_LIST_ENTRIES, 2, Held::Ctrl).Click(IDC_RESTORE);
  m_backend.Then([&] { EXPECT_EQ(Shown(), Texts{Data("other")}); });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), Texts{"2 files restored"});
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "v2");
  EXPECT_EQ(ReadFile(Data("v2/notes.txt")), "notes");
  EXPECT_EQ(ReadFile(ListPath()), ListOf({Data("other")}));
}

TEST_F(HighlightedRestoreTest, ARewriteThatFailsChangesNoRecordAndSaysSo) {
  const Texts e = MakeEntries(3);
  const std::string before = ReadFile(ListPath());
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0).Pick(IDC_LIST_ENTRIES, 1, Held::Shift).Click(IDC_RESTORE);
  {
    ScopedFailure failure(FileCall::kRename, std::make_error_code(std::errc::no_space_on_device),
                          "list.txt");
    dialog.DoModal();
  }
  EXPECT_EQ(ReadFile(ListPath()), before);
  EXPECT_EQ(ReadFile(e[0]), Restored(0));
  EXPECT_EQ(ReadFile(e[1]), Restored(1));
  EXPECT_EQ(m_backend.MessageTexts(),
            (Texts{"Rewriting the restoration list failed: " +
                       ErrorText(std::make_error_code(std::errc::no_space_on_device)),
                   "2 files restored"}));
  EXPECT_EQ(LeftoverFiles(), Texts{});
}

TEST_F(HighlightedRestoreTest, ManyLeftAreCountedPastTheFirstFew) {
  const int count = static_cast<int>(kNamedLeft) + 5;
  const Texts e = MakeEntries(count);
  for (int i = 0; i < count; ++i) fs::remove(BackupOf("n" + std::to_string(i)));
  CRestoreListDlg dialog;
  m_backend.Pick(IDC_LIST_ENTRIES, 0)
      .PressListKey(IDC_LIST_ENTRIES, ListKey::End, Held::Shift)
      .Click(IDC_RESTORE)
      .Then([&] { EXPECT_EQ(Highlighted().size(), static_cast<std::size_t>(count)); });
  dialog.DoModal();
  ASSERT_EQ(m_backend.MessageTexts().size(), 1u);
  const std::string report = m_backend.MessageTexts()[0];
  EXPECT_TRUE(report.starts_with("No files restored\n\n" + std::to_string(count) +
                                 " files not restored, still in the list:\n" + e[0] + ": "))
      << report;
  EXPECT_TRUE(report.ends_with("\nand 5 more, still highlighted")) << report;
  EXPECT_EQ(report.find(e[kNamedLeft]), std::string::npos);
  EXPECT_EQ(ReadFile(ListPath()), ListOf(e));
}

}  // namespace
}  // namespace restore_test
