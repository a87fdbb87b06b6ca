// The window of the scripted backend: no pixels, only the state a user would see (control
// texts, list items and caret, title, system menu, icons), which tests read back directly.
// A list box has a caret while it holds items: its first item once filled, and after the
// caret item is deleted the item now at its index (list_box_caret.h). Its highlighted items
// follow them as they move up or down.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "../list_box_keys.h"
#include "../window_backend.h"

class ScriptedBackend;

// A key held down during a click or a moving key in a list box.
enum class HeldKey { Nothing, Shift, Ctrl };

class ScriptedWindow : public DialogWindow {
 public:
  using MenuItem = ::MenuItem;
  struct DrawnIcon {
    int x, y;
    int iconId;
  };

  // The template and target must outlive the window (the dialog owns both for the run).
  ScriptedWindow(ScriptedBackend& backend, const DialogTemplate& dialogTemplate,
                 MessageTarget& target);
  ~ScriptedWindow() override;

  // DialogWindow
  int RunModal() override;
  void EndModal(int result) override;
  std::string GetItemText(int id) const override;
  void SetItemText(int id, const std::string& text) override;
  void SetTitle(const std::string& title) override { m_title = title; }
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
  bool IsIconic() const override { return m_iconic; }
  ClientRect GetClientRect() const override { return m_clientRect; }
  void DrawIcon(int x, int y, const Icon& icon) override;

  // --- What tests read back ---
  const DialogTemplate& Template() const { return m_template; }
  const std::string& Title() const { return m_title; }
  bool IsVisible() const { return m_visible; }
  bool IsRunning() const { return m_running; }
  // All items of list box id (empty for an unknown id).
  std::vector<std::string> ListItems(int id) const;
  const std::vector<MenuItem>& SystemMenu() const { return m_systemMenu; }
  // The items of the context menu open now; empty when none is.
  const std::vector<MenuItem>& ContextMenu() const { return m_contextMenu; }
  // Ids of the icons set, 0 when none was set.
  int BigIconId() const { return m_bigIconId; }
  int SmallIconId() const { return m_smallIconId; }
  const std::vector<DrawnIcon>& DrawnIcons() const { return m_drawnIcons; }

  // --- What the backend does for the user (each sends what the real window would) ---
  // False (and nothing happens) when the window has no control of that id and class.
  bool TypeText(int id, const std::string& text);
  bool TypeKey(int id, char key);
  bool ClickButton(int id);
  bool PickItem(int id, int index, HeldKey held = HeldKey::Nothing);
  bool PressListKey(int id, ListKey key, HeldKey held = HeldKey::Nothing);
  void ShowWindow(bool show);
  void PressEscape();
  void PressEnter();
  void CloseBox();
  void SystemCommand(UINT commandId);
  // Asks for the context menu of control id: by a right-click on row of a list box, which
  // first moves the caret there, or (row -1) with the keyboard.
  bool RequestContextMenu(int id, int row);
  // Chooses the item of the open context menu that sends commandId; false when no open menu
  // has one.
  bool ChooseMenuItem(UINT commandId);
  void DismissContextMenu() { m_contextMenu.clear(); }
  void SetMinimised(bool minimised, int clientWidth, int clientHeight);

 private:
  struct ListState {
    std::vector<std::string> items{};
    std::vector<bool> highlighted{};  // one for each item
    int caret = LB_ERR;
    int anchor = 0;         // where a range highlighted with Shift starts
    bool extended = false;  // LBS_EXTENDEDSEL
    // Highlights the items from the anchor to index alone.
    void HighlightRangeTo(int index);
  };
  bool HasControl(int id, ControlClass cls) const;
  const ListState* FindList(int id) const;
  ListState* FindList(int id);
  void SendCommand(UINT code, int id);

  ScriptedBackend& m_backend;
  const DialogTemplate& m_template;
  MessageTarget& m_target;
  std::string m_title;
  std::map<int, std::string> m_texts;
  std::map<int, ListState> m_lists;
  std::vector<MenuItem> m_systemMenu;
  std::vector<MenuItem> m_contextMenu;
  std::vector<DrawnIcon> m_drawnIcons;
  int m_bigIconId = 0;
  int m_smallIconId = 0;
  bool m_iconic = false;
  ClientRect m_clientRect;
  bool m_visible = false;
  bool m_running = false;
  bool m_ended = false;
  int m_result = 0;
};
