// CDialog: the modal run, message dispatch through the chained tables with default handling,
// and data exchange between controls and members.
#include "dialog.h"

#include "list_box.h"
#include "resources.h"

const MessageMap CDialog::messageMap{nullptr, {}};

CDialog::CDialog(int templateId) : m_templateId(templateId) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  const DialogTemplate* dialogTemplate = FindDialogTemplate(m_templateId);
  if (dialogTemplate == nullptr) return -1;
  m_window = CurrentWindowBackend().CreateDialogWindow(*dialogTemplate, *this);
  if (!m_window) return -1;
  OnInitDialog();
  const int result = m_window->RunModal();
  m_window.reset();
  return result;
}

void CDialog::EndDialog(int result) {
  if (m_window) m_window->EndModal(result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dataExchange(*this, saveAndValidate);
  DoDataExchange(&dataExchange);
  return true;
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
    for (const MessageMapEntry& entry : map->entries) {
      if (entry.message != message) continue;
      if (message == WM_COMMAND &&
          (entry.code != CommandCode(wParam) || entry.id != CommandId(wParam))) {
        continue;
      }
      return entry.handler(*this, wParam, lParam);
    }
  }
  return DefaultHandling(message, wParam, lParam);
}

int CDialog::MessageBox(const std::string& text, const std::string& caption, UINT style) {
  return CurrentWindowBackend().MessageBox(text, caption, style);
}

const MessageMap* CDialog::GetMessageMap() const { return &messageMap; }

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return 1;
}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnClose() { OnCancel(); }

void CDialog::OnSysCommand(UINT id, LPARAM /*lParam*/) {
  // The low four bits of a system command are the window manager's own.
  if ((id & 0xFFF0) == SC_CLOSE) SendMessage(WM_CLOSE, 0, 0);
}

void CDialog::OnPaint() {}

void CDialog::OnShowWindow(BOOL /*show*/, UINT /*status*/) {}

LRESULT CDialog::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (CommandCode(wParam) == BN_CLICKED) {
        if (CommandId(wParam) == IDOK) OnOK();
        if (CommandId(wParam) == IDCANCEL) OnCancel();
      }
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_SYSCOMMAND:
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SHOWWINDOW:
      OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
      return 0;
    default:
      return 0;
  }
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
  DialogWindow* window = pDX->Dialog().Window();
  if (window == nullptr) return;
  if (pDX->m_bSaveAndValidate) {
    value = window->GetItemText(id);
  } else {
    window->SetItemText(id, value);
  }
}

void DDX_Control(CDataExchange* pDX, int id, CListBox& control) {
  control.Attach(pDX->Dialog(), id);
}
