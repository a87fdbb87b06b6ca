// A live Win32 dialog made from a template: created hidden from the in-memory template, shown
// and run by RunModal in a message loop of its own, with every notification passed to its
// MessageTarget (the CDialog).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/window_backend.h"
#include "framework/windows_api.h"

class Win32Backend;

class Win32DialogWindow : public DialogWindow {
 public:
  // On failure (the platform refused the template) Handle() is null.
  Win32DialogWindow(Win32Backend& backend, const DialogTemplate& dialogTemplate,
                    MessageTarget& target);
  ~Win32DialogWindow() override;

  HWND Handle() const { return m_hwnd; }

  // DialogWindow
  int RunModal() override;
  void EndModal(int result) override;
  std::string GetItemText(int id) const override;
  void SetItemText(int id, const std::string& text) override;
  void SetTitle(const std::string& title) override;
  int ListCount(int id) const override;
  int ListCaret(int id) const override;
  std::vector<int> ListSelection(int id) const override;
  std::string ListText(int id, int index) const override;
  int ListInsert(int id, int index, const std::string& text) override;
  int ListDelete(int id, int index) override;
  void ListReset(int id) override;
  bool HasSystemMenu() const override;
  void AppendSystemMenu(UINT flags, UINT commandId, const std::string& text) override;
  void SetIcon(const Icon& icon, bool big) override;
  bool IsIconic() const override;
  ClientRect GetClientRect() const override;
  void DrawIcon(int x, int y, const Icon& icon) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT SendToItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const;
  void ShowTemplateIcons();
  void RunLoop();
  void CenterOver(HWND outer);

  Win32Backend& m_backend;
  const DialogTemplate& m_template;
  MessageTarget& m_target;
  std::vector<std::uint16_t> m_memoryTemplate;
  HWND m_hwnd = nullptr;
  bool m_ended = false;
  int m_result = 0;
  // Set while the program itself changes a control's text, which raises no notification.
  bool m_settingText = false;
};
