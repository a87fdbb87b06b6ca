// The window of unprotected files, and its template: a label, the read-only list and OK.
#include "unprotected_dlg.h"

#include <utility>

#include "framework/resources.h"
#include "resource_ids.h"

CUnprotectedDlg::CUnprotectedDlg(const std::vector<UnprotectedItem>& items,
                                 std::string reportPath)
    : CDialog(IDD_UNPROTECTED), m_items(items), m_reportPath(std::move(reportPath)) {}

CUnprotectedDlg::~CUnprotectedDlg() = default;

const MessageMap* CUnprotectedDlg::GetMessageMap() const {
  static const MessageMap kMap{&CDialog::messageMap, {}};
  return &kMap;
}

std::string CUnprotectedDlg::ListText() const {
  std::string text;
  if (!m_reportPath.empty()) text = "This list is also in " + m_reportPath + "\n\n";
  for (const UnprotectedItem& item : m_items) {
    text += item.path;
    text += "\n    ";
    text += item.reason;
    text += '\n';
  }
  return text;
}

BOOL CUnprotectedDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (Window() != nullptr) Window()->SetItemText(IDC_UNPROTECTED_LIST, ListText());
  return true;
}

const DialogTemplate& UnprotectedDlgTemplate() {
  static const DialogTemplate kTemplate{
      IDD_UNPROTECTED,
      0x80C800C8,  // popup, caption, system menu, modal frame, set font, fixed-sys; not visible
      0,
      0,
      0,
      320,
      170,
      "Quillmar - not protected",
      {"MS Shell Dlg", 8, 0, false, 1},
      {
          {-1, ControlClass::Static, "Quillmar could not fully protect these files and folders:",
           0x50020000, 7, 7, 306, 8},
          // Read-only text of several lines with both scroll bars, border, tab stop.
          {IDC_UNPROTECTED_LIST, ControlClass::Edit, "",
           0x40000000 | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
               ES_MULTILINE | ES_READONLY,
           7, 18, 306, 126},
          // Default push button, group, tab stop.
          {IDOK, ControlClass::Button, "OK", 0x50030001, 263, 149, 50, 14},
      }};
  return kTemplate;
}

namespace {
const ResourceRegistration kUnprotectedTemplateRegistration(UnprotectedDlgTemplate());
}  // namespace
