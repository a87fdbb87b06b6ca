// The store shared by several instances of the program and survived by a killed one: real
// processes cleaning real trees into one backups folder, and the flush that ends each walk.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/test_tree.h"
#include "platform/injected_failures.h"
#include "platform/pending_file_posix.h"
#include "store/store_flush.h"
#include "store/versions.h"

namespace {

using test_tree::Records;

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }
std::int32_t StopAtTheFirstFile(const char*, const FindData* data, std::int32_t) {
  return data->dwFileAttributes & kFolderAttribute;
}

class StoreProcessesTest : public test_tree::EngineTest {
 protected:
  std::int32_t Clean(const std::string& relative, WalkCallback callback = GoOn) {
    return WalkFolder(tree.Path(relative).c_str(), "*", callback, 0, WALK_FILES | WALK_FOLDERS);
  }
  // Starts a child process that runs work and exits with its result.
  static pid_t Spawn(const std::function<int()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(work());
    return pid;
  }
  static int ExitStatusOf(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  // Hidden names anywhere in the store: what a write cut short leaves behind.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> hidden;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(tree.Path("prog/backups"))) {
      const std::string name = entry.path().filename().string();
      if (name.front() == '.') hidden.push_back(entry.path().string());
    }
    return hidden;
  }
};

// The same, on a file system with nameless files being written (O_TMPFILE) and on one where
// each has a hidden locked name until it is complete, which other instances' tidying must
// leave alone.
class StoreProcessesBothWaysTest : public StoreProcessesTest,
                                   public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    StoreProcessesTest::SetUp();
    if (!GetParam()) {
      m_nameless.emplace(FileCall::kCreateNameless,
                         std::make_error_code(std::errc::operation_not_supported));
    }
  }

 private:
  std::optional<ScopedFailure> m_nameless;
};

INSTANTIATE_TEST_SUITE_P(FilesBeingWritten, StoreProcessesBothWaysTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Nameless" : "HiddenNamed";
                         });

TEST_P(StoreProcessesBothWaysTest,
       InstancesCleaningAtOnceRecordEveryFileOnceAndKeepItsOwnContents) {
  constexpr int kInstances = 4;
  constexpr int kFiles = 400;
  std::vector<std::string> expected;
  for (int i = 0; i < kInstances; ++i) {
    const std::string folder = "T" + std::to_string(i);
    tree.MakeDir(folder);
    // The same names in every tree: the instances also race to replace the same copies.
    for (int f = 0; f < kFiles; ++f) {
      const std::string name = folder + "/f" + std::to_string(f) + ".txt";
      tree.Write(name, name);
      expected.push_back(tree.Path(name));
    }
  }
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> instances;
  for (int i = 0; i < kInstances; ++i) {
    instances.push_back(Spawn([&, i] {
      ::close(start[1]);
      char go;
      if (::read(start[0], &go, 1) != 0) return 2;  // waits until every instance is ready
      const std::int32_t result = Clean("T" + std::to_string(i));
      for (const std::string& text : Texts())
        std::fprintf(stderr, "%s\n", text.c_str());
      return result == WALK_DONE && Texts().empty() ? 0 : 1;
    }));
  }
  ::close(start[0]);
  ::close(start[1]);
  for (pid_t pid : instances) EXPECT_EQ(ExitStatusOf(pid), 0);

  std::vector<std::string> records = Records(List());
  std::sort(records.begin(), records.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(records, expected);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  // Whichever instance replaced the shared copy last, every path has its own.
  for (const std::string& path : expected) {
    const std::string name = path.substr(tree.Root().size() + 1);
    ASSERT_EQ(tree.Read("prog/backups/paths" + path), name) << path;
  }
  const std::string shared = tree.Read("prog/backups/f0.txtBACKUP");
  EXPECT_TRUE(shared.size() == 9 && shared.starts_with("T") && shared.ends_with("/f0.txt"))
      << shared;
}

// The descriptors of a process that name a file being written into the backups folder.
bool WritesIntoBackups(pid_t pid, const std::string& backups) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  DIR* dir = ::opendir(fds.c_str());
  if (dir == nullptr) return false;
  bool writing = false;
  while (dirent* entry = ::readdir(dir)) {
    char target[4096];
    const std::string link = fds + "/" + entry->d_name;
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    const std::string path(target, static_cast<std::size_t>(n));
    if (path.starts_with(backups + "/") && path != backups + "/list.txt") writing = true;
  }
  ::closedir(dir);
  return writing;
}

TEST_P(StoreProcessesBothWaysTest, CleanKilledMidCopyLeavesNothingBehindForTheNextClean) {
  tree.MakeDir("big");
  tree.Write("big/big.txt", "the earlier copy");
  ASSERT_EQ(Clean("big"), WALK_DONE);
  {
    // Big enough that the copy is still running when it is looked at. Allocated but never
    // written, so cheap to make, yet copied byte for byte: a file with holes would be copied
    // around them at once.
    const int fd = ::open(tree.Path("big/big.txt").c_str(), O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const int allocated = ::posix_fallocate(fd, 0, 1ll << 30);
    ::close(fd);
    if (allocated != 0) GTEST_SKIP() << "the file system cannot allocate without writing";
  }
  const std::string backups = tree.Path("prog/backups");
  const pid_t killed = Spawn([&] { return Clean("big") == WALK_DONE ? 0 : 1; });
  bool caught = false;
  for (int tries = 0; tries < 200000 && !caught; ++tries) {
    caught = WritesIntoBackups(killed, backups);
    if (!caught) ::usleep(100);
  }
  ::kill(killed, SIGKILL);
  EXPECT_EQ(ExitStatusOf(killed), 128 + SIGKILL);
  ASSERT_TRUE(caught) << "the copy ended before it could be killed";

  tree.MakeDir("next");
  tree.Write("next/n.txt", "n");
  EXPECT_EQ(Clean("next"), WALK_DONE);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  // The path's own copy and the shared one both keep the earlier contents whole.
  EXPECT_EQ(tree.Read("prog/backups/big.txtBACKUP"), "the earlier copy");
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("big/big.txt")), "the earlier copy");
  EXPECT_EQ(Records(List()),
            (std::vector<std::string>{tree.Path("big/big.txt"), tree.Path("next/n.txt")}));
}

// Cleans killed at random moments while they turn own copies into versions: afterwards every
// path has its newest copy and its earlier one, whole, and nothing is left half done.
TEST_P(StoreProcessesBothWaysTest, CleansKilledWhileTheyKeepVersionsLoseNoEarlierCopy) {
  constexpr int kFiles = 300;
  tree.MakeDir("V");
  auto first = [](int f) { return "first " + std::to_string(f); };
  auto second = [](int f) { return "second, longer " + std::to_string(f); };
  for (int f = 0; f < kFiles; ++f) tree.Write("V/f" + std::to_string(f), first(f));
  ASSERT_EQ(Clean("V"), WALK_DONE);
  for (int f = 0; f < kFiles; ++f) tree.Write("V/f" + std::to_string(f), second(f));
  for (int round = 0; round < 8; ++round) {
    const pid_t killed = Spawn([&] { return Clean("V") == WALK_DONE ? 0 : 1; });
    ::usleep(static_cast<useconds_t>(500 + round * 2500));
    ::kill(killed, SIGKILL);
    ExitStatusOf(killed);
  }
  ASSERT_EQ(Clean("V"), WALK_DONE);
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
  for (int f = 0; f < kFiles; ++f) {
    const std::string path = tree.Path("V/f" + std::to_string(f));
    ASSERT_EQ(tree.Read("prog/backups/paths" + path), second(f)) << path;
    bool earlierKept = false;
    for (const Version& version : VersionsOf(tree.Path("prog/backups/"), path)) {
      const std::string contents = test_tree::TempTree::ReadPath(version.path);
      EXPECT_TRUE(contents == first(f) || contents == second(f)) << version.path;
      earlierKept = earlierKept || contents == first(f);
    }
    EXPECT_TRUE(earlierKept) << path;
  }
}

struct FlushCase {
  const char* name;
  WalkCallback callback;
  const char* filter;
  int flushes;
  std::size_t recordsAtFlush;
};

std::vector<std::size_t> s_recordsAtFlush;
std::string s_listPath;

void CountFlush() {
  s_recordsAtFlush.push_back(Records(test_tree::TempTree::ReadPath(s_listPath)).size());
}

TEST_F(StoreProcessesTest, EveryWalkThatWroteEndsWithOneFlushAfterItsLastRecord) {
  tree.MakeDir("D");
  tree.MakeDir("D/S");
  tree.MakeDir("D/S/T");
  for (const char* name : {"D/a.txt", "D/S/b.txt", "D/S/T/c.txt", "D/S/T/d.doc"}) {
    tree.Write(name, name);
  }
  s_listPath = tree.Path("prog/backups/list.txt");
  SetStoreFlushObserverForTesting(CountFlush);
  const FlushCase cases[] = {
      {"whole tree", GoOn, "", 1, 4},
      {"stopped after the first file", StopAtTheFirstFile, "", 1, 5},
      {"nothing passes the filter", GoOn, "*.none", 0, 0},
  };
  for (const FlushCase& c : cases) {
    SCOPED_TRACE(c.name);
    s_recordsAtFlush.clear();
    g_strFilter = c.filter;
    Clean("D", c.callback);
    EXPECT_EQ(s_recordsAtFlush.size(), static_cast<std::size_t>(c.flushes));
    if (!s_recordsAtFlush.empty()) {
      EXPECT_EQ(s_recordsAtFlush.back(), c.recordsAtFlush);
    }
  }
  SetStoreFlushObserverForTesting(nullptr);
}

}  // namespace
