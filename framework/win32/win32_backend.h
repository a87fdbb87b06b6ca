// Win32Backend: the Windows window backend. Builds each dialog from its template as a real
// Win32 dialog, runs it in a modal loop of its own, and uses the platform's message box
// (MessageBoxA, or a task dialog where the box has a check box) and folder browser
// (SHBrowseForFolderA).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/window_backend.h"
#include "icon_handles.h"

class Win32DialogWindow;

class Win32Backend : public WindowBackend {
 public:
  // Initialises the common controls and COM for the folder browser.
  Win32Backend();
  ~Win32Backend() override;

  // WindowBackend
  std::unique_ptr<DialogWindow> CreateDialogWindow(const DialogTemplate& dialogTemplate,
                                                   MessageTarget& target) override;
  int MessageBox(const std::string& text, const std::string& caption, UINT style) override;
  // A task dialog whose verification check box is the check box.
  int MessageBoxWithCheck(const std::string& text, const std::string& detail,
                          const std::string& caption, UINT style, const std::string& checkText,
                          bool& checked) override;
  std::optional<std::string> BrowseForPath(const std::string& title,
                                           const std::string& startFolder) override;
  int GetSystemMetrics(int index) const override;
  StopRequest KeepResponsive() override;

  IconHandles& Icons() { return m_icons; }
  // The windows whose modal runs are in progress, innermost last; message boxes belong to
  // the innermost.
  void PushModal(HWND window) { m_modal.push_back(window); }
  void PopModal() { m_modal.pop_back(); }
  // Null when no modal run is in progress.
  HWND InnermostModal() const { return m_modal.empty() ? nullptr : m_modal.back(); }

 private:
  bool m_comStarted = false;
  IconHandles m_icons;
  std::vector<HWND> m_modal;
};
