// The restoration dialog sharing the store with other instances of the program: records
// another process appends while the dialog is open, a list another dialog rewrote, and a
// copy that another file of the same name filled last.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/folder_handle.h"
#include "restore/restore_list_test_fixture.h"
#include "store/copy_origin.h"
#include "store/list_append.h"
#include "store/list_records.h"

namespace restore_test {
namespace {

class SharedStoreTest : public RestoreListDlgTest {
 public:
  // Another instance cleaning: a separate process appends records the way the engine does.
  void AppendFromAnotherProcess(const Texts& paths) const {
    const pid_t pid = ::fork();
    if (pid == 0) {
      CFile list;
      FolderHandle store;
      bool ok = !store.Open(m_backups.c_str()) && OpenListForAppend(list, ListPath().c_str(), true);
      for (const std::string& path : paths) {
        ok = ok && !AppendRecord(list, ListPath().c_str(), store, RecordOf(path));
      }
      ::_exit(ok ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
};

struct MeanwhileCase {
  const char* name;
  // What another instance does between the load and the restore of y.
  std::function<void(SharedStoreTest&, const Texts&)> meanwhile;
  // list.txt afterwards, from the entries x, y, z as loaded and n1, n2 as appended.
  std::function<Texts(const Texts&)> expected;
};

TEST_F(SharedStoreTest, RestoreKeepsWhatOtherInstancesDidSinceTheLoad) {
  const MeanwhileCase cases[] = {
      {"nothing", [](SharedStoreTest&, const Texts&) {},
       [](const Texts& e) {
         return Texts{e[2], e[0]};
       }},
      {"two records appended",
       [](SharedStoreTest& t, const Texts& e) {
         t.AppendFromAnotherProcess({e[3], e[4]});
       },
       [](const Texts& e) {
         return Texts{e[4], e[3], e[2], e[0]};
       }},
      {"x restored by another dialog",
       [](SharedStoreTest&, const Texts& e) {
         ASSERT_FALSE(WriteFileReplacing((e[5]).c_str(), ListOf({e[2], e[1]})));
       },
       [](const Texts& e) { return Texts{e[2]}; }},
  };
  int round = 0;
  for (const MeanwhileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = "r" + std::to_string(round++) + "/";
    std::filesystem::create_directories(m_data + "/" + folder);
    const Texts e = {Data(folder + "x"),  Data(folder + "y"),  Data(folder + "z"),
                     Data(folder + "n1"), Data(folder + "n2"), ListPath()};
    WriteList(ListOf({e[0], e[1], e[2]}));
    WriteBackup("y", "why", e[1]);
    CRestoreListDlg dialog;
    m_backend.Then([&] { c.meanwhile(*this, e); }).Pick(IDC_LIST_ENTRIES, 1).Click(IDC_RESTORE);
    dialog.DoModal();
    EXPECT_EQ(m_backend.MessageTexts(), Texts{"File Restored"});
    EXPECT_EQ(ReadFile(e[1]), "why");
    EXPECT_EQ(ReadFile(ListPath()), ListOf(c.expected(e)));
    EXPECT_EQ(LeftoverFiles(), Texts{});
    ExpectCleanScript();
    m_backend.ClearMessages();
  }
}

TEST_F(SharedStoreTest, AppendedRecordsSurviveEveryLaterRewriteOfTheSameDialog) {
  const Texts e = {Data("a"), Data("b"), Data("c"), Data("n")};
  WriteList(ListOf({e[0], e[1], e[2]}));
  for (const char* name : {"a", "b"}) WriteBackup(name, name);
  CRestoreListDlg dialog;
  m_backend.Then([&] { AppendFromAnotherProcess({e[3]}); })
      .Pick(IDC_LIST_ENTRIES, 1)
      .Click(IDC_RESTORE)
      .Pick(IDC_LIST_ENTRIES, 0)
      .Click(IDC_RESTORE);
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{"File Restored", "File Restored"}));
  EXPECT_EQ(ReadFile(ListPath()), ListOf({e[3], e[2]}));
  ExpectCleanScript();
}

TEST_F(SharedStoreTest, AnEntryAnotherWindowRestoredFirstLeavesLaterRestoresRewritingTheList) {
  const std::string a = Data("a");
  const std::string b = Data("b");
  const std::string c = Data("c");
  for (const char* name : {"a", "b", "c"}) WriteBackup(name, name);
  WriteList(ListOf({a, b, c}));
  std::string afterB;
  std::string afterC;
  CRestoreListDlg dialog;
  // Another window restores b and rewrites the list before this one restores b too.
  m_backend.Then([&] { WriteList(ListOf({c, a})); })
      .Pick(IDC_LIST_ENTRIES, 1)
      .Click(IDC_RESTORE)
      .Then([&] { afterB = ReadFile(ListPath()); })
      .Pick(IDC_LIST_ENTRIES, 1)
      .Click(IDC_RESTORE)
      .Then([&] { afterC = ReadFile(ListPath()); });
  dialog.DoModal();
  EXPECT_EQ(m_backend.MessageTexts(), (Texts{"File Restored", "File Restored"}));
  EXPECT_EQ(afterB, ListOf({c, a}));
  EXPECT_EQ(afterC, ListOf({a}));
  ExpectCleanScript();
}

struct OriginCase {
  const char* name;
  bool fromOther;  // the copy was last taken from another file of the same name
  bool hasOrigin;  // the copy carries its origin at all
  int answer;      // to the origin question, 0 when none must come
};

TEST_F(SharedStoreTest, CopyLastTakenFromAnotherPathOrAnUnknownOneAsksFirst) {
  const std::string entry = Data("n.txt");
  const std::string other = m_root + "/elsewhere/n.txt";
  std::filesystem::create_directories(m_root + "/elsewhere");
  const OriginCase cases[] = {
      {"another path, Yes", true, true, IDYES},
      {"another path, No", true, true, IDNO},
      {"its own path", false, true, 0},
      {"no origin recorded, Yes", true, false, IDYES},
      {"no origin recorded, No", false, false, IDNO},
  };
  for (const OriginCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = c.fromOther ? other : entry;
    WriteFile(source, c.name);
    std::filesystem::remove(BackupOf("n.txt"));
    if (c.hasOrigin) {
      const FileNote origin = OriginNoteOf(source.c_str());
      ASSERT_FALSE(CopyFileReplacing(source.c_str(), BackupOf("n.txt").c_str(), false, &origin));
    } else {
      ASSERT_FALSE(CopyFileReplacing(source.c_str(), BackupOf("n.txt").c_str(), false));
    }
    std::filesystem::remove(entry);
    WriteList(ListOf({entry}));
    CRestoreListDlg dialog;
    m_backend.Pick(IDC_LIST_ENTRIES, 0).Click(IDC_RESTORE);
    if (c.answer != 0) m_backend.Answer(c.answer);
    dialog.DoModal();

    const bool restored = c.answer != IDNO;
    Texts expected;
    // Without a recorded origin the copy may hold any file of the name, its own included.
    const std::string from = c.hasOrigin ? "from another file:\n" + other
                                         : std::string("from a file of the same name, origin unknown.");
    if (c.answer != 0) {
      expected.push_back("The backup copy of this file was last taken " + from +
                         "\nRestore that file's contents to\n" + entry + "?");
    }
    if (restored) expected.push_back("File Restored");
    EXPECT_EQ(m_backend.MessageTexts(), expected);
    if (c.answer != 0) {
      EXPECT_EQ(m_backend.Messages().front().style, MB_YESNO);
    }
    EXPECT_EQ(std::filesystem::exists(entry), restored);
    if (restored) {
      EXPECT_EQ(ReadFile(entry), c.name);
    }
    EXPECT_EQ(ReadFile(ListPath()), restored ? "" : ListOf({entry}));
    ExpectCleanScript();
    m_backend.ClearMessages();
  }
}

}  // namespace
}  // namespace restore_test
