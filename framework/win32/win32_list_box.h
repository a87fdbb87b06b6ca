// The list boxes of the Win32 backend keep their items themselves and show them through a
// no-data list box (LBS_NODATA, owner-drawn rows of one height): the platform's list box then
// holds only the highlight of each row, so a list of 200,000 paths fills in one call instead
// of 200,000 string copies, each of which would also move its scroll bar. Appended items
// reach the platform's list box in one batch, before anything else asks it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/windows_api.h"

// The style of a template's list box as the backend creates it: no data, owner-drawn rows of
// one height, keys passed to the dialog first; no strings and no sorting of its own.
std::uint32_t NoDataListBoxStyle(std::uint32_t templateStyle);

class Win32ListBox {
 public:
  // list is the platform's control, of control id id; typingTarget the edit box that takes
  // the letters typed into the list (null for none). Both belong to the same dialog, which
  // outlives this.
  Win32ListBox(int id, HWND list, HWND typingTarget);
  Win32ListBox(const Win32ListBox&) = delete;
  Win32ListBox& operator=(const Win32ListBox&) = delete;

  int Id() const { return m_id; }
  HWND Handle() const { return m_list; }
  int Count() const { return static_cast<int>(m_items.size()); }
  // Empty when index is out of range.
  std::string Text(int index) const;
  // Insert and Delete keep the caret on its item as list_box_caret.h says, whatever the
  // platform's list box would do.
  // index -1 appends; returns the new item's index or LB_ERR.
  int Insert(int index, const std::string& text);
  // Returns the number of items left, or LB_ERR.
  int Delete(int index);
  void Reset();
  // The item with the focus rectangle, LB_ERR when there is none.
  int Caret();
  // Moves the caret to index and scrolls it into view; the highlight stays.
  void SetCaret(int index);

  // Brings the platform's list box up to date with the appended items; every message sent
  // to it by others must follow this.
  void Sync();
  // True while appended items wait for Sync.
  bool Waiting() const { return m_synced != Count(); }

  // WM_DRAWITEM for this list: the row's text in the system's colours, and the focus
  // rectangle on the caret row even while the keyboard is elsewhere, since Restore acts on it.
  void Draw(const DRAWITEMSTRUCT& item);
  // WM_CHARTOITEM: a letter goes to the typing target, which takes the keyboard; returns
  // what the dialog procedure answers (-2 handled, -1 the list box's own handling).
  INT_PTR OnCharacter(unsigned character);
  // The text of a row as it is drawn: the program's code page widened.
  std::wstring ShownText(int index) const;

 private:
  // Widens the horizontal scroll range once the longest text in bytes, which stands in for
  // the widest, grows: measuring every one would cost what the no-data list saves.
  void FitHorizontalExtent();

  int m_id;
  HWND m_list;
  HWND m_typingTarget;
  std::vector<std::string> m_items;
  int m_synced = 0;  // how many items the platform's list box holds
  std::size_t m_longest = 0;
  std::size_t m_measured = 0;  // the length of the text the extent was last measured for
};
