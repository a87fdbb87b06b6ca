// The one interface behind which windows become real (the GTK or Win32 desktop backend) or
// scripted (the test backend). Chosen once at start-up with InstallWindowBackend; the dialogs
// never know which one runs them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog_template.h"
#include "window_constants.h"

// Receives the window messages and notifications of one dialog window (CDialog).
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// One item of a menu: a separator (MF_SEPARATOR), or a text, "&" marking its mnemonic, that
// sends commandId when chosen.
struct MenuItem {
  UINT flags;
  UINT commandId;
  std::string text;
};

struct ClientRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A live window built from a template. Owned by its dialog for one modal run.
class DialogWindow {
 public:
  DialogWindow() = default;
  virtual ~DialogWindow() = default;
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Shows the window (sending WM_SHOWWINDOW with TRUE when the template is visible or when
  // first shown) and runs a nested event loop until EndModal; returns EndModal's result.
  virtual int RunModal() = 0;
  // Ends the innermost RunModal of this window once the current handler returns.
  virtual void EndModal(int result) = 0;

  virtual std::string GetItemText(int id) const = 0;
  // Sets a control's text without raising a notification.
  virtual void SetItemText(int id, const std::string& text) = 0;
  virtual void SetTitle(const std::string& title) = 0;

  // List-box operations on control id. Indexes out of range give LB_ERR.
  virtual int ListCount(int id) const = 0;
  // The caret item (the one with the focus rectangle), or LB_ERR when there is none.
  virtual int ListCaret(int id) const = 0;
  // Moves the caret to index and scrolls it into view; the highlight stays as it is.
  virtual void ListSetCaret(int id, int index) = 0;
  // The highlighted items, in list order; empty when none is.
  virtual std::vector<int> ListSelection(int id) const = 0;
  virtual std::string ListText(int id, int index) const = 0;
  // index -1 inserts at the end; returns the new item's index.
  virtual int ListInsert(int id, int index, const std::string& text) = 0;
  // Returns the number of items left, or LB_ERR.
  virtual int ListDelete(int id, int index) = 0;
  virtual void ListReset(int id) = 0;

  // False when the window has no system menu (no WS_SYSMENU).
  virtual bool HasSystemMenu() const = 0;
  // Appends a separator (MF_SEPARATOR) or a text item that sends WM_SYSCOMMAND with commandId.
  virtual void AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) = 0;
  // The context menu of control id, from the dialog's WM_CONTEXTMENU handler: the user asked
  // for it with the pointer (a right-click, which on a list row first moves the caret there)
  // or with the keyboard (the Menu key or Shift+F10, for the control with the focus; id 0
  // for the window itself). A handler that returns nonzero showed its own menu; otherwise
  // the backend shows what it shows by default (on GTK, the system menu's stand-in).
  // Shows items at the pointer, or beside the control's caret item after a key. A chosen
  // item sends WM_COMMAND with code 0 and its command id once the menu has closed; a menu
  // dismissed sends nothing.
  virtual void ShowContextMenu(int id, const std::vector<MenuItem>& items) = 0;
  virtual void SetIcon(const Icon& icon, bool big) = 0;
  virtual bool IsIconic() const = 0;
  virtual ClientRect GetClientRect() const = 0;
  virtual void DrawIcon(int x, int y, const Icon& icon) = 0;
};

// What the user asked for while long work kept the windows responsive.
enum class StopRequest {
  Nothing,
  // Escape: stop the work, and nothing more.
  Stop,
  // A window's close box (or the system's close command, Alt+F4): stop the work, then close.
  Close,
};

class WindowBackend {
 public:
  WindowBackend() = default;
  virtual ~WindowBackend() = default;
  WindowBackend(const WindowBackend&) = delete;
  WindowBackend& operator=(const WindowBackend&) = delete;

  // Builds the window and its controls (not yet shown); notifications go to target.
  virtual std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                           MessageTarget& target) = 0;
  // Modal message box; returns IDOK, IDCANCEL, IDYES or IDNO.
  virtual int MessageBox(const std::string& text, const std::string& caption, UINT style) = 0;
  // The same box with detail (what the text is about, a path) in smaller type below the
  // text, then a check box labelled checkText, unticked at first: checked tells whether it
  // was ticked when the box was answered. An empty checkText shows no check box.
  virtual int MessageBoxWithCheck(const std::string& text, const std::string& detail,
                                  const std::string& caption, UINT style,
                                  const std::string& checkText, bool& checked) = 0;
  // A browser that lists folders and files and lets the user type a name, opened at
  // startFolder (the full path of a folder, chosen by the caller). Returns the full path of
  // the chosen item, or nothing when cancelled.
  virtual std::optional<std::string> BrowseForPath(const std::string& title,
                                                   const std::string& startFolder) = 0;
  // SM_CXICON, SM_CYICON.
  virtual int GetSystemMetrics(int index) const = 0;
  // Lets the windows repaint during long work on the user-interface thread. Every user input
  // is dropped, except that Escape or a window's close box is taken as a request to stop the
  // work: returns the request that came since the last call, Close when both did. What
  // stopping and closing mean, and whether to ask first, is the caller's.
  virtual StopRequest KeepResponsive() = 0;
};

// The backend must outlive every dialog run on it. Passing null uninstalls.
void InstallWindowBackend(WindowBackend* backend);
// The installed backend; aborts with a clear message when none is installed.
WindowBackend& CurrentWindowBackend();
