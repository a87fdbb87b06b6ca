// A file that another process or thread writes to while a clean copies it: the clean keeps only
// a copy of the file as it stood, copies once more when the file changed, and reports a file
// that changed again rather than keep a copy that mixes what was read across writes.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/clean_reporter.h"
#include "engine/test_tree.h"
#include "platform/file_copies.h"
#include "platform/test_support/rewriting_process.h"
#include "platform/test_support/temp_folder.h"
#include "store/store_layout.h"

namespace {

constexpr std::size_t kSize = 32 * RewritingProcess::kChunk;

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }

// A thread that changes a file while the clean copies it, up to `changes` times. It watches
// this process's descriptors for each new copy being written in the store and, once part of
// that copy is written, puts a new letter at the file's start. A change counts only when the
// copy was still unfinished afterwards: the copier then looks at the file again after it.
class MidCopyWriter {
 public:
  MidCopyWriter(const std::string& file, std::string store, int changes)
      : m_file(::open(file.c_str(), O_WRONLY | O_CLOEXEC)),
        m_store(std::move(store)),
        m_changes(changes),
        m_thread([this] { Run(); }) {}
  ~MidCopyWriter() { Stop(); }

  // Ends the watch; returns how many changes surely fell inside a copy.
  int Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_file >= 0) ::close(m_file);
    m_file = -1;
    for (int copy : m_held) ::close(copy);
    m_held.clear();
    return m_made;
  }

 private:
  // A descriptor of this process open on a copy being written in the store, or -1.
  int OpenCopyBeingWritten() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int found = -1;
    while (dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      const std::string link = std::string("/proc/self/fd/") + entry->d_name;
      char target[4096];
      const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
      if (n <= 0 || std::string_view(target, n).substr(0, m_store.size()) != m_store) continue;
      const int fd = ::open(link.c_str(), O_RDONLY | O_CLOEXEC);
      struct stat st;
      // A copy in the making has no name yet, or a hidden one; list.txt is neither.
      const std::string_view name(target + m_store.size(), n - m_store.size());
      if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
          (st.st_nlink == 0 || name.starts_with(".")) && m_seen.insert(st.st_ino).second) {
        found = fd;
        break;
      }
      if (fd >= 0) ::close(fd);
    }
    ::closedir(dir);
    return found;
  }

  static off_t SizeOf(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 ? st.st_size : -1;
  }

  void Run() {
    char letter = 'A';
    while (!m_stop && m_made < m_changes) {
      const int copy = OpenCopyBeingWritten();
      if (copy < 0) continue;
      while (!m_stop && SizeOf(copy) == 0) {
      }
      if (SizeOf(copy) > 0 && SizeOf(copy) < static_cast<off_t>(kSize) &&
          ::pwrite(m_file, &letter, 1, 0) == 1 && SizeOf(copy) < static_cast<off_t>(kSize)) {
        ++m_made;
        ++letter;
      }
      // Held open until the end, so that no later copy gets its inode number.
      m_held.push_back(copy);
    }
  }

  int m_file;
  std::string m_store;
  int m_changes;
  std::set<ino_t> m_seen;
  std::vector<int> m_held;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_made{0};
  std::thread m_thread;
};

// The changing file lies in a folder kept in memory where there is one: a writer held up by
// the disk's write-back would leave it half written for a whole copy, which is then rightly
// copied as it stands.
class ChangingFileTest : public test_tree::EngineTest {
 protected:
  std::int32_t Clean() {
    collected.reports.clear();
    return WalkFolder(data.Path().c_str(), "*", GoOn, 0, WALK_FILES | WALK_FOLDERS);
  }
  std::string File() const { return data.Path() + "/data"; }
  void WriteFile(char letter) const { data.Write("data", std::string(kSize, letter)); }
  std::string Store() const { return tree.Path("prog/backups/"); }
  std::string OwnCopy() const { return tree.ReadPath(*OwnCopyPathIn(Store(), File())); }
  bool HasOwnCopy() const { return ::access(OwnCopyPathIn(Store(), File())->c_str(), F_OK) == 0; }
  // The file named as changed while it was copied, to the reporter and in the report.
  void ExpectReportedAsChanged() const {
    ASSERT_EQ(collected.reports.size(), 1u);
    EXPECT_EQ(collected.reports[0].failure, CleanFailure::kSourceNotCopied);
    EXPECT_EQ(collected.reports[0].path, File());
    EXPECT_EQ(collected.reports[0].reason, ChangedWhileCopied());
    ASSERT_EQ(UnprotectedItems().size(), 1u);
    EXPECT_EQ(UnprotectedItems()[0].path, File());
    EXPECT_EQ(UnprotectedItems()[0].reason, ErrorText(ChangedWhileCopied()));
  }

  TempFolder data{"quillmar-test-", TempFolder::InMemoryParent()};
  struct Collected : CleanReporter {
    void Failure(const CleanFailureReport& report) override { reports.push_back(report); }
    std::vector<CleanFailureReport> reports;
  } collected;
  ScopedCleanReporter reporting{collected};
};

TEST_F(ChangingFileTest, AFileAnotherProcessRewritesIsCopiedAsItStoodOrKeepsItsEarlierCopy) {
  RewritingProcess writer(File(), kSize);
  ASSERT_TRUE(writer.Running());
  // The writer's count when the clean has handled the file.
  struct Handled {
    const RewritingProcess* writer;
    std::uint64_t writes = 0;
  } handled{&writer};
  SetWalkProgressObserver(
      [](const WalkProgress&, void* context) {
        auto& self = *static_cast<Handled*>(context);
        self.writes = self.writer->Writes();
        return true;
      },
      &handled);
  int reported = 0;
  for (int clean = 0; clean < 6; ++clean) {
    SCOPED_TRACE("clean " + std::to_string(clean));
    const std::string earlier = HasOwnCopy() ? OwnCopy() : std::string();
    const std::uint64_t writesBefore = writer.Writes();
    EXPECT_EQ(Clean(), WALK_DONE);
    if (!collected.reports.empty()) {
      ExpectReportedAsChanged();
      EXPECT_TRUE((HasOwnCopy() ? OwnCopy() : std::string()) == earlier)
          << "the earlier own copy was replaced";
      ++reported;
    } else if (handled.writes - writesBefore >= 3) {
      // Kept though written to during the clean: it must be the file as it stood while the
      // writer waited, not pieces read before and after a write.
      EXPECT_TRUE(RewritingProcess::IsWhatTheFileHeld(OwnCopy(), kSize));
    }
  }
  // The writer rewrites the file without a pause: some cleans must have met it.
  EXPECT_GT(reported, 0);
}

TEST_F(ChangingFileTest, AFileChangedDuringOneCopyIsCopiedAgainAndBackedUp) {
  WriteFile('a');
  for (int attempt = 0; attempt < 10; ++attempt) {
    MidCopyWriter writer(File(), Store(), 1);
    EXPECT_EQ(Clean(), WALK_DONE);
    // A copy that outran the writer proves nothing; so does one it changed before it started.
    if (writer.Stop() != 1) continue;
    EXPECT_TRUE(collected.reports.empty());
    EXPECT_TRUE(UnprotectedItems().empty());
    EXPECT_TRUE(OwnCopy() == TempFolder::Read(File())) << "the own copy is not the file as it is";
    EXPECT_EQ(test_tree::Records(List()).back(), File());
    return;
  }
  FAIL() << "the writer never changed the file while a copy was being made";
}

TEST_F(ChangingFileTest, AFileChangedDuringBothCopiesIsReportedAndKeepsItsEarlierCopy) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    WriteFile('e');
    ASSERT_EQ(Clean(), WALK_DONE);
    ASSERT_TRUE(collected.reports.empty());
    const std::size_t records = test_tree::Records(List()).size();
    WriteFile('a');
    MidCopyWriter writer(File(), Store(), 2);
    EXPECT_EQ(Clean(), WALK_DONE);
    if (writer.Stop() != 2) continue;
    ExpectReportedAsChanged();
    EXPECT_TRUE(OwnCopy() == std::string(kSize, 'e')) << "the earlier own copy was replaced";
    EXPECT_EQ(test_tree::Records(List()).size(), records);
    return;
  }
  FAIL() << "the writer never changed the file during both copies";
}

}  // namespace
