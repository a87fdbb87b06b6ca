// Walks that meet the system itself: the whole file system from its root (pseudo file systems
// included), files and folders the user may not read, and a disk that fills up. The last two
// need root to set up and are skipped, with the reason, otherwise.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/hostile_tree_fixture.h"
#include "platform/test_support/run_as_nobody.h"

namespace {

using test_tree::HostileTreeTest;
using test_tree::kCopyFailed;
using test_tree::kWriteFailed;
using Strings = std::vector<std::string>;

// The file-system type mounted exactly at mountPoint, from the mount table, or "".
std::string MountedTypeAt(const std::string& mountPoint) {
  std::ifstream table("/proc/self/mountinfo");
  std::string line;
  std::string type;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    fields >> id >> parent >> device >> root >> point;
    if (point != mountPoint) continue;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream rest(line.substr(dash + 3));
    rest >> type;  // the last mount at a point hides the earlier ones
  }
  return type;
}

TEST_F(HostileTreeTest, WalkOfTheRootEndsAndPassesOverPseudoFileSystems) {
  g_strFilter = "*.quillmar-none";  // back up nothing: this is about where the walk goes
  std::size_t files = 0;
  visits.onCall = [&](const std::string&, bool folder) {
    if (!folder) {
      ++files;
      visits.files.clear();  // only the count matters, and the machine has many files
    }
    return 1;
  };

  const std::int32_t result = Walk("");
  EXPECT_TRUE(result == WALK_DONE || result == WALK_SEARCH_FAILED) << result;

  Strings forbidden;
  for (const char* point : {"/proc", "/sys", "/dev/pts", "/dev", "/sys/fs/cgroup"}) {
    const std::string type = MountedTypeAt(point);
    if (type == "proc" || type == "sysfs" || type == "devpts" || type == "devtmpfs" ||
        type == "cgroup" || type == "cgroup2") {
      forbidden.push_back(point);
    }
  }
  ASSERT_FALSE(forbidden.empty()) << "this machine mounts no pseudo file system to pass over";
  std::set<std::string> seen(visits.folders.begin(), visits.folders.end());
  for (const std::string& point : forbidden) {
    // The walk's own spelling: the root's folders carry one separator, deeper ones two.
    std::string walkPath = point;
    for (std::size_t at = walkPath.find('/', 1); at != std::string::npos;
         at = walkPath.find('/', at + 2)) {
      walkPath.insert(at, "/");
    }
    walkPath += "/";
    // The mount point itself is an entry of its parent and is handed to the callback ...
    if (walkPath.find("//") == std::string::npos) {
      EXPECT_TRUE(seen.count(walkPath)) << walkPath;
    }
    // ... but nothing below it is visited.
    for (const std::string& folder : visits.folders) {
      ASSERT_FALSE(folder.size() > walkPath.size() && folder.starts_with(walkPath))
          << folder << " lies on the pseudo file system at " << point;
    }
  }
  EXPECT_TRUE(seen.count("/usr/")) << "the walk did not reach ordinary folders";
  EXPECT_GT(files, 1000u);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(List(), "");
  EXPECT_EQ(Backups(), Strings{"list.txt"});
}

TEST_F(HostileTreeTest, AStoreTheUserMayNotWriteIsNamedOnceAndStopsTheWalk) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the walk as an ordinary user";
  ASSERT_EQ(::chmod(tree.Root().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(tree.Path("prog").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(tree.Path("prog/backups").c_str(), 0755), 0);  // root's, read-only to others
  tree.Write("prog/backups/list.txt", "");
  tree.MakeDir("D");
  ASSERT_EQ(::chmod(tree.Path("D").c_str(), 0755), 0);
  for (int i = 0; i < 5; ++i) tree.Write("D/f" + std::to_string(i), "f");

  const std::string out = RunAsNobody([&] {
    std::string text = std::to_string(Walk(tree.Path("D"))) + "\n";
    for (const std::string& message : Texts()) text += message + "\n";
    return text;
  });

  // One report, not one set of boxes per file: the folder is named with the system's reason.
  EXPECT_EQ(out, std::to_string(WALK_STOPPED) + "\nOpenning restoration list file failed.\n" +
                     "Failed to create backup list text file\n" +
                     "The backups folder cannot be written:\n" + tree.Path("prog/backups/") +
                     "\nPermission denied\nThe clean stops here.\n");
  EXPECT_EQ(List(), "");
  EXPECT_EQ(Backups(), std::vector<std::string>{"list.txt"});
}

TEST_F(HostileTreeTest, UnreadableFileAndFolderAreReportedOrPassedOverAndTheWalkGoesOn) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the walk as an ordinary user";
  // The ordinary user may pass through the tree and write only the backups folder.
  ASSERT_EQ(::chmod(tree.Root().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(tree.Path("prog").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(tree.Path("prog/backups").c_str(), 0777), 0);
  tree.MakeDir("D");
  tree.Write("D/open.txt", "open");
  tree.Write("D/secret.txt", "secret");
  ASSERT_EQ(::chmod(tree.Path("D/secret.txt").c_str(), 0600), 0);
  tree.MakeDir("D/locked");
  tree.Write("D/locked/inside.txt", "inside");
  ASSERT_EQ(::chmod(tree.Path("D/locked").c_str(), 0700), 0);
  const test_tree::Snapshot before = Outside();

  const std::string d = tree.Path("D");
  const std::string out = RunAsNobody([&] {
    const std::int32_t result = Walk(d);
    std::string text = std::to_string(result) + "\n";
    for (const std::string& message : Texts()) text += message + "\n";
    return text;
  });

  // The locked folder's search fails, and its result is the walk's as the last sub-folder's.
  EXPECT_EQ(out, std::to_string(WALK_SEARCH_FAILED) + "\n" + kCopyFailed + "\n");
  EXPECT_EQ(List(), d + "/open.txt;");
  EXPECT_EQ(Backups(),
            test_tree::SortedCopy({"list.txt", "open.txt" "BACKUP", "paths", "unprotected.txt"}));
  // Both are named in the report, each with the system's reason, whatever the order met.
  const std::string report = tree.Read("prog/backups/unprotected.txt");
  EXPECT_NE(report.find(d + "/secret.txt\tthe copy failed: Permission denied\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find(d + "/locked/\tthe folder cannot be searched: Permission denied\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(Outside(), before);
}

// Mounts a small tmpfs for the length of a test.
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& path) : m_path(path) {
    m_mounted = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=256k") == 0;
  }
  ~SmallDisk() {
    if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool Mounted() const { return m_mounted; }

 private:
  std::string m_path;
  bool m_mounted = false;
};

TEST_F(HostileTreeTest, FullDiskKeepsThePreviousCopyAndTheListWhole) {
  tree.MakeDir("disk");
  SmallDisk disk(tree.Path("disk"));
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
  tree.MakeDir("disk/prog");
  tree.MakeDir("disk/prog/backups");
  SetProgramPathForTesting(tree.Path("disk/prog/quillmar"));
  tree.MakeDir("D");
  tree.Write("D/a.txt", "old contents");
  const std::string d = tree.Path("D");
  ASSERT_EQ(Walk(d), WALK_DONE);
  // Pad the list to exactly one page, so that any further record needs space the disk lacks.
  std::string list = tree.Read("disk/prog/backups/list.txt");
  ASSERT_EQ(list, d + "/a.txt;");
  const std::string earlier = "/earlier/" + std::string(4096 - 10 - list.size(), 'p') + ";";
  list += earlier;
  ASSERT_EQ(list.size(), 4096u);
  tree.Write("disk/prog/backups/list.txt", list);
  {
    std::ofstream filler(tree.Path("disk/filler"), std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {
    }
  }
  tree.Write("D/a.txt", std::string(64 * 1024, 'n'));  // the new version does not fit
  tree.Write("D/empty", "");                           // its copy fits, its record does not
  failures.Clear();

  // The first file that meets the full disk stops the walk, with the store's folder named.
  EXPECT_EQ(Walk(d), WALK_STOPPED);

  const Strings texts = Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_TRUE(texts[0] == kCopyFailed || texts[0] == kWriteFailed) << texts[0];
  EXPECT_EQ(texts[1], "The backups folder cannot be written:\n" +
                          tree.Path("disk/prog/backups/") +
                          "\nNo space left on device\nThe clean stops here.");
  EXPECT_EQ(tree.Read("disk/prog/backups/a.txtBACKUP"), "old contents");
  EXPECT_EQ(tree.Read("disk/prog/backups/list.txt"), list);
  // No half-written temporary copy is left to fill the disk further.
  for (const std::string& name : tree.List("disk/prog/backups")) {
    EXPECT_NE(name[0], '.') << name;
  }
}

}  // namespace
