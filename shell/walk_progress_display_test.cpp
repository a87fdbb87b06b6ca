// Tests of the walk's progress in the title: the wording, the 50 ms pacing, the observer's
// lifetime and the summary left behind, with a clock the test drives.
#include "walk_progress_display.h"

#include <gtest/gtest.h>

#include "engine/backup_store.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "platform/path_parts.h"
#include "shell_test_folder.h"

namespace {

class NullTarget : public MessageTarget {
 public:
  LRESULT SendMessage(UINT, WPARAM, LPARAM) override { return 0; }
};

const DialogTemplate kPlainTemplate{
    1, 0, 0, 0, 0, 100, 50, "Quillmar", {"MS Shell Dlg", 8, 0, false, 1}, {}};

constexpr int kCountsLine = 11, kFolderLine = 12;
const DialogTemplate kLinesTemplate{2,
                                    0,
                                    0,
                                    0,
                                    0,
                                    100,
                                    50,
                                    "Quillmar",
                                    {"MS Shell Dlg", 8, 0, false, 1},
                                    {{kCountsLine, ControlClass::Static, "", 0, 0, 30, 100, 16},
                                     {kFolderLine, ControlClass::Static, "", 0, 0, 46, 100, 8}}};

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

TEST(WalkProgressTitle, CountsFilesVisitedBackedUpAndFailedAndSaysWhenStopped) {
  const struct {
    WalkProgress progress;
    bool stopped;
    const char* expected;
  } cases[] = {
      {{1234, 56, 2, {}}, false, "Quillmar - 1234 files visited, 56 backed up, 2 failed"},
      {{1, 1, 0, {}}, false, "Quillmar - 1 file visited, 1 backed up, 0 failed"},
      {{0, 0, 0, {}}, false, "Quillmar - 0 files visited, 0 backed up, 0 failed"},
      {{7, 3, 1, {}}, true, "Quillmar - stopped: 7 files visited, 3 backed up, 1 failed"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WalkProgressTitle("Quillmar", c.progress, c.stopped), c.expected);
  }
}

TEST(WalkProgressCountsAndRate, TheRateFollowsOnALineOfItsOwnOnceTimeHasPassed) {
  EXPECT_EQ(WalkProgressCountsAndRate({1234, 56, 2, {}}, 2.0),
            "1234 files visited, 56 backed up, 2 failed\n617 files/s");
  EXPECT_EQ(WalkProgressCountsAndRate({1, 1, 0, {}}, 0.4),
            "1 file visited, 1 backed up, 0 failed\n3 files/s");
  // At the first file no time has passed: no rate to give.
  EXPECT_EQ(WalkProgressCountsAndRate({1, 0, 1, {}}, 0), "1 file visited, 0 backed up, 1 failed");
}

TEST(WalkProgressFolder, DropsTheSeparatorASubFolderEndsWithButARootKeepsIt) {
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(WalkProgressFolder(sep + "d" + sep + "A" + sep + sep + "B" + sep),
            sep + "d" + sep + "A" + sep + sep + "B");
  EXPECT_EQ(WalkProgressFolder(sep + "d"), sep + "d");
  EXPECT_EQ(WalkProgressFolder(sep), sep);
  EXPECT_EQ(WalkProgressFolder("C:\\"), "C:\\");
}

TEST_F(WalkProgressDisplayTest, TheLinesShowTheCountsWithTheRateAndTheFolderThenTheSummary) {
  using namespace std::chrono_literals;
  ScriptedWindow lined{backend, kLinesTemplate, target};
  auto now = WalkProgressDisplay::Clock::time_point{};
  std::vector<std::string> counts, folders;  // as each clock reading finds them
  {
    WalkProgressDisplay display(lined, "Quillmar",
                                [&] {
                                  counts.push_back(lined.GetItemText(kCountsLine));
                                  folders.push_back(lined.GetItemText(kFolderLine));
                                  now += 20ms;
                                  return now;
                                },
                                {kCountsLine, kFolderLine});
    Walk();
  }
  // Shown at the first, fourth and seventh file (20, 80 and 140 ms): the rate counts from
  // the first.
  ASSERT_EQ(counts.size(), 10u);
  EXPECT_EQ(counts[1], "1 file visited, 1 backed up, 0 failed");
  EXPECT_EQ(counts[4], "4 files visited, 4 backed up, 0 failed\n67 files/s");
  EXPECT_EQ(counts[9], "7 files visited, 7 backed up, 0 failed\n58 files/s");
  EXPECT_EQ(folders[0], "");
  EXPECT_EQ(folders[9], folder.Path("tree"));
  // Once it has ended: the summary, over the time to the last file, and no folder in hand.
  EXPECT_EQ(lined.GetItemText(kCountsLine),
            "Done: 10 files visited, 10 backed up, 0 failed\n56 files/s");
  EXPECT_EQ(lined.GetItemText(kFolderLine), "");
  EXPECT_EQ(lined.Title(), "Quillmar - 10 files visited, 10 backed up, 0 failed");
}

TEST_F(WalkProgressDisplayTest, TheFirstFileAtOnceThenEveryFiftyMillisecondsThenTheSummary) {
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
  // One reading per file; the first file is shown at once, then at 20 ms a step every third
  // file is due (60 ms after the last update), and each reading sees the title the file
  // before left.
  ASSERT_EQ(titles.size(), 10u);
  std::vector<std::string> expected(1, "Quillmar");
  expected.insert(expected.end(), 3, "Quillmar - 1 file visited, 1 backed up, 0 failed");
  expected.insert(expected.end(), 3, "Quillmar - 4 files visited, 4 backed up, 0 failed");
  expected.insert(expected.end(), 3, "Quillmar - 7 files visited, 7 backed up, 0 failed");
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(window.Title(), "Quillmar - 10 files visited, 10 backed up, 0 failed");
}

TEST_F(WalkProgressDisplayTest, AFastWalkShowsItsFirstFileAndThenOnlyItsSummary) {
  auto now = WalkProgressDisplay::Clock::time_point{};
  std::vector<std::string> titles;
  window.SetTitle("Resting");
  {
    WalkProgressDisplay display(window, "Quillmar", [&] {
      titles.push_back(window.Title());
      return now;  // time stands still
    });
    Walk();
  }
  std::vector<std::string> expected(1, "Resting");
  expected.insert(expected.end(), 9, "Quillmar - 1 file visited, 1 backed up, 0 failed");
  EXPECT_EQ(titles, expected);
  EXPECT_EQ(window.Title(), "Quillmar - 10 files visited, 10 backed up, 0 failed");
}

TEST_F(WalkProgressDisplayTest, OnceDestroyedItNoLongerObservesWalks) {
  int readings = 0;
  {
    WalkProgressDisplay display(window, "Quillmar", [&] {
      ++readings;
      return WalkProgressDisplay::Clock::time_point{};
    });
  }
  Walk();
  EXPECT_EQ(readings, 0);
}

}  // namespace
