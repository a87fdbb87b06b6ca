// Tests of WalkFolder on real trees: flags, results, paths, callbacks, the guards that keep a
// walk finite and out of the backups folder, and the bounded string operations.
#include "engine/folder_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/backup_store.h"
#include "engine/clean_reporter.h"
#include "engine/test_tree.h"

namespace {

using test_tree::Records;

struct Recorder {
  std::vector<std::string> paths;
  std::vector<bool> folders;
  std::vector<std::int32_t> userData;
  std::string stopAt;  // the callback answers 0 for this path
  std::function<void(const std::string&)> onCall;
};
Recorder* g_recorder = nullptr;

std::int32_t Record(const char* path, const FindData* data, std::int32_t userData) {
  g_recorder->paths.push_back(path);
  g_recorder->folders.push_back((data->dwFileAttributes & kFolderAttribute) != 0);
  g_recorder->userData.push_back(userData);
  if (g_recorder->onCall) g_recorder->onCall(path);
  return path == g_recorder->stopAt ? 0 : 1;
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

class WalkTest : public test_tree::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    g_recorder = &recorder;
  }
  void TearDown() override {
    g_recorder = nullptr;
    EngineTest::TearDown();
  }
  // D holds f.txt, .hidden and A; A holds g.txt and B; B holds h.
  void MakeSmallTree() {
    tree.MakeDir("D");
    tree.Write("D/f.txt", "f");
    tree.Write("D/.hidden", "hidden");
    tree.MakeDir("D/A");
    tree.Write("D/A/g.txt", "g");
    tree.MakeDir("D/A/B");
    tree.Write("D/A/B/h", "h");
  }
  std::int32_t Walk(const std::string& directory, std::int32_t flags, const char* pattern = "*") {
    return WalkFolder(directory.c_str(), pattern, Record, 7, flags);
  }
  void MakeBackupsAPlainFile() { tree.Write("prog/backups", "not a folder"); }

  Recorder recorder;
};

TEST_F(WalkTest, MissingArgumentsReturnBadArgumentAndTouchNothing) {
  MakeSmallTree();
  std::string d = tree.Path("D");
  EXPECT_EQ(WalkFolder(nullptr, "*", Record, 0, 3), WALK_BAD_ARGUMENT);
  EXPECT_EQ(WalkFolder(d.c_str(), nullptr, Record, 0, 3), WALK_BAD_ARGUMENT);
  EXPECT_EQ(WalkFolder(d.c_str(), "*", nullptr, 0, 3), WALK_BAD_ARGUMENT);
  EXPECT_FALSE(tree.Exists("prog/backups"));
  EXPECT_TRUE(recorder.paths.empty());
  EXPECT_TRUE(Texts().empty());
}

TEST_F(WalkTest, MissingFolderFailsWithoutPreparingTheStore) {
  EXPECT_EQ(Walk(tree.Path("nowhere"), 3), WALK_SEARCH_FAILED);
  EXPECT_FALSE(tree.Exists("prog/backups"));
  EXPECT_FALSE(g_fileList.IsOpen());
  EXPECT_TRUE(Texts().empty());
  // A file is not a folder to walk either.
  tree.Write("plain", "x");
  EXPECT_EQ(Walk(tree.Path("plain"), 3), WALK_SEARCH_FAILED);
  EXPECT_FALSE(tree.Exists("prog/backups"));
}

TEST_F(WalkTest, EmptyFolderPreparesTheStoreAndCallsNothing) {
  tree.MakeDir("D");
  EXPECT_EQ(Walk(tree.Path("D"), 3), WALK_DONE);
  EXPECT_TRUE(tree.Exists("prog/backups/list.txt"));
  EXPECT_EQ(List(), "");
  EXPECT_TRUE(recorder.paths.empty());
  EXPECT_TRUE(Texts().empty());
}

TEST_F(WalkTest, FilesAndFoldersGiveDoubledSeparatorsBelowTheTop) {
  MakeSmallTree();
  std::string d = tree.Path("D");
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths), Sorted({d + "/f.txt", d + "/.hidden", d + "/A/",
                                            d + "/A//g.txt", d + "/A//B/", d + "/A//B//h"}));
  for (std::size_t i = 0; i < recorder.paths.size(); ++i) {
    EXPECT_EQ(recorder.folders[i], recorder.paths[i].back() == '/') << recorder.paths[i];
    EXPECT_EQ(recorder.userData[i], 7);
  }
  // A folder's callback comes before anything inside it.
  auto at = [&](const std::string& p) {
    return std::find(recorder.paths.begin(), recorder.paths.end(), p) - recorder.paths.begin();
  };
  EXPECT_LT(at(d + "/A/"), at(d + "/A//g.txt"));
  EXPECT_LT(at(d + "/A//B/"), at(d + "/A//B//h"));
  EXPECT_EQ(Sorted(Records(List())),
            Sorted({d + "/f.txt", d + "/.hidden", d + "/A//g.txt", d + "/A//B//h"}));
  EXPECT_EQ(Backups(),
            Sorted({".hiddenBACKUP", "f.txtBACKUP", "g.txtBACKUP", "hBACKUP", "list.txt", "paths"}));
}

TEST_F(WalkTest, FilesFlagAloneCallsBackForFilesOnly) {
  MakeSmallTree();
  std::string d = tree.Path("D");
  EXPECT_EQ(Walk(d, WALK_FILES), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths),
            Sorted({d + "/f.txt", d + "/.hidden", d + "/A//g.txt", d + "/A//B//h"}));
  EXPECT_EQ(Records(List()).size(), 4u);
}

TEST_F(WalkTest, FoldersFlagAloneBacksUpNothing) {
  MakeSmallTree();
  std::string d = tree.Path("D");
  EXPECT_EQ(Walk(d, WALK_FOLDERS), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths), Sorted({d + "/A/", d + "/A//B/"}));
  EXPECT_EQ(Backups(), std::vector<std::string>{"list.txt"});
  EXPECT_EQ(List(), "");
}

TEST_F(WalkTest, AStoreThatCannotBeWrittenStopsTheWalkAtItsFirstFolderWhateverTheFlags) {
  MakeSmallTree();
  MakeBackupsAPlainFile();
  for (const std::int32_t flags : {0, WALK_NO_RECURSE, WALK_FILES | WALK_FOLDERS}) {
    SCOPED_TRACE(flags);
    failures.Clear();
    recorder.paths.clear();
    EXPECT_EQ(Walk(tree.Path("D"), flags), WALK_STOPPED);
    EXPECT_TRUE(recorder.paths.empty());
    EXPECT_EQ(Texts().size(), 3u);
  }
}

TEST_F(WalkTest, NoRecurseVisitsOnlyTheTopFolder) {
  MakeSmallTree();
  std::string d = tree.Path("D");
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS | WALK_NO_RECURSE), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths), Sorted({d + "/f.txt", d + "/.hidden", d + "/A/"}));
  EXPECT_EQ(Sorted(Records(List())), Sorted({d + "/f.txt", d + "/.hidden"}));
}

TEST_F(WalkTest, PatternDecidesTheCallbackNotTheBackup) {
  MakeSmallTree();
  std::string d = tree.Path("D");
  EXPECT_EQ(WalkFolder(d.c_str(), "*.TXT", Record, 0, 3), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths), Sorted({d + "/f.txt", d + "/A//g.txt"}));
  EXPECT_EQ(Records(List()).size(), 4u);
  recorder.paths.clear();
  // An empty pattern is accepted and matches no path.
  EXPECT_EQ(WalkFolder(d.c_str(), "", Record, 0, 3), WALK_DONE);
  EXPECT_TRUE(recorder.paths.empty());
  EXPECT_EQ(Records(List()).size(), 8u);
}

TEST_F(WalkTest, TopFolderEndingWithSeparatorDoublesTheFirstOne) {
  tree.MakeDir("D");
  tree.Write("D/f", "f");
  std::string top = tree.Path("D") + "/";
  EXPECT_EQ(Walk(top, WALK_FILES), WALK_DONE);
  EXPECT_EQ(recorder.paths, std::vector<std::string>{top + "/f"});
  EXPECT_EQ(List(), top + "/f;");
}

TEST_F(WalkTest, EmptyDirectoryMeansTheRootFolder) {
  EXPECT_EQ(WalkFolder("", "*", Record, 0, WALK_FOLDERS | WALK_NO_RECURSE), WALK_DONE);
  EXPECT_NE(std::find(recorder.paths.begin(), recorder.paths.end(), "/tmp/"), recorder.paths.end());
  EXPECT_TRUE(tree.Exists("prog/backups/list.txt"));
}

TEST_F(WalkTest, StopInASubFolderTravelsUpAfterTheFileIsBackedUp) {
  tree.MakeDir("D");
  tree.MakeDir("D/S");
  for (int i = 0; i < 20; ++i) {
    tree.Write("D/top" + std::to_string(i), "t");
    tree.Write("D/S/sub" + std::to_string(i), "s");
  }
  tree.Write("D/S/stop", "stop here");
  std::string d = tree.Path("D");
  recorder.stopAt = d + "/S//stop";
  int before = test_tree::OpenDescriptorCount();
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_STOPPED);
  EXPECT_EQ(test_tree::OpenDescriptorCount(), before);
  ASSERT_FALSE(recorder.paths.empty());
  EXPECT_EQ(recorder.paths.back(), recorder.stopAt);
  EXPECT_EQ(std::count(recorder.paths.begin(), recorder.paths.end(), recorder.stopAt), 1);
  std::vector<std::string> records = Records(List());
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.back(), recorder.stopAt);
  EXPECT_EQ(tree.Read("prog/backups/stopBACKUP"), "stop here");
}

TEST_F(WalkTest, StopAtASubFolderDoesNotEnterIt) {
  MakeSmallTree();
  std::string d = tree.Path("D");
  recorder.stopAt = d + "/A/";
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_STOPPED);
  EXPECT_EQ(recorder.paths.back(), d + "/A/");
  for (const std::string& p : recorder.paths) EXPECT_EQ(p.find(d + "/A//"), std::string::npos);
}

TEST_F(WalkTest, FailedSubFolderDoesNotStopItsParent) {
  tree.MakeDir("D");
  tree.MakeDir("D/A");
  tree.Write("D/one", "1");
  tree.Write("D/two", "2");
  std::string d = tree.Path("D");
  // The folder vanishes between its callback and its descent.
  recorder.onCall = [&](const std::string& p) {
    if (p == d + "/A/") ::rmdir(tree.Path("D/A").c_str());
  };
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_SEARCH_FAILED);
  EXPECT_EQ(Sorted(recorder.paths), Sorted({d + "/A/", d + "/one", d + "/two"}));
}

TEST_F(WalkTest, LinkBackToTheParentIsPassedOver) {
  MakeSmallTree();
  ASSERT_EQ(::symlink("..", tree.Path("D/A/up").c_str()), 0);
  std::string d = tree.Path("D");
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_DONE);
  // The link is an entry of its folder, but nothing is entered through it.
  EXPECT_EQ(Sorted(recorder.paths),
            Sorted({d + "/f.txt", d + "/.hidden", d + "/A/", d + "/A//g.txt", d + "/A//up/",
                    d + "/A//B/", d + "/A//B//h"}));
  // The link itself is kept, as a link.
  EXPECT_EQ(Records(List()).size(), 5u);
  EXPECT_NE(List().find(d + "/A//up;"), std::string::npos);
}

TEST_F(WalkTest, LinkBackToTheTopFromDeeperIsPassedOver) {
  MakeSmallTree();
  ASSERT_EQ(::symlink(tree.Path("D").c_str(), tree.Path("D/A/B/top").c_str()), 0);
  std::string d = tree.Path("D");
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths),
            Sorted({d + "/f.txt", d + "/.hidden", d + "/A/", d + "/A//g.txt", d + "/A//B/",
                    d + "/A//B//h", d + "/A//B//top/"}));
  EXPECT_EQ(Records(List()).size(), 5u);
}

TEST_F(WalkTest, LinkToAFolderElsewhereIsEntered) {
  tree.MakeDir("D");
  tree.MakeDir("E");
  tree.Write("E/e", "e");
  ASSERT_EQ(::symlink(tree.Path("E").c_str(), tree.Path("D/L").c_str()), 0);
  std::string d = tree.Path("D");
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths), Sorted({d + "/L/", d + "/L//e"}));
  // The link first, then what was found through it: a restore in the list's order makes the
  // link before the files that go back through it.
  EXPECT_EQ(List(), d + "/L;" + d + "/L//e;");
}

TEST_F(WalkTest, BackupsFolderInsideTheTreeIsNeverWalked) {
  tree.Write("f", "f");
  ASSERT_EQ(::symlink(tree.Path("prog/backups").c_str(), tree.Path("alias").c_str()), 0);
  std::string root = tree.Root();
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Walk(root, WALK_FILES), WALK_DONE);
  }
  // Two rounds, one file and the link: neither the copies nor the list were taken for files of
  // the tree.
  EXPECT_EQ(Sorted(Records(List())), Sorted({root + "/f", root + "/f", root + "/alias",
                                             root + "/alias"}));
  EXPECT_EQ(Backups(), Sorted({"fBACKUP", "links", "list.txt", "paths"}));
}

TEST_F(WalkTest, WalkingTheBackupsFolderItselfVisitsNothing) {
  tree.MakeDir("D");
  tree.Write("D/f", "f");
  ASSERT_EQ(Walk(tree.Path("D"), WALK_FILES), WALK_DONE);
  recorder.paths.clear();
  EXPECT_EQ(Walk(tree.Path("prog/backups"), WALK_FILES | WALK_FOLDERS), WALK_DONE);
  EXPECT_TRUE(recorder.paths.empty());
  EXPECT_EQ(Backups(), Sorted({"fBACKUP", "list.txt", "paths"}));
}

TEST_F(WalkTest, ListFileIsClosedWhenTheWalkReturns) {
  tree.MakeDir("D");
  tree.Write("D/a.txt", "a");
  std::string d = tree.Path("D");
  g_strFilter = "*.none";
  EXPECT_EQ(Walk(d, WALK_FILES), WALK_DONE);
  EXPECT_FALSE(g_fileList.IsOpen());
  // The list is replaced between walks; the next record must reach the new one.
  tree.Write("prog/replacement", "NEW;");
  ASSERT_EQ(
      ::rename(tree.Path("prog/replacement").c_str(), tree.Path("prog/backups/list.txt").c_str()),
      0);
  g_strFilter = "*.txt";
  EXPECT_EQ(Walk(d, WALK_FILES), WALK_DONE);
  EXPECT_FALSE(g_fileList.IsOpen());
  EXPECT_EQ(List(), "NEW;" + d + "/a.txt;");
}

TEST_F(WalkTest, EachRecordIsInTheListBeforeTheWalkGoesOn) {
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  tree.Write("D/b", "b");
  std::string d = tree.Path("D");
  std::vector<std::string> seenLists;
  recorder.onCall = [&](const std::string&) { seenLists.push_back(List()); };
  EXPECT_EQ(Walk(d, WALK_FILES), WALK_DONE);
  ASSERT_EQ(seenLists.size(), 2u);
  EXPECT_EQ(seenLists[0], recorder.paths[0] + ";");
  EXPECT_EQ(seenLists[1], recorder.paths[0] + ";" + recorder.paths[1] + ";");
}

// Builds below the tree a chain of folders whose walk path (with doubled separators) ends
// exactly at length pathLength, and returns that walk path. Folders are made by descriptor,
// so no real path length limit is met on the way.
std::string MakeChainWithWalkPath(const test_tree::TempTree& tree, const std::string& top,
                                  std::size_t pathLength) {
  std::string walkPath = tree.Path(top) + "/";  // the path the walk builds for the first level
  int fd = ::open(tree.Path(top).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (;;) {
    std::size_t remaining = pathLength - walkPath.size();  // for name + "/" (+ "/" before)
    std::size_t nameLength = remaining - 1;
    bool last = nameLength <= 200;
    if (!last) nameLength = std::min<std::size_t>(200, remaining - 1 - 60);
    std::string name(nameLength, 'n');
    EXPECT_EQ(::mkdirat(fd, name.c_str(), 0777), 0);
    int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = child;
    walkPath += name + "/";
    if (last) break;
    walkPath += "/";
  }
  ::close(fd);
  EXPECT_EQ(walkPath.size(), pathLength);
  return walkPath;
}

TEST_F(WalkTest, SubFolderPathThatWouldNotFitIsSkippedWhole) {
  tree.MakeDir("D");
  // The deepest folder's walk path needs kMaxPath characters plus its terminator.
  std::string deepest = MakeChainWithWalkPath(tree, "D", kMaxPath);
  // deepest is parent + "/" + name + "/", and parent is the last path that fits.
  std::string parent = deepest.substr(0, deepest.rfind('/', deepest.size() - 2));
  std::string d = tree.Path("D");
  // Every folder of the chain holds one sub-folder, so the skipped one's -1 reaches the top.
  EXPECT_EQ(Walk(d, WALK_FILES | WALK_FOLDERS), WALK_SEARCH_FAILED);
  EXPECT_NE(std::find(recorder.paths.begin(), recorder.paths.end(), parent), recorder.paths.end());
  for (const std::string& p : recorder.paths) {
    EXPECT_LT(p.size(), kMaxPath);
    EXPECT_NE(p.substr(0, parent.size() + 1), parent + "/") << "entered below " << p.size();
  }
  EXPECT_TRUE(Texts().empty());
}

TEST_F(WalkTest, FilePathThatWouldNotFitIsSkippedWhole) {
  tree.MakeDir("D");
  // A folder whose walk path leaves room for its search but not for a long file name.
  std::string folder = MakeChainWithWalkPath(tree, "D", kMaxPath - 20);
  std::string realFolder = tree.Path("D");
  {
    // Reach the folder by descriptor and put two files there.
    int fd = ::open(realFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string rest = folder.substr(realFolder.size() + 1);
    std::size_t start = 0;
    while (start < rest.size()) {
      std::size_t end = rest.find('/', start);
      if (end == start) {
        ++start;
        continue;
      }
      int child = ::openat(fd, rest.substr(start, end - start).c_str(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = child;
      start = end + 1;
    }
    ASSERT_GE(fd, 0);
    for (const char* name : {"short", "a-name-too-long-to-fit"}) {
      int file = ::openat(fd, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      ASSERT_GE(file, 0);
      ::close(file);
    }
    ::close(fd);
  }
  EXPECT_EQ(Walk(realFolder, WALK_FILES), WALK_DONE);
  EXPECT_EQ(recorder.paths, std::vector<std::string>{folder + "/short"});
  EXPECT_EQ(Records(List()), std::vector<std::string>{folder + "/short"});
  EXPECT_EQ(Backups(), Sorted({"list.txt", "shortBACKUP", "unprotected.txt"}));
  EXPECT_TRUE(Texts().empty());
  // Neither is protected: one path is too long to handle at all, the other for a copy of its
  // own below "paths".
  const std::vector<UnprotectedItem>& missed = UnprotectedItems();
  ASSERT_EQ(missed.size(), 2u);
  EXPECT_EQ(missed[0].path + missed[1].path,
            folder + "/short" + folder + "/a-name-too-long-to-fit");
}

TEST_F(WalkTest, TopFolderTooLongToSearchFailsAtOnce) {
  std::string tooLong(kMaxPath - 3, 'x');
  EXPECT_EQ(Walk(tooLong, 3), WALK_SEARCH_FAILED);
  EXPECT_FALSE(tree.Exists("prog/backups"));
}

struct ProgressLog {
  std::vector<WalkProgress> calls;
  std::vector<std::string> folders;  // each call's folder, which lives only during the call
  std::size_t stopAfter = 0;  // the observer asks to stop at this call; 0 never
};

bool LogProgress(const WalkProgress& progress, void* context) {
  auto* log = static_cast<ProgressLog*>(context);
  log->calls.push_back(progress);
  log->folders.emplace_back(progress.folder);
  return log->calls.size() != log->stopAfter;
}

TEST_F(WalkTest, APreviewCallsBackForTheFilesThatWouldBeBackedUpAndWritesNothing) {
  MakeSmallTree();
  g_strFilter = "*.txt";
  // The pattern does not decide a preview's callback: the filter does.
  EXPECT_EQ(Walk(tree.Path("D"), WALK_FILES | WALK_FOLDERS | WALK_PREVIEW, "*.nomatch"), WALK_DONE);
  EXPECT_EQ(Sorted(recorder.paths), Sorted({tree.Path("D/f.txt"), tree.Path("D/A//g.txt")}));
  EXPECT_FALSE(tree.Exists("prog/backups"));
  EXPECT_TRUE(Texts().empty());

  // With a store there, the preview neither enters it nor adds to it.
  ASSERT_EQ(Walk(tree.Path("D"), WALK_FILES), WALK_DONE);
  const std::string list = List();
  const std::vector<std::string> backups = Backups();
  tree.Write("D/A/later.txt", "later");
  ASSERT_EQ(::symlink(tree.Path("prog/backups").c_str(), tree.Path("D/store").c_str()), 0);
  recorder.paths.clear();
  EXPECT_EQ(Walk(tree.Path("D"), WALK_FILES | WALK_PREVIEW), WALK_DONE);
  EXPECT_EQ(recorder.paths.size(), 3u);
  EXPECT_EQ(List(), list);
  EXPECT_EQ(Backups(), backups);
}

TEST_F(WalkTest, EachFailureIsReportedWithItsPathAndReasonInTheOrderMet) {
  struct Collected : CleanReporter {
    void Failure(const CleanFailureReport& report) override { reports.push_back(report); }
    std::vector<CleanFailureReport> reports;
  } collected;
  ScopedCleanReporter reporting(collected);
  tree.MakeDir("D");
  tree.Write("D/a;b.txt", "semicolon");
  ASSERT_EQ(::mkfifo(tree.Path("D/pipe").c_str(), 0600), 0);
  EXPECT_EQ(Walk(tree.Path("D"), WALK_FILES), WALK_DONE);
  ASSERT_EQ(collected.reports.size(), 2u);
  std::sort(collected.reports.begin(), collected.reports.end(),
            [](const auto& a, const auto& b) { return a.path < b.path; });
  EXPECT_EQ(collected.reports[0].failure, CleanFailure::kPathNotRecordable);
  EXPECT_EQ(collected.reports[0].path, tree.Path("D/a;b.txt"));
  EXPECT_EQ(collected.reports[1].failure, CleanFailure::kSourceNotCopied);
  EXPECT_EQ(collected.reports[1].path, tree.Path("D/pipe"));
  EXPECT_EQ(collected.reports[1].reason, std::errc::operation_not_supported);
  // Only the installed reporter heard them: the desktop's boxes did not show.
  EXPECT_TRUE(Texts().empty());
}

TEST_F(WalkTest, ProgressObserverCountsFilesOfEachWalk) {
  MakeSmallTree();
  g_strFilter = "*.txt";
  ProgressLog log;
  SetWalkProgressObserver(LogProgress, &log);
  EXPECT_EQ(Walk(tree.Path("D"), 3), WALK_DONE);
  ASSERT_EQ(log.calls.size(), 4u);
  EXPECT_EQ(log.calls.back().filesVisited, 4u);
  EXPECT_EQ(log.calls.back().filesBackedUp, 2u);
  // Each file's own folder, spelt as its record is.
  std::vector<std::string> folders = log.folders;
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  EXPECT_EQ(folders, Sorted({tree.Path("D"), tree.Path("D/A") + "/", tree.Path("D/A") + "//B/"}));
  log.calls.clear();
  EXPECT_EQ(Walk(tree.Path("D"), WALK_FILES | WALK_NO_RECURSE), WALK_DONE);
  ASSERT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(log.calls.front().filesVisited, 1u);
  SetWalkProgressObserver(nullptr, nullptr);
  log.calls.clear();
  EXPECT_EQ(Walk(tree.Path("D"), 3), WALK_DONE);
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(WalkTest, AnObserverThatAsksToStopEndsTheWalkAfterTheFileInHandWithItsRecord) {
  tree.MakeDir("D");
  tree.MakeDir("D/S");
  for (int i = 0; i < 5; ++i) {
    tree.Write("D/top" + std::to_string(i), "t");
    tree.Write("D/S/sub" + std::to_string(i), "s");
  }
  ProgressLog log;
  log.stopAfter = 7;
  SetWalkProgressObserver(LogProgress, &log);
  const int before = test_tree::OpenDescriptorCount();
  EXPECT_EQ(Walk(tree.Path("D"), WALK_FILES | WALK_FOLDERS), WALK_STOPPED);
  EXPECT_EQ(test_tree::OpenDescriptorCount(), before);
  ASSERT_EQ(log.calls.size(), 7u);
  EXPECT_EQ(log.calls.back().filesVisited, 7u);
  EXPECT_EQ(log.calls.back().filesBackedUp, 7u);
  // The seventh file was backed up and recorded before the walk ended; nothing came after it.
  const std::vector<std::string> records = Records(List());
  ASSERT_EQ(records.size(), 7u);
  EXPECT_EQ(Backups().size(), 9u);  // seven copies, list.txt and the own copies' folder
  EXPECT_EQ(recorder.paths.back(), records.back());
}

TEST_F(WalkTest, ACopyThatFailsIsCountedAsFailedNotBackedUp) {
  tree.MakeDir("D");
  tree.Write("D/a", "a");
  tree.Write("D/b", "b");
  ASSERT_EQ(::mkfifo(tree.Path("D/pipe").c_str(), 0644), 0);
  ProgressLog log;
  SetWalkProgressObserver(LogProgress, &log);
  EXPECT_EQ(Walk(tree.Path("D"), WALK_FILES), WALK_DONE);
  ASSERT_FALSE(log.calls.empty());
  EXPECT_EQ(log.calls.back().filesVisited, 3u);
  EXPECT_EQ(log.calls.back().filesBackedUp, 2u);
  EXPECT_EQ(log.calls.back().filesFailed, 1u);
  EXPECT_EQ(Texts(), std::vector<std::string>{"CopyFile failed."});
}

TEST(PrintFoundPathTest, PrintsThePathAndALineFeedAndGoesOn) {
  FindData data;
  testing::internal::CaptureStdout();
  std::int32_t first = PrintFoundPath("/some/where//x.txt", &data, 0);
  std::int32_t second = PrintFoundPath("%s%d", nullptr, 99);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "/some/where//x.txt\n%s%d\n");
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

TEST(BoundedStringTest, CopyBounded) {
  char buffer[8];
  std::memcpy(buffer, "ZZZZZZZ", 8);
  EXPECT_EQ(CopyBounded(buffer, 0, "abc"), E_INVALIDARG);
  EXPECT_EQ(CopyBounded(buffer, 0x80000000u, "abc"), E_INVALIDARG);
  EXPECT_STREQ(buffer, "ZZZZZZZ");
  EXPECT_EQ(CopyBounded(buffer, 8, "abc"), S_OK);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(CopyBounded(buffer, 8, "1234567"), S_OK);
  EXPECT_STREQ(buffer, "1234567");
  EXPECT_EQ(CopyBounded(buffer, 8, "12345678"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(buffer, "1234567");
  EXPECT_EQ(CopyBounded(buffer, 1, "x"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(CopyBounded(buffer, 1, ""), S_OK);
}

TEST(BoundedStringTest, AppendBounded) {
  char buffer[8];
  std::memcpy(buffer, "ZZZZZZZZ", 8);  // no terminator within the capacity
  EXPECT_EQ(AppendBounded(buffer, 8, "a"), E_INVALIDARG);
  EXPECT_EQ(std::string(buffer, 8), "ZZZZZZZZ");
  EXPECT_EQ(AppendBounded(buffer, 0, "a"), E_INVALIDARG);
  std::strcpy(buffer, "ab");
  EXPECT_EQ(AppendBounded(buffer, 0x80000000u, "c"), E_INVALIDARG);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(AppendBounded(buffer, 8, "cd"), S_OK);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(AppendBounded(buffer, 8, "efghij"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(buffer, "abcdefg");
  // Full: a non-empty source changes nothing, an empty one is fine.
  EXPECT_EQ(AppendBounded(buffer, 8, "x"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(AppendBounded(buffer, 8, ""), S_OK);
  EXPECT_STREQ(buffer, "abcdefg");
}

}  // namespace
