// The Win32 dialog window: creation from the in-memory template, the modal loop, and the
// translation of the platform's messages into the framework's notifications.
#include "win32_dialog_window.h"

#include <algorithm>

#include "framework/resources.h"
#include "memory_template.h"
#include "win32_backend.h"

namespace {

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
  if (m_hwnd != nullptr) ShowTemplateIcons();
}

Win32DialogWindow::~Win32DialogWindow() {
  if (m_hwnd != nullptr) {
    ::SetWindowLongPtrA(m_hwnd, DWLP_USER, 0);
    ::DestroyWindow(m_hwnd);
  }
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
  return static_cast<int>(SendToItem(id, LB_GETCOUNT, 0, 0));
}

int Win32DialogWindow::ListCaret(int id) const {
  if (ListCount(id) <= 0) return LB_ERR;
  return static_cast<int>(SendToItem(id, LB_GETCARETINDEX, 0, 0));
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
  const LRESULT length = SendToItem(id, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got =
      SendToItem(id, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

int Win32DialogWindow::ListInsert(int id, int index, const std::string& text) {
  return static_cast<int>(SendToItem(id, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(text.c_str())));
}

int Win32DialogWindow::ListDelete(int id, int index) {
  return static_cast<int>(SendToItem(id, LB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

void Win32DialogWindow::ListReset(int id) { SendToItem(id, LB_RESETCONTENT, 0, 0); }

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
