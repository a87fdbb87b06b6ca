// The Win32 backend: start-up of the common controls and COM, the platform's message box and
// folder browser, system metrics and the repaint pump used during a walk.
#include "win32_backend.h"

#include "win32_dialog_window.h"

namespace {

// What the browser needs once its window exists.
struct BrowserStart {
  const char* title;
  const char* folder;
};

// The browser's caption says what its text above the tree says, and the tree opens at the
// folder the caller chose.
int CALLBACK StartTheBrowser(HWND window, UINT message, LPARAM /*lParam*/, LPARAM data) {
  if (message != BFFM_INITIALIZED) return 0;
  const auto* start = reinterpret_cast<const BrowserStart*>(data);
  ::SetWindowTextA(window, start->title);
  if (start->folder[0] != '\0') {
    ::SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start->folder));
  }
  return 0;
}

// What the input asks of the work in hand: Escape to stop it; Alt+F4 or a press of a
// window's close box to stop it and close.
StopRequest RequestOf(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
      return msg.wParam == VK_ESCAPE ? StopRequest::Stop : StopRequest::Nothing;
    case WM_SYSKEYDOWN:
      return msg.wParam == VK_F4 ? StopRequest::Close : StopRequest::Nothing;
    case WM_NCLBUTTONDOWN:
      return msg.wParam == HTCLOSE ? StopRequest::Close : StopRequest::Nothing;
    default:
      return StopRequest::Nothing;
  }
}

// Text in the program's code page, widened for the calls that take only wide text.
std::wstring Widened(const std::string& text) {
  const int size =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// The task dialog's buttons for a message-box style.
TASKDIALOG_COMMON_BUTTON_FLAGS ButtonsOf(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return TDCBF_OK_BUTTON | TDCBF_CANCEL_BUTTON;
    case MB_YESNO:
      return TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
    default:
      return TDCBF_OK_BUTTON;
  }
}

// Close outweighs a plain stop.
StopRequest Stronger(StopRequest a, StopRequest b) {
  return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
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

int Win32Backend::MessageBoxWithCheck(const std::string& text, const std::string& detail,
                                      const std::string& caption, UINT style,
                                      const std::string& checkText, bool& checked) {
  checked = false;
  const std::wstring wideText = Widened(text), wideDetail = Widened(detail),
                     wideCaption = Widened(caption), wideCheck = Widened(checkText);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = InnermostModal();
  // Escape and the close box answer as a message box's would.
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = ButtonsOf(style);
  config.pszWindowTitle = wideCaption.c_str();
  config.pszMainIcon = (style & MB_ICONINFORMATION) != 0 ? TD_INFORMATION_ICON : nullptr;
  config.pszMainInstruction = wideText.c_str();
  if (!detail.empty()) config.pszContent = wideDetail.c_str();
  if (!checkText.empty()) config.pszVerificationText = wideCheck.c_str();
  // Looked up rather than imported: only version 6 of the common controls has it, and a
  // program that imported it would not start at all where an older one is loaded.
  using TaskDialogCall = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE controls = ::GetModuleHandleA("comctl32.dll");
  const auto taskDialog = controls == nullptr
                              ? nullptr
                              : reinterpret_cast<TaskDialogCall>(reinterpret_cast<void (*)()>(
                                    ::GetProcAddress(controls, "TaskDialogIndirect")));
  int button = 0;
  BOOL ticked = FALSE;
  if (taskDialog == nullptr || FAILED(taskDialog(&config, &button, nullptr, &ticked))) {
    // No task dialog: the question is still asked, for each file alone.
    return MessageBox(detail.empty() ? text : text + "\n\n" + detail, caption, style);
  }
  checked = ticked != FALSE;
  if (button == IDCANCEL && (style & MB_TYPEMASK) == MB_YESNO) return IDNO;
  return button;
}

std::optional<std::string> Win32Backend::BrowseForPath(const std::string& title,
                                                       const std::string& startFolder) {
  const BrowserStart start{title.c_str(), startFolder.c_str()};
  char display[MAX_PATH] = "";
  BROWSEINFOA info{};
  // No owner: the main dialog stays usable while the browser is open.
  info.hwndOwner = nullptr;
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_BROWSEINCLUDEFILES | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = &StartTheBrowser;
  info.lParam = reinterpret_cast<LPARAM>(&start);
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

StopRequest Win32Backend::KeepResponsive() {
  // What the user did meanwhile is dropped, not kept for later: a click or key handled now
  // would start a handler in the middle of the work that called us, and one handled after
  // it would act on a screen the user no longer saw (a second walk from a second click).
  // Only a request to stop is noted, for the caller to act on.
  StopRequest stopRequested = StopRequest::Nothing;
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
    stopRequested = Stronger(stopRequested, RequestOf(msg));
  }
  // The window manager's close arrives as a posted SC_CLOSE (under Wine too); the system
  // menu's other commands are dropped like the clicks that chose them. Other posted
  // messages wait for the dialog's own loop.
  while (::PeekMessageA(&msg, nullptr, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
    if ((msg.wParam & 0xFFF0) == SC_CLOSE) stopRequested = StopRequest::Close;
  }
  while (::PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    stopRequested = StopRequest::Close;
  }
  // Repaints and messages sent by other threads go through.
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    ::DispatchMessageA(&msg);
  }
  return stopRequested;
}
