// Tests of the application's start-up: it runs the main dialog as the main window, forgets
// it when it closes, and returns false so that nothing runs after it.
#include "main_app.h"

#include <gtest/gtest.h>

#include "framework/dialog.h"
#include "framework/scripted/scripted_backend.h"
#include "framework/scripted/scripted_window.h"
#include "resource_ids.h"

TEST(MainApp, StartUpRunsTheMainDialogToItsEndAndReturnsFalse) {
  ScriptedBackend backend;
  int shownTemplate = 0;
  int mainWindowTemplate = 0;
  backend.Then([&] {
    shownTemplate = backend.ActiveWindow() ? backend.ActiveWindow()->Template().id : 0;
    // Read while the dialog runs: it lives on InitInstance's stack.
    if (theApp.m_pMainWnd != nullptr) mainWindowTemplate = theApp.m_pMainWnd->TemplateId();
  });
  backend.Escape();
  EXPECT_FALSE(theApp.InitInstance());
  EXPECT_EQ(shownTemplate, IDD_QUILLMAR_DIALOG);
  EXPECT_EQ(mainWindowTemplate, IDD_QUILLMAR_DIALOG);
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
  EXPECT_TRUE(backend.Problems().empty());
}

TEST(MainApp, AFolderFromTheCommandLineWaitsInTheDirectoryBoxAndNothingStarts) {
  ScriptedBackend backend;
  std::string directory, files, title;
  backend.Then([&] {
    directory = backend.ActiveWindow()->GetItemText(IDC_DIRECTORY);
    files = backend.ActiveWindow()->GetItemText(IDC_FILES);
    title = backend.ActiveWindow()->Title();
  });
  backend.Escape();
  theApp.m_strStartDirectory = "/home/user/Documents";
  theApp.InitInstance();
  theApp.m_strStartDirectory.clear();
  EXPECT_EQ(directory, "/home/user/Documents");
  EXPECT_EQ(files, "");
  EXPECT_EQ(title, "Quillmar");
  EXPECT_TRUE(backend.Messages().empty());
  EXPECT_TRUE(backend.Problems().empty());
}
