// Tests of quillmar clean's exit status when the end of a clean fails: a clean is done only
// once everything it wrote is on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <system_error>

#include "cli/commands.h"
#include "platform/injected_failures.h"
#include "platform/path_parts.h"
#include "platform/platform_files.h"
#include "platform/test_support/temp_folder.h"

namespace {

// An error each platform's services hand on unchanged.
std::error_code DeviceFailed() {
#if defined(_WIN32)
  return std::error_code(1117 /* ERROR_IO_DEVICE */, std::system_category());
#else
  return std::make_error_code(std::errc::io_error);
#endif
}

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char buffer[4096];
  while (std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, got);
  return text;
}

class CleanCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeDir("prog");
    folder.MakeDir("data");
    folder.Write("data/a.txt", "a");
    SetProgramPathForTesting(folder.Path("prog") + kPathSeparator + "quillmar");
  }
  void TearDown() override {
    SetProgramPathForTesting("");
    std::fclose(out);
    std::fclose(err);
  }

  int Clean() {
    const std::string data = folder.Path("data");
    const char* const args[] = {data.c_str()};
    return RunClean(args, CliStreams{out, err, stdin});
  }

  TempFolder folder;
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
};

TEST_F(CleanCommandTest, AFlushThatFailsAtTheEndExitsAsNotDoneAndSaysWhy) {
  int status;
  {
    ScopedFailure failure(FileCall::kFlush, DeviceFailed(), folder.Path("prog"));
    status = Clean();
    EXPECT_GE(failure.Failed(), 1);
  }
  EXPECT_EQ(status, kExitPartly);
  const std::string said = Contents(err);
  EXPECT_NE(said.find(folder.Path("prog")), std::string::npos) << said;
  EXPECT_NE(said.find(ErrorText(DeviceFailed())), std::string::npos) << said;
  // The same clean with the flush going through is done.
  EXPECT_EQ(Clean(), kExitDone);
}

}  // namespace
