// CAboutDlg: the About box that the main dialog's system menu opens. It shows the icon, the
// version line and one line about the program; OK, Enter, Escape or the close box end it.
//
//   +- About Quillmar ------------------------------+
//   |  [icon]  Quillmar Version 1.0         [  OK  ] |
//   |          Keeps copies you can restore.         |
//   +------------------------------------------------+
#pragma once

#include "framework/dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  ~CAboutDlg() override;

 protected:
  const MessageMap* GetMessageMap() const override;
  void DoDataExchange(CDataExchange* pDX) override;
};

// Dialog template 100, registered as a resource.
const DialogTemplate& AboutDlgTemplate();
