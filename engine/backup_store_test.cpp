// Tests of the backup store on real trees: the filter, the exact bytes of list.txt, the copies
// and every message the store shows, in its situation and order.
#include "engine/backup_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/clean_reporter.h"
#include "engine/folder_walk.h"
#include "engine/test_tree.h"
#include "platform/injected_failures.h"
#include "platform/test_support/file_size_limit.h"

namespace {

using test_tree::Records;

constexpr const char* kOpenFailed = "Openning restoration list file failed.";
constexpr const char* kCreateFailed = "Failed to create backup list text file";
constexpr const char* kCopyFailed = "CopyFile failed.";
constexpr const char* kWriteFailed = "Failed writting to backup text file";

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }

// Every report of a walk, in place of the desktop's boxes.
struct CollectedReports : CleanReporter {
  void Failure(const CleanFailureReport& report) override { reports.push_back(report); }
  std::vector<CleanFailureReport> reports;
};

// Sets an environment variable (unsets it for nullptr) for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : m_name(name) {
    const char* saved = std::getenv(name);
    if (saved != nullptr) m_saved = saved;
    m_wasSet = saved != nullptr;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (m_wasSet) {
      ::setenv(m_name.c_str(), m_saved.c_str(), 1);
    } else {
      ::unsetenv(m_name.c_str());
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string m_name;
  std::string m_saved;
  bool m_wasSet = false;
};

class BackupStoreTest : public test_tree::EngineTest {
 protected:
  // The contents of the versions of the file named name in folder.
  std::set<std::string> VersionTexts(const std::string& folder, const std::string& name) const {
    std::set<std::string> texts;
    const std::string versions = "prog/backups/versions" + tree.Path(folder);
    for (const std::string& version : tree.List(versions)) {
      if (version.rfind(name + " (", 0) == 0) texts.insert(tree.Read(versions + "/" + version));
    }
    return texts;
  }
  // The target text of the link at relative, or "(not a link)".
  std::string LinkTarget(const std::string& relative) const {
    char target[4096];
    const ssize_t n = ::readlink(tree.Path(relative).c_str(), target, sizeof target);
    return n < 0 ? "(not a link)" : std::string(target, static_cast<std::size_t>(n));
  }
  std::int32_t Walk(const std::string& relative, std::int32_t flags = WALK_FILES | WALK_FOLDERS) {
    return WalkFolder(tree.Path(relative).c_str(), "*", GoOn, 0, flags);
  }
  // The names that a walk of a folder holding exactly these files backs up under filter.
  std::vector<std::string> BackedUpNames(const std::string& filter,
                                         const std::vector<std::string>& names) {
    static int round = 0;
    std::string folder = "F" + std::to_string(round++);
    tree.MakeDir(folder);
    for (const std::string& name : names) tree.Write(folder + "/" + name, name);
    g_strFilter = filter;
    EXPECT_EQ(Walk(folder), WALK_DONE);
    std::vector<std::string> copied;
    for (const std::string& record : Records(List())) {
      std::string name = record.substr(record.rfind('/') + 1);
      EXPECT_EQ(tree.Read("prog/backups/" + name + "BACKUP"), name);
      copied.push_back(name);
    }
    std::sort(copied.begin(), copied.end());
    ::unlink(tree.Path("prog/backups/list.txt").c_str());
    return copied;
  }
};

TEST_F(BackupStoreTest, FilterOnTheExtensionOfTheFilesText) {
  const std::vector<std::string> names = {"a.txt", "a.TXT",    "a.txt.old", "b.txt",
                                          "noext", "x.tar.gz", "y.gz",      "z.tar"};
  std::vector<std::string> all = names;
  std::sort(all.begin(), all.end());
  EXPECT_EQ(BackedUpNames("", names), all);
  EXPECT_EQ(BackedUpNames("*.*", names), all);
  EXPECT_EQ(BackedUpNames("*.txt", names), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(BackedUpNames("*", names), (std::vector<std::string>{"noext"}));
  EXPECT_EQ(BackedUpNames("a*.txt", names), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(BackedUpNames("*.tar.gz", names), (std::vector<std::string>{"x.tar.gz", "y.gz"}));
}

TEST_F(BackupStoreTest, FilterAlone) {
  g_strFilter = "*.TXT";
  EXPECT_TRUE(PassesBackupFilter("A.TXT"));
  EXPECT_FALSE(PassesBackupFilter("a.txt"));
  g_strFilter = "*.*";
  EXPECT_TRUE(PassesBackupFilter("noext"));
  g_strFilter = "?.c";
  EXPECT_TRUE(PassesBackupFilter("long-name.c"));
  EXPECT_FALSE(PassesBackupFilter("x.cc"));
}

TEST_F(BackupStoreTest, ListHoldsExactRecordsWithDoubledSeparatorBelowTheTop) {
  tree.MakeDir("D");
  tree.MakeDir("D/S");
  tree.Write("D/a.txt", "A");
  tree.Write("D/S/b.txt", "B");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  std::string d = tree.Path("D");
  std::string a = d + "/a.txt;";
  std::string b = d + "/S//b.txt;";
  std::string list = List();
  // The order is the platform's enumeration order; the bytes are otherwise exact.
  EXPECT_TRUE(list == a + b || list == b + a) << list;
  EXPECT_EQ(tree.Read("prog/backups/a.txtBACKUP"), "A");
  EXPECT_EQ(tree.Read("prog/backups/b.txtBACKUP"), "B");
  EXPECT_TRUE(Texts().empty());
}

TEST_F(BackupStoreTest, ListIsOnlyEverAppendedTo) {
  tree.MakeDir("prog/backups");
  tree.Write("prog/backups/list.txt", "/earlier/x;");
  tree.MakeDir("D");
  tree.Write("D/a", "first");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  tree.Write("D/a", "second");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  std::string a = tree.Path("D") + "/a;";
  EXPECT_EQ(List(), "/earlier/x;" + a + a);
  // One copy per name: the newer one.
  EXPECT_EQ(tree.Read("prog/backups/aBACKUP"), "second");
}

TEST_F(BackupStoreTest, SameNameInTwoFoldersSharesOneCopyAndBothAreRecorded) {
  tree.MakeDir("D");
  tree.MakeDir("D/S");
  tree.Write("D/x", "top");
  tree.Write("D/S/x", "sub");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  std::vector<std::string> records = Records(List());
  ASSERT_EQ(records.size(), 2u);
  std::string lastContent = records.back() == tree.Path("D") + "/x" ? "top" : "sub";
  EXPECT_EQ(tree.Read("prog/backups/xBACKUP"), lastContent);
}

TEST_F(BackupStoreTest, MissingListIsCreatedAndTheFirstRecordStartsIt) {
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  EXPECT_EQ(List(), tree.Path("D") + "/a;");
}

TEST_F(BackupStoreTest, CopyKeepsModeAndModificationTime) {
  tree.MakeDir("D");
  tree.Write("D/a", "content");
  ASSERT_EQ(::chmod(tree.Path("D/a").c_str(), 0640), 0);
  const struct timespec times[2] = {{1000000000, 5}, {1100000000, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, tree.Path("D/a").c_str(), times, 0), 0);
  ASSERT_EQ(Walk("D"), WALK_DONE);
  struct stat st;
  ASSERT_EQ(::stat(tree.Path("prog/backups/aBACKUP").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
}

TEST_F(BackupStoreTest, BackupsFolderThatCannotBeMadeIsNamedOnceAndStopsTheWalk) {
  tree.Write("prog/backups", "a plain file where the folder should be");
  tree.MakeDir("D");
  tree.Write("D/a.txt", "a");
  tree.Write("D/b.doc", "b");
  tree.Write("D/c.txt", "c");
  g_strFilter = "*.txt";
  EXPECT_EQ(Walk("D"), WALK_STOPPED);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kOpenFailed, kCreateFailed,
                                               "The backups folder cannot be written:\n" +
                                                   tree.Path("prog/backups/") +
                                                   "\nNot a directory\nThe clean stops here."}));
  EXPECT_EQ(tree.Read("prog/backups"), "a plain file where the folder should be");
  EXPECT_FALSE(g_fileList.IsOpen());
}

TEST_F(BackupStoreTest, FailedCopyIsNotRecordedAndKeepsTheLastGoodCopy) {
  tree.MakeDir("prog/backups");
  tree.Write("prog/backups/pipeBACKUP", "last good copy");
  tree.MakeDir("D");
  tree.Write("D/ok", "ok");
  ASSERT_EQ(::mkfifo(tree.Path("D/pipe").c_str(), 0644), 0);
  // A FIFO with no writer would block a plain open for reading: this walk must end.
  EXPECT_EQ(Walk("D"), WALK_DONE);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kCopyFailed}));
  EXPECT_EQ(List(), tree.Path("D") + "/ok;");
  EXPECT_EQ(tree.Read("prog/backups/pipeBACKUP"), "last good copy");
  // No half-made copies are left behind.
  EXPECT_EQ(Backups(), (std::vector<std::string>{"list.txt", "okBACKUP", "paths", "pipeBACKUP",
                                                 "unprotected.txt"}));
}

TEST_F(BackupStoreTest, CopyThatCannotTakeEitherNameIsNotRecorded) {
  tree.MakeDir("prog/backups");
  tree.MakeDir("prog/backups/aBACKUP");  // folders in the way of both copies
  std::filesystem::create_directories(tree.Path("prog/backups/paths") + tree.Path("D/a"));
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  EXPECT_EQ(Walk("D"), WALK_DONE);
  EXPECT_EQ(Texts(), std::vector<std::string>{kCopyFailed});
  EXPECT_EQ(List(), "");
  EXPECT_EQ(Backups(), (std::vector<std::string>{"aBACKUP", "list.txt", "paths",
                                                 "unprotected.txt"}));
}

TEST_F(BackupStoreTest, ASharedCopyInTheWayLeavesThePathItsOwnCopy) {
  tree.MakeDir("prog/backups");
  tree.MakeDir("prog/backups/aBACKUP");
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  EXPECT_EQ(Walk("D"), WALK_DONE);
  // The shared copy was not made, and that is said; the path is protected all the same.
  EXPECT_EQ(Texts(), std::vector<std::string>{kCopyFailed});
  EXPECT_TRUE(UnprotectedItems().empty());
  EXPECT_EQ(List(), tree.Path("D") + "/a;");
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/a")), "a");
}

TEST_F(BackupStoreTest, AnOwnCopyInTheWayLeavesThePathTheSharedCopyAndIsReported) {
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  std::filesystem::create_directories(tree.Path("prog/backups/paths") + tree.Path("D/a"));
  EXPECT_EQ(Walk("D"), WALK_DONE);
  EXPECT_EQ(List(), tree.Path("D") + "/a;");
  EXPECT_EQ(tree.Read("prog/backups/aBACKUP"), "a");
  ASSERT_EQ(UnprotectedItems().size(), 1u);
  EXPECT_EQ(UnprotectedItems()[0].path, tree.Path("D") + "/a");
  EXPECT_NE(UnprotectedItems()[0].reason.find("only the shared copy"), std::string::npos)
      << UnprotectedItems()[0].reason;
}

// Every kind of link, kept as the link it is: the own copy below "links" holds the same target
// text, nothing is read through it, and the shared copies of their names are not taken.
TEST_F(BackupStoreTest, LinksAreKeptAsLinksWhereverTheyLead) {
  tree.MakeDir("D");
  tree.MakeDir("D/sub");
  tree.Write("target", "linked content");
  ASSERT_EQ(::symlink(tree.Path("target").c_str(), tree.Path("D/to-file").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere/at all", tree.Path("D/dangling").c_str()), 0);
  ASSERT_EQ(::symlink("sub", tree.Path("D/to-sub").c_str()), 0);
  tree.Write("D/sub/s", "s");
  EXPECT_EQ(Walk("D"), WALK_DONE);
  EXPECT_TRUE(Texts().empty());
  EXPECT_TRUE(UnprotectedItems().empty());
  const std::string links = "prog/backups/links" + tree.Path("D");
  EXPECT_EQ(LinkTarget(links + "/to-fileLINK"), tree.Path("target"));
  EXPECT_EQ(LinkTarget(links + "/danglingLINK"), "nowhere/at all");
  EXPECT_EQ(LinkTarget(links + "/to-subLINK"), "sub");
  EXPECT_FALSE(tree.Exists("prog/backups/to-fileBACKUP"));
  EXPECT_FALSE(tree.Exists("prog/backups/paths" + tree.Path("D/to-file")));
  const std::vector<std::string> records = Records(List());
  for (const char* link : {"/to-file", "/dangling", "/to-sub"}) {
    EXPECT_NE(std::find(records.begin(), records.end(), tree.Path("D") + link), records.end())
        << link;
  }
}

TEST_F(BackupStoreTest, AnUnchangedLinkIsNotKeptAgainAndAChangedOneKeepsItsVersion) {
  tree.MakeDir("D");
  ASSERT_EQ(::symlink("first", tree.Path("D/l").c_str()), 0);
  const std::string own = "prog/backups/links" + tree.Path("D/lLINK");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  struct stat kept;
  ASSERT_EQ(::lstat(tree.Path(own).c_str(), &kept), 0);
  ASSERT_EQ(Walk("D"), WALK_DONE);
  struct stat again;
  ASSERT_EQ(::lstat(tree.Path(own).c_str(), &again), 0);
  EXPECT_EQ(again.st_ino, kept.st_ino) << "an unchanged link is not made again";
  EXPECT_FALSE(tree.Exists("prog/backups/versions"));
  EXPECT_EQ(Records(List()).size(), 2u);

  ASSERT_EQ(::unlink(tree.Path("D/l").c_str()), 0);
  ASSERT_EQ(::symlink("second", tree.Path("D/l").c_str()), 0);
  ASSERT_EQ(Walk("D"), WALK_DONE);
  EXPECT_EQ(LinkTarget(own), "second");
  const std::vector<std::string> versions = tree.List("prog/backups/versions" + tree.Path("D"));
  ASSERT_EQ(versions.size(), 1u);
  EXPECT_EQ(versions[0].rfind("l (", 0), 0u) << versions[0];
  EXPECT_EQ(LinkTarget("prog/backups/versions" + tree.Path("D") + "/" + versions[0]), "first");

  // A file in the link's place: the link's copy goes to the versions, the file gets its own.
  ASSERT_EQ(::unlink(tree.Path("D/l").c_str()), 0);
  tree.Write("D/l", "now a file");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  EXPECT_FALSE(tree.Exists(own));
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/l")), "now a file");
  EXPECT_EQ(tree.List("prog/backups/versions" + tree.Path("D")).size(), 2u);
}

// A link found through a link to a folder is kept below a real folder of the store, and nothing
// the store does to its own copies reaches through a link it keeps to the files it leads to.
TEST_F(BackupStoreTest, NothingIsWrittenOrRemovedThroughALinkTheStoreKeeps) {
  tree.MakeDir("D");
  tree.MakeDir("E");
  tree.Write("E/f", "user's file");
  ASSERT_EQ(::symlink("f", tree.Path("E/inner").c_str()), 0);
  ASSERT_EQ(::symlink(tree.Path("E").c_str(), tree.Path("D/out").c_str()), 0);
  ASSERT_EQ(Walk("D"), WALK_DONE);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(LinkTarget("prog/backups/links" + tree.Path("D/outLINK")), tree.Path("E"));
  EXPECT_EQ(LinkTarget("prog/backups/links" + tree.Path("D/out/innerLINK")), "f");
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/out/f")), "user's file");
  // Each clean again, now that the store holds links a careless look would pass through.
  ASSERT_EQ(Walk("D"), WALK_DONE);
  tree.Write("E/f", "changed");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  EXPECT_EQ(tree.Read("E/f"), "changed");
  EXPECT_EQ(LinkTarget("E/inner"), "f");
  EXPECT_EQ(tree.List("E"), (std::vector<std::string>{"f", "inner"}));
}

// Two names of one file copied in one clean are one file in the store too; when one of them is
// replaced by another file, only that path's copy changes, the other keeps the shared one.
TEST_F(BackupStoreTest, NamesOfOneFileShareOneOwnCopy) {
  tree.MakeDir("D");
  tree.Write("D/a", "one file");
  ASSERT_EQ(::link(tree.Path("D/a").c_str(), tree.Path("D/b").c_str()), 0);
  ASSERT_EQ(Walk("D"), WALK_DONE);
  const std::string ownA = tree.Path("prog/backups/paths" + tree.Path("D/a"));
  const std::string ownB = tree.Path("prog/backups/paths" + tree.Path("D/b"));
  struct stat a, b;
  ASSERT_EQ(::stat(ownA.c_str(), &a), 0);
  ASSERT_EQ(::stat(ownB.c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  EXPECT_EQ(Records(List()).size(), 2u);

  ASSERT_EQ(Walk("D"), WALK_DONE);
  EXPECT_FALSE(tree.Exists("prog/backups/versions")) << "unchanged names copy nothing";

  ASSERT_EQ(::unlink(tree.Path("D/b").c_str()), 0);
  tree.Write("D/b", "another file");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/a")), "one file");
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/b")), "another file");
  // b's earlier copy is kept; so is a's, whose change time moved when b's name went.
  EXPECT_EQ(VersionTexts("D", "b"), (std::set<std::string>{"one file"}));

  // Written in place, both names change: each path keeps the copy it had as a version.
  ASSERT_EQ(::unlink(tree.Path("D/b").c_str()), 0);
  ASSERT_EQ(::link(tree.Path("D/a").c_str(), tree.Path("D/b").c_str()), 0);
  ASSERT_EQ(Walk("D"), WALK_DONE);
  tree.Write("D/a", "written in place, a longer text");
  ASSERT_EQ(Walk("D"), WALK_DONE);
  ASSERT_EQ(::stat(ownA.c_str(), &a), 0);
  ASSERT_EQ(::stat(ownB.c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/b")), "written in place, a longer text");
  EXPECT_EQ(VersionTexts("D", "b"), (std::set<std::string>{"one file", "another file"}));
  EXPECT_EQ(VersionTexts("D", "a"), (std::set<std::string>{"one file"}));
}

std::int32_t RemoveListAfterFirst(const char*, const FindData*, std::int32_t) {
  ::unlink(g_szListPath);
  return 1;
}

TEST_F(BackupStoreTest, ListThatCannotBeReopenedGivesTwoMessagesAndTheCopyStays) {
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  tree.Write("D/b", "b");
  // After the first record the list vanishes; the backup step does not create it again.
  EXPECT_EQ(WalkFolder(tree.Path("D").c_str(), "*", RemoveListAfterFirst, 0, WALK_FILES),
            WALK_DONE);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kOpenFailed, kWriteFailed}));
  EXPECT_FALSE(tree.Exists("prog/backups/list.txt"));
  EXPECT_EQ(Backups(), (std::vector<std::string>{"aBACKUP", "bBACKUP", "paths",
                                                 "unprotected.txt"}));
  EXPECT_FALSE(g_fileList.IsOpen());
}

TEST_F(BackupStoreTest, ListThatIsNotAPlainFileCannotBeOpened) {
  // A device (through a link) and a FIFO in the list's place: neither is written to nor
  // waited on; each gives the messages of a list that cannot be opened once, and the walk
  // stops before it copies what it could not record.
  tree.MakeDir("prog/backups");
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  for (const bool fifo : {false, true}) {
    SCOPED_TRACE(fifo ? "FIFO" : "device");
    const std::string list = tree.Path("prog/backups/list.txt");
    ::unlink(list.c_str());
    if (fifo) {
      ASSERT_EQ(::mkfifo(list.c_str(), 0644), 0);
    } else {
      ASSERT_EQ(::symlink("/dev/full", list.c_str()), 0);
    }
    failures.Clear();
    EXPECT_EQ(Walk("D"), WALK_STOPPED);
    const std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], kOpenFailed);
    EXPECT_EQ(texts[1], kCreateFailed);
    EXPECT_TRUE(texts[2].starts_with("The backups folder cannot be written:\n" +
                                     tree.Path("prog/backups/") + "\n"));
    EXPECT_FALSE(tree.Exists("prog/backups/aBACKUP"));
  }
}

TEST_F(BackupStoreTest, RecordCutShortByTheFileSizeLimitIsTakenBack) {
  tree.MakeDir("prog/backups");
  const std::string earlier = "/earlier/record;";
  tree.Write("prog/backups/list.txt", earlier);
  tree.MakeDir("D");
  tree.Write("D/a", "");
  std::int32_t result;
  {
    // Room for a few bytes of the record only: the write stops part way.
    FileSizeLimit limit(earlier.size() + 4);
    ASSERT_TRUE(limit.ok());
    result = Walk("D");
  }
  EXPECT_EQ(result, WALK_DONE);
  EXPECT_EQ(Texts(), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(List(), earlier);
}

TEST_F(BackupStoreTest, PreparationBuildsTheFolderPaths) {
  PrepareBackupStore();
  std::string backups = tree.Path("prog/backups/");
  EXPECT_STREQ(g_szProgramDir, tree.Path("prog").c_str());
  EXPECT_STREQ(g_szBackupPath, backups.c_str());
  EXPECT_STREQ(g_szListPath, (backups + "list.txt").c_str());
  EXPECT_TRUE(g_fileList.IsOpen());
  EXPECT_TRUE(g_strRecord.empty());
  ASSERT_TRUE(BuildBackupPath("a.txt"));
  EXPECT_STREQ(g_szBackupPath, (backups + "a.txtBACKUP").c_str());
  EXPECT_FALSE(BuildBackupPath(std::string(kMaxPath, 'n').c_str()));
  EXPECT_TRUE(Texts().empty());
}

TEST_F(BackupStoreTest, UnknownProgramFolderNeverUsesTheRootFolder) {
  SetProgramPathForTesting("quillmar");  // no folder part at all
  PrepareBackupStore();
  EXPECT_STREQ(g_szProgramDir, "");
  EXPECT_STREQ(g_szListPath, "");
  EXPECT_EQ(Texts(), (std::vector<std::string>{kOpenFailed, kCreateFailed}));
  failures.Clear();
  std::string file = tree.Path("f");
  tree.Write("f", "f");
  std::strcpy(g_szFilePath, file.c_str());
  ASSERT_TRUE(BuildBackupPath("f"));
  EXPECT_FALSE(BackupCurrentFile());
  EXPECT_EQ(Texts(), std::vector<std::string>{kCopyFailed});
}

TEST_F(BackupStoreTest, InstalledCopyKeepsItsStoreInTheUsersDataFolder) {
  // PREFIX/bin/quillmar with PREFIX/share/quillmar/ beside it: an installed copy.
  for (const char* folder : {"usr", "usr/bin", "usr/share", "usr/share/quillmar", "D"}) {
    tree.MakeDir(folder);
  }
  tree.Write("D/a.txt", "a");
  SetProgramPathForTesting(tree.Path("usr/bin/quillmar"));
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string savedValue = saved != nullptr ? saved : "";
  ::setenv("XDG_DATA_HOME", tree.Path("home/data").c_str(), 1);
  const std::int32_t result = Walk("D");
  if (saved != nullptr) {
    ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
  EXPECT_EQ(result, WALK_DONE);
  EXPECT_TRUE(Texts().empty());
  // The data folder's missing parents were made along the way.
  EXPECT_EQ(tree.Read("home/data/quillmar/backups/list.txt"), tree.Path("D/a.txt") + ";");
  EXPECT_EQ(tree.Read("home/data/quillmar/backups/a.txtBACKUP"), "a");
  EXPECT_FALSE(tree.Exists("usr/bin/backups"));
}

TEST_F(BackupStoreTest, AnInstalledCopyWithNoStoreFolderSaysSoOnceAndStops) {
  // An installed copy whose home folder is relative has nowhere to keep its store: however
  // many files and folders follow, one report, and nothing written anywhere.
  for (const char* folder :
       {"usr", "usr/bin", "usr/share", "usr/share/quillmar", "D", "D/S", "D/T"}) {
    tree.MakeDir(folder);
  }
  for (const char* folder : {"D/", "D/S/", "D/T/"}) {
    for (const char* name : {"a", "b", "c"}) tree.Write(std::string(folder) + name, name);
  }
  SetProgramPathForTesting(tree.Path("usr/bin/quillmar"));
  CollectedReports collected;
  ScopedCleanReporter reporting(collected);
  std::int32_t result;
  {
    ScopedVariable data("XDG_DATA_HOME", nullptr);
    ScopedVariable home("HOME", "relative-home");
    result = Walk("D");
  }
  EXPECT_EQ(result, WALK_STOPPED);
  ASSERT_EQ(collected.reports.size(), 1u);
  EXPECT_EQ(collected.reports[0].failure, CleanFailure::kListNotOpened);
  EXPECT_EQ(collected.reports[0].path, "");
  EXPECT_TRUE(collected.reports[0].reason);
  EXPECT_TRUE(UnprotectedItems().empty());
  EXPECT_FALSE(tree.Exists("usr/bin/backups"));
  EXPECT_FALSE(std::filesystem::exists("relative-home"));
}

TEST_F(BackupStoreTest, ASharedNameThatCannotBeGivenIsReportedForItsFile) {
  // The shared name is given on the namer's thread, by a link or by a rename over the name
  // already there; each failure reaches the clean's report, once, with the file it was for.
  const std::error_code failed = std::make_error_code(std::errc::io_error);
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  tree.Write("D/b", "b");
  ASSERT_EQ(Walk("D"), WALK_DONE);  // the shared names are taken now: the next are replaced
  for (const FileCall call : {FileCall::kLink, FileCall::kRename}) {
    SCOPED_TRACE(call == FileCall::kLink ? "link" : "rename");
    tree.Write("D/a", "newer a");
    CollectedReports collected;
    ScopedCleanReporter reporting(collected);
    {
      ScopedFailure failure(call, failed, "aBACKUP");
      EXPECT_EQ(Walk("D"), WALK_DONE);
      EXPECT_GE(failure.Failed(), 1);
    }
    ASSERT_EQ(collected.reports.size(), 1u);
    EXPECT_EQ(collected.reports[0].failure, CleanFailure::kSharedCopyNotNamed);
    EXPECT_EQ(collected.reports[0].path, tree.Path("D/a"));
    EXPECT_EQ(collected.reports[0].reason, failed);
    // The file itself is protected by its own copy; the shared one is still the older file.
    EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/a")), "newer a");
    EXPECT_EQ(tree.Read("prog/backups/aBACKUP"), "a");
    EXPECT_EQ(tree.Read("prog/backups/bBACKUP"), "b");
  }
}

TEST_F(BackupStoreTest, AFlushThatFailsAtTheEndIsShown) {
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  const std::error_code failed = std::make_error_code(std::errc::io_error);
  {
    ScopedFailure failure(FileCall::kFlush, failed, tree.Path("prog/backups"));
    EXPECT_EQ(Walk("D"), WALK_DONE);
    EXPECT_GE(failure.Failed(), 1);
  }
  EXPECT_EQ(Texts(),
            std::vector<std::string>{"Writing the backups to disk failed: " + ErrorText(failed)});
}

}  // namespace
