// CUnprotectedDlg: what the last clean could not protect, shown once the walk has ended.
// The list is read-only text, so it can be scrolled, selected and copied.
//
//   +- Quillmar - not protected ------------------------------[x]+
//   | Quillmar could not fully protect these files and folders:   |
//   | +--------------------------------------------------------+ |
//   | | Also in /home/me/.local/share/quillmar/backups/unpro... | |  1010
//   | | /home/me/docs/a;b.txt                                   | |
//   | |     its path holds ";", which the restoration list ...  | |
//   | +--------------------------------------------------------+ |
//   |                                                   [  OK  ] |
//   +-------------------------------------------------------------+
#pragma once

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "store/unprotected_report.h"

class CUnprotectedDlg : public CDialog {
 public:
  // reportPath names the file the items were also written to; empty when none was written.
  CUnprotectedDlg(const std::vector<UnprotectedItem>& items, std::string reportPath);
  ~CUnprotectedDlg() override;

  // The text the list shows: where the report is, then each path with its reason below it.
  std::string ListText() const;

 protected:
  const MessageMap* GetMessageMap() const override;
  BOOL OnInitDialog() override;

 private:
  const std::vector<UnprotectedItem>& m_items;
  std::string m_reportPath;
};

// Dialog template 131, registered as a resource.
const DialogTemplate& UnprotectedDlgTemplate();
