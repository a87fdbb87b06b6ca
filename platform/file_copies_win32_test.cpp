// A copy whose source another thread keeps touching while it is read. The copy holds the
// source without write sharing, so nobody can write its contents meanwhile; its times can
// still be set through a handle that asks only to write attributes, and a copy during which
// they moved never takes its name.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/file_copies.h"
#include "platform/test_support/temp_folder.h"
#include "platform/windows_system.h"

namespace {

// Sets the file's last-write time, a later one each time, until stopped.
class TimeToucher {
 public:
  explicit TimeToucher(const std::string& path)
      : m_file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr)),
        m_thread([this] { Run(); }) {}
  ~TimeToucher() {
    m_stop = true;
    m_thread.join();
    if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
  }
  bool Opened() const { return m_file != INVALID_HANDLE_VALUE; }

 private:
  void Run() {
    FILETIME time{};
    ::GetSystemTimeAsFileTime(&time);
    while (!m_stop && m_file != INVALID_HANDLE_VALUE) {
      ++time.dwLowDateTime;
      ::SetFileTime(m_file, nullptr, nullptr, &time);
    }
  }

  HANDLE m_file;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

TEST(ChangingSourceCopyWin32Test, ACopyDuringWhichTheSourceChangedIsDroppedAndTheNameKept) {
  TempFolder folder;
  folder.MakeDir("work");
  folder.Write("source", std::string(std::size_t{32} << 20, 's'));
  folder.Write("copy", "earlier copy");
  TimeToucher toucher(folder.Path("source"));
  ASSERT_TRUE(toucher.Opened());
  int dropped = 0;
  for (int attempt = 0; attempt < 6; ++attempt) {
    SCOPED_TRACE("copy " + std::to_string(attempt));
    folder.Write("copy", "earlier copy");
    const NamedCopyResult result = CopyFileToName(
        folder.Path("source").c_str(), folder.Path("work"), folder.Path("copy"), nullptr);
    ASSERT_FALSE(result.write);
    ASSERT_FALSE(result.name);
    if (result.source) {
      EXPECT_EQ(result.source, ChangedWhileCopied());
      EXPECT_EQ(TempFolder::Read(folder.Path("copy")), "earlier copy");
      ++dropped;
    }
  }
  // The toucher moves the time without a pause: some copies must have met it.
  EXPECT_GT(dropped, 0);
}

}  // namespace
