// CListBox: the control object of a list box, bound to a dialog's control by DDX_Control.
// Every operation on an unbound object, or outside a modal run, returns LB_ERR or nothing.
#pragma once

#include <string>
#include <vector>

class CDialog;

class CListBox {
 public:
  CListBox() = default;
  CListBox(const CListBox&) = delete;
  CListBox& operator=(const CListBox&) = delete;

  void Attach(CDialog& dialog, int id);
  bool IsBound() const { return m_dialog != nullptr; }

  int GetCount() const;
  // The caret item of a multiple-selection list box, or LB_ERR.
  int GetCurSel() const;
  // Moves the caret to index and scrolls it into view, leaving the highlight alone. LB_ERR
  // when index is out of range.
  int SetCaretIndex(int index);
  // The highlighted items, in list order (empty when none is, or unbound).
  std::vector<int> GetSelItems() const;
  // Empty when index is out of range.
  std::string GetText(int index) const;
  // index -1 appends. Returns the new item's index or LB_ERR.
  int InsertString(int index, const std::string& text);
  // Returns the count left or LB_ERR.
  int DeleteString(int index);
  void ResetContent();
  // The first item whose whole text equals text (case-sensitively), searching from the item
  // after startAfter to the end, then wrapping to the start. -1 searches from item 0.
  // Returns LB_ERR when there is none.
  int FindStringExact(int startAfter, const std::string& text) const;

 private:
  CDialog* m_dialog = nullptr;
  int m_id = 0;
};
