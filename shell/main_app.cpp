// The application object and its start-up sequence.
#include "main_app.h"

#include "main_dlg.h"

CMainApp theApp;

BOOL CMainApp::InitInstance() {
  // The platform's start-up chores (common-controls initialisation, the framework's own
  // per-instance set-up, control containers, the settings key that nothing reads) have no
  // counterpart here: the window backend is installed before this runs.
  CMainDlg dlg(m_strStartDirectory);
  m_pMainWnd = &dlg;
  struct ForgetMainWindow {
    CMainApp& app;
    ~ForgetMainWindow() { app.m_pMainWnd = nullptr; }
  } forget{*this};
  dlg.DoModal();  // however it ends, the program ends with it
  return false;
}
