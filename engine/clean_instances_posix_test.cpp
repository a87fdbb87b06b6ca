// Four instances of the program cleaning one tree into one store while its files keep
// changing: whatever a clean copied is still in the store afterwards, as the path's own copy
// or as one of its versions, and every record restores.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/backup_store.h"
#include "engine/folder_walk.h"
#include "engine/test_tree.h"
#include "store/entry_restore.h"
#include "store/list_on_disk.h"
#include "store/store_layout.h"
#include "store/versions.h"

namespace {

using test_tree::Records;

constexpr int kInstances = 4;
constexpr int kFiles = 24;
// Each file gets this many generations after the first while the instances clean.
constexpr int kGenerations = 4;
// Large enough that a copy is still being read while the next generation is put in place.
constexpr std::size_t kSize = 256 * 1024;

// Generation g of file f: a line naming both, then bytes drawn from both, so that a copy
// mixing two generations, or two files, matches none.
std::string Contents(int f, int g) {
  std::string text = "f" + std::to_string(f) + " g" + std::to_string(g) + "\n";
  std::uint32_t x = static_cast<std::uint32_t>(f) * 7919u + static_cast<std::uint32_t>(g) * 104729u;
  text.reserve(kSize);
  while (text.size() < kSize) {
    x = x * 1664525u + 1013904223u;
    text += static_cast<char>('a' + (x >> 24) % 26);
  }
  return text;
}

// The generation whose contents text holds, or -1 when it holds none of file f's.
int GenerationOf(int f, const std::string& text) {
  const std::string head = "f" + std::to_string(f) + " g";
  if (!text.starts_with(head)) return -1;
  const int g = std::atoi(text.c_str() + head.size());
  return text == Contents(f, g) ? g : -1;
}

std::int32_t GoOn(const char*, const FindData*, std::int32_t) { return 1; }

// Answers yes, and keeps no list of its own: the test reads list.txt itself.
class RestoreEverything : public RestoreConversation {
 public:
  bool RestoreFromOtherOrigin(const std::string&, const std::string&) override { return true; }
  bool Overwrite(const std::string&) override { return true; }
  bool DropEntry(const std::string&) override { return false; }
};

class CleanInstancesTest : public test_tree::EngineTest {
 protected:
  std::string File(int f) const { return tree.Path("C/f" + std::to_string(f)); }
  std::string Store() const { return tree.Path("prog/backups/"); }

  // Puts generation g of file f in place as an editor saves: written beside the tree, then
  // renamed over the file, so that a clean sees one whole generation or the next. Watched
  // from then on for a clean closing it after reading it.
  void Put(int f, int g) {
    const std::string staged = tree.Path("stage/f" + std::to_string(f));
    tree.Write("stage/f" + std::to_string(f), Contents(f, g));
    const int watch = ::inotify_add_watch(m_events, staged.c_str(), IN_CLOSE_NOWRITE);
    ASSERT_GE(watch, 0);
    m_watched[watch] = {f, g};
    ASSERT_EQ(::rename(staged.c_str(), File(f).c_str()), 0);
    m_current[f] = g;
  }

  // Takes the events so far. A generation closed by a reader while it was still the file's
  // was copied whole by a clean: the copy checks the file is unchanged before it closes it,
  // and only a clean opens the files of the tree. Once a generation has been replaced, a
  // close may come from a copy that saw the replacement and dropped what it read.
  void TakeEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      const ssize_t got = ::read(m_events, buffer, sizeof buffer);
      if (got <= 0) return;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        const auto found = m_watched.find(event->wd);
        if (found == m_watched.end()) continue;
        const auto [f, g] = found->second;
        if ((event->mask & IN_CLOSE_NOWRITE) != 0 && m_current[f] == g) m_copied.insert({f, g});
        if ((event->mask & IN_IGNORED) != 0) m_watched.erase(found);
      }
    }
  }

  // Every copy the store holds of file f, as the generations they hold (-1 for a copy that
  // holds none).
  std::vector<int> StoredGenerations(int f) const {
    std::vector<int> generations;
    for (const Version& copy : CopiesOf(Store(), File(f))) {
      generations.push_back(GenerationOf(f, test_tree::TempTree::ReadPath(copy.path)));
    }
    return generations;
  }

  int m_events = -1;
  std::map<int, std::pair<int, int>> m_watched;  // watch -> file, generation
  std::vector<int> m_current = std::vector<int>(kFiles, 0);
  std::set<std::pair<int, int>> m_copied;  // file, generation
};

TEST_F(CleanInstancesTest, FourInstancesCleaningAChangingTreeLoseNoCopy) {
  tree.MakeDir("C");
  tree.MakeDir("stage");
  m_events = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(m_events, 0);
  for (int f = 0; f < kFiles; ++f) Put(f, 0);
  // One clean first, so that every later one finds a noted own copy to compare with and
  // opens a file of the tree only to copy it.
  ASSERT_EQ(WalkFolder(tree.Path("C").c_str(), "*", GoOn, 0, WALK_FILES | WALK_FOLDERS), WALK_DONE);
  ASSERT_TRUE(Texts().empty());
  TakeEvents();

  // Closing start starts the instances; closing stop ends them after the clean in hand.
  int start[2], stop[2];
  ASSERT_EQ(::pipe(start), 0);
  ASSERT_EQ(::pipe2(stop, O_NONBLOCK), 0);
  std::vector<pid_t> instances;
  for (int i = 0; i < kInstances; ++i) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(start[1]);
      ::close(stop[1]);
      char go;
      if (::read(start[0], &go, 1) != 0) ::_exit(2);  // until every instance is ready
      int status = 0;
      while (::read(stop[0], &go, 1) != 0) {
        if (WalkFolder(tree.Path("C").c_str(), "*", GoOn, 0, WALK_FILES | WALK_FOLDERS) !=
            WALK_DONE) {
          status = 1;
        }
        // A file changed under each of two tries is left out of that clean, and said so.
        for (const UnprotectedItem& item : UnprotectedItems()) {
          if (item.reason.find("changed while it was copied") == std::string::npos) {
            std::fprintf(stderr, "%s: %s\n", item.path.c_str(), item.reason.c_str());
            status = 1;
          }
        }
      }
      ::_exit(status);
    }
    instances.push_back(pid);
  }
  ::close(start[0]);
  ::close(start[1]);
  ::close(stop[0]);

  // Each file gets its next generation once a clean has copied the one in place, until
  // every file has had its share; then the instances are stopped.
  int changes = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  std::vector<int> statuses(instances.size(), -1);
  for (;;) {
    bool running = false;
    for (std::size_t i = 0; i < instances.size(); ++i) {
      int status = 0;
      if (statuses[i] != -1) continue;
      if (::waitpid(instances[i], &status, WNOHANG) == 0) {
        running = true;
      } else {
        statuses[i] = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
    }
    if (!running) break;
    const bool late = std::chrono::steady_clock::now() > deadline;
    if ((changes == kFiles * kGenerations || late) && stop[1] >= 0) {
      EXPECT_FALSE(late) << "the cleans copied " << changes << " changes in a minute";
      ::close(stop[1]);
      stop[1] = -1;
    }
    for (int f = 0; f < kFiles; ++f) {
      TakeEvents();
      if (m_current[f] < kGenerations && m_copied.count({f, m_current[f]}) != 0) {
        Put(f, m_current[f] + 1);
        ++changes;
      }
    }
    ::usleep(200);
  }
  ::close(m_events);
  EXPECT_EQ(statuses, std::vector<int>(instances.size(), 0));

  std::size_t kept = 0;
  for (int f = 0; f < kFiles; ++f) {
    SCOPED_TRACE(File(f));
    const std::vector<int> stored = StoredGenerations(f);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), -1), 0) << "a copy holds no generation";
    for (const auto& [file, g] : m_copied) {
      if (file != f) continue;
      EXPECT_NE(std::find(stored.begin(), stored.end(), g), stored.end())
          << "generation " << g << " was copied and is gone";
      ++kept;
    }
  }
  // Each generation but the last is known to be copied before the next replaced it.
  EXPECT_GE(kept, static_cast<std::size_t>(kFiles * kGenerations));
  for (const auto& item : std::filesystem::recursive_directory_iterator(Store())) {
    EXPECT_NE(item.path().filename().string().front(), '.') << "left over: " << item.path();
  }

  // Every record restores, once the tree is gone: each path from its own copy, which holds a
  // generation of that path.
  std::filesystem::remove_all(tree.Path("C"));
  const std::vector<std::string> records = Records(List());
  const std::set<std::string> paths(records.begin(), records.end());
  EXPECT_EQ(paths.size(), static_cast<std::size_t>(kFiles));
  ListOnDisk list;
  RestoreEverything yes;
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const RestoreOutcome restored = RestoreEntry(Store(), path, list, yes);
    EXPECT_EQ(restored.result, RestoreResult::kRestored) << restored.error.message();
    const int f = std::atoi(path.c_str() + tree.Path("C/f").size());
    EXPECT_EQ(GenerationOf(f, test_tree::TempTree::ReadPath(path)), StoredGenerations(f)[0]);
  }
}

}  // namespace
