// A copy whose source another thread keeps touching while it is read. The copy holds the
// source without write sharing, so nobody can write its contents meanwhile; its times can
// still be set through a handle that asks only to write attributes, and a copy during which
// they moved never takes its name.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <iterator>
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

TEST(ReadOnlyCopyWin32Test, AReadOnlyCopyInTheStoreIsReplacedByTheNextOneAndItsSharedName) {
  TempFolder folder;
  folder.MakeDir("work");
  folder.Write("source", "first");
  ASSERT_TRUE(::SetFileAttributesA(folder.Path("source").c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string own = folder.Path("own");
  const std::string shared = folder.Path("work/sourceBACKUP");
  for (const char* contents : {"first", "second"}) {
    SCOPED_TRACE(contents);
    if (std::string(contents) == "second") {
      ::SetFileAttributesA(folder.Path("source").c_str(), FILE_ATTRIBUTE_NORMAL);
      folder.Write("source", contents);
      ASSERT_TRUE(::SetFileAttributesA(folder.Path("source").c_str(), FILE_ATTRIBUTE_READONLY));
      // The earlier copy is kept as a version first, as a further name of the same file.
      ASSERT_TRUE(::CreateHardLinkA(folder.Path("version").c_str(), own.c_str(), nullptr));
    }
    const NamedCopyResult result =
        CopyFileToName(folder.Path("source").c_str(), folder.Path("work"), own, nullptr);
    ASSERT_FALSE(result.source);
    ASSERT_FALSE(result.write);
    ASSERT_FALSE(result.name);
    ASSERT_FALSE(AddNameReplacing(own, shared, folder.Path("work"), nullptr, true));
    for (const std::string& name : {own, shared}) {
      EXPECT_EQ(TempFolder::Read(name), contents);
      EXPECT_NE(::GetFileAttributesA(name.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    }
  }
  // The version is the earlier copy, still read-only, though the name it had was replaced.
  EXPECT_EQ(TempFolder::Read(folder.Path("version")), "first");
  EXPECT_NE(::GetFileAttributesA(folder.Path("version").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  // No hidden name is left behind in the work folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path("work")),
                          std::filesystem::directory_iterator()),
            1);
  for (const std::string& name : {folder.Path("source"), own, shared, folder.Path("version")}) {
    ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

}  // namespace
