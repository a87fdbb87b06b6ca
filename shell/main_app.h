// CMainApp: the application object. Its start-up runs the main dialog to its end; the
// program has nothing else to do, so it ends when that dialog closes.
#pragma once

#include <string>

#include "framework/window_constants.h"

class CDialog;

class CMainApp {
 public:
  CMainApp() = default;
  CMainApp(const CMainApp&) = delete;
  CMainApp& operator=(const CMainApp&) = delete;

  // Runs the main dialog modally on the installed window backend and returns false, so that
  // no message loop of the application's own follows it.
  BOOL InitInstance();

  // The main dialog while it runs, null otherwise.
  CDialog* m_pMainWnd = nullptr;
  // The folder the Directory box shows when the main dialog opens (empty: none).
  std::string m_strStartDirectory;
};

// The one application object.
extern CMainApp theApp;
