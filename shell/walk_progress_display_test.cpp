// Tests of the walk's progress in the title: the wording, the 50 ms pacing, the observer's
// lifetime and the resting title put back, with a clock the test drives.
#include "walk_progress_display.h"

#include <gtest/gtest.h>

#include "engine/backup_store.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "shell_test_folder.h"

namespace {

class NullTarget : public MessageTarget {
 public:
  LRESULT SendMessage(UINT, WPARAM, LPARAM) override { return 0; }
};

const DialogTemplate kPlainTemplate{
    1, 0, 0, 0, 0, 100, 50, "Quillmar", {"MS Shell Dlg", 8, 0, false, 1}, {}};

class WalkProgressDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_strFilter.clear();
    folder.MakeDir("tree");
    for (int i = 0; i < 10; ++i) folder.Write("tree/f" + std::to_string(i) + ".txt", "x");
  }
  void Walk() {
    ::testing::internal::CaptureStdout();
    WalkFolder(folder.Path("tree").c_str(), "", PrintFoundPath, 0, WALK_FILES | WALK_FOLDERS);
    ::testing::internal::GetCapturedStdout();
  }

  ShellTestFolder folder;
  ScriptedBackend backend;
  NullTarget target;
  ScriptedWindow window{backend, kPlainTemplate, target};
};

TEST(WalkProgressTitle, CountsFilesVisitedAndBackedUp) {
  EXPECT_EQ(WalkProgressTitle("Quillmar", WalkProgress{1234, 56}),
            "Quillmar - 1234 files visited, 56 backed up");
  EXPECT_EQ(WalkProgressTitle("Quillmar", WalkProgress{1, 1}),
            "Quillmar - 1 file visited, 1 backed up");
  EXPECT_EQ(WalkProgressTitle("Q", WalkProgress{0, 0}), "Q - 0 files visited, 0 backed up");
}

TEST_F(WalkProgressDisplayTest, ATitleWhenAtLeastFiftyMillisecondsHavePassedAndTheRestingOneAfter) {
  using namespace std::chrono_literals;
  auto now = WalkProgressDisplay::Clock::time_point{};
  std::vector<std::string> titles;  // the title as each clock reading finds it
  {
    WalkProgressDisplay display(window, "Quillmar", [&] {
      titles.push_back(window.Title());
      now += 20ms;
      return now;
    });
    Walk();
  }
  // One reading at the start and one per file; at 20 ms a step, every third file is due
  // (60 ms after the last update), and each reading sees the title the file before left.
  ASSERT_EQ(titles.size(), 11u);
  std::vector<std::string> expected(4, "Quillmar");
  expected.insert(expected.end(), 3, "Quillmar - 3 files visited, 3 backed up");
  expected.insert(expected.end(), 3, "Quillmar - 6 files visited, 6 backed up");
  expected.insert(expected.end(), 1, "Quillmar - 9 files visited, 9 backed up");
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(window.Title(), "Quillmar");
}

TEST_F(WalkProgressDisplayTest, AFastWalkNeverTouchesTheTitle) {
  auto now = WalkProgressDisplay::Clock::time_point{};
  int readings = 0;
  window.SetTitle("Resting");
  {
    WalkProgressDisplay display(window, "Quillmar", [&] {
      ++readings;
      EXPECT_EQ(window.Title(), "Resting");
      return now;  // time stands still
    });
    Walk();
  }
  EXPECT_EQ(readings, 11);
  EXPECT_EQ(window.Title(), "Quillmar");
}

TEST_F(WalkProgressDisplayTest, OnceDestroyedItNoLongerObservesWalks) {
  int readings = 0;
  {
    WalkProgressDisplay display(window, "Quillmar", [&] {
      ++readings;
      return WalkProgressDisplay::Clock::time_point{};
    });
  }
  EXPECT_EQ(readings, 1);
  Walk();
  EXPECT_EQ(readings, 1);
}

}  // namespace
