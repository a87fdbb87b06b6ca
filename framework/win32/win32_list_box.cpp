// The Win32 backend's no-data list box: items kept here, drawn on request, appended items
// handed to the platform's list box in one LB_SETCOUNT.
#include "win32_list_box.h"

#include "framework/list_box_caret.h"

namespace {

constexpr int kTextMargin = 2;  // pixels left of the text, as the platform's own list box

// The handle of the list's font selected into its device context while the object lives.
class ListDC {
 public:
  explicit ListDC(HWND list) : m_list(list), m_dc(::GetDC(list)) {
    auto font = reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0));
    m_old = ::SelectObject(m_dc, font != nullptr ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  }
  ~ListDC() {
    ::SelectObject(m_dc, m_old);
    ::ReleaseDC(m_list, m_dc);
  }
  ListDC(const ListDC&) = delete;
  ListDC& operator=(const ListDC&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_list;
  HDC m_dc;
  HGDIOBJ m_old;
};

std::wstring Widened(const std::string& text) {
  if (text.empty()) return {};
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

}  // namespace

std::uint32_t NoDataListBoxStyle(std::uint32_t templateStyle) {
  return (templateStyle &
          ~static_cast<std::uint32_t>(LBS_SORT | LBS_HASSTRINGS | LBS_OWNERDRAWVARIABLE)) |
         LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_WANTKEYBOARDINPUT;
}

Win32ListBox::Win32ListBox(int id, HWND list, HWND typingTarget)
    : m_id(id), m_list(list), m_typingTarget(typingTarget) {
  // An owner-drawn list box measures its rows before the dialog's font reaches it; the rows
  // are as tall as that font's lines, as in the platform's own list box.
  ListDC dc(m_list);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.Get(), &metrics);
  if (metrics.tmHeight > 0) ::SendMessageA(m_list, LB_SETITEMHEIGHT, 0, metrics.tmHeight);
}

std::string Win32ListBox::Text(int index) const {
  if (index < 0 || index >= Count()) return {};
  return m_items[static_cast<std::size_t>(index)];
}

int Win32ListBox::Insert(int index, const std::string& text) {
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return LB_ERR;
  if (text.size() > m_longest) m_longest = text.size();
  if (index == Count()) {
    // Reaches the platform's list box with the rest of the batch, at the next Sync.
    m_items.push_back(text);
    return index;
  }
  Sync();
  const int caret = Caret();
  m_items.insert(m_items.begin() + index, text);
  ::SendMessageA(m_list, LB_INSERTSTRING, static_cast<WPARAM>(index), 0);
  ++m_synced;
  SetCaret(CaretAfterInsert(caret, index));
  FitHorizontalExtent();
  return index;
}

int Win32ListBox::Delete(int index) {
  if (index < 0 || index >= Count()) return LB_ERR;
  Sync();
  const int caret = Caret();
  m_items.erase(m_items.begin() + index);
  ::SendMessageA(m_list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  --m_synced;
  SetCaret(CaretAfterDelete(caret, index, Count()));
  return Count();
}

int Win32ListBox::Caret() {
  Sync();
  if (Count() == 0) return LB_ERR;
  return static_cast<int>(::SendMessageA(m_list, LB_GETCARETINDEX, 0, 0));
}

void Win32ListBox::SetCaret(int index) {
  if (index < 0 || index >= Count()) return;
  Sync();
  ::SendMessageA(m_list, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
}

void Win32ListBox::Reset() {
  m_items.clear();
  m_synced = 0;
  m_longest = m_measured = 0;
  ::SendMessageA(m_list, LB_RESETCONTENT, 0, 0);
  ::SendMessageA(m_list, LB_SETHORIZONTALEXTENT, 0, 0);
}

void Win32ListBox::Sync() {
  if (m_synced == Count()) return;
  const bool wasEmpty = m_synced == 0;
  ::SendMessageA(m_list, LB_SETCOUNT, static_cast<WPARAM>(Count()), 0);
  m_synced = Count();
  // A list that was empty starts with the caret on its first row, as when filled one by one.
  if (wasEmpty) ::SendMessageA(m_list, LB_SETCARETINDEX, 0, FALSE);
  FitHorizontalExtent();
}

void Win32ListBox::FitHorizontalExtent() {
  if (m_longest <= m_measured) return;
  m_measured = m_longest;
  const std::string* longest = nullptr;
  for (const std::string& item : m_items) {
    if (item.size() == m_longest) {
      longest = &item;
      break;
    }
  }
  if (longest == nullptr) return;
  const std::wstring wide = Widened(*longest);
  ListDC dc(m_list);
  SIZE size{};
  ::GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  ::SendMessageA(m_list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(size.cx + 3 * kTextMargin), 0);
}

std::wstring Win32ListBox::ShownText(int index) const { return Widened(Text(index)); }

void Win32ListBox::Draw(const DRAWITEMSTRUCT& item) {
  const int index = static_cast<int>(item.itemID);
  const bool highlighted = (item.itemState & ODS_SELECTED) != 0;
  RECT row = item.rcItem;
  ::FillRect(item.hDC, &row, ::GetSysColorBrush(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (index >= 0 && index < Count()) {
    const std::wstring text = ShownText(index);
    const int textColour = (item.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT
                           : highlighted                        ? COLOR_HIGHLIGHTTEXT
                                                                : COLOR_WINDOWTEXT;
    const COLORREF oldColour = ::SetTextColor(item.hDC, ::GetSysColor(textColour));
    const int oldMode = ::SetBkMode(item.hDC, TRANSPARENT);
    RECT textRect = row;
    textRect.left += kTextMargin;
    ::DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetBkMode(item.hDC, oldMode);
    ::SetTextColor(item.hDC, oldColour);
  }
  const LRESULT caret = ::SendMessageA(m_list, LB_GETCARETINDEX, 0, 0);
  if ((item.itemState & ODS_FOCUS) != 0 || (index >= 0 && caret == index)) {
    ::DrawFocusRect(item.hDC, &row);
  }
}

INT_PTR Win32ListBox::OnCharacter(unsigned character) {
  // Space toggles the caret row's highlight; other keys outside printable ASCII arrive here
  // cut to one byte of the code page, and are left to the list box.
  if (m_typingTarget == nullptr || character <= ' ' || character > '~') return -1;
  ::SetFocus(m_typingTarget);
  // After the text already there, as if typed at its end.
  const int length = ::GetWindowTextLengthA(m_typingTarget);
  ::SendMessageA(m_typingTarget, EM_SETSEL, static_cast<WPARAM>(length), length);
  ::SendMessageA(m_typingTarget, WM_CHAR, character, 0);
  return -2;
}
