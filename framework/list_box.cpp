// CListBox: forwards each operation to the bound dialog's live window.
#include "list_box.h"

#include "dialog.h"

namespace {
DialogWindow* WindowOf(const CDialog* dialog) {
  return dialog == nullptr ? nullptr : dialog->Window();
}
}  // namespace

void CListBox::Attach(CDialog& dialog, int id) {
  m_dialog = &dialog;
  m_id = id;
}

int CListBox::GetCount() const {
  DialogWindow* window = WindowOf(m_dialog);
  return window ? window->ListCount(m_id) : LB_ERR;
}

int CListBox::GetCurSel() const {
  DialogWindow* window = WindowOf(m_dialog);
  return window ? window->ListCaret(m_id) : LB_ERR;
}

int CListBox::SetCaretIndex(int index) {
  DialogWindow* window = WindowOf(m_dialog);
  if (window == nullptr || index < 0 || index >= window->ListCount(m_id)) return LB_ERR;
  window->ListSetCaret(m_id, index);
  return 0;
}

std::vector<int> CListBox::GetSelItems() const {
  DialogWindow* window = WindowOf(m_dialog);
  return window ? window->ListSelection(m_id) : std::vector<int>{};
}

std::string CListBox::GetText(int index) const {
  DialogWindow* window = WindowOf(m_dialog);
  if (window == nullptr || index < 0 || index >= window->ListCount(m_id)) return {};
  return window->ListText(m_id, index);
}

int CListBox::InsertString(int index, const std::string& text) {
  DialogWindow* window = WindowOf(m_dialog);
  return window ? window->ListInsert(m_id, index, text) : LB_ERR;
}

int CListBox::DeleteString(int index) {
  DialogWindow* window = WindowOf(m_dialog);
  return window ? window->ListDelete(m_id, index) : LB_ERR;
}

void CListBox::ResetContent() {
  if (DialogWindow* window = WindowOf(m_dialog)) window->ListReset(m_id);
}

int CListBox::FindStringExact(int startAfter, const std::string& text) const {
  DialogWindow* window = WindowOf(m_dialog);
  if (window == nullptr) return LB_ERR;
  const int count = window->ListCount(m_id);
  if (count <= 0) return LB_ERR;
  // A start outside the list searches the whole list from item 0.
  const int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
  for (int step = 0; step < count; ++step) {
    const int index = (first + step) % count;
    if (window->ListText(m_id, index) == text) return index;
  }
  return LB_ERR;
}
