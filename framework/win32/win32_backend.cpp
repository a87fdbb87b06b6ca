// The Win32 backend: start-up of the common controls and COM, the platform's message box and
// folder browser, system metrics and the repaint pump used during a walk.
#include "win32_backend.h"

#include "win32_dialog_window.h"

namespace {

// The browser's caption says what its text above the tree says.
int CALLBACK TitleTheBrowser(HWND window, UINT message, LPARAM /*lParam*/, LPARAM title) {
  if (message == BFFM_INITIALIZED) ::SetWindowTextA(window, reinterpret_cast<const char*>(title));
  return 0;
}

}  // namespace

Win32Backend::Win32Backend() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The folder browser is a COM object; single-threaded, as the program is.
  m_comStarted = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

Win32Backend::~Win32Backend() {
  if (m_comStarted) ::CoUninitialize();
}

std::unique_ptr<DialogWindow> Win32Backend::CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                               MessageTarget& target) {
  auto window = std::make_unique<Win32DialogWindow>(*this, dialogTemplate, target);
  if (window->Handle() == nullptr) return nullptr;
  return window;
}

int Win32Backend::MessageBox(const std::string& text, const std::string& caption, UINT style) {
  return ::MessageBoxA(InnermostModal(), text.c_str(), caption.c_str(), style);
}

std::optional<std::string> Win32Backend::BrowseForPath(const std::string& title) {
  char display[MAX_PATH] = "";
  BROWSEINFOA info{};
  // No owner: the main dialog stays usable while the browser is open.
  info.hwndOwner = nullptr;
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_BROWSEINCLUDEFILES | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = &TitleTheBrowser;
  info.lParam = reinterpret_cast<LPARAM>(title.c_str());
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderA(&info);
  if (chosen == nullptr) return std::nullopt;
  char path[MAX_PATH] = "";
  const BOOL isPath = ::SHGetPathFromIDListA(chosen, path);
  ::CoTaskMemFree(chosen);
  // An item with no file-system path (Control Panel, a printer) keeps the old directory.
  if (!isPath) return std::nullopt;
  return std::string(path);
}

int Win32Backend::GetSystemMetrics(int index) const { return ::GetSystemMetrics(index); }

void Win32Backend::KeepResponsive() {
  // What the user did meanwhile is dropped, not kept for later: a click or key handled now
  // would start a handler in the middle of the work that called us, and one handled after
  // it would act on a screen the user no longer saw (a second walk from a second click).
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
  }
  // Repaints and messages sent by other threads go through.
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    ::DispatchMessageA(&msg);
  }
}
