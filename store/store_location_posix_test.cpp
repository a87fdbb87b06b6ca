// Tests of where the backups folder lives, on real folders: installed layouts in temporary
// prefixes (moved, with and without XDG_DATA_HOME), portable copies, and making the folder
// with its parents.
#include "store/store_location.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Saves an environment variable and puts it back, set or unset, when the scope ends.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : m_name(name) {
    if (const char* value = std::getenv(name)) m_value = value;
  }
  ~SavedVariable() {
    if (m_value) {
      ::setenv(m_name, m_value->c_str(), 1);
    } else {
      ::unsetenv(m_name);
    }
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_value;
};

void SetOrUnset(const char* name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

class StoreLocationTest : public ::testing::Test {
 protected:
  void TearDown() override { SetProgramPathForTesting(""); }

  std::string Path(const std::string& relative) const { return m_root + "/" + relative; }
  // An installed copy: PREFIX/bin/quillmar with PREFIX/share/quillmar/ beside it.
  void Install(const std::string& prefix) const {
    fs::create_directories(Path(prefix + "/bin"));
    fs::create_directories(Path(prefix + "/share/quillmar"));
    std::ofstream(Path(prefix + "/bin/quillmar")) << "program";
  }
  std::string LocationFor(const std::string& program) const {
    SetProgramPathForTesting(Path(program));
    return BackupsFolderPath();
  }

  TempFolder m_temp;
  const std::string m_root = m_temp.Path();
  SavedVariable m_dataHome{"XDG_DATA_HOME"};
  SavedVariable m_home{"HOME"};
};

TEST_F(StoreLocationTest, AnInstalledCopyKeepsItsBackupsInTheUsersDataFolder) {
  Install("usr");
  // "@" stands for the temporary root; nullopt leaves the variable unset.
  const struct {
    std::optional<std::string> dataHome, home;
    std::string expected;  // "" for no location
  } cases[] = {
      {"@/data", "@/home", "@/data/quillmar/backups/"},
      {"@/data//", "@/home", "@/data/quillmar/backups/"},
      {std::nullopt, "@/home", "@/home/.local/share/quillmar/backups/"},
      {"", "@/home", "@/home/.local/share/quillmar/backups/"},
      {"relative/data", "@/home", "@/home/.local/share/quillmar/backups/"},
      {std::nullopt, std::nullopt, ""},
      {std::nullopt, "relative/home", ""},
  };
  auto rooted = [&](std::optional<std::string> value) {
    if (value && value->rfind('@', 0) == 0) value->replace(0, 1, m_root);
    return value;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("XDG_DATA_HOME=" + c.dataHome.value_or("(unset)") +
                 " HOME=" + c.home.value_or("(unset)"));
    SetOrUnset("XDG_DATA_HOME", rooted(c.dataHome));
    SetOrUnset("HOME", rooted(c.home));
    EXPECT_EQ(LocationFor("usr/bin/quillmar"), *rooted(c.expected));
  }
}

TEST_F(StoreLocationTest, EveryOtherCopyKeepsItsBackupsBesideItself) {
  ::setenv("XDG_DATA_HOME", Path("data").c_str(), 1);
  fs::create_directories(Path("stick"));
  fs::create_directories(Path("binonly/bin"));
  fs::create_directories(Path("sharefile/bin"));
  fs::create_directories(Path("sharefile/share"));
  std::ofstream(Path("sharefile/share/quillmar")) << "not a folder";
  fs::create_directories(Path("other/bin"));
  fs::create_directories(Path("other/share/other"));
  fs::create_directories(Path("nested/bin/tools"));
  fs::create_directories(Path("nested/share/quillmar"));
  for (const char* folder :
       {"stick", "binonly/bin", "sharefile/bin", "other/bin", "nested/bin/tools"}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(LocationFor(std::string(folder) + "/quillmar"), Path(folder) + "/backups/");
  }
}

TEST_F(StoreLocationTest, AnInstalledTreeMovedElsewhereIsStillInstalled) {
  ::setenv("XDG_DATA_HOME", Path("data").c_str(), 1);
  Install("first/prefix");
  EXPECT_EQ(LocationFor("first/prefix/bin/quillmar"), Path("data/quillmar/backups/"));
  fs::create_directories(Path("second"));
  fs::rename(Path("first/prefix"), Path("second/moved"));
  EXPECT_EQ(LocationFor("second/moved/bin/quillmar"), Path("data/quillmar/backups/"));
  // Its data folder removed, the same tree is a portable copy.
  fs::remove_all(Path("second/moved/share/quillmar"));
  EXPECT_EQ(LocationFor("second/moved/bin/quillmar"), Path("second/moved/bin/backups/"));
}

TEST_F(StoreLocationTest, TheRealProgramPathIsUsedWithoutTheSeam) {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  const fs::path program(std::string(self, static_cast<std::size_t>(n)));
  SetProgramPathForTesting("");
  EXPECT_EQ(BackupsFolderPath(), program.parent_path().string() + "/backups/");
}

TEST_F(StoreLocationTest, CreatingTheFolderMakesEveryMissingParent) {
  ::setenv("XDG_DATA_HOME", Path("fresh/home/.local/share").c_str(), 1);
  Install("usr");
  const std::string folder = LocationFor("usr/bin/quillmar");
  ASSERT_EQ(folder, Path("fresh/home/.local/share/quillmar/backups/"));
  EXPECT_FALSE(CreateBackupsFolder(folder));
  EXPECT_TRUE(fs::is_directory(folder));
  std::ofstream(folder + "list.txt") << "kept;";
  EXPECT_FALSE(CreateBackupsFolder(folder));  // already there: nothing changes
  std::ifstream list(folder + "list.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(list), {}), "kept;");
}

TEST_F(StoreLocationTest, CreatingTheFolderFailsWhenAFileHoldsOneOfItsNames) {
  fs::create_directories(Path("data"));
  std::ofstream(Path("data/quillmar")) << "a file where a folder should be";
  EXPECT_EQ(CreateBackupsFolder(Path("data/quillmar/backups/")), std::errc::not_a_directory);
  EXPECT_EQ(CreateBackupsFolder(Path("data/quillmar/deeper/backups")), std::errc::not_a_directory);
  std::ofstream(Path("data/backups")) << "a file named like the folder";
  EXPECT_EQ(CreateBackupsFolder(Path("data/backups/")), std::errc::not_a_directory);
  EXPECT_EQ(CreateBackupsFolder(""), std::errc::no_such_file_or_directory);
  EXPECT_TRUE(fs::is_regular_file(Path("data/quillmar")));
  EXPECT_TRUE(fs::is_regular_file(Path("data/backups")));
}

}  // namespace
