// Tests of restoring many entries as one batch: one rewrite of list.txt for all of them, while
// another process keeps appending records, loses none of its records and keeps none of the
// entries restored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/folder_handle.h"
#include "platform/test_support/temp_folder.h"
#include "store/list_append.h"
#include "store/list_records.h"
#include "store/restore_batch.h"
#include "store/store_layout.h"

namespace {

// Says yes to everything and keeps no list of its own: every entry is the store's.
class Agreeing : public RestoreConversation {
 public:
  bool RestoreFromOtherOrigin(const std::string&, const std::string&) override { return true; }
  bool Overwrite(const std::string&) override { return true; }
  bool DropEntry(const std::string&) override { return true; }
};

// Another instance cleaning: a process that appends "/elsewhere/r<N>" records, N from 0, as
// the engine does, until it is told to stop; it then says how many it appended.
class AppendingProcess {
 public:
  AppendingProcess(const std::string& store, const std::string& listPath) {
    int stop[2], count[2];
    if (::pipe(stop) != 0 || ::pipe(count) != 0) return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::close(stop[1]);
      ::close(count[0]);
      ::fcntl(stop[0], F_SETFL, O_NONBLOCK);
      CFile list;
      FolderHandle folder;
      bool ok = !folder.Open(store.c_str()) && OpenListForAppend(list, listPath.c_str(), false);
      long appended = 0;
      char signal;
      // Until the parent closes its end: a read that returns 0, not "nothing yet".
      while (ok && ::read(stop[0], &signal, 1) < 0) {
        const std::string record = RecordOf("/elsewhere/r" + std::to_string(appended));
        ok = !AppendRecord(list, listPath.c_str(), folder, record);
        if (ok) ++appended;
      }
      const std::string said = std::to_string(ok ? appended : -1);
      ::write(count[1], said.data(), said.size());
      ::_exit(0);
    }
    ::close(stop[0]);
    ::close(count[1]);
    m_stop = stop[1];
    m_count = count[0];
  }
  ~AppendingProcess() {
    if (m_pid > 0) Stop();
  }

  // How many records it appended; -1 when an append failed.
  long Stop() {
    ::close(m_stop);
    char text[32] = {};
    const ssize_t got = ::read(m_count, text, sizeof text - 1);
    ::close(m_count);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    return got > 0 ? std::stol(text) : -1;
  }

 private:
  pid_t m_pid = -1;
  int m_stop = -1;
  int m_count = -1;
};

TEST(RestoreBatchProcessesTest, BatchesRestoredWhileAnotherProcessAppendsLoseNoRecord) {
  TempFolder folder;
  folder.MakeDir("backups");
  folder.MakeDir("data");
  const std::string store = folder.Path("backups") + "/";
  const std::string listPath = ListPathIn(store);
  constexpr int kBatches = 8, kPerBatch = 40;
  std::vector<std::string> entries;
  std::string list;
  for (int i = 0; i < kBatches * kPerBatch; ++i) {
    entries.push_back(folder.Path("data") + "/f" + std::to_string(i));
    const std::string copy = *OwnCopyPathIn(store, entries.back());
    std::filesystem::create_directories(std::filesystem::path(copy).parent_path());
    folder.Write(copy.substr(folder.Path().size() + 1), "contents " + std::to_string(i));
    list += RecordOf(entries.back());
  }
  folder.Write("backups/list.txt", list);

  AppendingProcess other(folder.Path("backups"), listPath);
  // Each batch starts from the list as it is then, as a new window or command would.
  for (int batch = 0; batch < kBatches; ++batch) {
    ListOnDisk onDisk;
    onDisk.Loaded(listPath, TempFolder::Read(listPath));
    Agreeing conversation;
    RestoreBatch restores(store, onDisk, conversation);
    for (int i = batch * kPerBatch; i < (batch + 1) * kPerBatch; ++i) {
      EXPECT_EQ(restores.Restore(entries[static_cast<std::size_t>(i)]).result,
                RestoreResult::kRestored);
    }
    EXPECT_EQ(restores.Dropped(), static_cast<std::size_t>(kPerBatch));
    const RestoreBatch::Ending ending = restores.Finish();
    EXPECT_FALSE(ending.flushError);
    EXPECT_FALSE(ending.rewriteError);
  }
  const long appended = other.Stop();
  ASSERT_GT(appended, 0);

  std::map<std::string, int> records;
  ForEachEntry(TempFolder::Read(listPath),
               [&](std::string_view entry) { ++records[std::string(entry)]; });
  std::vector<std::string> lostOrDoubled;
  for (long n = 0; n < appended; ++n) {
    const std::string record = "/elsewhere/r" + std::to_string(n);
    if (records[record] != 1) lostOrDoubled.push_back(record);
    records.erase(record);
  }
  EXPECT_TRUE(lostOrDoubled.empty())
      << lostOrDoubled.size() << " of " << appended << ", first " << lostOrDoubled.front();
  // Nothing else: every entry restored has left the list.
  EXPECT_TRUE(records.empty()) << records.begin()->first;
  EXPECT_EQ(TempFolder::Read(entries.back()), "contents " + std::to_string(entries.size() - 1));
}

}  // namespace
