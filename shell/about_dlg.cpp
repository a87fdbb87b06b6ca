// The About box: no handlers of its own; the framework dialog's OK and Cancel end it.
#include "about_dlg.h"

#include "resource_ids.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

const MessageMap* CAboutDlg::GetMessageMap() const {
  static const MessageMap kMap{&CDialog::messageMap, {}};
  return &kMap;
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }
