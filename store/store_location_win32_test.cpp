// Tests of where the backups folder lives on Windows: beside a portable copy in a folder of
// its own, in %LOCALAPPDATA%\Quillmar for an installed copy and for a copy whose folder
// cannot hold backups.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"
#include "store/store_location.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : m_name(name) {
    const char* old = std::getenv(name);
    m_had = old != nullptr;
    if (m_had) m_old = old;
    _putenv_s(name, value.c_str());
  }
  ~ScopedVariable() { _putenv_s(m_name, m_had ? m_old.c_str() : ""); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* m_name;
  bool m_had = false;
  std::string m_old;
};

class StoreLocationWin32Test : public ::testing::Test {
 protected:
  void TearDown() override { SetProgramPathForTesting(""); }
  std::string StoreFor(const std::string& program) {
    SetProgramPathForTesting(program);
    return BackupsFolderPath();
  }
  static std::string FolderOf(const std::string& program) {
    return program.substr(0, program.rfind('\\'));
  }

  TempFolder folder;
  ScopedVariable localAppData{"LOCALAPPDATA", folder.Path("AppData\\Local")};
  const std::string userStore = folder.Path("AppData\\Local") + "\\Quillmar\\backups\\";
};

TEST_F(StoreLocationWin32Test, APortableCopyKeepsItsBackupsBesideItself) {
  // What makes a Linux copy installed means nothing here.
  folder.MakeDir("usr\\bin");
  folder.MakeDir("usr\\share\\quillmar");
  folder.MakeDir("stick");
  for (const char* relative : {"stick\\quillmar.exe", "usr\\bin\\quillmar.exe"}) {
    const std::string program = folder.Path(relative);
    const std::string expected = FolderOf(program) + "\\backups\\";
    EXPECT_EQ(StoreFor(program), expected) << relative;
    EXPECT_FALSE(CreateBackupsFolder(BackupsFolderPath())) << relative;
    EXPECT_TRUE(std::filesystem::is_directory(expected)) << relative;
  }
}

TEST_F(StoreLocationWin32Test, AnInstalledCopyKeepsItsBackupsInTheUsersData) {
  folder.MakeDir("Quillmar");
  folder.Write("Quillmar\\quillmar.exe", "");
  folder.Write("Quillmar\\uninstall.exe", "");
  EXPECT_EQ(StoreFor(folder.Path("Quillmar\\quillmar.exe")), userStore);
  // The first clean makes the folders on the way.
  EXPECT_FALSE(CreateBackupsFolder(BackupsFolderPath()));
  EXPECT_TRUE(std::filesystem::is_directory(userStore));
  EXPECT_FALSE(std::filesystem::exists(folder.Path("Quillmar\\backups")));

  // Without a usable LOCALAPPDATA there is no store rather than one in some other place.
  ScopedVariable relative("LOCALAPPDATA", "AppData");
  EXPECT_EQ(BackupsFolderPath(), "");
}

TEST_F(StoreLocationWin32Test, ProgramFilesCannotHoldBackups) {
  ScopedVariable programFiles("ProgramFiles", folder.Path("Program Files"));
  folder.MakeDir("Program Files\\Quillmar");
  // Any case of the names: Windows' names ignore it.
  std::string program = folder.Path("PROGRAM FILES\\Quillmar\\quillmar.exe");
  EXPECT_EQ(StoreFor(program), userStore);
  // A folder whose name only begins like it is no part of it.
  folder.MakeDir("Program Files Mine");
  EXPECT_EQ(StoreFor(folder.Path("Program Files Mine\\quillmar.exe")),
            folder.Path("Program Files Mine") + "\\backups\\");
}

TEST_F(StoreLocationWin32Test, AProgramRunFromInsideAZipCannotHoldBackups) {
  // Where Explorer unpacks a ZIP's program to run it, gone when the archive is closed.
  std::mt19937_64 random(std::random_device{}());
  const std::filesystem::path unpacked =
      std::filesystem::temp_directory_path() /
      ("Temp1_quillmar-test-" + std::to_string(random() % 1000000) + ".zip");
  std::filesystem::create_directories(unpacked / "Quillmar");
  const std::string atTop = (unpacked / "quillmar.exe").string();
  const std::string inside = (unpacked / "Quillmar" / "quillmar.exe").string();
  EXPECT_EQ(StoreFor(atTop), userStore);
  EXPECT_EQ(StoreFor(inside), userStore);
  std::error_code ignored;
  std::filesystem::remove_all(unpacked, ignored);
}

TEST_F(StoreLocationWin32Test, AFolderThatTakesNoNewFileCannotHoldBackups) {
  // The probe's file cannot be made (here: the folder is missing altogether; a read-only
  // folder is tried end to end, since Wine's administrator may write anywhere).
  EXPECT_EQ(StoreFor(folder.Path("gone\\quillmar.exe")), userStore);
}

}  // namespace
