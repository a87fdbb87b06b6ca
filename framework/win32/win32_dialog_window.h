// A live Win32 dialog made from a template: created hidden from the in-memory template, shown
// and run by RunModal in a message loop of its own, with every notification passed to its
// MessageTarget (the CDialog).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/window_backend.h"
#include "framework/windows_api.h"

class Win32Backend;
class Win32ListBox;

class Win32DialogWindow : public DialogWindow {
 public:
  // On failure (the platform refused the template) Handle() is null.
  Win32DialogWindow(Win32Backend& backend, const DialogTemplate& dialogTemplate,
                    MessageTarget& target);
  ~Win32DialogWindow() override;

  HWND Handle() const { return m_hwnd; }
  // The backend's own list box of control id, or null.
  Win32ListBox* FindList(int id) const;

  // DialogWindow
  int RunModal() override;
  void EndModal(int result) override;
  std::string GetItemText(int id) const override;
  void SetItemText(int id, const std::string& text) override;
  void SetTitle(const std::string& title) override;
  int ListCount(int id) const override;
  int ListCaret(int id) const override;
  void ListSetCaret(int id, int index) override;
  std::vector<int> ListSelection(int id) const override;
  std::string ListText(int id, int index) const override;
  int ListInsert(int id, int index, const std::string& text) override;
  int ListDelete(int id, int index) override;
  void ListReset(int id) override;
  bool HasSystemMenu() const override;
  void AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) override;
  void ShowContextMenu(int id, const std::vector<MenuItem>& items) override;
  void SetIcon(const Icon& icon, bool big) override;
  bool IsIconic() const override;
  ClientRect GetClientRect() const override;
  void DrawIcon(int x, int y, const Icon& icon) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT SendToItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const;
  // Passes the platform's WM_CONTEXTMENU on for the control it names; a right-click on a
  // list box's item first moves the caret there. True when the dialog showed a menu.
  bool OnContextMenu(HWND source, LPARAM screenPoint);
  bool IsListBox(int id) const;
  void ShowTemplateIcons();
  // The template's controls in template order (the order the platform made them in).
  std::vector<HWND> TemplateControls() const;
  void MakeListBoxes();
  // Notes where the anchored controls sit, so that a resize can move them from there.
  void NoteLayout();
  void FollowSize();
  void RunLoop();
  void CenterOver(HWND outer);

  Win32Backend& m_backend;
  const DialogTemplate& m_template;
  MessageTarget& m_target;
  std::vector<std::uint16_t> m_memoryTemplate;
  HWND m_hwnd = nullptr;
  std::vector<std::unique_ptr<Win32ListBox>> m_lists;
  struct Anchored {
    HWND control;
    RECT placed;  // in client coordinates, at the template's size
    unsigned anchors;
  };
  std::vector<Anchored> m_anchored;
  SIZE m_templateClient{};  // the client area at the template's size
  SIZE m_smallestWindow{};  // the whole window at that size: the least a resize may leave
  bool m_ended = false;
  int m_result = 0;
  // Set while the program itself changes a control's text, which raises no notification.
  bool m_settingText = false;
  // Where the context menu being asked for was asked: a point on the screen, or -1 for the
  // keyboard.
  LPARAM m_contextPoint = -1;
};
