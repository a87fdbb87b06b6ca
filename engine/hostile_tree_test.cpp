// Walks over trees that users did not make: link cycles and fans, awkward names, paths past the
// platform's limit, special files, the program's own folders and files that vanish. Each proves
// that the walk ends, that nothing outside the backups folder changes, and which messages come.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/hostile_tree_fixture.h"

namespace {

using test_tree::HostileTreeTest;
using test_tree::kCopyFailed;
using test_tree::kWriteFailed;
using test_tree::SortedCopy;
using Strings = std::vector<std::string>;

TEST_F(HostileTreeTest, LinkCyclesAndLinksToAncestorsEndAndRecordEachFileOnce) {
  tree.MakeDir("D");
  tree.MakeDir("D/a");
  tree.MakeDir("D/a/b");
  tree.Write("D/a/b/f", "f");
  ASSERT_EQ(::symlink("../..", tree.Path("D/a/b/up").c_str()), 0);  // to an ancestor
  ASSERT_EQ(::symlink(tree.Path("D").c_str(), tree.Path("D/a/top").c_str()), 0);
  tree.MakeDir("D/x");
  tree.MakeDir("D/y");
  tree.Write("D/y/g", "g");
  ASSERT_EQ(::symlink("../y", tree.Path("D/x/to-y").c_str()), 0);  // x -> y -> x: a cycle
  ASSERT_EQ(::symlink("../x", tree.Path("D/y/to-x").c_str()), 0);
  const test_tree::Snapshot before = Outside();

  EXPECT_EQ(Walk(tree.Path("D")), WALK_DONE);

  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(Outside(), before);
  Strings records = ListRecords();
  // Each file and each link once, whichever way the walk first reached it.
  ASSERT_EQ(records.size(), 6u) << List();
  std::set<std::string> names;
  for (const std::string& record : records) names.insert(record.substr(record.rfind('/') + 1));
  EXPECT_EQ(names, (std::set<std::string>{"f", "g", "up", "top", "to-y", "to-x"}));
  EXPECT_EQ(Backups(), SortedCopy({"fBACKUP", "gBACKUP", "links", "list.txt", "paths"}));
}

TEST_F(HostileTreeTest, LinksFanningOutToTheSameFoldersAreEnteredOnce) {
  // level i holds a file and two links to level i + 1: every path through the links is a
  // different route to the same folders, 2^kLevels routes in all.
  constexpr int kLevels = 24;
  for (int i = 0; i <= kLevels; ++i) {
    tree.MakeDir("L" + std::to_string(i));
    tree.Write("L" + std::to_string(i) + "/f" + std::to_string(i), "x");
  }
  for (int i = 0; i < kLevels; ++i) {
    const std::string next = tree.Path("L" + std::to_string(i + 1));
    ASSERT_EQ(::symlink(next.c_str(), tree.Path("L" + std::to_string(i) + "/p").c_str()), 0);
    ASSERT_EQ(::symlink(next.c_str(), tree.Path("L" + std::to_string(i) + "/q").c_str()), 0);
  }
  const test_tree::Snapshot before = Outside();
  // A walk that took every route would never end in practice: stop it long before.
  int calls = 0;
  visits.onCall = [&](const std::string&, bool) { return ++calls < 10000 ? 1 : 0; };

  EXPECT_EQ(Walk(tree.Path("L0")), WALK_DONE);

  // Each file and each of the two links of a level once.
  EXPECT_EQ(ListRecords().size(), static_cast<std::size_t>(3 * kLevels + 1));
  EXPECT_EQ(visits.files.size(), static_cast<std::size_t>(kLevels + 1));
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(Outside(), before);
}

TEST_F(HostileTreeTest, AwkwardNamesAreCopiedAndRecordedByteForByte) {
  tree.MakeDir("D");
  const Strings names = {"line\nfeed",    "back\\slash",         " spaces  both ",
                         "-leading-dash", "bad\xff\xfeutf8\xc3", std::string(NAME_MAX - 6, 'n')};
  for (const std::string& name : names) tree.Write("D/" + name, "content of " + name);
  const test_tree::Snapshot before = Outside();

  EXPECT_EQ(Walk(tree.Path("D")), WALK_DONE);

  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(Outside(), before);
  Strings expected;
  for (const std::string& name : names) {
    expected.push_back(tree.Path("D/" + name));
    EXPECT_EQ(tree.Read("prog/backups/" + name + "BACKUP"), "content of " + name);
  }
  EXPECT_EQ(SortedCopy(ListRecords()), SortedCopy(expected));
}

TEST_F(HostileTreeTest, NameWithTheSeparatorIsNeitherCopiedNorRecordedButReported) {
  tree.MakeDir("D");
  tree.Write("D/a;b", "semicolon");
  tree.Write("D/plain", "plain");
  const test_tree::Snapshot before = Outside();

  EXPECT_EQ(Walk(tree.Path("D")), WALK_DONE);

  // A record "D/a;b;" would read back as the entries "D/a" and "b"; a copy without a record
  // would be one that no restore could ever find.
  EXPECT_EQ(Texts(), Strings{kWriteFailed});
  EXPECT_EQ(List(), tree.Path("D/plain") + ";");
  EXPECT_FALSE(tree.Exists("prog/backups/a;bBACKUP"));
  EXPECT_FALSE(tree.Exists("prog/backups/paths" + tree.Path("D/a;b")));
  EXPECT_EQ(tree.Read("prog/backups/unprotected.txt"),
            tree.Path("D/a;b") +
                "\tits path holds \";\", which the restoration list cannot record: not backed "
                "up\n");
  EXPECT_EQ(Outside(), before);
}

TEST_F(HostileTreeTest, NameTooLongForTheSharedCopyStillGetsItsOwnCopy) {
  tree.MakeDir("D");
  const std::string longest(NAME_MAX, 'z');
  tree.Write("D/" + longest, "long");
  tree.Write("D/short", "short");
  const test_tree::Snapshot before = Outside();

  EXPECT_EQ(Walk(tree.Path("D")), WALK_DONE);

  // NAME + "BACKUP" cannot be a name, which is said, but the path's own copy keeps the name
  // as it is.
  EXPECT_EQ(Texts(), Strings{kCopyFailed});
  EXPECT_EQ(SortedCopy(ListRecords()), SortedCopy({tree.Path("D/short"), tree.Path("D/" + longest)}));
  EXPECT_EQ(tree.Read("prog/backups/paths" + tree.Path("D/" + longest)), "long");
  EXPECT_EQ(Backups(), SortedCopy({"list.txt", "paths", "shortBACKUP"}));
  EXPECT_EQ(Outside(), before);
}

// A chain of folders whose walk paths (doubled separators included) grow past PATH_MAX, with a
// file in each, and in the deepest folder that still fits, one file whose path just fits and
// one a byte longer.
TEST_F(HostileTreeTest, PathsAtAndBeyondThePlatformLimitEndQuietly) {
  tree.MakeDir("D");
  std::string walkDir = tree.Path("D");  // the directory as the walk will build it
  int fd = ::open(walkDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  auto writeAt = [](int dir, const std::string& name) {
    int file = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(file, 0) << name.size();
    ASSERT_EQ(::write(file, "x", 1), 1);
    ::close(file);
  };
  Strings expected;
  bool exactDone = false;
  for (int level = 0; walkDir.size() < 2 * kMaxPath; ++level) {
    // The folder is searched only while "dir/*.*" fits.
    const bool searched = walkDir.size() + 4 < kMaxPath;
    writeAt(fd, "f");
    if (searched) expected.push_back(walkDir + "/f");
    const std::size_t room = kMaxPath - 2 - walkDir.size();  // longest name whose path fits
    if (!exactDone && searched && room <= 240) {
      writeAt(fd, std::string(room, 'e'));
      writeAt(fd, std::string(room + 1, 'o'));
      expected.push_back(walkDir + "/" + std::string(room, 'e'));
      ASSERT_EQ(expected.back().size(), kMaxPath - 1);
      exactDone = true;
    }
    const std::string name = std::to_string(level) + std::string(150, 'd');
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0777), 0);
    int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    ASSERT_GE(child, 0);
    fd = child;
    walkDir += "/" + name + "/";
  }
  ::close(fd);
  ASSERT_TRUE(exactDone);
  const test_tree::Snapshot before = Outside();

  // The deepest folders cannot be named within the limit: they are skipped, not cut.
  EXPECT_EQ(Walk(tree.Path("D")), WALK_SEARCH_FAILED);

  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(SortedCopy(ListRecords()), SortedCopy(expected));
  for (const std::string& path : visits.files) EXPECT_LT(path.size(), kMaxPath);
  EXPECT_EQ(Outside(), before);
}

TEST_F(HostileTreeTest, SpecialFilesNeitherBlockNorAreCopied) {
  tree.MakeDir("D");
  tree.Write("D/regular", "r");
  ASSERT_EQ(::mkfifo(tree.Path("D/fifo").c_str(), 0666), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = tree.Path("D/socket");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(sock, 1), 0);  // a listening socket that nobody will ever talk to
  std::size_t specials = 2;
  if (::geteuid() == 0) {
    // A device whose reads never end: a copy that opened it would run until the disk is full.
    ASSERT_EQ(::mknod(tree.Path("D/zero").c_str(), S_IFCHR | 0666, makedev(1, 5)), 0);
    ++specials;
  }
  const test_tree::Snapshot before = Outside();

  EXPECT_EQ(Walk(tree.Path("D")), WALK_DONE);
  ::close(sock);

  EXPECT_EQ(Texts(), Strings(specials, kCopyFailed));
  EXPECT_EQ(List(), tree.Path("D/regular") + ";");
  EXPECT_EQ(Backups(), SortedCopy({"list.txt", "paths", "regularBACKUP", "unprotected.txt"}));
  const std::string report = tree.Read("prog/backups/unprotected.txt");
  EXPECT_NE(report.find(tree.Path("D/fifo") +
                        "\tnot a regular file (a FIFO, socket or device): passed over\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(visits.files.size(), specials + 1);
  EXPECT_EQ(Outside(), before);
  if (specials == 2) GTEST_SKIP() << "not root: the device node case needs mknod";
}

TEST_F(HostileTreeTest, ProgramAndBackupsFoldersInsideTheTreeAreNotCopiedIntoThemselves) {
  tree.Write("prog/quillmar", "the executable");
  tree.MakeDir("docs");
  tree.Write("docs/a.txt", "a");
  const test_tree::Snapshot before = Outside();
  const std::string root = tree.Root();

  for (int round = 0; round < 2; ++round) EXPECT_EQ(Walk(root), WALK_DONE);

  EXPECT_TRUE(Texts().empty());
  const std::string one = root + "/prog//quillmar;" + root + "/docs//a.txt;";
  const std::string other = root + "/docs//a.txt;" + root + "/prog//quillmar;";
  const std::string list = List();
  EXPECT_TRUE(list == one + one || list == other + other) << list;
  EXPECT_EQ(Backups(), SortedCopy({"a.txtBACKUP", "list.txt", "paths", "quillmarBACKUP"}));
  for (const std::string& folder : visits.folders) {
    EXPECT_EQ(folder.find("backups//"), std::string::npos) << folder;
  }
  EXPECT_EQ(Outside(), before);
}

TEST_F(HostileTreeTest, FilesVanishingBetweenListingAndCopyAreReportedAndNotRecorded) {
  tree.MakeDir("V");
  constexpr int kFiles = 40;
  for (int i = 0; i < kFiles; ++i) tree.Write("V/f" + std::to_string(i), "x");
  std::string first;
  std::set<std::string> gone;
  // The first file seen removes all the others, which the folder's listing already holds.
  visits.onCall = [&](const std::string& path, bool) {
    if (first.empty()) {
      first = path;
      for (int i = 0; i < kFiles; ++i) {
        const std::string other = tree.Path("V/f" + std::to_string(i));
        if (other != path && ::unlink(other.c_str()) == 0) gone.insert(other);
      }
    }
    return 1;
  };

  EXPECT_EQ(Walk(tree.Path("V"), WALK_FILES), WALK_DONE);

  std::size_t seenAfter = 0;
  for (const std::string& path : visits.files) seenAfter += gone.count(path);
  ASSERT_GT(seenAfter, 0u) << "the listing held none of the removed files";
  EXPECT_EQ(Texts(), Strings(seenAfter, kCopyFailed));
  EXPECT_EQ(List(), first + ";");
  // The first file's copy, the list, the own copies' folder and the report.
  EXPECT_EQ(Backups().size(), 4u);
  const std::vector<UnprotectedItem>& missed = UnprotectedItems();
  ASSERT_EQ(missed.size(), seenAfter);
  for (const UnprotectedItem& item : missed) {
    EXPECT_EQ(gone.count(item.path), 1u) << item.path;
    EXPECT_EQ(item.reason, "the file vanished before it could be copied");
  }
}

}  // namespace
