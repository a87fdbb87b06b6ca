// Tests of the desktop's boxes for a clean's failures: the first failure of each kind shows its
// texts, each in a plain OK box under the program's name, and later ones of that kind show none.
#include "shell/clean_boxes.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>
#include <vector>

#include "framework/scripted/scripted_backend.h"
#include "framework/window_constants.h"
#include "platform/platform_files.h"

namespace {

TEST(CleanBoxesTest, TheFirstFailureOfAKindShowsItsTextsInOkBoxes) {
  ScriptedBackend backend;
  CleanBoxes boxes;
  const std::error_code denied = std::make_error_code(std::errc::permission_denied);
  boxes.Failure({CleanFailure::kListNotOpened, "/store/", denied});
  boxes.Failure({CleanFailure::kSourceNotCopied, "/a", denied});
  // The same boxes as the ones already shown: none again.
  boxes.Failure({CleanFailure::kStoreNotCopied, "/b", denied});
  boxes.Failure({CleanFailure::kListNotOpened, "/store/", denied});
  EXPECT_EQ(backend.MessageTexts(),
            (std::vector<std::string>{"Openning restoration list file failed.",
                                      "Failed to create backup list text file",
                                      "CopyFile failed."}));
  for (const auto& message : backend.Messages()) {
    EXPECT_EQ(message.style, MB_OK);
    EXPECT_EQ(message.caption, "Quillmar");
  }
  // The store that cannot be written names its folder and the reason.
  const std::error_code notFolder = std::make_error_code(std::errc::not_a_directory);
  boxes.Failure({CleanFailure::kStoreNotWritable, "/store/", notFolder});
  EXPECT_EQ(backend.MessageTexts().back(), "The backups folder cannot be written:\n/store/\n" +
                                               ErrorText(notFolder) + "\nThe clean stops here.");
}

}  // namespace
