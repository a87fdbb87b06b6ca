// The find box of the restoration list: the search and the two handlers that run it.
#include "restore/restore_list_find.h"

#include <algorithm>
#include <string>

#include "restore/restore_list_dlg.h"

namespace {

char FoldedCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool Contains(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [](char a, char b) { return FoldedCase(a) == FoldedCase(b); }) != text.end();
}

}  // namespace

int FindEntryContaining(const CListBox& list, int from, std::string_view part) {
  const int count = list.GetCount();
  if (part.empty() || count <= 0) return LB_ERR;
  if (from < 0 || from >= count) from = 0;
  for (int step = 0; step < count; ++step) {
    const int index = (from + step) % count;
    if (Contains(list.GetText(index), part)) return index;
  }
  return LB_ERR;
}

void CRestoreListDlg::OnFindChange() { FindEntry(false); }

void CRestoreListDlg::OnFindNext() { FindEntry(true); }

void CRestoreListDlg::FindEntry(bool afterCaret) {
  DialogWindow* window = Window();
  if (window == nullptr) return;
  const std::string part = window->GetItemText(IDC_FIND);
  const int caret = m_lbEntries.GetCurSel();
  // As the text grows the entry in hand may still hold it; Find Next looks past it.
  const int from = caret == LB_ERR ? 0 : caret + (afterCaret ? 1 : 0);
  const int found = FindEntryContaining(m_lbEntries, from, part);
  const std::string status = found == LB_ERR && !part.empty() ? kNoEntryFound : "";
  // Only a change: a label set anew lays the whole window out again.
  if (window->GetItemText(IDC_FIND_STATUS) != status) window->SetItemText(IDC_FIND_STATUS, status);
  if (found != LB_ERR) m_lbEntries.SetCaretIndex(found);
}
