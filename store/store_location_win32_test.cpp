// Tests of where the backups folder lives on Windows: beside the executable with the
// platform's separator, whatever folders lie around it.
#include <gtest/gtest.h>

#include "framework/platform_files.h"
#include "framework/test_support/temp_folder.h"
#include "store/store_location.h"

namespace {

TEST(StoreLocationWin32Test, EveryCopyKeepsItsBackupsBesideItself) {
  TempFolder folder;
  // What makes a Linux copy installed means nothing here.
  folder.MakeDir("usr\\bin");
  folder.MakeDir("usr\\share\\quillmar");
  for (const char* program : {"stick\\quillmar.exe", "usr\\bin\\quillmar.exe"}) {
    SetProgramPathForTesting(folder.Path(program));
    const std::string expected =
        folder.Path(program).substr(0, folder.Path(program).rfind('\\')) + "\\backups\\";
    EXPECT_EQ(BackupsFolderPath(), expected) << program;
    EXPECT_FALSE(CreateBackupsFolder(BackupsFolderPath())) << program;
    EXPECT_TRUE(std::filesystem::is_directory(expected)) << program;
  }
  SetProgramPathForTesting("");
}

}  // namespace
