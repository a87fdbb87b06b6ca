// CDialog: a modal dialog bound to a template id, with a static message table that falls
// through to the base tables and then to default handling, and data exchange in both
// directions between controls and members.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "window_backend.h"
#include "window_constants.h"

class CDialog;
class CListBox;

// One row of a message table. For WM_COMMAND, code and id must both match the notification;
// for other messages they are ignored.
struct MessageMapEntry {
  UINT message;
  UINT code;
  int id;
  LRESULT (*handler)(CDialog& dialog, WPARAM wParam, LPARAM lParam);
};

// A class's table and the table of its base class (null for CDialog's own).
struct MessageMap {
  const MessageMap* base;
  std::span<const MessageMapEntry> entries;
};

// Builders for table rows from member-function pointers; the class is deduced.
namespace message_map {
template <class T>
struct MemberClass;
template <class T, class F>
struct MemberClass<F T::*> {
  using type = T;
};
template <auto Handler>
using OwnerOf = typename MemberClass<decltype(Handler)>::type;

// WM_COMMAND with the given notification code from control id: void Handler().
template <auto Handler>
constexpr MessageMapEntry Command(UINT code, int id) {
  return {WM_COMMAND, code, id, [](CDialog& d, WPARAM, LPARAM) -> LRESULT {
            (static_cast<OwnerOf<Handler>&>(d).*Handler)();
            return 0;
          }};
}
// WM_COMMAND from menu item id: void Handler().
template <auto Handler>
constexpr MessageMapEntry MenuCommand(int id) {
  return Command<Handler>(0, id);
}
// WM_CONTEXTMENU: bool Handler(int id), for control id (0: the window itself); true when the
// handler showed a menu (DialogWindow::ShowContextMenu).
template <auto Handler>
constexpr MessageMapEntry ContextMenu() {
  return {WM_CONTEXTMENU, 0, 0, [](CDialog& d, WPARAM w, LPARAM) -> LRESULT {
            return (static_cast<OwnerOf<Handler>&>(d).*Handler)(static_cast<int>(w)) ? 1 : 0;
          }};
}
// A message without arguments: void Handler().
template <auto Handler>
constexpr MessageMapEntry Message(UINT message) {
  return {message, 0, 0, [](CDialog& d, WPARAM, LPARAM) -> LRESULT {
            (static_cast<OwnerOf<Handler>&>(d).*Handler)();
            return 0;
          }};
}
// WM_SHOWWINDOW: void Handler(BOOL show, UINT status).
template <auto Handler>
constexpr MessageMapEntry ShowWindow() {
  return {WM_SHOWWINDOW, 0, 0, [](CDialog& d, WPARAM w, LPARAM l) -> LRESULT {
            (static_cast<OwnerOf<Handler>&>(d).*Handler)(static_cast<BOOL>(w),
                                                         static_cast<UINT>(l));
            return 0;
          }};
}
// WM_SYSCOMMAND: void Handler(UINT id, LPARAM lParam).
template <auto Handler>
constexpr MessageMapEntry SysCommand() {
  return {WM_SYSCOMMAND, 0, 0, [](CDialog& d, WPARAM w, LPARAM l) -> LRESULT {
            (static_cast<OwnerOf<Handler>&>(d).*Handler)(static_cast<UINT>(w), l);
            return 0;
          }};
}
// WM_QUERYDRAGICON: const Icon* Handler(); the icon's address is the result.
template <auto Handler>
constexpr MessageMapEntry QueryDragIcon() {
  return {WM_QUERYDRAGICON, 0, 0, [](CDialog& d, WPARAM, LPARAM) -> LRESULT {
            return reinterpret_cast<LRESULT>((static_cast<OwnerOf<Handler>&>(d).*Handler)());
          }};
}
}  // namespace message_map

// The context of one data-exchange pass.
class CDataExchange {
 public:
  CDataExchange(CDialog& dialog, bool saveAndValidate)
      : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CDialog& Dialog() const { return m_dialog; }

 private:
  CDialog& m_dialog;

 public:
  const bool m_bSaveAndValidate;  // true: controls to members; false: members to controls
};

// Edit control id <-> text member.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Binds a list-box control object to control id of the dialog.
void DDX_Control(CDataExchange* pDX, int id, CListBox& control);

class CDialog : public MessageTarget {
 public:
  explicit CDialog(int templateId);
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Builds the window from the template, runs OnInitDialog, shows the window and runs until
  // EndDialog; returns EndDialog's result, or -1 when the template is not registered.
  int DoModal();
  // Ends the modal run once the current handler returns.
  void EndDialog(int result);
  // false: members to controls; true: controls to members. Returns true.
  bool UpdateData(bool saveAndValidate = true);

  // Dispatches through the message tables, most derived first, then default handling.
  LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The dialog's own message box, with a caption.
  int MessageBox(const std::string& text, const std::string& caption, UINT style);

  int TemplateId() const { return m_templateId; }
  // The live window during a modal run, null otherwise.
  DialogWindow* Window() const { return m_window.get(); }

 protected:
  virtual const MessageMap* GetMessageMap() const;
  virtual void DoDataExchange(CDataExchange* pDX);
  // Runs data exchange towards the controls; the result says whether the backend should give
  // the focus to the first control in tab order.
  virtual BOOL OnInitDialog();

  // Default handling, for handlers that pass a message on.
  virtual void OnOK();
  virtual void OnCancel();
  void OnClose();
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint();
  void OnShowWindow(BOOL show, UINT status);

  // The base of every derived class's table (a derived table names it as its base).
  static const MessageMap messageMap;

 private:
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

  int m_templateId;
  std::unique_ptr<DialogWindow> m_window;
};
