// The Win32 dialog window: creation from the in-memory template, the modal loop, and the
// translation of the platform's messages into the framework's notifications.
#include "win32_dialog_window.h"

#include <algorithm>

#include "framework/control_anchors.h"
#include "framework/resources.h"
#include "memory_template.h"
#include "win32_backend.h"
#include "win32_list_box.h"

namespace {

// Posted once items were appended to a list box: they reach it before the next paint.
constexpr UINT kSyncListBoxes = WM_APP + 1;

// Disables the program's other windows while a modal run lasts and enables them again at
// its end, so that a nested dialog holds the handler that opened it.
class OtherWindowsDisabled {
 public:
  explicit OtherWindowsDisabled(HWND modal) : m_modal(modal) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    for (HWND window : m_disabled) ::EnableWindow(window, FALSE);
  }
  ~OtherWindowsDisabled() {
    for (HWND window : m_disabled) ::EnableWindow(window, TRUE);
  }
  OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
  OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM context) {
    auto* self = reinterpret_cast<OtherWindowsDisabled*>(context);
    if (window != self->m_modal && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
      self->m_disabled.push_back(window);
    }
    return TRUE;
  }

  HWND m_modal;
  std::vector<HWND> m_disabled;
};

// The dialogs speak in the system's own message font, as the platform's message boxes do,
// and are laid out from it.
std::vector<std::uint16_t> TemplateInTheSystemsFont(const DialogTemplate& dialogTemplate) {
  const std::optional<ShellDialogFont> font = SystemMessageFont();
  return BuildMemoryTemplate(dialogTemplate, font ? &*font : nullptr);
}

// A point on the screen packed into a message's lParam, whose halves are signed: left of or
// above the primary monitor they are negative.
POINT UnpackPoint(LPARAM packed) {
  return POINT{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
}

}  // namespace

Win32DialogWindow::Win32DialogWindow(Win32Backend& backend, const DialogTemplate& dialogTemplate,
                                     MessageTarget& target)
    : m_backend(backend),
      m_template(dialogTemplate),
      m_target(target),
      m_memoryTemplate(TemplateInTheSystemsFont(dialogTemplate)) {
  m_hwnd = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEA>(m_memoryTemplate.data()),
                                        nullptr, &DialogProc, reinterpret_cast<LPARAM>(this));
  if (m_hwnd != nullptr) {
    ShowTemplateIcons();
    MakeListBoxes();
    NoteLayout();
  }
}

Win32DialogWindow::~Win32DialogWindow() {
  if (m_hwnd != nullptr) {
    ::SetWindowLongPtrA(m_hwnd, DWLP_USER, 0);
    ::DestroyWindow(m_hwnd);
  }
}

std::vector<HWND> Win32DialogWindow::TemplateControls() const {
  std::vector<HWND> controls;
  for (HWND child = ::GetWindow(m_hwnd, GW_CHILD);
       child != nullptr && controls.size() < m_template.controls.size();
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    controls.push_back(child);
  }
  return controls;
}

void Win32DialogWindow::MakeListBoxes() {
  for (const ControlTemplate& control : m_template.controls) {
    if (control.cls != ControlClass::ListBox) continue;
    HWND list = ::GetDlgItem(m_hwnd, control.id);
    if (list == nullptr) continue;
    HWND typing = control.typingGoesTo != 0 ? ::GetDlgItem(m_hwnd, control.typingGoesTo) : nullptr;
    m_lists.push_back(std::make_unique<Win32ListBox>(control.id, list, typing));
  }
}

Win32ListBox* Win32DialogWindow::FindList(int id) const {
  // By the id each list was made with: asking the platform for the control by its id, once
  // for every item of a long list, costs seconds under Wine.
  for (const auto& list : m_lists) {
    if (list->Id() == id) return list.get();
  }
  return nullptr;
}

void Win32DialogWindow::NoteLayout() {
  RECT client{}, window{};
  ::GetClientRect(m_hwnd, &client);
  ::GetWindowRect(m_hwnd, &window);
  m_templateClient = {client.right, client.bottom};
  m_smallestWindow = {window.right - window.left, window.bottom - window.top};
  const std::vector<HWND> controls = TemplateControls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const unsigned anchors = m_template.controls[i].anchors;
    if (anchors == 0) continue;
    RECT placed{};
    ::GetWindowRect(controls[i], &placed);
    ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&placed), 2);
    m_anchored.push_back({controls[i], placed, anchors});
  }
}

void Win32DialogWindow::FollowSize() {
  if (m_anchored.empty()) return;
  RECT client{};
  ::GetClientRect(m_hwnd, &client);
  const int widthGrowth = std::max<int>(0, client.right - m_templateClient.cx);
  const int heightGrowth = std::max<int>(0, client.bottom - m_templateClient.cy);
  HDWP moves = ::BeginDeferWindowPos(static_cast<int>(m_anchored.size()));
  for (const Anchored& each : m_anchored) {
    const PlacedRect to =
        FollowDialogSize({each.placed.left, each.placed.top, each.placed.right - each.placed.left,
                          each.placed.bottom - each.placed.top},
                         each.anchors, widthGrowth, heightGrowth);
    if (moves != nullptr) {
      moves = ::DeferWindowPos(moves, each.control, nullptr, to.x, to.y, to.width, to.height,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (moves != nullptr) ::EndDeferWindowPos(moves);
  // The places the controls left show the dialog's background again.
  ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    reinterpret_cast<Win32DialogWindow*>(lParam)->m_hwnd = hwnd;
    // No focus yet: the modal run gives it once the window is shown, so that nothing is
    // notified before the dialog's own initialisation.
    return FALSE;
  }
  auto* self = reinterpret_cast<Win32DialogWindow*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  return self == nullptr ? FALSE : self->OnMessage(message, wParam, lParam);
}

INT_PTR Win32DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      // The program's own change of a control's text is no user's edit.
      if (m_settingText) return TRUE;
      m_target.SendMessage(WM_COMMAND, MakeCommandWParam(CommandCode(wParam), CommandId(wParam)),
                           lParam);
      return TRUE;
    }
    case WM_CLOSE:
      m_target.SendMessage(WM_CLOSE, 0, 0);
      return TRUE;
    case WM_CONTEXTMENU:
      return OnContextMenu(reinterpret_cast<HWND>(wParam), lParam) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
      // The program's own items, and Close; moving, sizing and minimising stay the
      // platform's.
      if ((wParam & 0xFFF0) < 0xF000 || (wParam & 0xFFF0) == SC_CLOSE) {
        m_target.SendMessage(WM_SYSCOMMAND, wParam, lParam);
        return TRUE;
      }
      return FALSE;
    case WM_SHOWWINDOW:
      m_target.SendMessage(WM_SHOWWINDOW, wParam, lParam);
      return FALSE;
    case WM_PAINT:
      // Only a minimised window is the program's to paint; the rest is the dialog's.
      if (::IsIconic(m_hwnd)) {
        PAINTSTRUCT paint;
        ::BeginPaint(m_hwnd, &paint);
        ::EndPaint(m_hwnd, &paint);
        m_target.SendMessage(WM_PAINT, 0, 0);
        return TRUE;
      }
      return FALSE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      Win32ListBox* list = FindList(static_cast<int>(item->CtlID));
      if (list == nullptr || item->CtlType != ODT_LISTBOX) return FALSE;
      list->Draw(*item);
      return TRUE;
    }
    case WM_CHARTOITEM:
      // Answered directly by the dialog procedure's result: -1 leaves the key to the list.
      for (const auto& list : m_lists) {
        if (list->Handle() == reinterpret_cast<HWND>(lParam)) {
          return list->OnCharacter(LOWORD(wParam));
        }
      }
      return -1;
    case WM_VKEYTOITEM:
      return -1;
    case kSyncListBoxes:
      for (const auto& list : m_lists) list->Sync();
      return TRUE;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) FollowSize();
      return FALSE;
    case WM_GETMINMAXINFO:
      if (!m_anchored.empty()) {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {m_smallestWindow.cx, m_smallestWindow.cy};
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON: {
      const auto* icon =
          reinterpret_cast<const Icon*>(m_target.SendMessage(WM_QUERYDRAGICON, 0, 0));
      if (icon == nullptr) return FALSE;
      return reinterpret_cast<INT_PTR>(m_backend.Icons().For(*icon, ::GetSystemMetrics(SM_CXICON)));
    }
    default:
      return FALSE;
  }
}

bool Win32DialogWindow::IsListBox(int id) const {
  return std::any_of(
      m_template.controls.begin(), m_template.controls.end(),
      [id](const ControlTemplate& c) { return c.id == id && c.cls == ControlClass::ListBox; });
}

bool Win32DialogWindow::OnContextMenu(HWND source, LPARAM screenPoint) {
  const int id = source == m_hwnd ? 0 : ::GetDlgCtrlID(source);
  if (screenPoint != -1 && IsListBox(id)) {
    POINT point = UnpackPoint(screenPoint);
    ::ScreenToClient(source, &point);
    const LRESULT item = ::SendMessageA(source, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    // The high word is nonzero for a point below the last item.
    if (HIWORD(item) == 0) ::SendMessageA(source, LB_SETCARETINDEX, LOWORD(item), FALSE);
  }
  m_contextPoint = screenPoint;
  const bool shown = m_target.SendMessage(WM_CONTEXTMENU, static_cast<WPARAM>(id), 0) != 0;
  m_contextPoint = -1;
  return shown;
}

void Win32DialogWindow::ShowContextMenu(int id, const std::vector<MenuItem>& items) {
  HMENU menu = ::CreatePopupMenu();
  if (menu == nullptr) return;
  for (const MenuItem& item : items) {
    ::AppendMenuA(menu, item.flags, item.commandId,
                  (item.flags & MF_SEPARATOR) ? nullptr : item.text.c_str());
  }
  POINT at = UnpackPoint(m_contextPoint);
  if (m_contextPoint == -1) {
    // From the keyboard: at the list's caret item, or at the control's corner.
    HWND control = id == 0 ? m_hwnd : ::GetDlgItem(m_hwnd, id);
    RECT place{};
    const int caret = IsListBox(id) ? ListCaret(id) : LB_ERR;
    if (caret == LB_ERR || ::SendMessageA(control, LB_GETITEMRECT, static_cast<WPARAM>(caret),
                                          reinterpret_cast<LPARAM>(&place)) == LB_ERR) {
      ::GetClientRect(control, &place);
      place.bottom = place.top;
    }
    at = POINT{place.left, place.bottom};
    ::ClientToScreen(control, &at);
  }
  // The chosen item's WM_COMMAND is posted to the dialog once the menu has closed.
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd,
                   nullptr);
  ::DestroyMenu(menu);
}

void Win32DialogWindow::ShowTemplateIcons() {
  for (const ControlTemplate& control : m_template.controls) {
    if (control.iconResource == 0) continue;
    const Icon* icon = LoadIconResource(control.iconResource);
    if (icon == nullptr) continue;
    // The static has no id of its own; find it by its place among the children.
    HWND child = ::GetWindow(m_hwnd, GW_CHILD);
    for (const ControlTemplate& before : m_template.controls) {
      if (&before == &control || child == nullptr) break;
      child = ::GetWindow(child, GW_HWNDNEXT);
    }
    if (child == nullptr) continue;
    HICON handle = m_backend.Icons().For(*icon, ::GetSystemMetrics(SM_CXICON));
    ::SendMessageA(child, STM_SETICON, reinterpret_cast<WPARAM>(handle), 0);
  }
}

int Win32DialogWindow::RunModal() {
  if (m_hwnd == nullptr) return -1;
  m_ended = false;
  HWND outer = m_backend.InnermostModal();
  {
    OtherWindowsDisabled others(m_hwnd);
    m_backend.PushModal(m_hwnd);
    CenterOver(outer);
    ::ShowWindow(m_hwnd, SW_SHOWNORMAL);
    ::SetForegroundWindow(m_hwnd);
    // The first control in tab order takes the focus, as a dialog's initialisation gives it.
    if (HWND first = ::GetNextDlgTabItem(m_hwnd, nullptr, FALSE)) ::SetFocus(first);
    RunLoop();
    m_backend.PopModal();
  }
  // The others are enabled again before this one goes, so that the platform can give the
  // activation back to the one that opened it. Hidden as the platform's own end of a modal
  // dialog hides it: ShowWindow would send a second show notification, on which a dialog
  // that loads when shown would load again.
  ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (outer != nullptr) ::SetForegroundWindow(outer);
  return m_result;
}

void Win32DialogWindow::RunLoop() {
  MSG msg;
  while (!m_ended) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Someone asked the program to quit: end this run and leave the request for the
      // outer ones.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_result = IDCANCEL;
      return;
    }
    if (got < 0) return;
    if (!::IsDialogMessageA(m_hwnd, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
}

// Over the window that opened this one, or the middle of the screen's work area for the
// first; kept inside the work area.
void Win32DialogWindow::CenterOver(HWND outer) {
  RECT area{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  if (outer != nullptr) ::GetWindowRect(outer, &around);
  RECT own{};
  ::GetWindowRect(m_hwnd, &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  int x = (around.left + around.right - width) / 2;
  int y = (around.top + around.bottom - height) / 2;
  x = std::max<int>(area.left, std::min<int>(x, area.right - width));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
  ::SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DialogWindow::EndModal(int result) {
  m_result = result;
  m_ended = true;
  // Wakes the loop if it is waiting.
  ::PostMessageA(m_hwnd, WM_NULL, 0, 0);
}

LRESULT Win32DialogWindow::SendToItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  // A list box hears nothing before the items appended to it.
  if (Win32ListBox* list = FindList(id)) list->Sync();
  return ::SendDlgItemMessageA(m_hwnd, id, message, wParam, lParam);
}

std::string Win32DialogWindow::GetItemText(int id) const {
  HWND item = ::GetDlgItem(m_hwnd, id);
  if (item == nullptr) return {};
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(item)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(::GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Win32DialogWindow::SetItemText(int id, const std::string& text) {
  m_settingText = true;
  HWND control = ::GetDlgItem(m_hwnd, id);
  if (control != nullptr && (::GetWindowLongA(control, GWL_STYLE) & ES_MULTILINE)) {
    // A multi-line edit control breaks lines only at CR LF.
    std::string lines;
    for (const char c : text) {
      if (c == '\n') lines += '\r';
      lines += c;
    }
    ::SetWindowTextA(control, lines.c_str());
  } else {
    ::SetDlgItemTextA(m_hwnd, id, text.c_str());
  }
  m_settingText = false;
}

void Win32DialogWindow::SetTitle(const std::string& title) {
  ::SetWindowTextA(m_hwnd, title.c_str());
}

int Win32DialogWindow::ListCount(int id) const {
  const Win32ListBox* list = FindList(id);
  return list ? list->Count() : LB_ERR;
}

int Win32DialogWindow::ListCaret(int id) const {
  Win32ListBox* list = FindList(id);
  return list ? list->Caret() : LB_ERR;
}

void Win32DialogWindow::ListSetCaret(int id, int index) {
  if (Win32ListBox* list = FindList(id)) list->SetCaret(index);
}

std::vector<int> Win32DialogWindow::ListSelection(int id) const {
  const LRESULT count = SendToItem(id, LB_GETSELCOUNT, 0, 0);
  if (count == LB_ERR || count <= 0) return {};
  std::vector<int> rows(static_cast<std::size_t>(count));
  const LRESULT got = SendToItem(id, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                 reinterpret_cast<LPARAM>(rows.data()));
  rows.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return rows;
}

std::string Win32DialogWindow::ListText(int id, int index) const {
  const Win32ListBox* list = FindList(id);
  return list ? list->Text(index) : std::string();
}

int Win32DialogWindow::ListInsert(int id, int index, const std::string& text) {
  Win32ListBox* list = FindList(id);
  if (list == nullptr) return LB_ERR;
  const bool waiting = list->Waiting();
  const int inserted = list->Insert(index, text);
  if (!waiting && list->Waiting()) ::PostMessageA(m_hwnd, kSyncListBoxes, 0, 0);
  return inserted;
}

int Win32DialogWindow::ListDelete(int id, int index) {
  Win32ListBox* list = FindList(id);
  return list ? list->Delete(index) : LB_ERR;
}

void Win32DialogWindow::ListReset(int id) {
  if (Win32ListBox* list = FindList(id)) list->Reset();
}

bool Win32DialogWindow::HasSystemMenu() const {
  return (::GetWindowLongA(m_hwnd, GWL_STYLE) & WS_SYSMENU) != 0 &&
         ::GetSystemMenu(m_hwnd, FALSE) != nullptr;
}

void Win32DialogWindow::AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) {
  HMENU menu = ::GetSystemMenu(m_hwnd, FALSE);
  if (menu == nullptr) return;
  ::AppendMenuA(menu, flags, commandId, (flags & MF_SEPARATOR) ? nullptr : text.c_str());
}

void Win32DialogWindow::SetIcon(const Icon& icon, bool big) {
  const int size = ::GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
  HICON handle = m_backend.Icons().For(icon, size);
  ::SendMessageA(m_hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(handle));
}

bool Win32DialogWindow::IsIconic() const { return ::IsIconic(m_hwnd) != FALSE; }

ClientRect Win32DialogWindow::GetClientRect() const {
  RECT rect{};
  ::GetClientRect(m_hwnd, &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void Win32DialogWindow::DrawIcon(int x, int y, const Icon& icon) {
  const int size = ::GetSystemMetrics(SM_CXICON);
  HDC dc = ::GetDC(m_hwnd);
  ::DrawIconEx(dc, x, y, m_backend.Icons().For(icon, size), size, size, 0, nullptr, DI_NORMAL);
  ::ReleaseDC(m_hwnd, dc);
}
